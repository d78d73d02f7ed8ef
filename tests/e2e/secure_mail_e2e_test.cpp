// Notification mail over the system's TLS under Wine, against independent TLS SMTP servers on
// 127.0.0.1 (tls_smtp_server.py, started by secure_mail_e2e.sh with a CA of the test's own):
// STARTTLS with AUTH LOGIN, TLS from the first byte, a server without STARTTLS, certificates
// from an untrusted CA and for another name, and one real service run sending its alert
// through STARTTLS. Every wait is bounded.
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "engine/adapter_entry.h"
#include "notify/email_message.h"
#include "notify/email_settings.h"
#include "notify/smtp_client.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "platform/win32/registry_store.h"
#include "settings/notification_rule.h"
#include "settings/options.h"
#include "settings/settings_keys.h"
#include "tests/e2e/service_helpers.h"
#include "tests/support/fakes.h"
#include "trafficlog/log_format.h"

namespace vantrel {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::wstring TlsFile(const std::string& name) { return WinePathOf(Env("VANTREL_TLS_DIR") + "/" + name); }

uint16_t PortOf(const char* kind) {
  return static_cast<uint16_t>(std::atoi(Env((std::string("VANTREL_TLS_PORT_") + kind).c_str()).c_str()));
}

// What one server recorded of its latest connection, line by line.
std::vector<std::string> Record(const std::string& kind) {
  std::istringstream in(test::ReadFileBytes(TlsFile(kind + ".log")));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Waits for the server to finish the connection and returns its record.
std::vector<std::string> FinishedRecord(const std::string& kind) {
  WaitFor([&] {
    auto r = Record(kind);
    return !r.empty() && r.back() == "end";
  }, 30);
  return Record(kind);
}

bool AnyLineHas(const std::vector<std::string>& lines, const std::string& text) {
  for (const auto& l : lines)
    if (l.find(text) != std::string::npos) return true;
  return false;
}

std::string Base64(const std::string& s) {
  std::string out;
  Base64EncodeLines(s.data(), s.size(), &out);
  return out;
}

// The test CA in the machine's root store: under Wine both chain engines and the service see
// it there (a CA in the current user's store is trusted by that user's engine only).
class TrustedTestCa : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string pem = test::ReadFileBytes(TlsFile("ca.pem"));
    DWORD size = 0;
    ASSERT_TRUE(CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr))
        << "no test CA; run through secure_mail_e2e.sh";
    m_der.resize(size);
    ASSERT_TRUE(CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, m_der.data(), &size, nullptr, nullptr));
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, m_der.data(), size,
                                                 CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    CertCloseStore(root, 0);
  }
  void TearDown() override {
    if (m_der.empty()) return;
    // Removal through the system provider is not saved under Wine; the registry provider is.
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    if (!root) return;
    PCCERT_CONTEXT ca = CertCreateCertificateContext(X509_ASN_ENCODING, m_der.data(), static_cast<DWORD>(m_der.size()));
    if (ca) {
      if (PCCERT_CONTEXT found = CertFindCertificateInStore(root, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, ca, nullptr))
        CertDeleteCertificateFromStore(found);
      CertFreeCertificateContext(ca);
    }
    CertCloseStore(root, 0);
  }

 private:
  std::vector<BYTE> m_der;
};

SmtpTimings QuickTimings() {
  SmtpTimings t;
  t.connectTimeoutMs = 10000;
  t.connectPauseMs = 100;
  t.commandTimeoutMs = 20000;
  t.replyTimeoutMs = 20000;
  t.endTimeoutMs = 20000;
  return t;
}

MailRequest Request(const char* kind, SmtpSecurity security, bool auth) {
  MailRequest r;
  r.server = "localhost";
  r.port = PortOf(kind);
  r.security = security;
  r.sender = "meter@example.com";
  r.recipients = "ops@example.com";
  if (auth) {
    r.authentication = 1;
    r.account = "meter";
    r.password = "s3cret";
  }
  // Longer than one TLS record, so that it goes out in several.
  r.message = "From: meter@example.com\r\nTo: ops@example.com\r\nSubject: Usage\r\n\r\n";
  for (int i = 0; i < 600; ++i) r.message += "Line " + std::to_string(i) + " of the body, some text to fill it up.\r\n";
  return r;
}

