#include "notify/smtp_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "fake_smtp_server.h"
#include "notify/email_message.h"
#include "smtp_test_support.h"

namespace vantrel {
namespace {

using test::BasicRequest;
using test::FakeSmtpServer;
using test::HeloDialogueBytes;
using test::QuickTimings;
using test::ServerScript;
using test::WillingHeloServer;

constexpr uint32_t kFinishMs = 10000;

std::string Base64(const std::string& s) {
  std::string out;
  Base64EncodeLines(s.data(), s.size(), &out);
  return out;
}

// Runs one dialogue against the scripted server and waits for the server to see it end.
std::string Converse(FakeSmtpServer& server, MailRequest request, const SmtpTimings& timings) {
  EXPECT_TRUE(server.Listening());
  request.port = server.Port();
  std::string error = RunSmtpDialogue(request, timings);
  EXPECT_TRUE(server.WaitFinished(kFinishMs));
  return error;
}

std::string Converse(FakeSmtpServer& server, const MailRequest& request) {
  return Converse(server, request, QuickTimings());
}

bool SentQuit(FakeSmtpServer& server) {
  std::vector<std::string> lines = server.CommandLines();
  return std::find(lines.begin(), lines.end(), "QUIT") != lines.end();
}

TEST(SmtpDialogue, SendsAPlainMessageWithHeloByteForByte) {
  FakeSmtpServer server(WillingHeloServer());
  MailRequest r = BasicRequest();
  EXPECT_EQ(Converse(server, r), "");
  EXPECT_EQ(server.Received(), HeloDialogueBytes(r, r.message));
  EXPECT_EQ(server.MessageData(), r.message);
  EXPECT_EQ(server.Connections(), 1);
}

TEST(SmtpDialogue, AcceptsAGreetingOfSeveralLines) {
  ServerScript s;
  s.Send("220-fake.example first line\r\n220-second line\r\n220 ready\r\n")
      .Reply("250 hello\r\n")
      .Reply("250 ok\r\n")
      .Reply("250 ok\r\n")
      .Reply("354 go\r\n")
      .Data("250 queued\r\n")
      .Reply("221 bye\r\n");
  FakeSmtpServer server(s);
  MailRequest r = BasicRequest();
  EXPECT_EQ(Converse(server, r), "");
  EXPECT_EQ(server.Received(), HeloDialogueBytes(r, r.message));
}

TEST(SmtpDialogue, AuthenticatesWithEhloAndAuthLoginSplittingALongAccountName) {
  // 57 bytes give exactly 76 base64 characters, which the encoder follows with CR LF; the
  // command's own CR LF comes after that.
  const std::string account(57, 'a');
  const std::string password = "secret";
  ServerScript s;
  s.Send("220 fake.example\r\n")
      .Reply("250-fake.example\r\n250-SIZE 1000000\r\n250 AUTH LOGIN PLAIN\r\n")
      .Reply("334 VXNlcm5hbWU6\r\n")
      .Read()
      .Reply("334 UGFzc3dvcmQ6\r\n")
      .Reply("235 authenticated\r\n")
      .Reply("250 ok\r\n")
      .Reply("250 ok\r\n")
      .Reply("354 go\r\n")
      .Data("250 queued\r\n")
      .Reply("221 bye\r\n");
  FakeSmtpServer server(s);
  MailRequest r = BasicRequest();
  r.authentication = 1;
  r.account = account;
  r.password = password;
  EXPECT_EQ(Converse(server, r), "");
  std::string accountLines = Base64(account);
  ASSERT_EQ(accountLines.size(), 78u);
  EXPECT_EQ(accountLines.substr(76), "\r\n");
  EXPECT_EQ(server.Received(), "EHLO vantrel\r\nAUTH LOGIN\r\n" + accountLines + "\r\n" + Base64(password) +
                                   "\r\nMAIL FROM: <meter@example.com>\r\nRCPT TO: <ops@example.com>\r\nDATA\r\n" +
                                   r.message + "\r\n.\r\nQUIT\r\n");
}

TEST(SmtpDialogue, ReportsNoRelayAndStillQuitsWhenEveryRecipientIsRefused) {
  ServerScript s;
  s.Send("220 fake\r\n")
      .Reply("250 hello\r\n")
      .Reply("250 ok\r\n")
      .Reply("550 no such user\r\n")
      .Reply("550 no such user\r\n")
      .Reply("221 bye\r\n");
  FakeSmtpServer server(s);
  MailRequest r = BasicRequest();
  r.recipients = "a@example.com, b@example.com";
  EXPECT_EQ(Converse(server, r), "SMTP Server didn't relay email.");
  EXPECT_EQ(server.CommandLines(),
            (std::vector<std::string>{"HELO vantrel", "MAIL FROM: <meter@example.com>", "RCPT TO: <a@example.com>",
                                      "RCPT TO: <b@example.com>", "QUIT"}));
}

TEST(SmtpDialogue, CountsCodes250And251AsAcceptedAndIgnoresOthers) {
  ServerScript s;
  s.Send("220 fake\r\n")
      .Reply("250 hello\r\n")
      .Reply("250 ok\r\n")
      .Reply("252 cannot verify\r\n")
      .Reply("251 will forward\r\n")
      .Reply("450 mailbox busy\r\n")
      .Reply("354 go\r\n")
      .Data("250 queued\r\n")
      .Reply("221 bye\r\n");
  FakeSmtpServer server(s);
  MailRequest r = BasicRequest();
  r.recipients = "a@example.com,b@example.com,c@example.com";
  EXPECT_EQ(Converse(server, r), "");
  EXPECT_EQ(server.MessageData(), r.message);
}

TEST(SmtpDialogue, SendsOnlyToTheAddressesThatPassTheCheck) {
  FakeSmtpServer server(WillingHeloServer());
  MailRequest r = BasicRequest();
  r.recipients = "not-an-address, ops@example.com ,  ,bad@@example.com";
  EXPECT_EQ(Converse(server, r), "");
  std::vector<std::string> lines = server.CommandLines();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("RCPT", 0) == 0; }),
            1);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "RCPT TO: <ops@example.com>"), lines.end());
}

