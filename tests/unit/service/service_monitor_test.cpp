#include "service/core/service_monitor.h"

#include <gtest/gtest.h>

#include <system_error>

#include "platform/memory_settings_store.h"
#include "platform/socket.h"
#include "platform/text.h"
#include "service/core/report_jobs.h"
#include "settings/settings_keys.h"
#include "tests/support/fakes.h"

namespace vantrel {
namespace {

constexpr SettingsRoot kMachine = SettingsRoot::LocalMachine;

struct LinesLog : IServiceLog {
  std::mutex m;
  std::vector<std::string> lines;
  void Log(const std::string& text) override {
    std::lock_guard<std::mutex> l(m);
    lines.push_back(text);
  }
  int Count(const std::string& prefix) {
    std::lock_guard<std::mutex> l(m);
    int n = 0;
    for (auto& s : lines) n += s.rfind(prefix, 0) == 0;
    return n;
  }
};

class ServiceMonitorTest : public ::testing::Test {
 protected:
  ServiceMonitorTest()
      : m_clock(MakeLocalTime(2010, 3, 7, 10, 0, 0)), m_folders(m_dir.Path(), std::nullopt) {
    m_source.Add("{lan-adapter-0000}", 1, 6, L"LAN card");
  }

  void Enable(uint32_t notify = 1, uint32_t record = 0) {
    ServiceKeyValues v;
    v.enabled = 1;
    v.options[0] = 1;
    v.options[1] = notify;
    v.options[2] = record;
    WriteServiceKey(m_store, kMachine, v);
  }
  void AddJob(int32_t type, int32_t kind, const std::string& id, int32_t interval, const std::wstring& file) {
    ServiceReportJob j;
    j.type = type;
    j.kind = kind;
    j.id = id;
    j.interval = interval;
    j.path = m_dir.File(file);
    m_jobsToStore.push_back(j);
    WriteReportJobs(m_store, kMachine, m_jobsToStore);
  }
  std::unique_ptr<ServiceMonitor> Make() {
    ServiceDeps deps{m_store, m_source, m_clock, SystemFileSystem(), m_folders, m_log,
                     [this](std::function<void()> run) {
                       ++m_reportsStarted;
                       run();
                     },
                     [this](const EmailSettings&, const std::wstring& to, const EmailPlaceholders& v) {
                       m_mails.push_back(to + L" " + v.used);
                     }};
    return std::make_unique<ServiceMonitor>(deps);
  }
  void Tick(ServiceMonitor& m, int n = 1) {
    for (int i = 0; i < n; ++i) {
      m_clock.Advance(1);
      m.Tick();
    }
  }

