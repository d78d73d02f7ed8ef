#include "reports/report_export.h"

#include <gtest/gtest.h>

#include "reports/report_sort.h"
#include "tests/unit/reports/expected_reports.h"
#include "tests/unit/reports/report_fixtures.h"

namespace vantrel {
namespace {

using test::LanContext;
using test::TestLog;

const std::wstring kName = L"Local Area Connection";

// Writes the document through the file seam and reads the file back.
std::string Exported(ExportFormat format, const ReportDocument& doc) {
  test::TempDir dir;
  std::wstring path = dir.File(L"report.out");
  EXPECT_TRUE(ExportReportFile(SystemFileSystem(), path, format, doc));
  return test::ReadFileBytes(path);
}

ReportDocument TableDoc(ReportKind kind, const ReportContext& ctx) {
  return TableDocument(BuildReportTable(kind, ctx), kName, ctx.dateFormat, ctx.weekStart, ctx.monthStart);
}

ReportDocument SummaryDoc(IFile* log, int n) {
  ReportContext ctx = LanContext(log, 2010, 3, 7);
  ctx.monthStart = 15;
  ctx.lastDays = n;
  SummaryTotals totals = BuildSummary(ctx);
  return SummaryDocument(MakeSummaryCells(totals, ctx.live, n, true), totals.range, kName, ctx.dateFormat, n);
}

TEST(DailyExport, ATableOfOnlyTodaysRowInEachFormat) {
  TestLog log({});
  ReportDocument doc = TableDoc(ReportKind::Daily, LanContext(log.file(), 2010, 3, 7));
  EXPECT_EQ(Exported(ExportFormat::Text, doc), test::kDailyTodayText);
  EXPECT_EQ(Exported(ExportFormat::Csv, doc), test::kDailyTodayCsv);
  EXPECT_EQ(Exported(ExportFormat::Html, doc), test::kDailyTodayHtml);
}

TEST(DailyExport, SeveralWeeksWithAGapNewestFirst) {
  TestLog log(test::WeeksWithGapLog());
  ReportDocument doc = TableDoc(ReportKind::Daily, LanContext(log.file(), 2010, 3, 10));
  EXPECT_EQ(Exported(ExportFormat::Text, doc), test::kDailyWeeksText);
  EXPECT_EQ(Exported(ExportFormat::Csv, doc), test::kDailyWeeksCsv);
}

TEST(WeeklyExport, ATableOfOnlyTheCurrentWeek) {
  ReportDocument doc = TableDoc(ReportKind::Weekly, LanContext(nullptr, 2010, 3, 7));
  EXPECT_EQ(Exported(ExportFormat::Text, doc), test::kWeeklyTodayText);
}

TEST(WeeklyExport, SeveralWeeksWithAGapInEachFormat) {
  TestLog log(test::WeeksWithGapLog());
  ReportDocument doc = TableDoc(ReportKind::Weekly, LanContext(log.file(), 2010, 3, 10));
  EXPECT_EQ(Exported(ExportFormat::Text, doc), test::kWeeklyWeeksText);
  EXPECT_EQ(Exported(ExportFormat::Csv, doc), test::kWeeklyWeeksCsv);
  EXPECT_EQ(Exported(ExportFormat::Html, doc), test::kWeeklyWeeksHtml);
}

TEST(MonthlyExport, MonthStartFifteenInEachFormatWithTheCsvRangeOfTwoDashes) {
  TestLog log(test::MonthStart15Log());
  ReportContext ctx = LanContext(log.file(), 2010, 3, 7);
  ctx.monthStart = 15;
  ctx.dateFormat = 68;
  ReportDocument doc = TableDoc(ReportKind::Monthly, ctx);
  EXPECT_EQ(Exported(ExportFormat::Text, doc), test::kMonthly15Text);
  EXPECT_EQ(Exported(ExportFormat::Csv, doc), test::kMonthly15Csv);
  EXPECT_EQ(Exported(ExportFormat::Html, doc), test::kMonthly15Html);
}

TEST(SummaryExport, TenLastDaysInEachFormat) {
  TestLog log(test::MonthStart15Log());
  ReportDocument doc = SummaryDoc(log.file(), 10);
  EXPECT_EQ(Exported(ExportFormat::Text, doc), test::kSummary10Text);
  EXPECT_EQ(Exported(ExportFormat::Csv, doc), test::kSummary10Csv);
  EXPECT_EQ(Exported(ExportFormat::Html, doc), test::kSummary10Html);
}

TEST(SummaryExport, OneLastDayRepeatsToday) {
  TestLog log(test::MonthStart15Log());
  EXPECT_EQ(Exported(ExportFormat::Text, SummaryDoc(log.file(), 1)), test::kSummary1Text);
}

TEST(SummaryExport, ZeroLastDaysKeepsTheLabelWithEmptyCells) {
  TestLog log(test::MonthStart15Log());
  ReportDocument doc = SummaryDoc(log.file(), 0);
  EXPECT_EQ(Exported(ExportFormat::Text, doc), test::kSummary0Text);
  EXPECT_EQ(Exported(ExportFormat::Csv, doc), test::kSummary0Csv);
  std::string html = Exported(ExportFormat::Html, doc);
  EXPECT_NE(html.find("<td align=\"left\" width=\"130\" height=\"30\"><b>Last 0 Days:</b></td>\r\n"
                      "<td height=\"30\" width=\"140\"></td>\r\n"
                      "<td height=\"30\" width=\"140\"></td>\r\n"
                      "<td height=\"30\" width=\"140\"></td>\r\n"),
            std::string::npos);
}

TEST(InteractiveExport, WritesTheRowsInTheOrderTheListShowsThem) {
  TestLog log(test::WeeksWithGapLog());
  ReportContext ctx = LanContext(log.file(), 2010, 3, 10);
  ReportTable t = BuildDailyTable(ctx);
  SortReportRows(&t.rows, kColumnDown, kSortByteSize, false);
  std::string csv = Exported(ExportFormat::Csv, TableDocument(t, kName, 17, 0, 1));
  size_t mb = csv.find("02/16/2010,Tuesday,3.00 MB");
  size_t kb10 = csv.find("03/08/2010,Monday,10.0 KB");
  size_t kb1 = csv.find("01/04/2010,Monday,1.0 KB");
  ASSERT_NE(mb, std::string::npos);
  EXPECT_LT(mb, kb10);
  EXPECT_LT(kb10, kb1);
}

TEST(HtmlExport, EscapesMarkupInNamesAndCellsButTextAndCsvKeepThem) {
  ReportDocument doc;
  doc.kind = ReportKind::Daily;
  doc.adapterName = L"Tom & \"Jerry\" <LAN>";
  doc.rangeStart = L"03/07/2010";
  doc.rangeEnd = L"03/07/2010";
  doc.rows.push_back({L"<b>", L"a&b", L"1 B", L"2 B", L"3 B"});
  std::string html = RenderReport(ExportFormat::Html, doc);
  EXPECT_NE(html.find("<h3>Tom &amp; &quot;Jerry&quot; &lt;LAN&gt; [03/07/2010 --- 03/07/2010]</h3>"), std::string::npos);
  EXPECT_NE(html.find(">&lt;b&gt;</td>"), std::string::npos);
  EXPECT_NE(html.find(">a&amp;b</td>"), std::string::npos);
  EXPECT_EQ(html.find("<LAN>"), std::string::npos);
  EXPECT_EQ(html.find("<b>\r\n"), std::string::npos);

  std::string csv = RenderReport(ExportFormat::Csv, doc);
  EXPECT_NE(csv.find("Tom & \"Jerry\" <LAN> [03/07/2010 --- 03/07/2010]"), std::string::npos);
  EXPECT_NE(csv.find("<b>,a&b,1 B,2 B,3 B\r\n"), std::string::npos);
  std::string text = RenderReport(ExportFormat::Text, doc);
  EXPECT_NE(text.find("Tom & \"Jerry\" <LAN> ["), std::string::npos);
}

TEST(Export, WritesNamesAsEightBitText) {
  ReportDocument doc;
  doc.kind = ReportKind::Summary;
  doc.adapterName = L"R\u00e9seau";
  std::string csv = RenderReport(ExportFormat::Csv, doc);
  EXPECT_NE(csv.find("R\xe9seau ["), std::string::npos);
}

TEST(Export, WritesWhatItRendersThroughTheFile) {
  TestLog log(test::MonthStart15Log());
  ReportDocument doc = SummaryDoc(log.file(), 10);
  for (ExportFormat f : {ExportFormat::Text, ExportFormat::Csv, ExportFormat::Html}) {
    EXPECT_EQ(Exported(f, doc), RenderReport(f, doc));
  }
}

TEST(Export, ReportsAFileThatCannotBeCreated) {
  test::TempDir dir;
  ReportDocument doc;
  EXPECT_FALSE(ExportReportFile(SystemFileSystem(), dir.File(L"missing/folder/r.txt"), ExportFormat::Text, doc));
}

TEST(Export, ReplacesAnExistingFile) {
  test::TempDir dir;
  std::wstring path = dir.File(L"r.csv");
  test::WriteFileBytes(path, std::string(5000, 'x'));
  ReportDocument doc = TableDoc(ReportKind::Daily, LanContext(nullptr, 2010, 3, 7));
  ASSERT_TRUE(ExportReportFile(SystemFileSystem(), path, ExportFormat::Csv, doc));
  EXPECT_EQ(test::ReadFileBytes(path), test::kDailyTodayCsv);
}

struct ExtensionCase {
  const wchar_t* name;
  int filter;
  const wchar_t* saved;
};

class SaveDialogExtension : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(SaveDialogExtension, AppendsTheFiltersExtensionUnlessThere) {
  EXPECT_EQ(ApplyExportExtension(GetParam().name, GetParam().filter), GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SaveDialogExtension,
    ::testing::Values(ExtensionCase{L"C:\\r\\week.txt", 1, L"C:\\r\\week.txt"},
                      ExtensionCase{L"C:\\r\\week.TXT", 1, L"C:\\r\\week.TXT"},
                      ExtensionCase{L"C:\\r\\week.csv", 1, L"C:\\r\\week.csv.txt"},
                      ExtensionCase{L"C:\\r\\week", 2, L"C:\\r\\week.csv"},
                      ExtensionCase{L"C:\\r\\week.Csv", 2, L"C:\\r\\week.Csv"},
                      ExtensionCase{L"C:\\r\\week.HTML", 3, L"C:\\r\\week.HTML"},
                      ExtensionCase{L"C:\\r\\week.htm", 3, L"C:\\r\\week.htm"},
                      ExtensionCase{L"C:\\r\\week.txt", 3, L"C:\\r\\week.txt.htm"},
                      ExtensionCase{L"C:\\r.d\\week", 1, L"C:\\r.d\\week.txt"},
                      ExtensionCase{L"week.txt", 1, L"week.txt.txt"}));  // no backslash: no extension

TEST(SaveDialog, FiltersChooseTheFormatAndTheTitleNamesTheReport) {
  EXPECT_EQ(ExportFormatOfFilter(1), ExportFormat::Text);
  EXPECT_EQ(ExportFormatOfFilter(2), ExportFormat::Csv);
  EXPECT_EQ(ExportFormatOfFilter(3), ExportFormat::Html);
  EXPECT_EQ(ExportDialogTitle(ReportKind::Daily), L"Export Daily Report");
  EXPECT_EQ(ExportDialogTitle(ReportKind::Weekly), L"Export Weekly Report");
  EXPECT_EQ(ExportDialogTitle(ReportKind::Monthly), L"Export Monthly Report");
  EXPECT_EQ(ExportDialogTitle(ReportKind::Summary), L"Export General Summary");
  std::wstring filter(kExportFilter, kExportFilterChars);
  EXPECT_EQ(filter, std::wstring(L"Text File (*.txt)\0*.txt\0Microsoft Excel (*.csv)\0*.csv\0"
                                 L"Web Page (*.htm;*.html)\0*.htm;*.html\0\0",
                                 kExportFilterChars));
}

struct PathFormatCase {
  const wchar_t* path;
  ExportFormat format;
};

class ServiceFormat : public ::testing::TestWithParam<PathFormatCase> {};

TEST_P(ServiceFormat, FollowsTheExtensionIgnoringCase) {
  EXPECT_EQ(ExportFormatForPath(GetParam().path), GetParam().format);
}

INSTANTIATE_TEST_SUITE_P(Paths, ServiceFormat,
                         ::testing::Values(PathFormatCase{L"C:\\r\\daily.Htm", ExportFormat::Html},
                                           PathFormatCase{L"C:\\r\\daily.HTML", ExportFormat::Html},
                                           PathFormatCase{L"C:\\r\\daily.CSV", ExportFormat::Csv},
                                           PathFormatCase{L"C:\\r\\daily.rpt", ExportFormat::Text},
                                           PathFormatCase{L"C:\\r\\daily", ExportFormat::Text},
                                           PathFormatCase{L"C:\\r.csv\\daily", ExportFormat::Text}));

TEST(ExportMessages, NameTheReportAndTheFile) {
  EXPECT_EQ(ExportSuccessQuestion(ReportKind::Daily, L"C:\\a.txt"),
            L"Successfully export daily traffic report to file 'C:\\a.txt'.\n\nDo you want to open it now?");
  EXPECT_EQ(ExportSuccessQuestion(ReportKind::Weekly, L"w"),
            L"Successfully export weekly traffic report to file 'w'.\n\nDo you want to open it now?");
  EXPECT_EQ(ExportSuccessQuestion(ReportKind::Monthly, L"m"),
            L"Successfully export monthly traffic report to file 'm'.\n\nDo you want to open it now?");
  EXPECT_EQ(ExportSuccessQuestion(ReportKind::Summary, L"s"),
            L"Successfully export general traffic summary to file 's'.\n\nDo you want to open it now?");
  EXPECT_EQ(CreateFileFailedMessage(L"C:\\x.htm"), L"Failed to create file 'C:\\x.htm'.");
  EXPECT_STREQ(ReportTitle(ReportKind::Summary), "General Traffic Summary");
}

}  // namespace
}  // namespace vantrel