TEST(SmtpDialogue, DoublesADotThatBeginsALineOfTheMessage) {
  FakeSmtpServer server(WillingHeloServer());
  MailRequest r = BasicRequest();
  r.message = ".first\r\nHi\r\n.\r\n..two\r\nmid.dle\r\nend";
  EXPECT_EQ(Converse(server, r), "");
  EXPECT_EQ(server.MessageData(), "..first\r\nHi\r\n..\r\n...two\r\nmid.dle\r\nend");
  EXPECT_EQ(server.Received(), HeloDialogueBytes(r, "..first\r\nHi\r\n..\r\n...two\r\nmid.dle\r\nend"));
}

TEST(SmtpDialogue, TimesOutWhenTheServerNeverGreets) {
  FakeSmtpServer server(ServerScript{});
  SmtpTimings t = QuickTimings();
  t.replyTimeoutMs = 300;
  EXPECT_EQ(Converse(server, BasicRequest(), t), "Time out.");
  EXPECT_EQ(server.Received(), "");
}

TEST(SmtpDialogue, GivesUpAfterFourConnectionAttemptsWhenNobodyListens) {
  uint16_t port = 0;
  {
    // A port that was just free: nobody listens on it once the server is gone.
    FakeSmtpServer probe(ServerScript{});
    port = probe.Port();
  }
  test::CountingSocketApi sockets;
  SmtpTimings t = QuickTimings();
  t.connectPauseMs = 60;
  MailRequest r = BasicRequest();
  r.port = port;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunSmtpDialogue(r, t, sockets), "Failed to connect to SMTP server.");
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(sockets.connects.load(), 4);
  EXPECT_EQ(sockets.resolves.load(), 4);
  EXPECT_GE(elapsed, std::chrono::milliseconds(3 * 60));
}

