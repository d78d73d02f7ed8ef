// VantrelService.exe under the real service control manager: installed, started, counting
// the host's adapters into its traffic log, writing scheduled reports, stopped, removed.
// Every wait is bounded.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "engine/adapter_entry.h"
#include "platform/file.h"
#include "platform/text.h"
#include "platform/win32/ip_helper.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/service_control.h"
#include "service/core/report_jobs.h"
#include "settings/options.h"
#include "settings/settings_keys.h"
#include "tests/support/fakes.h"
#include "tests/e2e/service_helpers.h"
#include "tests/e2e/host_adapter.h"
#include "tests/unit/notify/fake_smtp_server.h"
#include "notify/email_settings.h"
#include "settings/notification_rule.h"
#include "trafficlog/log_format.h"

namespace vantrel {
namespace {

TEST_F(ServiceEndToEnd, TheCommandLineAcceptsOnlySlashInstallAndSlashUninstall) {
  for (const wchar_t* args : {L"install", L"-install", L"/install extra", L"/setup", L"/"}) {
    EXPECT_EQ(RunCommand(L"\"" + m_exe + L"\" " + args), "Invalid parameters.\n") << WideToAnsi(args);
  }
  EXPECT_EQ(RunCommand(L"\"" + m_exe + L"\" /InStAlL"), "Install service...success\n");
  EXPECT_EQ(BinaryPath(), L"\"" + m_exe + L"\"") << "the path must be quoted: it may hold spaces";
  EXPECT_EQ(RunCommand(L"\"" + m_exe + L"\" /INSTALL"), "Install service...failure\n");  // already there
  EXPECT_EQ(RunCommand(L"\"" + m_exe + L"\" /UNINSTALL"), "Uninstall service...success\n");
  EXPECT_EQ(RunCommand(L"\"" + m_exe + L"\" /uninstall"), "Uninstall service...failure\n");
}

TEST_F(ServiceEndToEnd, NotEnabledItStopsByItselfWithItsReason) {
  ServiceKeyValues key;  // ServiceEnabled 0
  WriteServiceKey(m_store, kMachine, key);
  ASSERT_EQ(RunCommand(L"\"" + m_exe + L"\" /install"), "Install service...success\n");
  RunCommand(L"net start VantrelService");
  EXPECT_TRUE(WaitFor([] { return ServiceState() == SERVICE_STOPPED; }, 30));
  EXPECT_TRUE(WaitFor([&] { return LogHas("stopped."); }, 10));
  ScmServiceState scm;
  EXPECT_EQ(scm.QueryServiceState(L"VantrelService"), kServiceStopped);
  EXPECT_FALSE(scm.StopServiceAndWait(L"VantrelService"));  // not running: the stop is refused
  std::string log = Log();
  EXPECT_NE(log.find("]: Service isn't enabled. You may enable service at \"Options\" -> \"Serice\" -> "
                     "\"Enable Serice\"\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("]: Err: 0x0101000\n"), std::string::npos);
  EXPECT_EQ(log.find("Service is running..."), std::string::npos);
}

TEST_F(ServiceEndToEnd, CountsLogsReportsAndWritesItsRecordsWhenStopped) {
  ServiceKeyValues key;
  key.enabled = 1;
  key.options[0] = 1;
  WriteServiceKey(m_store, kMachine, key);
  std::wstring logPath = m_dir.File(L"TrafficHistory.log");
  WriteTrafficLogFile(m_store, kMachine, logPath);
  std::vector<ServiceReportJob> jobs(3);
  jobs[0].type = kReportDaily;
  jobs[0].interval = 1;
  jobs[0].path = m_dir.File(L"daily.txt");
  jobs[1].type = kReportSummary;
  jobs[1].interval = 2;
  jobs[1].path = m_dir.File(L"summary.HTM");
  jobs[2].type = kReportWeekly;
  jobs[2].kind = 300;
  jobs[2].id = "{NEVER-SEEN-ADAPTER}";
  jobs[2].interval = 1;
  jobs[2].path = m_dir.File(L"never.csv");
  WriteReportJobs(m_store, kMachine, jobs);

  ASSERT_EQ(RunCommand(L"\"" + m_exe + L"\" /install"), "Install service...success\n");
  RunCommand(L"net start VantrelService");
  ASSERT_TRUE(WaitFor([] { return ServiceState() == SERVICE_RUNNING; }, 30));
  ASSERT_TRUE(WaitFor([&] { return LogHas("Generate summary report"); }, 30)) << Log();
  EXPECT_TRUE(LogHas("Generate daily report (" + WideToAnsi(jobs[0].path) + ") for All Connections successfully"));
  EXPECT_EQ(ReadText(jobs[0].path).rfind("IMPORTANT: This report is best viewed with a fixed width font.", 0), 0u);
  EXPECT_EQ(ReadText(jobs[1].path).rfind("<html><head><title>General Traffic Summary</title>", 0), 0u);
  EXPECT_FALSE(SystemFileSystem().Exists(jobs[2].path));

  // A second instance finds the service's stopped event and ends at once.
  RunCommand(L"\"" + m_exe + L"\"");
  EXPECT_TRUE(LogHas("]: Err: service is running.\n"));

  EXPECT_EQ(ScmServiceState().QueryServiceState(L"VantrelService"), kServiceRunning);
  RunCommand(L"net stop VantrelService");
  ASSERT_TRUE(WaitFor([] { return ServiceState() == SERVICE_STOPPED; }, 30));
  ASSERT_TRUE(WaitFor([&] { return LogHas("Vantrel Service stopped."); }, 10));

  // The log holds today's records for both pseudo-adapters and every adapter of the host.
  auto file = SystemFileSystem().Open(logPath, FileMode::Reader);
  ASSERT_TRUE(file);
  uint8_t header[kLogHeaderSize];
  ASSERT_EQ(ReadUpTo(*file, header, sizeof header), sizeof header);
  EXPECT_TRUE(IsValidLogHeader(header, sizeof header));
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::set<std::string> ids;
  std::set<uint32_t> kinds;
  LogRecordScanner scan(*file);
  TrafficLogRecord r;
  while (scan.Next(&r)) {
    if (r.year != now.wYear || r.month != now.wMonth || r.day != now.wDay) continue;
    kinds.insert(r.kind);
    if (r.kind == kKindAdapter) ids.insert(std::string(r.Id()));
  }
  EXPECT_TRUE(kinds.count(kKindAllConnections));
  EXPECT_TRUE(kinds.count(kKindDialUp));
  IpHelperSource live;
  ASSERT_TRUE(live.Load());
  std::vector<LiveAdapter> adapters;
  ASSERT_TRUE(live.GetAdapters(&adapters));
  for (const auto& a : adapters) EXPECT_TRUE(ids.count(AdapterIdentifier(a))) << a.name;

  // Lines of one run, in order.
  std::string log = Log();
  size_t up = log.find("]: Vantrel Service start up...\n");
  size_t path = log.find("]: Traffic log file: " + WideToAnsi(logPath) + "\n");
  size_t running = log.find("]: Service is running...\n");
  size_t stopped = log.rfind("]: Vantrel Service stopped.\n");
  EXPECT_LT(up, path);
  EXPECT_LT(path, running);
  EXPECT_LT(running, stopped);
  EXPECT_EQ(log.find("Failed"), std::string::npos);
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) {
      EXPECT_EQ(line[0], '[') << line;
    }
  }

