#include "notify/email_sender.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fake_smtp_server.h"
#include "smtp_test_support.h"

namespace vantrel {
namespace {

using test::FakeSmtpServer;
using test::OutcomeWaiter;
using test::QuickTimings;
using test::ServerScript;
using test::WillingHeloServer;

constexpr uint32_t kWaitMs = 10000;

EmailSettings LocalSettings(uint16_t port = 25) {
  EmailSettings s;
  s.smtpPort = port;
  s.smtpServer = L"127.0.0.1";
  s.mailFrom = L"meter@example.com";
  return s;
}

EmailPlaceholders AlertValues() {
  EmailPlaceholders v;
  v.threshold = L"10 GB";
  v.direction = L"downloaded and uploaded";
  v.adapter = L"LAN [192.168.1.2]";
  v.period = L"month (03/01/2010 -- 03/07/2010)";
  v.used = L"10.5 GB";
  return v;
}

MailReply ReplyTo(OutcomeWaiter& waiter, uintptr_t window = 0, bool required = false) {
  MailReply r;
  r.window = window;
  r.windowRequired = required;
  r.onResult = waiter.Callback();
  return r;
}

TEST(SendAlertEmail, DeliversTheExpandedMessageByteForByte) {
  FakeSmtpServer server(WillingHeloServer());
  OutcomeWaiter waiter;
  EmailSettings s = LocalSettings(server.Port());
  s.emlTempSubject = L"Usage on %a";
  ASSERT_TRUE(SendAlertEmail(s, L"ops@example.com", AlertValues(), ReplyTo(waiter), QuickTimings()));
  ASSERT_TRUE(waiter.Wait(kWaitMs));
  EXPECT_EQ(waiter.Error(), "");
  ASSERT_TRUE(server.WaitFinished(kWaitMs));
  const std::string message =
      "From: meter@example.com\r\nTo: ops@example.com\r\nSubject: Usage on LAN [192.168.1.2]\r\n\r\n"
      "Hi,\r\n\r\nMore than 10 GB have been downloaded and uploaded through LAN [192.168.1.2] in last "
      "month (03/01/2010 -- 03/07/2010).\r\n\r\nBytes downloaded and uploaded so far: 10.5 GB\r\n\r\n"
      "The email was sent by Vantrel.\r\n";
  EXPECT_EQ(server.Received(), "HELO vantrel\r\nMAIL FROM: <meter@example.com>\r\nRCPT TO: <ops@example.com>\r\n"
                               "DATA\r\n" + message + "\r\n.\r\nQUIT\r\n");
}

TEST(SendAlertEmail, SendsToTheValidAddressOnlyButShowsTheListAsTyped) {
  FakeSmtpServer server(WillingHeloServer());
  OutcomeWaiter waiter;
  const std::wstring typed = L"ops@example.com, nobody@invalid";
  ASSERT_TRUE(SendAlertEmail(LocalSettings(server.Port()), typed, AlertValues(), ReplyTo(waiter), QuickTimings()));
  ASSERT_TRUE(waiter.Wait(kWaitMs));
  EXPECT_EQ(waiter.Error(), "");
  EXPECT_EQ(waiter.Recipients(), "ops@example.com, nobody@invalid");
  ASSERT_TRUE(server.WaitFinished(kWaitMs));
  std::vector<std::string> lines = server.CommandLines();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("RCPT", 0) == 0; }),
            1);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "RCPT TO: <ops@example.com>"), lines.end());
  EXPECT_EQ(server.MessageData().rfind("From: meter@example.com\r\nTo: ops@example.com, nobody@invalid\r\n", 0), 0u);
}

TEST(SendAlertEmail, DotStuffsABodyLineOfASingleDot) {
  FakeSmtpServer server(WillingHeloServer());
  OutcomeWaiter waiter;
  EmailSettings s = LocalSettings(server.Port());
  s.emlTempSubject = L"S";
  s.emlTempBody = L"Used %f\r\n.\r\nstill the body\r\n";
  ASSERT_TRUE(SendAlertEmail(s, L"ops@example.com", AlertValues(), ReplyTo(waiter), QuickTimings()));
  ASSERT_TRUE(waiter.Wait(kWaitMs));
  EXPECT_EQ(waiter.Error(), "");
  ASSERT_TRUE(server.WaitFinished(kWaitMs));
  EXPECT_EQ(server.MessageData(),
            "From: meter@example.com\r\nTo: ops@example.com\r\nSubject: S\r\n\r\nUsed 10.5 GB\r\n..\r\nstill the body\r\n");
}

struct IncompleteCase {
  const char* name;
  void (*spoil)(EmailSettings*);
};