TEST(SmtpDialogue, CountsAFailedLookupAsAFailedAttempt) {
  test::CountingSocketApi sockets;
  sockets.failResolve = true;
  MailRequest r = BasicRequest();
  r.server = "mail.example";
  EXPECT_EQ(RunSmtpDialogue(r, QuickTimings(), sockets), "Failed to connect to SMTP server.");
  EXPECT_EQ(sockets.resolves.load(), 4);
  EXPECT_EQ(sockets.connects.load(), 0);
}

// Replies of a dialogue without authentication, in order: greeting, HELO, MAIL, RCPT, DATA,
// end of message, QUIT. A case replaces one of them with a refusal.
struct RefusalCase {
  size_t step;
  std::string reply;
};

class SmtpRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(SmtpRefusal, EndsWithTheReplyLineAndClosesWithoutQuit) {
  std::vector<std::string> replies = {"220 fake\r\n", "250 hello\r\n", "250 ok\r\n", "250 ok\r\n",
                                      "354 go\r\n",   "250 queued\r\n", "221 bye\r\n"};
  const RefusalCase& c = GetParam();
  replies[c.step] = c.reply + "\r\n";
  ServerScript s;
  s.Send(replies[0]).Reply(replies[1]).Reply(replies[2]).Reply(replies[3]).Reply(replies[4]).Data(replies[5]).Reply(
      replies[6]);
  FakeSmtpServer server(s);
  EXPECT_EQ(Converse(server, BasicRequest()), c.reply);
  EXPECT_FALSE(SentQuit(server));
}

INSTANTIATE_TEST_SUITE_P(AtEveryStep, SmtpRefusal,
                         ::testing::Values(RefusalCase{0, "421 fake.example busy"}, RefusalCase{0, "250 wrong hello"},
                                           RefusalCase{1, "501 bad hello"}, RefusalCase{2, "553 sender refused"},
                                           RefusalCase{4, "503 need recipients"},
                                           RefusalCase{4, "250 not a go-ahead"}, RefusalCase{5, "552 too big"}));

struct AuthRefusalCase {
  size_t step;
  std::string reply;
};

class SmtpAuthRefusal : public ::testing::TestWithParam<AuthRefusalCase> {};

TEST_P(SmtpAuthRefusal, EndsWithTheReplyLine) {
  // greeting, EHLO, AUTH LOGIN, account, password, MAIL, RCPT, DATA, end, QUIT
  std::vector<std::string> replies = {"220 fake\r\n", "250 hello\r\n", "334 VXNlcm5hbWU6\r\n", "334 UGFzc3dvcmQ6\r\n",
                                      "235 ok\r\n",   "250 ok\r\n",    "250 ok\r\n",           "354 go\r\n",
                                      "250 queued\r\n", "221 bye\r\n"};
  const AuthRefusalCase& c = GetParam();
  replies[c.step] = c.reply + "\r\n";
  ServerScript s;
  s.Send(replies[0]);
  for (size_t i = 1; i < replies.size(); ++i) {
    if (i == 8)
      s.Data(replies[i]);
    else
      s.Reply(replies[i]);
  }
  FakeSmtpServer server(s);
  MailRequest r = BasicRequest();
  r.authentication = 1;
  r.account = "user";
  r.password = "pass";
  EXPECT_EQ(Converse(server, r), c.reply);
  EXPECT_FALSE(SentQuit(server));
}

INSTANTIATE_TEST_SUITE_P(AtEveryStep, SmtpAuthRefusal,
                         ::testing::Values(AuthRefusalCase{1, "502 EHLO not supported"},
                                           AuthRefusalCase{2, "504 unknown mechanism"},
                                           AuthRefusalCase{3, "535 bad user"},
                                           AuthRefusalCase{4, "535 5.7.8 Authentication failed"},
                                           AuthRefusalCase{4, "334 again"}));

TEST(SmtpDialogue, ReadsEhloContinuationLinesUpToTheLastOne) {
  ServerScript s;
  s.Send("220 fake\r\n").Reply("250-fake\r\n250-PIPELINING\r\n550 no thanks\r\n");
  FakeSmtpServer server(s);
  MailRequest r = BasicRequest();
  r.authentication = 1;
  r.account = "user";
  EXPECT_EQ(Converse(server, r), "550 no thanks");
}

