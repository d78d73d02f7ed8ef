// The dialogue with STARTTLS and with TLS from the first byte, over an in-memory server and a
// TLS layer of the test's own: every command is recorded with the layer it went out on.
#include <gtest/gtest.h>

#include <deque>

#include "notify/email_message.h"
#include "notify/email_sender.h"
#include "notify/smtp_client.h"
#include "smtp_test_support.h"

namespace vantrel {
namespace {

using test::BasicRequest;
using test::QuickTimings;

// A server that answers each command line with the next reply, as a real one does: nothing
// is readable before the command that it answers has arrived.
struct Conversation {
  std::deque<std::string> replies;  // the first is the greeting
  std::string readable;
  std::string partial;
  bool inMessage = false;
  bool tlsUp = false;
  std::vector<std::string> events;  // "plain: EHLO vantrel", "tls: QUIT", "handshake localhost", ...
  std::string message;

  void Start() { Release(); }
  void Release() {
    if (replies.empty()) return;
    readable += replies.front();
    replies.pop_front();
  }
  void Take(const std::string& layer, const char* data, size_t n) {
    partial.append(data, n);
    for (;;) {
      if (inMessage) {
        size_t end = partial.find("\r\n.\r\n");
        if (end == std::string::npos) return;
        message = partial.substr(0, end);
        events.push_back(layer + ": [message]");
        partial.erase(0, end + 5);
        inMessage = false;
        Release();
        continue;
      }
      size_t lf = partial.find("\r\n");
      if (lf == std::string::npos) return;
      std::string line = partial.substr(0, lf);
      partial.erase(0, lf + 2);
      events.push_back(layer + ": " + line);
      if (line == "DATA") inMessage = true;
      Release();
    }
  }
  SocketResult Read(uint8_t* out) {
    // An empty line means the server waits: the client would wait for its time-out.
    if (readable.empty()) return SocketResult::TimedOut;
    *out = static_cast<uint8_t>(readable[0]);
    readable.erase(0, 1);
    return SocketResult::Ok;
  }
};

class LayerSocket : public ITcpSocket {
 public:
  LayerSocket(Conversation* c, std::string layer) : m_c(c), m_layer(std::move(layer)) {}
  SocketResult Send(const void* data, size_t n, uint32_t, size_t* sent) override {
    m_c->Take(m_layer, static_cast<const char*>(data), n);
    *sent = n;
    return SocketResult::Ok;
  }
  SocketResult ReceiveByte(uint8_t* out, uint32_t) override { return m_c->Read(out); }
  void Close() override {
    if (!m_closed) m_c->events.push_back(m_layer + ": closed");
    m_closed = true;
  }

 private:
  Conversation* m_c;
  std::string m_layer;
  bool m_closed = false;
};

class ConversationSockets : public ISocketApi {
 public:
  explicit ConversationSockets(Conversation* c) : m_c(c) {}
  bool Startup() override { return true; }
  bool Resolve(const std::string&, uint32_t* address) override {
    *address = 0x0100007F;
    return true;
  }
  std::unique_ptr<ITcpSocket> Connect(uint32_t, uint16_t port, uint32_t) override {
    ports.push_back(port);
    m_c->Start();
    return std::make_unique<LayerSocket>(m_c, "plain");
  }
  std::vector<uint16_t> ports;

 private:
  Conversation* m_c;
};

class FakeTls : public ITlsApi {
 public:
  explicit FakeTls(Conversation* c) : m_c(c) {}
  TlsResult Handshake(ITcpSocket&, const std::string& serverName, uint32_t, std::unique_ptr<ITcpSocket>* secure) override {
    m_c->events.push_back("handshake " + serverName);
    if (result != TlsResult::Ok) return result;
    m_c->tlsUp = true;
    *secure = std::make_unique<LayerSocket>(m_c, "tls");
    return TlsResult::Ok;
  }
  TlsResult result = TlsResult::Ok;

