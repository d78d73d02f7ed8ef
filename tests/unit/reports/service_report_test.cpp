#include "reports/service_report.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "tests/unit/reports/expected_reports.h"
#include "tests/unit/reports/report_fixtures.h"

namespace vantrel {
namespace {

class ServiceReportTest : public ::testing::Test {
 protected:
  ServiceReportTest() : m_log(test::WeeksWithGapLog()) {
    m_entry.kind = kKindAdapter;
    m_entry.id = "LAN1";
    m_entry.displayName = L"Local Area Connection";
    m_entry.todayDown = 2048;
    m_entry.todayUp = 512;
    m_clock.Set(2010, 3, 10, 8, 30, 0);
  }

  bool Write(ReportKind kind, const std::wstring& out, const std::wstring& logPath, uint32_t dateFormat = 17,
             int monthStart = 1, int lastDays = 30) {
    return WriteServiceReport(kind, m_entry, logPath, out, dateFormat, 0, monthStart, lastDays, true,
                              [this](const std::string& line) { m_lines.push_back(line); }, SystemFileSystem(),
                              m_clock);
  }

  test::TestLog m_log;
  test::TempDir m_out;
  AdapterEntry m_entry;
  test::FakeClock m_clock;
  std::vector<std::string> m_lines;
};

TEST_F(ServiceReportTest, WritesTheDailyReportNewestFirstAsTextForAnUnknownExtension) {
  std::wstring out = m_out.File(L"daily.rpt");
  EXPECT_TRUE(Write(ReportKind::Daily, out, m_log.path()));
  EXPECT_EQ(test::ReadFileBytes(out), test::kDailyWeeksText);
  ASSERT_EQ(m_lines.size(), 1u);
  EXPECT_EQ(m_lines[0], "Generate daily report (" + WideToAnsi(out) + ") for Local Area Connection successfully");
}

TEST_F(ServiceReportTest, PicksTheFormatByExtensionIgnoringCase) {
  std::wstring html = m_out.File(L"weekly.Htm");
  EXPECT_TRUE(Write(ReportKind::Weekly, html, m_log.path()));
  EXPECT_EQ(test::ReadFileBytes(html), test::kWeeklyWeeksHtml);
  std::wstring csv = m_out.File(L"weekly.CSV");
  EXPECT_TRUE(Write(ReportKind::Weekly, csv, m_log.path()));
  EXPECT_EQ(test::ReadFileBytes(csv), test::kWeeklyWeeksCsv);
  std::wstring none = m_out.File(L"weekly");
  EXPECT_TRUE(Write(ReportKind::Weekly, none, m_log.path()));
  EXPECT_EQ(test::ReadFileBytes(none), test::kWeeklyWeeksText);
  ASSERT_EQ(m_lines.size(), 3u);
  EXPECT_EQ(m_lines[1], "Generate weekly report (" + WideToAnsi(csv) + ") for Local Area Connection successfully");
}

TEST_F(ServiceReportTest, WritesMonthlyAndSummaryReportsWithTheirSettings) {
  test::TestLog log15(test::MonthStart15Log());
  m_clock.Set(2010, 3, 7, 23, 0, 0);
  std::wstring monthly = m_out.File(L"monthly.csv");
  EXPECT_TRUE(Write(ReportKind::Monthly, monthly, log15.path(), 68, 15));
  EXPECT_EQ(test::ReadFileBytes(monthly), test::kMonthly15Csv);
  std::wstring summary = m_out.File(L"summary.html");
  EXPECT_TRUE(Write(ReportKindFromJobType(7), summary, log15.path(), 17, 15, 10));
  EXPECT_EQ(test::ReadFileBytes(summary), test::kSummary10Html);
  ASSERT_EQ(m_lines.size(), 2u);
  EXPECT_EQ(m_lines[0], "Generate monthly report (" + WideToAnsi(monthly) + ") for Local Area Connection successfully");
  EXPECT_EQ(m_lines[1], "Generate summary report (" + WideToAnsi(summary) + ") for Local Area Connection successfully");
}

TEST_F(ServiceReportTest, AFileThatCannotBeCreatedIsLoggedAndSkipped) {
  std::wstring out = m_out.File(L"no-such-folder/daily.txt");
  EXPECT_FALSE(Write(ReportKind::Daily, out, m_log.path()));
  ASSERT_EQ(m_lines.size(), 1u);
  EXPECT_EQ(m_lines[0], "Failed to create file '" + WideToAnsi(out) + "'.");
}

TEST_F(ServiceReportTest, AMissingLogIsLoggedAndLeavesTheCreatedFileEmpty) {
  std::wstring out = m_out.File(L"daily.txt");
  test::WriteFileBytes(out, "an older report");
  std::wstring missing = m_out.File(L"gone.log");
  EXPECT_FALSE(Write(ReportKind::Daily, out, missing));
  ASSERT_EQ(m_lines.size(), 1u);
  EXPECT_EQ(m_lines[0], "Failed to open traffic log file (" + WideToAnsi(missing) + ").");
  EXPECT_TRUE(SystemFileSystem().Exists(out));
  EXPECT_EQ(test::ReadFileBytes(out), "");
}

TEST_F(ServiceReportTest, ReadsALogThatItsOwnerHoldsOpen) {
  std::unique_ptr<IFile> owner = SystemFileSystem().Open(m_log.path(), FileMode::Owner);
  ASSERT_TRUE(owner);
  std::wstring out = m_out.File(L"daily.txt");
  EXPECT_TRUE(Write(ReportKind::Daily, out, m_log.path()));
  EXPECT_EQ(test::ReadFileBytes(out), test::kDailyWeeksText);
}

}  // namespace
}  // namespace vantrel