TEST(SmtpDialogue, GivesAnEmptyRefusalAnErrorTextOfItsOwn) {
  ServerScript s;
  s.Send("220 fake\r\n").Reply("\r\n");
  FakeSmtpServer server(s);
  EXPECT_EQ(Converse(server, BasicRequest()), "Empty reply from SMTP server.");
}

TEST(SmtpDialogue, CutsAnOverlongRefusalAtTheReplyBuffer) {
  const std::string reply = "550 " + std::string(3000, 'y');
  ServerScript s;
  s.Send("220 fake\r\n").Reply("250 hello\r\n").Reply(reply + "\r\n");
  FakeSmtpServer server(s);
  EXPECT_EQ(Converse(server, BasicRequest()), reply.substr(0, 1023));
}

// An over-long greeting is cut at the 2048-byte buffer (2047 characters and the terminator);
// a carriage return that falls on the boundary is still removed.
class OverlongGreeting : public ::testing::TestWithParam<size_t> {};

TEST_P(OverlongGreeting, IsCutAtTheGreetingBuffer) {
  const size_t length = GetParam();
  std::string line = "554 ";
  line.append(length - line.size(), 'z');
  ServerScript s;
  s.Send(line + "\r\n");
  FakeSmtpServer server(s);
  EXPECT_EQ(Converse(server, BasicRequest()), line.substr(0, std::min<size_t>(length, 2047)));
}

INSTANTIATE_TEST_SUITE_P(AroundTheBoundary, OverlongGreeting, ::testing::Values(2045, 2046, 2047, 2048, 5000));

TEST(SmtpDialogue, DropsTheRestOfAnOverlongLineInsteadOfTakingItForTheNextReply) {
  ServerScript s;
  s.Send("220 fake\r\n")
      .Reply("250 " + std::string(5000, 'x') + "\r\n")
      .Reply("250 ok\r\n")
      .Reply("250 ok\r\n")
      .Reply("354 go\r\n")
      .Data("250 queued\r\n")
      .Reply("221 bye\r\n");
  FakeSmtpServer server(s);
  MailRequest r = BasicRequest();
  EXPECT_EQ(Converse(server, r), "");
  EXPECT_EQ(server.Received(), HeloDialogueBytes(r, r.message));
}

TEST(SmtpDialogue, TimesOutWhenTheServerClosesInTheMiddleOfAReply) {
  ServerScript s;
  s.Send("220-first\r\n220-sec").Close();
  FakeSmtpServer server(s);
  EXPECT_EQ(Converse(server, BasicRequest()), "Time out.");
}

TEST(SmtpDialogue, TimesOutWhenTheServerClosesAfterAccepting) {
  ServerScript s;
  s.Send("220 fake\r\n").Read().Close();
  FakeSmtpServer server(s);
  EXPECT_EQ(Converse(server, BasicRequest()), "Time out.");
}

TEST(SmtpDialogue, TimesOutOnAReplyWithoutLineEnd) {
  ServerScript s;
  s.Send("220 fake.example ready");
  FakeSmtpServer server(s);
  SmtpTimings t = QuickTimings();
  t.replyTimeoutMs = 300;
  EXPECT_EQ(Converse(server, BasicRequest(), t), "Time out.");
}

TEST(SmtpDialogue, BoundsAReplyThatKeepsComingToTheReplyTimeOut) {
  // Continuation lines that trickle in for longer than the time-out: each byte comes in time,
  // the reply as a whole does not.
  ServerScript s;
  s.Send("220-fake\r\n").Repeat("220-still here\r\n", 60, 20).Send("220 ready\r\n").Reply("250 hello\r\n");
  FakeSmtpServer server(s);
  SmtpTimings t = QuickTimings();
  t.replyTimeoutMs = 400;
  EXPECT_EQ(Converse(server, BasicRequest(), t), "Time out.");
  EXPECT_EQ(server.Received(), "");
}

TEST(SmtpDialogue, ReturnsABinaryReplyAsItsErrorText) {
  const std::string binary("\x00\xff\x01\x80zz", 6);
  ServerScript s;
  s.Send(binary + "\r\n");
  FakeSmtpServer server(s);
  EXPECT_EQ(Converse(server, BasicRequest()), binary);
}