 private:
  Conversation* m_c;
};

std::string Base64(const std::string& s) {
  std::string out;
  Base64EncodeLines(s.data(), s.size(), &out);
  return out;
}

MailRequest SecureRequest(SmtpSecurity security, bool auth) {
  MailRequest r = BasicRequest();
  r.server = "mail.example.com";
  r.port = security == SmtpSecurity::Tls ? 465 : 587;
  r.security = security;
  if (auth) {
    r.authentication = 1;
    r.account = "meter";
    r.password = "s3cret";
  }
  return r;
}

const char kEhloWithStartTls[] = "250-mail.example.com\r\n250-starttls\r\n250 AUTH LOGIN\r\n";

struct Session {
  Conversation c;
  ConversationSockets sockets{&c};
  FakeTls tls{&c};
  std::string Dialogue(const MailRequest& r) { return RunSmtpDialogue(r, QuickTimings(), sockets, tls); }
};

TEST(SecureSmtp, StartTlsSendsOnlyEhloAndStartTlsInPlainTextAndAuthenticatesInsideTls) {
  Session run;
  run.c.replies = {"220 ready\r\n", kEhloWithStartTls, "220 go ahead\r\n",
                   "250-mail.example.com\r\n250 AUTH LOGIN\r\n", "334 VXNlcm5hbWU6\r\n", "334 UGFzc3dvcmQ6\r\n",
                   "235 ok\r\n", "250 ok\r\n", "250 ok\r\n", "354 go\r\n", "250 queued\r\n", "221 bye\r\n"};
  MailRequest r = SecureRequest(SmtpSecurity::StartTls, true);
  EXPECT_EQ(run.Dialogue(r), "");
  EXPECT_EQ(run.sockets.ports, std::vector<uint16_t>{587});
  EXPECT_EQ(run.c.events, (std::vector<std::string>{
                              "plain: EHLO vantrel", "plain: STARTTLS", "handshake mail.example.com",
                              "tls: EHLO vantrel", "tls: AUTH LOGIN", "tls: " + Base64("meter"),
                              "tls: " + Base64("s3cret"), "tls: MAIL FROM: <meter@example.com>",
                              "tls: RCPT TO: <ops@example.com>", "tls: DATA", "tls: [message]", "tls: QUIT",
                              "tls: closed", "plain: closed"}));
  EXPECT_EQ(run.c.message, r.message);
}

TEST(SecureSmtp, TlsFromTheFirstByteGreetsInsideTlsAndUsesEhloWithoutAuthentication) {
  Session run;
  run.c.replies = {"220 ready\r\n", "250 mail.example.com\r\n", "250 ok\r\n", "250 ok\r\n",
                   "354 go\r\n",    "250 queued\r\n",           "221 bye\r\n"};
  EXPECT_EQ(run.Dialogue(SecureRequest(SmtpSecurity::Tls, false)), "");
  EXPECT_EQ(run.sockets.ports, std::vector<uint16_t>{465});
  EXPECT_EQ(run.c.events,
            (std::vector<std::string>{"handshake mail.example.com", "tls: EHLO vantrel",
                                      "tls: MAIL FROM: <meter@example.com>", "tls: RCPT TO: <ops@example.com>",
                                      "tls: DATA", "tls: [message]", "tls: QUIT", "tls: closed", "plain: closed"}));
}

TEST(SecureSmtp, AServerThatDoesNotOfferStartTlsGetsNothingAfterEhlo) {
  Session run;
  // "STARTTLSX" and a mention in the text of a line are not the extension.
  run.c.replies = {"220 ready\r\n", "250-mail.example.com says STARTTLS\r\n250-STARTTLSX\r\n250 AUTH LOGIN\r\n",
                   "334 VXNlcm5hbWU6\r\n"};
  EXPECT_EQ(run.Dialogue(SecureRequest(SmtpSecurity::StartTls, true)), "SMTP server does not support STARTTLS.");
  EXPECT_EQ(run.c.events, (std::vector<std::string>{"plain: EHLO vantrel", "plain: closed"}));
}

TEST(SecureSmtp, ARefusedStartTlsEndsTheDialogueWithoutFallingBackToPlainText) {
  Session run;
  run.c.replies = {"220 ready\r\n", kEhloWithStartTls, "454 TLS not available now\r\n", "334 VXNlcm5hbWU6\r\n"};
  EXPECT_EQ(run.Dialogue(SecureRequest(SmtpSecurity::StartTls, true)), "SMTP server does not support STARTTLS.");
  EXPECT_EQ(run.c.events, (std::vector<std::string>{"plain: EHLO vantrel", "plain: STARTTLS", "plain: closed"}));
}

TEST(SecureSmtp, PlainTextThatFollowsTheGoAheadIsRefusedBeforeTheHandshake) {
  Session run;
  // A reply smuggled in with the 220 would otherwise be read as the first reply inside TLS.
  run.c.replies = {"220 ready\r\n", kEhloWithStartTls, "220 go ahead\r\n250-fake\r\n250 AUTH LOGIN\r\n"};
  EXPECT_EQ(run.Dialogue(SecureRequest(SmtpSecurity::StartTls, true)),
            "Failed to make a secure connection to the SMTP server.");
  EXPECT_EQ(run.c.events, (std::vector<std::string>{"plain: EHLO vantrel", "plain: STARTTLS", "plain: closed"}));
}

struct HandshakeCase {
  TlsResult result;
  const char* error;
};

class SecureSmtpHandshake : public ::testing::TestWithParam<HandshakeCase> {};

TEST_P(SecureSmtpHandshake, AFailedHandshakeOrCertificateCheckSendsNothingMore) {
  for (SmtpSecurity security : {SmtpSecurity::StartTls, SmtpSecurity::Tls}) {
    Session run;
    run.tls.result = GetParam().result;
    run.c.replies = {"220 ready\r\n", kEhloWithStartTls, "220 go ahead\r\n", "250 ok\r\n"};
    EXPECT_EQ(run.Dialogue(SecureRequest(security, true)), GetParam().error);
    std::vector<std::string> expected = {"handshake mail.example.com", "plain: closed"};
    if (security == SmtpSecurity::StartTls) expected.insert(expected.begin(), {"plain: EHLO vantrel", "plain: STARTTLS"});
    EXPECT_EQ(run.c.events, expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Results, SecureSmtpHandshake,
    ::testing::Values(HandshakeCase{TlsResult::Untrusted, "The SMTP server's certificate is not trusted."},
                      HandshakeCase{TlsResult::NameMismatch,
                                    "The SMTP server's certificate does not match the server name."},
                      HandshakeCase{TlsResult::Failed, "Failed to make a secure connection to the SMTP server."},
                      HandshakeCase{TlsResult::TimedOut, "Time out."}, HandshakeCase{TlsResult::Closed, "Time out."}));

TEST(SecureSmtp, SecurityOffIgnoresAnOfferedStartTlsAndKeepsThePlainDialogue) {
  Session run;
  run.c.replies = {"220 ready\r\n", kEhloWithStartTls, "334 VXNlcm5hbWU6\r\n", "334 UGFzc3dvcmQ6\r\n",
                   "235 ok\r\n",    "250 ok\r\n",      "250 ok\r\n",           "354 go\r\n",
                   "250 queued\r\n", "221 bye\r\n"};
  MailRequest r = SecureRequest(SmtpSecurity::None, true);
  r.port = 25;
  EXPECT_EQ(run.Dialogue(r), "");
  EXPECT_EQ(run.sockets.ports, std::vector<uint16_t>{25});
  EXPECT_EQ(run.c.events, (std::vector<std::string>{
                              "plain: EHLO vantrel", "plain: AUTH LOGIN", "plain: " + Base64("meter"),
                              "plain: " + Base64("s3cret"), "plain: MAIL FROM: <meter@example.com>",
                              "plain: RCPT TO: <ops@example.com>", "plain: DATA", "plain: [message]", "plain: QUIT",
                              "plain: closed"}));
}

TEST(SecureSmtp, TheRequestTakesPortAndSecurityFromTheSettings) {
  EmailSettings s;
  s.smtpServer = L"mail.example.com";
  s.mailFrom = L"meter@example.com";
  s.smtpPort = 2465;
  s.smtpSecurity = SmtpSecurity::Tls;
  auto r = MakeMailRequest(s, L"ops@example.com", L"Hi", MailReply{});
  EXPECT_EQ(r->port, 2465);
  EXPECT_EQ(r->security, SmtpSecurity::Tls);
  s.smtpPort = 70000;  // never stored by the programs; read back as 25
  EXPECT_EQ(MakeMailRequest(s, L"ops@example.com", L"Hi", MailReply{})->port, 25);
}

}  // namespace
}  // namespace vantrel
