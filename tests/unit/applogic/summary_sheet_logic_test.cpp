#include "app/logic/summary_sheet_logic.h"

#include <gtest/gtest.h>

#include "tests/support/fakes.h"

namespace vantrel {
namespace {

const ReportAdapter kAll{kKindAllConnections, ""};
const ReportAdapter kDialUp{kKindDialUp, ""};
const ReportAdapter kLan{kKindAdapter, "{LAN-ONE-ADAPTER}"};
const ReportAdapter kWifi{kKindAdapter, "{WIFI-ADAPTER-2}"};

TEST(ReportAdapterDropDown, SelectsTheLastChosenAdapterOrFallsBackToAllConnections) {
  const std::vector<ReportAdapter> items{kAll, kDialUp, kLan, kWifi};
  AdapterSelection wifi = SelectReportAdapter(items, kWifi);
  EXPECT_EQ(wifi.index, 3);
  EXPECT_FALSE(wifi.reset);

  // Pseudo-adapters match by kind alone, whatever identifier was kept with them.
  AdapterSelection dialUp = SelectReportAdapter(items, ReportAdapter{kKindDialUp, "LEFTOVER"});
  EXPECT_EQ(dialUp.index, 1);
  EXPECT_FALSE(dialUp.reset);

  // Real adapters match by their exact identifier: an adapter that is gone (or differs only in
  // case) selects the first item and the sheet's adapter becomes All Connections.
  for (const ReportAdapter& gone : {ReportAdapter{kKindAdapter, "{lan-one-adapter}"}, ReportAdapter{kKindAdapter, "GONE"}}) {
    AdapterSelection s = SelectReportAdapter(items, gone);
    EXPECT_EQ(s.index, 0);
    EXPECT_TRUE(s.reset);
    EXPECT_EQ(s.adapter.kind, kKindAllConnections);
    EXPECT_TRUE(s.adapter.id.empty());
  }
  EXPECT_EQ(SelectReportAdapter({}, kLan).index, -1);
}

// The pages of one sheet, as the window drives them: a page is made when first brought to the
// front, and only the page in front hears of an adapter change.
TEST(ReportPageTracker, OnlyThePageInFrontRebuildsAndTheOthersCatchUpOnceWhenShown) {
  ReportPageTracker daily, monthly;
  ReportAdapter sheet = kAll;
  EXPECT_EQ(daily.Created(sheet), PageWork::Build);
  EXPECT_EQ(daily.Shown(sheet), PageWork::Refresh);
  EXPECT_EQ(monthly.Created(sheet), PageWork::Build);
  EXPECT_EQ(monthly.Shown(sheet), PageWork::Refresh);

  // Another adapter while the monthly page is in front: it alone rebuilds.
  sheet = kLan;
  EXPECT_EQ(monthly.AdapterChosen(sheet), PageWork::Rebuild);
  EXPECT_EQ(monthly.AdapterChosen(sheet), PageWork::None);
  // The daily page rebuilds once when next shown; after that both only refresh.
  EXPECT_EQ(daily.Shown(sheet), PageWork::Rebuild);
  EXPECT_EQ(monthly.Shown(sheet), PageWork::Refresh);
  EXPECT_EQ(daily.Shown(sheet), PageWork::Refresh);
  EXPECT_EQ(daily.BuiltFor().id, kLan.id);

  // Back to a pseudo-adapter, whose identifier never matters.
  sheet = ReportAdapter{kKindAllConnections, "IGNORED"};
  EXPECT_EQ(daily.AdapterChosen(sheet), PageWork::Rebuild);
  EXPECT_EQ(daily.Shown(kAll), PageWork::Refresh);

  // A page whose window is gone builds afresh with its next window.
  daily.Destroyed();
  EXPECT_EQ(daily.Shown(kAll), PageWork::Build);
}

TEST(SheetButtonRow, StandsExportClearCloseInARowWithTheDropDownBeforeThem) {
  const PixelRect close{500, 400, 575, 423};
  SheetButtonRow row = LayoutSheetButtons(close, 7, kAdapterListHeight);
  EXPECT_EQ(row.exportButton, (PixelRect{340, 400, 415, 423}));
  EXPECT_EQ(row.clearButton, (PixelRect{420, 400, 495, 423}));
  EXPECT_EQ(close.left - row.clearButton.right, 5);
  EXPECT_EQ(row.adapterList.left, 7);
  EXPECT_EQ(row.adapterList.right, row.exportButton.left - 15);
  EXPECT_EQ(row.adapterList.top, close.top);
  EXPECT_EQ(row.adapterList.Height(), close.Height() + kAdapterListHeight);
  // A sheet too narrow for the drop-down never gets a negative width.
  EXPECT_EQ(LayoutSheetButtons(close, 400, 100).adapterList.Width(), 0);
}

TEST(DaysEdit, ReadsTheLeadingDigitsAndSaturates) {
  EXPECT_EQ(ParseDaysText(L"30"), 30);
  EXPECT_EQ(ParseDaysText(L"0"), 0);
  EXPECT_EQ(ParseDaysText(L""), 0);
  EXPECT_EQ(ParseDaysText(L"x7"), 0);
  EXPECT_EQ(ParseDaysText(L" 12 days"), 12);
  EXPECT_EQ(ParseDaysText(L"99999999999999999999"), 2147483647);
}

class LogFileCopies : public ::testing::Test {
 protected:
  void SetUp() override {
    log = dir.File(L"TrafficHistory.log");
    backup = dir.File(L"saved.log");
    ASSERT_TRUE(test::WriteFileBytes(log, "live history"));
    ASSERT_TRUE(test::WriteFileBytes(backup, "older history"));
  }
  IFileSystem& fs = SystemFileSystem();
  test::TempDir dir;
  std::wstring log, backup;
};

TEST_F(LogFileCopies, RestoreTakesTheFirstFreeNumberBesideTheLogAndNeverOverwrites) {
  ASSERT_TRUE(test::WriteFileBytes(dir.File(L"TrafficHistory_1.log"), "first restore"));
  // A folder holds the next name: it is skipped as well.
  ASSERT_TRUE(fs.MakeDirectory(dir.File(L"TrafficHistory_2.log")));
  std::wstring restored;
  ASSERT_EQ(RestoreTrafficLog(fs, log, backup, &restored), LogCopyResult::Copied);
  EXPECT_EQ(restored, dir.File(L"TrafficHistory_3.log"));
  EXPECT_EQ(test::ReadFileBytes(restored), "older history");
  EXPECT_EQ(test::ReadFileBytes(dir.File(L"TrafficHistory_1.log")), "first restore");
  EXPECT_EQ(test::ReadFileBytes(log), "live history");
  // Restoring again takes the next number.
  ASSERT_EQ(RestoreTrafficLog(fs, log, backup, &restored), LogCopyResult::Copied);
  EXPECT_EQ(restored, dir.File(L"TrafficHistory_4.log"));
}

TEST_F(LogFileCopies, TheLogItselfIsNeitherRestoredNorBackedUpOverItself) {
  std::wstring sameInOtherCase = dir.Path() + L"traffichistory.LOG";
  std::wstring restored = L"unchanged";
  EXPECT_EQ(RestoreTrafficLog(fs, log, sameInOtherCase, &restored), LogCopyResult::SameFile);
  EXPECT_EQ(restored, L"unchanged");
  EXPECT_FALSE(fs.Exists(dir.File(L"TrafficHistory_1.log")));
  EXPECT_EQ(BackupTrafficLog(fs, log, sameInOtherCase), LogCopyResult::SameFile);
  EXPECT_EQ(test::ReadFileBytes(log), "live history");
}

TEST_F(LogFileCopies, BackupReplacesTheTargetAndReportsAFailedCopy) {
  EXPECT_EQ(BackupTrafficLog(fs, log, backup), LogCopyResult::Copied);
  EXPECT_EQ(test::ReadFileBytes(backup), "live history");
  EXPECT_EQ(BackupTrafficLog(fs, log, dir.File(L"no-such-folder/x.log")), LogCopyResult::Failed);
  std::wstring restored;
  EXPECT_EQ(RestoreTrafficLog(fs, log, dir.File(L"missing.log"), &restored), LogCopyResult::Failed);
  EXPECT_TRUE(restored.empty());
}

TEST(NumberedLogName, PutsTheNumberBeforeTheExtensionOfTheFileName) {
  EXPECT_EQ(NumberedLogName(L"C:\\Logs\\TrafficHistory.log", 12), L"C:\\Logs\\TrafficHistory_12.log");
  // A dot in a folder name is not an extension.
  EXPECT_EQ(NumberedLogName(L"C:\\my.logs\\history", 1), L"C:\\my.logs\\history_1");
}

}  // namespace
}  // namespace vantrel