TEST(SmtpDialogue, ReadsTheReplyCodeAsTheLeadingNumber) {
  // " 220" and "+220" are what the C library's atoi reads as 220; "2200" is not 220.
  for (const char* greeting : {" 220 spaced\r\n", "+220 signed\r\n"}) {
    ServerScript s;
    s.Send(greeting).Reply("500 stop\r\n");
    FakeSmtpServer server(s);
    EXPECT_EQ(Converse(server, BasicRequest()), "500 stop") << greeting;
  }
  ServerScript s;
  s.Send("2200 long code\r\n");
  FakeSmtpServer server(s);
  EXPECT_EQ(Converse(server, BasicRequest()), "2200 long code");
}

// Fields against their widths: one byte short of the width is taken, the width is refused.
struct FieldCase {
  const char* name;
  void (*set)(MailRequest*, size_t);
  size_t width;
};

class MailRequestFieldWidth : public ::testing::TestWithParam<FieldCase> {};

TEST_P(MailRequestFieldWidth, TakesOneByteLessThanTheWidthAndRefusesTheWidth) {
  const FieldCase& c = GetParam();
  MailRequest fits = BasicRequest();
  fits.authentication = 1;
  fits.account = "user";
  c.set(&fits, c.width - 1);
  EXPECT_EQ(ValidateMailRequest(fits), "");
  MailRequest tooLong = fits;
  c.set(&tooLong, c.width);
  EXPECT_EQ(ValidateMailRequest(tooLong), "Invalid parameters.");
  test::CountingSocketApi sockets;
  EXPECT_EQ(RunSmtpDialogue(tooLong, QuickTimings(), sockets), "Invalid parameters.");
  EXPECT_EQ(sockets.connects.load(), 0);
}

// A value of n bytes that is otherwise sound for its field.
std::string Padded(const std::string& tail, size_t n) { return std::string(n - tail.size(), 'a') + tail; }

INSTANTIATE_TEST_SUITE_P(
    AllFields, MailRequestFieldWidth,
    ::testing::Values(FieldCase{"server", [](MailRequest* r, size_t n) { r->server = Padded(".example", n); }, 64},
                      FieldCase{"sender", [](MailRequest* r, size_t n) { r->sender = Padded("@example.com", n); }, 64},
                      FieldCase{"recipients",
                                [](MailRequest* r, size_t n) { r->recipients = Padded("@example.com", n); }, 256},
                      FieldCase{"account", [](MailRequest* r, size_t n) { r->account = std::string(n, 'u'); }, 64},
                      FieldCase{"password", [](MailRequest* r, size_t n) { r->password = std::string(n, 'p'); }, 32}),
    [](const ::testing::TestParamInfo<FieldCase>& info) { return std::string(info.param.name); });

TEST(ValidateMailRequest, IgnoresAccountAndPasswordWithoutAuthentication) {
  MailRequest r = BasicRequest();
  r.account = std::string(100, 'u');
  r.password = std::string(100, 'p');
  EXPECT_EQ(ValidateMailRequest(r), "");
}

struct InvalidCase {
  const char* name;
  void (*spoil)(MailRequest*);
};