class SendAlertEmailIncomplete : public ::testing::TestWithParam<IncompleteCase> {};

TEST_P(SendAlertEmailIncomplete, DoesNothing) {
  EmailSettings s = LocalSettings();
  GetParam().spoil(&s);
  OutcomeWaiter waiter;
  EXPECT_FALSE(SendAlertEmail(s, L"ops@example.com", AlertValues(), ReplyTo(waiter), QuickTimings()));
  EXPECT_EQ(waiter.Calls(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, SendAlertEmailIncomplete,
                         ::testing::Values(IncompleteCase{"NoServer", [](EmailSettings* s) { s->smtpServer.clear(); }},
                                           IncompleteCase{"NoSender", [](EmailSettings* s) { s->mailFrom.clear(); }},
                                           IncompleteCase{"NoTemplates",
                                                          [](EmailSettings* s) {
                                                            s->emlTempSubject.clear();
                                                            s->emlTempBody.clear();
                                                          }},
                                           IncompleteCase{"AuthenticationWithoutAccount",
                                                          [](EmailSettings* s) { s->srvReqAuth = true; }}),
                         [](const ::testing::TestParamInfo<IncompleteCase>& info) { return std::string(info.param.name); });

TEST(SendAlertEmail, ReportsInvalidParametersWhenTheWindowIsMissing) {
  OutcomeWaiter waiter;
  ASSERT_TRUE(SendAlertEmail(LocalSettings(), L"ops@example.com", AlertValues(), ReplyTo(waiter, 0, true),
                             QuickTimings()));
  ASSERT_TRUE(waiter.Wait(kWaitMs));
  EXPECT_EQ(waiter.Error(), "Invalid parameters.");
}

TEST(SendAlertEmail, RefusesAnOverlongServerNameRatherThanCuttingIt) {
  OutcomeWaiter waiter;
  EmailSettings s = LocalSettings();
  s.smtpServer = std::wstring(64, L'm');
  ASSERT_TRUE(SendAlertEmail(s, L"ops@example.com", AlertValues(), ReplyTo(waiter), QuickTimings()));
  ASSERT_TRUE(waiter.Wait(kWaitMs));
  EXPECT_EQ(waiter.Error(), "Invalid parameters.");
}

TEST(MakeMailRequest, FillsAccountAndPasswordOnlyWithAuthentication) {
  EmailSettings s = LocalSettings();
  s.authName = L"meter";
  s.authPass = L"secret";
  OutcomeWaiter waiter;
  std::unique_ptr<MailRequest> off = MakeMailRequest(s, L"a@b.c", L"text", ReplyTo(waiter, 0x42, true));
  EXPECT_EQ(off->server, "127.0.0.1");
  EXPECT_EQ(off->sender, "meter@example.com");
  EXPECT_EQ(off->recipients, "a@b.c");
  EXPECT_EQ(off->authentication, 0);
  EXPECT_EQ(off->account, "");
  EXPECT_EQ(off->password, "");
  EXPECT_EQ(off->message, "text");
  EXPECT_EQ(off->replyWindow, 0x42u);
  EXPECT_TRUE(off->requireReplyWindow);
  s.srvReqAuth = true;
  std::unique_ptr<MailRequest> on = MakeMailRequest(s, L"a@b.c", L"text", ReplyTo(waiter));
  EXPECT_EQ(on->authentication, 1);
  EXPECT_EQ(on->account, "meter");
  EXPECT_EQ(on->password, "secret");
  EXPECT_EQ(on->replyWindow, 0u);
  EXPECT_FALSE(on->requireReplyWindow);
}

TEST(SendTestEmail, SendsTheSubjectUnexpandedAndTheBodyWithSamples) {
  FakeSmtpServer server(WillingHeloServer());
  OutcomeWaiter waiter;
  EmailSettings s = LocalSettings(server.Port());
  s.emlTempSubject = L"Usage in %p";
  s.emlTempBody = L"%b/%t/%a/%p/%f";
  ASSERT_TRUE(SendTestEmail(s, L"ops@example.com", ReplyTo(waiter, 0x99, true), QuickTimings()));
  ASSERT_TRUE(waiter.Wait(kWaitMs));
  EXPECT_EQ(waiter.Error(), "");
  ASSERT_TRUE(server.WaitFinished(kWaitMs));
  EXPECT_EQ(server.MessageData(),
            "From: meter@example.com\r\nTo: ops@example.com\r\nSubject: [Test Email] Usage in %p\r\n\r\n"
            "10 GB/downloaded/LAN [10.0.0.10]/week (03/02/2008 -- 03/08/2008)/11.2 GB");
}

}  // namespace
}  // namespace vantrel