// Sends one request and returns the outcome; the server's record of it starts afresh.
std::string Send(const char* kind, const MailRequest& r) {
  DeleteFileW(TlsFile(std::string(kind) + ".log").c_str());
  return RunSmtpDialogue(r, QuickTimings());
}

TEST(SecureMail, StartTlsCarriesAuthenticationAndTheMessageInsideTls) {
  MailRequest r = Request("STARTTLS", SmtpSecurity::StartTls, true);
  ASSERT_NE(r.port, 0);
  EXPECT_EQ(Send("starttls", r), "");
  EXPECT_EQ(FinishedRecord("starttls"),
            (std::vector<std::string>{"plain EHLO vantrel", "plain STARTTLS", "tls EHLO vantrel", "tls AUTH LOGIN",
                                      "tls " + Base64("meter"), "tls " + Base64("s3cret"),
                                      "tls MAIL FROM: <meter@example.com>", "tls RCPT TO: <ops@example.com>",
                                      "tls DATA", "tls [message]", "tls QUIT", "close_notify", "end"}));
  EXPECT_EQ(test::ReadFileBytes(TlsFile("starttls.msg")), r.message);
}

TEST(SecureMail, TlsFromTheFirstByteOnAnotherPort) {
  MailRequest r = Request("TLS", SmtpSecurity::Tls, false);
  EXPECT_EQ(Send("tls", r), "");
  EXPECT_EQ(FinishedRecord("tls"),
            (std::vector<std::string>{"tls EHLO vantrel", "tls MAIL FROM: <meter@example.com>",
                                      "tls RCPT TO: <ops@example.com>", "tls DATA", "tls [message]", "tls QUIT",
                                      "close_notify", "end"}));
  EXPECT_EQ(test::ReadFileBytes(TlsFile("tls.msg")), r.message);
}

TEST(SecureMail, AServerThatAsksForAClientCertificateGetsTheMailWithoutOne) {
  MailRequest r = Request("CLIENTCERT", SmtpSecurity::Tls, true);
  ASSERT_NE(r.port, 0);
  EXPECT_EQ(Send("clientcert", r), "");
  std::vector<std::string> record = FinishedRecord("clientcert");
  EXPECT_TRUE(AnyLineHas(record, "tls [message]")) << record.size();
  EXPECT_EQ(test::ReadFileBytes(TlsFile("clientcert.msg")), r.message);
}

TEST(SecureMail, AServerWithoutStartTlsGetsNothingAfterEhlo) {
  EXPECT_EQ(Send("nostarttls", Request("NOSTARTTLS", SmtpSecurity::StartTls, true)),
            "SMTP server does not support STARTTLS.");
  EXPECT_EQ(FinishedRecord("nostarttls"), (std::vector<std::string>{"plain EHLO vantrel", "end"}));
}

TEST(SecureMail, CertificatesFromAnUntrustedCaOrForAnotherNameAreRefused) {
  EXPECT_EQ(Send("untrusted", Request("UNTRUSTED", SmtpSecurity::StartTls, true)),
            "The SMTP server's certificate is not trusted.");
  std::vector<std::string> untrusted = FinishedRecord("untrusted");
  EXPECT_EQ(std::vector<std::string>(untrusted.begin(), untrusted.begin() + std::min<size_t>(2, untrusted.size())),
            (std::vector<std::string>{"plain EHLO vantrel", "plain STARTTLS"}));
  EXPECT_FALSE(AnyLineHas(untrusted, "tls ")) << untrusted.size();
  EXPECT_FALSE(AnyLineHas(untrusted, "AUTH"));

  EXPECT_EQ(Send("wrongname", Request("WRONGNAME", SmtpSecurity::Tls, true)),
            "The SMTP server's certificate does not match the server name.");
  std::vector<std::string> wrong = FinishedRecord("wrongname");
  EXPECT_FALSE(AnyLineHas(wrong, "tls "));
  EXPECT_FALSE(AnyLineHas(wrong, "AUTH"));
  EXPECT_EQ(wrong.back(), "end");
}