class InvalidMailRequest : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidMailRequest, IsRefusedBeforeAnyConnection) {
  MailRequest r = BasicRequest();
  GetParam().spoil(&r);
  EXPECT_EQ(ValidateMailRequest(r), "Invalid parameters.");
  test::CountingSocketApi sockets;
  EXPECT_EQ(RunSmtpDialogue(r, QuickTimings(), sockets), "Invalid parameters.");
  EXPECT_EQ(sockets.resolves.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InvalidMailRequest,
    ::testing::Values(
        InvalidCase{"NoServer", [](MailRequest* r) { r->server.clear(); }},
        InvalidCase{"NoSender", [](MailRequest* r) { r->sender.clear(); }},
        InvalidCase{"NoRecipients", [](MailRequest* r) { r->recipients.clear(); }},
        InvalidCase{"NoMessage", [](MailRequest* r) { r->message.clear(); }},
        InvalidCase{"AuthenticationWithoutAccount", [](MailRequest* r) { r->authentication = 1; }},
        InvalidCase{"MissingReplyWindow", [](MailRequest* r) { r->requireReplyWindow = true; }},
        InvalidCase{"OnlyCommasAndSpaces", [](MailRequest* r) { r->recipients = " , ,"; }},
        InvalidCase{"NoAddressPassesTheCheck", [](MailRequest* r) { r->recipients = "a@b, c@@d.e, f@.g"; }},
        InvalidCase{"LineBreakInSender", [](MailRequest* r) { r->sender = "a@b.c>\r\nRCPT TO: <x@y.z"; }},
        InvalidCase{"LineBreakInRecipients", [](MailRequest* r) { r->recipients = "a@b.c\nDATA"; }}),
    [](const ::testing::TestParamInfo<InvalidCase>& info) { return std::string(info.param.name); });

TEST(ValidateMailRequest, TakesAReplyWindowWhenOneIsRequired) {
  MailRequest r = BasicRequest();
  r.requireReplyWindow = true;
  r.replyWindow = 0x1234;
  EXPECT_EQ(ValidateMailRequest(r), "");
}

// A socket layer without a network: replies come from a fixed text, sends are recorded piece
// by piece and stop being taken after a chosen number of bytes.
struct ScriptedLine {
  std::string replies;
  size_t nextReply = 0;
  size_t acceptLimit = SIZE_MAX;
  std::string sent;
  std::vector<size_t> pieces;
};

class ScriptedSocket : public ITcpSocket {
 public:
  explicit ScriptedSocket(ScriptedLine* line) : m_line(line) {}
  SocketResult Send(const void* data, size_t n, uint32_t, size_t* sent) override {
    *sent = 0;
    if (m_line->sent.size() >= m_line->acceptLimit) return SocketResult::TimedOut;
    size_t take = std::min(n, m_line->acceptLimit - m_line->sent.size());
    m_line->sent.append(static_cast<const char*>(data), take);
    m_line->pieces.push_back(n);
    *sent = take;
    return SocketResult::Ok;
  }
  SocketResult ReceiveByte(uint8_t* out, uint32_t) override {
    if (m_line->nextReply >= m_line->replies.size()) return SocketResult::Closed;
    *out = static_cast<uint8_t>(m_line->replies[m_line->nextReply++]);
    return SocketResult::Ok;
  }
  void Close() override {}

 private:
  ScriptedLine* m_line;
};

class ScriptedSocketApi : public ISocketApi {
 public:
  explicit ScriptedSocketApi(ScriptedLine* line) : m_line(line) {}
  bool Startup() override { return true; }
  bool Resolve(const std::string&, uint32_t* address) override {
    *address = 0x0100007F;
    return true;
  }
  std::unique_ptr<ITcpSocket> Connect(uint32_t, uint16_t, uint32_t) override {
    return std::make_unique<ScriptedSocket>(m_line);
  }