  EXPECT_EQ(RunCommand(L"\"" + m_exe + L"\" /uninstall"), "Uninstall service...success\n");
  EXPECT_EQ(ScmServiceState().QueryServiceState(L"VantrelService"), kServiceNoAnswer);
}

// Run by with_veth.sh, which makes an adapter at VANTREL_E2E_NEAR whose peer answers at
// VANTREL_E2E_PEER: what the test sends there leaves through that adapter and only there.
TEST_F(ServiceEndToEnd, CountsTrafficThroughAHostAdapter) {
  const char* nearIp = std::getenv("VANTREL_E2E_NEAR");
  const char* peerIp = std::getenv("VANTREL_E2E_PEER");
  if (!nearIp || !peerIp) GTEST_SKIP() << "run through tests/e2e/with_veth.sh";
  std::string id = AdapterIdWithAddress(nearIp, 20000);
  ASSERT_FALSE(id.empty()) << "no adapter with address " << nearIp;

  ServiceKeyValues key;
  key.enabled = 1;
  key.options[0] = 1;
  WriteServiceKey(m_store, kMachine, key);
  std::wstring logPath = m_dir.File(L"TrafficHistory.log");
  WriteTrafficLogFile(m_store, kMachine, logPath);
  // Notification by e-mail once more than 100 KB went up through that adapter this week; the
  // mail goes to a recording server on 127.0.0.1, port 25.
  key.options[1] = 1;
  WriteServiceKey(m_store, kMachine, key);
  NotificationRule rule;
  rule.kind = 300;
  rule.id = id;
  rule.number = L"100";
  rule.unit = 1;
  rule.direction = 1;
  rule.period = 0;
  rule.sendEmail = 1;
  rule.recipients = L"ops@example.com, not-an-address";
  auto blob = SerializeNotificationRule(rule);
  WriteBinary(m_store, kMachine, keys::kOptions, L"NotificationEx2U", blob.data(), blob.size());
  WriteDword(m_store, kMachine, keys::kOptions, L"NotificationEnabled", 1);
  EmailSettings mail;
  mail.smtpServer = L"127.0.0.1";
  mail.mailFrom = L"meter@example.com";
  WriteEmailSettings(m_store, kMachine, mail);
  test::FakeSmtpServer smtp(test::ServerScript()
                                .Send("220 fake ready\r\n")
                                .Reply("250 hello\r\n")
                                .Reply("250 sender ok\r\n")
                                .Reply("250 recipient ok\r\n")
                                .Reply("354 go ahead\r\n")
                                .Data("250 queued\r\n")
                                .Reply("221 bye\r\n"),
                            25);
  ASSERT_TRUE(smtp.Listening()) << "port 25 on 127.0.0.1 is taken or needs root";

  ASSERT_EQ(RunCommand(L"\"" + m_exe + L"\" /install"), "Install service...success\n");
  RunCommand(L"net start VantrelService");
  ASSERT_TRUE(WaitFor([&] { return LogHas("Service is running..."); }, 30)) << Log();
  Sleep(2500);  // the service has taken its first sample of every adapter

  WSADATA wsa;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 0), &wsa), 0);
  SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  ASSERT_NE(s, INVALID_SOCKET);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(9);  // discard
  to.sin_addr.s_addr = inet_addr(peerIp);
  char payload[1000] = {};
  const int kDatagrams = 400;
  int sent = 0;
  for (int i = 0; i < kDatagrams; ++i) {
    if (sendto(s, payload, sizeof payload, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) == sizeof payload) ++sent;
    if (i % 50 == 49) Sleep(100);
  }
  closesocket(s);
  ASSERT_GT(sent, kDatagrams / 2);
  Sleep(2500);  // counted in the next ticks
  EXPECT_TRUE(WaitFor([&] { return LogHas("Successfully sent bandwidth usage notification email to"); }, 20)) << Log();
  EXPECT_TRUE(smtp.WaitFinished(10000));

  // Stopped the way the interactive program stops a service that holds the log.
  ASSERT_TRUE(ScmServiceState().StopServiceAndWait(L"VantrelService"));
  ASSERT_TRUE(WaitFor([&] { return LogHas("Vantrel Service stopped."); }, 10));

  auto file = SystemFileSystem().Open(logPath, FileMode::Reader);
  ASSERT_TRUE(file);
  uint64_t adapterUp = 0, allUp = 0;
  LogRecordScanner scan(*file);
  TrafficLogRecord r;
  while (scan.Next(&r)) {
    if (r.IsFor(kKindAdapter, id)) adapterUp = r.up;
    if (r.kind == kKindAllConnections) allUp = r.up;
  }
  // Every datagram carries 1000 bytes of payload plus its headers.
  EXPECT_GE(adapterUp, static_cast<uint64_t>(sent) * 1000) << id;
  EXPECT_GE(allUp, adapterUp);

  std::string log = Log();
  size_t exceeds = log.find("]: Bandwidth usage exceeds limit.\n");
  EXPECT_NE(exceeds, std::string::npos) << log;
  EXPECT_EQ(log.find("Bandwidth usage exceeds limit.", exceeds + 4), std::string::npos);  // once per run
  EXPECT_NE(log.find("]: Send a notification email to ops@example.com, not-an-address\n"), std::string::npos);
  EXPECT_NE(log.find("]: Successfully sent bandwidth usage notification email to ops@example.com, not-an-address.\n"),
            std::string::npos);
  std::vector<std::string> commands = smtp.CommandLines();
  ASSERT_GE(commands.size(), 4u);
  EXPECT_EQ(commands[0], "HELO vantrel");
  EXPECT_EQ(commands[1], "MAIL FROM: <meter@example.com>");
  EXPECT_EQ(commands[2], "RCPT TO: <ops@example.com>");  // the invalid address is skipped
  EXPECT_EQ(commands[3], "DATA");
  std::string message = smtp.MessageData();
  EXPECT_EQ(message.rfind("From: meter@example.com\r\nTo: ops@example.com, not-an-address\r\n"
                          "Subject: Bandwidth Usage Notification\r\n\r\nHi,\r\n\r\nMore than 100 KB have been "
                          "uploaded through ",
                          0),
            0u)
      << message;
}

}  // namespace
}  // namespace vantrel
