#include "service/core/report_jobs.h"

#include <gtest/gtest.h>

#include "platform/memory_settings_store.h"
#include "service/core/service_log.h"
#include "settings/settings_keys.h"
#include "tests/support/fakes.h"

namespace vantrel {
namespace {

TEST(ReportJob, HasTheStoredLayout) {
  ServiceReportJob job;
  job.type = kReportWeekly;
  job.kind = 300;
  job.id = "{ETH}";
  job.interval = 3600;
  job.secondsLeft = 99;
  job.path = L"C:\\r.htm";
  auto b = SerializeReportJob(job);
  ASSERT_EQ(b.size(), kReportJobSize);
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ(b[4], 0x2C);
  EXPECT_EQ(b[8], '{');
  EXPECT_EQ(b[268], 0x10);
  EXPECT_EQ(b[269], 0x0E);
  EXPECT_EQ(b[272], 0);  // the countdown is stored as 0
  EXPECT_EQ(b[276], 'C');
  EXPECT_EQ(b[277], 0);
  ServiceReportJob back = ParseReportJob(b.data(), b.size());
  EXPECT_EQ(back.id, "{ETH}");
  EXPECT_EQ(back.path, L"C:\\r.htm");
  EXPECT_EQ(back.secondsLeft, 3600);
}

TEST(ReportJob, IntervalsBelowOneRunAsOne) {
  for (int32_t interval : {0, -1, -100000}) {
    ServiceReportJob job;
    job.interval = interval;
    auto b = SerializeReportJob(job);
    ServiceReportJob back = ParseReportJob(b.data(), b.size());
    EXPECT_EQ(back.interval, 1);
    EXPECT_EQ(back.secondsLeft, 1);
  }
}

TEST(ReportJob, ShortDataIsZeroFilledAndAnUnterminatedIdentifierIsCut) {
  std::vector<uint8_t> b(kReportJobSize, 'A');
  ServiceReportJob job = ParseReportJob(b.data(), 10);
  EXPECT_EQ(job.id.size(), 2u);  // the two 'A's that arrived
  EXPECT_EQ(job.interval, 1);
  job = ParseReportJob(b.data(), b.size());
  EXPECT_EQ(job.id.size(), 259u);
  EXPECT_EQ(job.path.size(), 259u);
}

TEST(ReportJobs, AreReadInEnumerationOrderSkippingOversizedValues) {
  MemorySettingsStore store;
  const auto root = SettingsRoot::LocalMachine;
  EXPECT_TRUE(ReadReportJobs(store, root).empty());
  std::vector<ServiceReportJob> jobs(3);
  jobs[0].type = kReportDaily;
  jobs[1].type = 7;
  jobs[2].interval = 60;
  WriteReportJobs(store, root, jobs);
  std::vector<uint8_t> big(kReportJobSize + 1, 0);
  WriteBinary(store, root, keys::kServiceReports, L"Junk", big.data(), big.size());
  auto back = ReadReportJobs(store, root);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[0].type, kReportDaily);
  EXPECT_EQ(back[1].type, 7);
  EXPECT_EQ(back[2].interval, 60);
  WriteReportJobs(store, root, {jobs[0]});
  EXPECT_EQ(ReadReportJobs(store, root).size(), 1u);
}

TEST(ReportScheduler, IntervalOneIsDueEveryTickAndSixtyFirstOnTheSixtiethTick) {
  std::vector<ServiceReportJob> jobs(2);
  jobs[0].interval = jobs[0].secondsLeft = 1;
  jobs[1].interval = jobs[1].secondsLeft = 60;
  std::vector<int> dueTicks0, dueTicks1;
  for (int tick = 1; tick <= 130; ++tick) {
    for (size_t i : AdvanceReportJobs(&jobs)) (i == 0 ? dueTicks0 : dueTicks1).push_back(tick);
  }
  EXPECT_EQ(dueTicks0.size(), 130u);
  EXPECT_EQ(dueTicks1, (std::vector<int>{60, 120}));
}

TEST(ServiceLog, LinesCarryTheCtimeStamp) {
  LocalTime t = MakeLocalTime(2010, 3, 18, 14, 5, 9);
  EXPECT_EQ(CtimeText(t), "Thu Mar 18 14:05:09 2010");
  EXPECT_EQ(CtimeText(MakeLocalTime(2010, 3, 7, 1, 2, 3)), "Sun Mar  7 01:02:03 2010");
  EXPECT_EQ(FormatServiceLogLine(t, "Service is running..."), "[Thu Mar 18 14:05:09 2010]: Service is running...\n");
  EXPECT_EQ(FormatServiceLogLine(t, std::string(5000, 'x')).size(), std::string("[Thu Mar 18 14:05:09 2010]: ").size() + 1024);
}

TEST(ServiceLog, AHostileReplyCannotEndAnEntryEarlyOrStartAFalseOne) {
  test::TempDir dir;
  test::FakeClock clock(MakeLocalTime(2010, 3, 18, 14, 5, 9));
  {
    ServiceLogFile log(clock);
    ASSERT_TRUE(log.Open(dir.File(L"vantrelservice.log")));
    const char reply[] = "Error: 550 a\0b\r\n[Thu Jan  1 00:00:00 1970]: forged\x1b[2J\r\n";
    log.Log(std::string(reply, sizeof reply - 1));
    log.Log("Service is running...");
  }
  std::string bytes = test::ReadFileBytes(dir.File(L"vantrelservice.log"));
  std::string text;
  for (char c : bytes)
    if (c != '\r') text += c;  // the file is written in text mode on Windows
  EXPECT_EQ(text,
            "[Thu Mar 18 14:05:09 2010]: Error: 550 a\\x00b\\x0D\\x0A[Thu Jan  1 00:00:00 1970]: forged\\x1B[2J\n"
            "[Thu Mar 18 14:05:09 2010]: Service is running...\n");
}

}  // namespace
}  // namespace vantrel