 private:
  ScriptedLine* m_line;
};

constexpr char kWillingReplies[] = "220 fake\r\n250 hello\r\n250 ok\r\n250 ok\r\n354 go\r\n250 queued\r\n221 bye\r\n";

TEST(SmtpDialogue, SendsALongMessageInPiecesOfAtMost1400Bytes) {
  ScriptedLine line;
  line.replies = kWillingReplies;
  ScriptedSocketApi sockets(&line);
  MailRequest r = BasicRequest();
  r.message = std::string(5000, 'm');
  EXPECT_EQ(RunSmtpDialogue(r, QuickTimings(), sockets), "");
  EXPECT_EQ(line.sent, HeloDialogueBytes(r, r.message));
  EXPECT_LE(*std::max_element(line.pieces.begin(), line.pieces.end()), 1400u);
  std::vector<size_t> messagePieces = {1400, 1400, 1400, 800};
  EXPECT_NE(std::search(line.pieces.begin(), line.pieces.end(), messagePieces.begin(), messagePieces.end()),
            line.pieces.end());
}

TEST(SmtpDialogue, ReportsAMessageThatCouldNotBeSentCompletely) {
  ScriptedLine line;
  line.replies = kWillingReplies;
  MailRequest r = BasicRequest();
  r.message = std::string(5000, 'm');
  const std::string before = "HELO vantrel\r\nMAIL FROM: <meter@example.com>\r\nRCPT TO: <ops@example.com>\r\nDATA\r\n";
  line.acceptLimit = before.size() + 2000;
  ScriptedSocketApi sockets(&line);
  EXPECT_EQ(RunSmtpDialogue(r, QuickTimings(), sockets), "Failed to send email body.");
  EXPECT_EQ(line.sent, before + std::string(2000, 'm'));
}

TEST(SmtpDialogue, TimesOutWhenACommandCannotBeSent) {
  ScriptedLine line;
  line.replies = kWillingReplies;
  line.acceptLimit = 3;
  ScriptedSocketApi sockets(&line);
  EXPECT_EQ(RunSmtpDialogue(BasicRequest(), QuickTimings(), sockets), "Time out.");
  EXPECT_EQ(line.sent, "HEL");
}

TEST(DotStuffMessage, DoublesOnlyDotsThatBeginALine) {
  EXPECT_EQ(DotStuffMessage(""), "");
  EXPECT_EQ(DotStuffMessage("."), "..");
  EXPECT_EQ(DotStuffMessage("a.b\r\n.c\r\n"), "a.b\r\n..c\r\n");
  EXPECT_EQ(DotStuffMessage("x\n.\n"), "x\n..\n");
  EXPECT_EQ(DotStuffMessage("no dots at line starts\r\n"), "no dots at line starts\r\n");
}

TEST(SendMailThread, ReportsTheOutcomeFromItsOwnThread) {
  FakeSmtpServer server(WillingHeloServer());
  test::OutcomeWaiter waiter;
  auto request = std::make_unique<MailRequest>(BasicRequest());
  request->port = server.Port();
  ASSERT_TRUE(SendMailThread(std::move(request), waiter.Callback(), QuickTimings()));
  ASSERT_TRUE(waiter.Wait(kFinishMs));
  EXPECT_EQ(waiter.Error(), "");
  EXPECT_EQ(waiter.Recipients(), "ops@example.com");
  EXPECT_NE(waiter.Thread(), std::this_thread::get_id());
  EXPECT_TRUE(server.WaitFinished(kFinishMs));
  EXPECT_EQ(server.MessageData(), BasicRequest().message);
}

TEST(SendMailThread, StartsTheSocketLibraryOnTheCallingThread) {
  // Kept for the life of the process: the sender thread may still use it after the test.
  static test::CountingSocketApi* sockets = new test::CountingSocketApi;
  test::OutcomeWaiter waiter;
  MailRequest r = BasicRequest();
  r.server.clear();
  ASSERT_TRUE(SendMailThread(std::make_unique<MailRequest>(r), waiter.Callback(), QuickTimings(), *sockets));
  EXPECT_EQ(sockets->startupThread, std::this_thread::get_id());
  ASSERT_TRUE(waiter.Wait(kFinishMs));
  EXPECT_EQ(waiter.Error(), "Invalid parameters.");
}

TEST(SendMailThread, RefusesAMissingRequest) { EXPECT_FALSE(SendMailThread(nullptr, test::OutcomeWaiter().Callback())); }

TEST(MailOutcomeLogLines, SaysSentInOneLine) {
  EXPECT_EQ(MailOutcomeLogLines("a@b.c, d@e.f", ""),
            std::vector<std::string>{"Successfully sent bandwidth usage notification email to a@b.c, d@e.f."});
}

TEST(MailOutcomeLogLines, GivesRecipientsErrorAndAdviceOnFailure) {
  EXPECT_EQ(MailOutcomeLogLines("a@b.c", "Time out."),
            (std::vector<std::string>{"Failed send bandwidth usage notification email to a@b.c.", "Error: Time out.",
                                      "Please check your email settings at Options -> Notification -> Email Settings."}));
}

}  // namespace
}  // namespace vantrel