  test::TempDir m_dir;
  MemorySettingsStore m_store;
  test::FakeAdapterSource m_source;
  test::FakeClock m_clock;
  FixedKnownFolders m_folders;
  LinesLog m_log;
  std::vector<ServiceReportJob> m_jobsToStore;
  int m_reportsStarted = 0;
  std::vector<std::wstring> m_mails;
};

TEST_F(ServiceMonitorTest, NotEnabledFailsWithItsMessageAndTouchesNothing) {
  auto m = Make();
  EXPECT_FALSE(m->StartUp());
  ASSERT_EQ(m_log.lines.size(), 1u);
  EXPECT_EQ(m_log.lines[0],
            "Service isn't enabled. You may enable service at \"Options\" -> \"Serice\" -> \"Enable Serice\"");
  EXPECT_FALSE(SystemFileSystem().Exists(m_dir.File(L"TrafficHistory.log")));
}

TEST_F(ServiceMonitorTest, StartsWithTheLogBesideTheProgramAndWritesItsRecordsAtShutdown) {
  Enable();
  auto m = Make();
  ASSERT_TRUE(m->StartUp());
  ASSERT_EQ(m_log.lines.size(), 1u);
  EXPECT_EQ(m_log.lines[0], "Traffic log file: " + WideToAnsi(m_dir.File(L"TrafficHistory.log")));
  m_source.Move(1, 5000, 700);
  Tick(*m, 2);
  m->ShutDown();
  std::string bytes = test::ReadFileBytes(m_dir.File(L"TrafficHistory.log"));
  EXPECT_EQ(bytes.size(), 24u + 3 * 296u);  // All, Dial-Up and the one adapter
  EXPECT_EQ(static_cast<uint8_t>(bytes[24 + 280]), 5000 % 256);  // All Connections' download
}

TEST_F(ServiceMonitorTest, ALogThatCannotBeCreatedFailsStartUp) {
  Enable();
  WriteTrafficLogFile(m_store, kMachine, m_dir.File(L"no-such-folder\\x\\TrafficHistory.log"));
  auto m = Make();
  EXPECT_FALSE(m->StartUp());
  EXPECT_EQ(m_log.lines.back(), "Failed to create traffic file");
}

TEST_F(ServiceMonitorTest, OutOfRangeStartDaysAreReadAsTheDefaults) {
  Enable();
  WriteDword(m_store, kMachine, keys::kOptions, L"WeekStartDay", 9);
  WriteDword(m_store, kMachine, keys::kOptions, L"MonthStartDay", 40);
  auto m = Make();
  ASSERT_TRUE(m->StartUp());
  EXPECT_EQ(m->options().weekStartDay, 0u);
  EXPECT_EQ(m->options().monthStartDay, 1u);
  WriteDword(m_store, kMachine, keys::kOptions, L"MonthStartDay", 0);
  auto m2 = Make();
  m->ShutDown();
  ASSERT_TRUE(m2->StartUp());
  EXPECT_EQ(m2->options().monthStartDay, 1u);
}

TEST_F(ServiceMonitorTest, SchedulerIntervalsAndReportKinds) {
  Enable();
  AddJob(kReportDaily, 100, "", 1, L"every.txt");
  AddJob(kReportMonthly, 100, "", 60, L"minute.csv");
  AddJob(7, 100, "", 0, L"summary.htm");
  AddJob(kReportWeekly, 300, "{NEVER-SEEN}", 1, L"never.txt");
  auto m = Make();
  ASSERT_TRUE(m->StartUp());
  EXPECT_EQ(m->jobs()[2].interval, 1);
  Tick(*m, 1);
  EXPECT_EQ(m_log.Count("Generate daily report"), 1);
  EXPECT_EQ(m_log.Count("Generate summary report"), 1);  // type 7 is a summary, interval 0 runs as 1
  Tick(*m, 58);
  EXPECT_EQ(m_log.Count("Generate daily report"), 59);
  EXPECT_EQ(m_log.Count("Generate monthly report"), 0);
  Tick(*m, 1);
  EXPECT_EQ(m_log.Count("Generate monthly report"), 1);
  EXPECT_FALSE(SystemFileSystem().Exists(m_dir.File(L"never.txt")));
  EXPECT_EQ(m_log.Count("Generate weekly"), 0);
  EXPECT_EQ(m_log.Count("Failed"), 0);
  std::string html = test::ReadFileBytes(m_dir.File(L"summary.htm"));
  EXPECT_EQ(html.rfind("<html>", 0), 0u);
  std::string csv = test::ReadFileBytes(m_dir.File(L"minute.csv"));
  EXPECT_EQ(csv.rfind("Monthly Traffic Report\r\n", 0), 0u);
  m->ShutDown();
}

TEST_F(ServiceMonitorTest, AReportThreadThatCannotStartIsLoggedAndMonitoringGoesOn) {
  Enable();
  AddJob(kReportDaily, 100, "", 1, L"every.txt");
  ServiceDeps deps{m_store, m_source, m_clock, SystemFileSystem(), m_folders, m_log,
                   [](std::function<void()>) {
                     throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
                   },
                   {}};
  ServiceMonitor m(deps);
  ASSERT_TRUE(m.StartUp());
  m_source.Move(1, 4000, 0);
  EXPECT_NO_THROW(Tick(m, 2));
  EXPECT_EQ(m_log.Count("Failed to start the daily report"), 2);
  m.ShutDown();
  std::string bytes = test::ReadFileBytes(m_dir.File(L"TrafficHistory.log"));
  ASSERT_EQ(bytes.size(), 24u + 3 * 296u);  // the final records were still written
  EXPECT_EQ(static_cast<uint8_t>(bytes[24 + 280]), 4000 % 256);
}

TEST_F(ServiceMonitorTest, AFailingAdapterTableStopsTheCountdowns) {
  Enable();
  AddJob(kReportDaily, 100, "", 2, L"r.txt");
  auto m = Make();
  ASSERT_TRUE(m->StartUp());
  m_source.SetTableFails(true);
  Tick(*m, 5);
  EXPECT_EQ(m_reportsStarted, 0);
  m_source.SetTableFails(false);
  Tick(*m, 2);
  EXPECT_EQ(m_reportsStarted, 1);
  m->ShutDown();
}

TEST_F(ServiceMonitorTest, NotificationIsOneShotPerRunAndEmailOnly) {
  Enable(1);
  NotificationRule rule;
  rule.kind = 100;
  rule.number = L"1";
  rule.unit = 1;  // 1 KB
  rule.direction = 0;
  rule.period = 0;
  rule.sendEmail = 1;
  rule.recipients = L"ops@example.com";
  auto blob = SerializeNotificationRule(rule);
  WriteBinary(m_store, kMachine, keys::kOptions, L"NotificationEx2U", blob.data(), blob.size());
  WriteDword(m_store, kMachine, keys::kOptions, L"NotificationEnabled", 1);
  auto m = Make();
  ASSERT_TRUE(m->StartUp());
  EXPECT_TRUE(m->notificationEnabled());
  m_source.Move(1, 1024, 0);
  Tick(*m);
  EXPECT_EQ(m_log.Count("Bandwidth usage exceeds limit."), 0);  // equal does not alert
  m_source.Move(1, 1, 0);
  Tick(*m);
  EXPECT_EQ(m_log.Count("Bandwidth usage exceeds limit."), 1);
  EXPECT_EQ(m_log.Count("Send a notification email to ops@example.com"), 1);
  ASSERT_EQ(m_mails.size(), 1u);
  EXPECT_EQ(m_mails[0], L"ops@example.com 1.0 KB");
  m_source.Move(1, 100000, 0);
  Tick(*m, 3);
  m_clock.Set(2010, 3, 8, 0, 0, 0);  // not even after midnight
  m->Tick();
  EXPECT_EQ(m_log.Count("Bandwidth usage exceeds limit."), 1);
  EXPECT_FALSE(m->notificationEnabled());
  m->ShutDown();
}

TEST_F(ServiceMonitorTest, NotificationOffInTheServiceOptionsIgnoresTheStoredSwitch) {
  Enable(0);
  WriteDword(m_store, kMachine, keys::kOptions, L"NotificationEnabled", 1);
  auto m = Make();
  ASSERT_TRUE(m->StartUp());
  EXPECT_FALSE(m->notificationEnabled());
  m->ShutDown();
}

TEST_F(ServiceMonitorTest, RecordsRatesOnlyWhenTheServiceIsSetToAndAbsentAdaptersToo) {
  Enable(0, 1);
  std::wstring key = std::wstring(keys::kAdaptersEx) + L"\\100-";
  WriteString(m_store, kMachine, key, L"AdapterID", L"");
  WriteDword(m_store, kMachine, key, L"RecordTrafficRates", 1);
  WriteDword(m_store, kMachine, key, L"RecordInterval", 0);
  WriteString(m_store, kMachine, key, L"RecordFile", m_dir.File(L"all.csv"));
  std::wstring gone = std::wstring(keys::kAdaptersEx) + L"\\300-{GONE}";
  WriteString(m_store, kMachine, gone, L"AdapterID", L"{GONE}");
  WriteDword(m_store, kMachine, gone, L"RecordTrafficRates", 1);
  WriteDword(m_store, kMachine, gone, L"RecordInterval", 2);
  WriteString(m_store, kMachine, gone, L"RecordFile", m_dir.File(L"gone.txt"));
  auto m = Make();
  ASSERT_TRUE(m->StartUp());
  EXPECT_EQ(m->list().All().recordInterval, 1u);
  m_source.Move(1, 10, 0);
  Tick(*m, 4);
  m->ShutDown();
  std::string all = test::ReadFileBytes(m_dir.File(L"all.csv"));
  EXPECT_NE(all.find("Date,Time,Download,Up,Both\r\n"), std::string::npos);
  size_t lines = 0;
  for (size_t p = all.find("03/07/2010,"); p != std::string::npos; p = all.find("03/07/2010,", p + 1)) ++lines;
  EXPECT_EQ(lines, 4u);  // one record a second
  std::string g = test::ReadFileBytes(m_dir.File(L"gone.txt"));
  EXPECT_NE(g.find("10:00:04"), std::string::npos);  // an absent adapter records its zero seconds

  Enable(0, 0);
  auto off = Make();
  SystemFileSystem().Remove(m_dir.File(L"all.csv"));
  ASSERT_TRUE(off->StartUp());
  EXPECT_FALSE(off->list().All().recordRates);
  Tick(*off, 2);
  off->ShutDown();
  EXPECT_FALSE(SystemFileSystem().Exists(m_dir.File(L"all.csv")));
}

// GET over loopback: the whole answer, read until the server closes (at most 8 seconds).
std::string HttpGet(uint16_t port, const std::string& path) {
  uint32_t loopback = 0;
  SystemSocketApi().Resolve("127.0.0.1", &loopback);
  std::unique_ptr<ITcpSocket> s = SystemSocketApi().Connect(loopback, port, 5000);
  if (!s) return std::string();
  std::string request = "GET " + path + " HTTP/1.1\r\n\r\n";
  size_t sent = 0;
  s->Send(request.data(), request.size(), 5000, &sent);
  std::string answer;
  char buf[4096];
  size_t got = 0;
  while (s->Receive(buf, sizeof buf, 8000, &got) == SocketResult::Ok) answer.append(buf, got);
  return answer;
}

TEST_F(ServiceMonitorTest, ServesEachSecondsFiguresAndCountsOnWhenThePortIsTaken) {
  // A port that is free now, and the rule of a kilobyte a week that fires on the traffic.
  ListenResult r;
  uint32_t loopback = 0;
  SystemSocketApi().Resolve("127.0.0.1", &loopback);
  uint16_t port = SystemSocketApi().Listen(loopback, 0, &r)->Port();
  Enable(1);
  WriteDword(m_store, kMachine, keys::kOptions, L"MetricsEnabled", 1);
  WriteDword(m_store, kMachine, keys::kOptions, L"MetricsPort", port);
  NotificationRule rule;
  rule.kind = 100;
  rule.number = L"1";
  rule.unit = 1;
  auto blob = SerializeNotificationRule(rule);
  WriteBinary(m_store, kMachine, keys::kOptions, L"NotificationEx2U", blob.data(), blob.size());
  WriteDword(m_store, kMachine, keys::kOptions, L"NotificationEnabled", 1);
  auto m = Make();
  ASSERT_TRUE(m->StartUp());
  ASSERT_TRUE(m->metrics().Serving());
  Tick(*m, 1);
  m_source.Move(1, 5000, 700);
  Tick(*m, 1);
  m_source.Move(1, 1000, 0);
  Tick(*m, 1);

  std::string answer = HttpGet(port, "/metrics");
  EXPECT_EQ(answer.rfind("HTTP/1.1 200 OK\r\nContent-Type: text/plain; version=0.0.4; charset=utf-8\r\n", 0), 0u)
      << answer;
  const std::string lan = R"({kind="adapter",adapter="LAN card",id="{LAN-ADAPTER-0000}"})";
  const std::string all = R"({kind="all",adapter="All Connections",id=""})";
  const std::string week = R"({kind="all",adapter="All Connections",id="",period="week"})";
  const std::string quota = R"({kind="all",adapter="All Connections",id="",direction="receive",period="week"})";
  for (const std::string& line :
       {"vantrel_receive_bytes_total" + lan + " 6000\n", "vantrel_transmit_bytes_total" + lan + " 700\n",
        "vantrel_receive_bytes_total" + all + " 6000\n", "vantrel_receive_bytes_per_second" + lan + " 1000\n",
        "vantrel_transmit_bytes_per_second" + all + " 0\n", "vantrel_today_receive_bytes" + all + " 6000\n",
        "vantrel_period_receive_bytes" + week + " 6000\n",
        std::string(R"(vantrel_build_info{version="3.6",build="437",program="service"} 1)") + "\n",
        "vantrel_quota_used_bytes" + quota + " 6000\n", "vantrel_quota_exceeded" + quota + " 1\n"})
    EXPECT_NE(answer.find("\n" + line), std::string::npos) << line << answer;
  EXPECT_EQ(m_log.Count("Bandwidth usage exceeds limit."), 1);

  // A second service finds the port taken: it says so and counts on without the endpoint.
  m->ShutDown();
  auto holder = SystemSocketApi().Listen(loopback, port, &r);
  ASSERT_TRUE(holder);
  auto second = Make();
  ASSERT_TRUE(second->StartUp());
  EXPECT_EQ(m_log.Count("Metrics: port " + std::to_string(port) + " is in use."), 1);
  EXPECT_FALSE(second->metrics().Serving());
  m_source.Move(1, 300, 0);
  Tick(*second, 2);
  EXPECT_EQ(second->list().All().todayDown, 6300u);
  second->ShutDown();
}

}  // namespace
}  // namespace vantrel