// --- one real service run ---------------------------------------------------------------

// A traffic log whose today already holds more than the alert's threshold.
std::string LogOverTheThreshold() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::string bytes(kLogHeaderSize, '\0');
  WriteLogHeader(reinterpret_cast<uint8_t*>(bytes.data()));
  TrafficLogRecord r;
  r.year = now.wYear;
  r.month = now.wMonth;
  r.day = now.wDay;
  r.dayOfWeek = static_cast<uint16_t>(DayOfWeek(now.wYear, now.wMonth, now.wDay));
  r.kind = kKindAllConnections;
  r.SetId("");
  r.down = 1000;
  r.up = 50000000;
  uint8_t b[kLogRecordSize];
  SerializeLogRecord(r, b);
  bytes.append(reinterpret_cast<const char*>(b), sizeof b);
  return bytes;
}

// The service on a copy of its own, the machine-wide settings emptied before and after.
using SecureMailService = ServiceEndToEnd;

TEST_F(SecureMailService, SendsItsAlertThroughStartTls) {
  test::TempDir& dir = m_dir;
  RegistryStore& store = m_store;
  const std::wstring& exe = m_exe;

  ServiceKeyValues key;
  key.enabled = 1;
  key.options[0] = 1;
  key.options[1] = 1;
  WriteServiceKey(store, kMachine, key);
  std::wstring logPath = dir.File(L"TrafficHistory.log");
  ASSERT_TRUE(test::WriteFileBytes(logPath, LogOverTheThreshold()));
  WriteTrafficLogFile(store, kMachine, logPath);
  NotificationRule rule;
  rule.kind = kKindAllConnections;
  rule.number = L"100";
  rule.unit = 1;  // KB
  rule.direction = 1;
  rule.period = 0;
  rule.sendEmail = 1;
  rule.recipients = L"ops@example.com";
  auto blob = SerializeNotificationRule(rule);
  WriteBinary(store, kMachine, keys::kOptions, L"NotificationEx2U", blob.data(), blob.size());
  WriteDword(store, kMachine, keys::kOptions, L"NotificationEnabled", 1);
  EmailSettings mail;
  mail.smtpServer = L"localhost";
  mail.mailFrom = L"meter@example.com";
  mail.srvReqAuth = true;
  mail.authName = L"service";
  mail.authPass = L"pa55";
  mail.smtpPort = PortOf("STARTTLS");
  mail.smtpSecurity = SmtpSecurity::StartTls;
  WriteEmailSettings(store, kMachine, mail);
  DeleteFileW(TlsFile("starttls.log").c_str());

  auto serviceLog = [&] { return test::ReadFileBytes(dir.File(L"vantrelservice.log")); };
  ASSERT_EQ(RunCommand(L"\"" + exe + L"\" /install").rfind("Install service...success", 0), 0u);
  RunCommand(L"net start VantrelService");
  bool sent = WaitFor([&] { return serviceLog().find("notification email to ops@example.com.") != std::string::npos; }, 60);
  std::vector<std::string> record = FinishedRecord("starttls");

  RunCommand(L"net stop VantrelService");
  WaitFor([] { return ServiceState() == SERVICE_STOPPED || ServiceState() == 0; }, 30);

  ASSERT_TRUE(sent) << serviceLog();
  EXPECT_NE(serviceLog().find("]: Successfully sent bandwidth usage notification email to ops@example.com."),
            std::string::npos)
      << serviceLog();
  ASSERT_GE(record.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(record.begin(), record.begin() + 6),
            (std::vector<std::string>{"plain EHLO vantrel", "plain STARTTLS", "tls EHLO vantrel", "tls AUTH LOGIN",
                                      "tls " + Base64("service"), "tls " + Base64("pa55")}));
  EXPECT_NE(test::ReadFileBytes(TlsFile("starttls.msg")).find("More than 100 KB have been uploaded through All Connections"),
            std::string::npos);
}

}  // namespace
}  // namespace vantrel

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new vantrel::TrustedTestCa);
  return RUN_ALL_TESTS();
}
