#include "app/logic/rates_recorder_dialog.h"

#include <gtest/gtest.h>

#include "tests/support/fakes.h"

namespace vantrel {
namespace {

RecorderDialogModel TwoRows() {
  return RecorderDialogModel({L"All Connections", L"LAN"},
                             {RecorderSettings{false, 60, false, L"C:\\rates\\all.txt"},
                              RecorderSettings{true, 5, true, L"C:\\rates\\lan.csv"}});
}

TEST(RecorderDialogRows, ShowIntervalAndFileOnlyWhileRecording) {
  RecorderDialogModel model = TwoRows();
  RecorderRowCells off = model.Cells(0);
  EXPECT_EQ(off.name, L"All Connections");
  EXPECT_EQ(off.record, L"No");
  EXPECT_EQ(off.interval, L"");
  EXPECT_EQ(off.file, L"");
  RecorderRowCells on = model.Cells(1);
  EXPECT_EQ(on.record, L"Yes");
  EXPECT_EQ(on.interval, L"5 sec.");
  EXPECT_EQ(on.file, L"C:\\rates\\lan.csv");
}

TEST(RecorderDialogRows, ControlsFollowTheSelectedRowsSwitch) {
  RecorderDialogModel model = TwoRows();
  RecorderControls none = model.Controls(-1);
  EXPECT_FALSE(none.checkEnabled);
  EXPECT_FALSE(none.checked);
  EXPECT_FALSE(none.othersEnabled);
  EXPECT_TRUE(none.intervalText.empty());
  EXPECT_TRUE(none.fileText.empty());

  // A row that does not record still shows what it would record with, greyed.
  RecorderControls off = model.Controls(0);
  EXPECT_TRUE(off.checkEnabled);
  EXPECT_FALSE(off.checked);
  EXPECT_FALSE(off.othersEnabled);
  EXPECT_EQ(off.intervalText, L"60");
  EXPECT_EQ(off.fileText, L"C:\\rates\\all.txt");

  RecorderControls on = model.Controls(1);
  EXPECT_TRUE(on.checked);
  EXPECT_TRUE(on.othersEnabled);
  EXPECT_TRUE(on.numbersOnly);
}

TEST(RecorderDialogRows, EditsReachARowOnlyWhileItRecordsAndSurviveSwitchingOffAndOn) {
  RecorderDialogModel model = TwoRows();
  EXPECT_FALSE(model.SetIntervalText(0, L"9"));
  EXPECT_FALSE(model.SetFile(0, L"C:\\elsewhere.txt"));
  EXPECT_FALSE(model.SetNumbersOnly(0, true));
  EXPECT_EQ(model.rows()[0], (RecorderSettings{false, 60, false, L"C:\\rates\\all.txt"}));

  model.SetRecord(0, true);
  EXPECT_TRUE(model.SetIntervalText(0, L"15"));
  EXPECT_TRUE(model.SetFile(0, L"C:\\rates\\new.txt"));
  EXPECT_TRUE(model.SetNumbersOnly(0, true));
  model.SetRecord(0, false);
  EXPECT_EQ(model.Cells(0).interval, L"");
  model.SetRecord(0, true);
  EXPECT_EQ(model.rows()[0], (RecorderSettings{true, 15, true, L"C:\\rates\\new.txt"}));
  EXPECT_EQ(model.Cells(0).interval, L"15 sec.");
}

TEST(RecorderDialogRows, AnIntervalThatIsNotANumberIsZeroAndRefusedAtOk) {
  RecorderDialogModel model = TwoRows();
  ASSERT_TRUE(model.SetIntervalText(1, L""));
  EXPECT_EQ(model.rows()[1].interval, 0u);
  RecorderCheck check = CheckRecorderSettings(model.rows(), SystemFileSystem());
  EXPECT_EQ(check.row, 1);
  EXPECT_EQ(check.message, kIntervalTooSmallMessage);
  // Far too many digits saturate instead of wrapping round to a small interval.
  ASSERT_TRUE(model.SetIntervalText(1, L"99999999999"));
  EXPECT_EQ(model.rows()[1].interval, 4294967295u);
}

TEST(RecorderDialogRows, OkReportsTheFirstFailureInTheOrderTheListShows) {
  RecorderDialogModel model({L"All Connections", L"LAN"}, {RecorderSettings{true, 0, false, L"C:\\rates\\all.txt"},
                                                         RecorderSettings{true, 5, false, L""}});
  RecorderCheck asListed = model.Check({0, 1}, SystemFileSystem());
  EXPECT_EQ(asListed.row, 0);
  EXPECT_EQ(asListed.message, L"The recording interval should be equal to or greater than 1.");
  // Sorted by a header with LAN on top: LAN's empty file is the first failure in sight.
  RecorderCheck sorted = model.Check({1, 0}, SystemFileSystem());
  EXPECT_EQ(sorted.row, 1);
  EXPECT_EQ(sorted.message, L"The rates recording file should not be empty.");
}

TEST(RecordFileBrowse, AppendsTheFiltersExtensionUnlessTheNameEndsInItIgnoringCase) {
  EXPECT_EQ(RecordFileWithExtension(L"C:\\r\\rates", 1), L"C:\\r\\rates.txt");
  EXPECT_EQ(RecordFileWithExtension(L"C:\\r\\rates.TXT", 1), L"C:\\r\\rates.TXT");
  EXPECT_EQ(RecordFileWithExtension(L"C:\\r\\rates.csv", 1), L"C:\\r\\rates.csv.txt");
  EXPECT_EQ(RecordFileWithExtension(L"C:\\r\\rates", 2), L"C:\\r\\rates.csv");
  EXPECT_EQ(RecordFileWithExtension(L"C:\\r\\rates.Csv", 2), L"C:\\r\\rates.Csv");
  EXPECT_EQ(RecordFileWithExtension(L"C:\\r\\rates.txt", 2), L"C:\\r\\rates.txt.csv");
}

}  // namespace
}  // namespace vantrel
