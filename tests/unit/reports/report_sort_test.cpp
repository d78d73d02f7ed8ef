#include "reports/report_sort.h"

#include <gtest/gtest.h>

#include "tests/unit/reports/report_fixtures.h"

namespace vantrel {
namespace {

int Cmp(int kind, const wchar_t* a, const wchar_t* b) { return CompareSortCells(kind, a, b); }

struct OrderCase {
  int kind;
  const wchar_t* smaller;
  const wchar_t* larger;
};

class SortOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(SortOrder, PutsTheSmallerCellFirstBothWays) {
  const OrderCase& c = GetParam();
  EXPECT_LT(Cmp(c.kind, c.smaller, c.larger), 0);
  EXPECT_GT(Cmp(c.kind, c.larger, c.smaller), 0);
  EXPECT_EQ(Cmp(c.kind, c.smaller, c.smaller), 0);
}

INSTANTIATE_TEST_SUITE_P(
    ByteSizes, SortOrder,
    ::testing::Values(OrderCase{kSortByteSize, L"999 B", L"1.0 KB"},
                      OrderCase{kSortByteSize, L"1000.0 KB", L"0.98 MB"},
                      OrderCase{kSortByteSize, L"999.99 MB", L"0.98 GB"},
                      OrderCase{kSortByteSize, L"1000.00 GB", L"0.98 TB"},
                      OrderCase{kSortByteSize, L"2.5 KB", L"10.0 KB"},      // not as text
                      OrderCase{kSortByteSize, L"8.0 kb", L"1.00 mb"},       // bit units, either case
                      OrderCase{kSortByteSize, L"1.00 gb", L"1.00 tb"},
                      OrderCase{kSortByteSize, L"512", L"1K"},               // the letter without a blank
                      OrderCase{kSortByteSize, L"", L"1 B"}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, SortOrder,
    ::testing::Values(OrderCase{kSortNumeric, L"2", L"11"}, OrderCase{kSortNumeric, L"-1", L"0"},
                      OrderCase{kSortNumeric, L"x", L"1"}, OrderCase{kSortNumeric, L"1.5", L"1.75"}));

INSTANTIATE_TEST_SUITE_P(
    Dates, SortOrder,
    ::testing::Values(
        // Each format compares year first, then month, then day, whatever order it prints them in.
        OrderCase{kSortDateMdySlash, L"12/31/2009", L"01/01/2010"},
        OrderCase{kSortDateMdySlash, L"02/01/2010", L"01/15/2011"},
        OrderCase{kSortDateMdyDot, L"12.31.2009", L"01.01.2010"},
        OrderCase{kSortDateDmySlash, L"31/12/2009", L"01/01/2010"},
        OrderCase{kSortDateDmySlash, L"15/01/2010", L"01/02/2010"},
        OrderCase{kSortDateDmyDot, L"31.12.2009", L"01.01.2010"},
        OrderCase{kSortDateYmdSlash, L"2009/12/31", L"2010/01/01"},
        OrderCase{kSortDateYmdDash, L"2009-12-31", L"2010-01-01"},
        OrderCase{kSortDateYmdDash, L"2010-01-02", L"2010-01-10"},
        OrderCase{kSortDateYmdDot, L"2009.12.31", L"2010.01.01"},
        // Spans sort by their start date.
        OrderCase{kSortDateMdySlash, L"12/27/2009 -- 01/02/2010", L"01/03/2010 -- 01/09/2010"},
        OrderCase{kSortDateYmdDash, L"2009-12-27 -- 2010-01-02", L"2010-01-03 -- 2010-01-09"}));

INSTANTIATE_TEST_SUITE_P(
    Spans, SortOrder,
    ::testing::Values(OrderCase{kSortMinutesSeconds, L"0:59", L"1:00"},
                      OrderCase{kSortMinutesSeconds, L"9:59", L"10:00"},
                      OrderCase{kSortMinutesSeconds, L"59:59", L"60:00"},
                      OrderCase{kSortTimeOfDay, L"0:59:59", L"1:00:00"},
                      OrderCase{kSortTimeOfDay, L"9:00:00", L"10:00:00"},
                      OrderCase{kSortTimeOfDay, L"23:59:58", L"23:59:59"},
                      OrderCase{kSortText, L"Friday", L"Monday"},
                      OrderCase{kSortText, L"Monday", L"Sunday"}));

TEST(SortCells, ByteSizeFactorsAreTheBinaryUnits) {
  EXPECT_DOUBLE_EQ(ParseByteSize(L"1 B"), 1.0);
  EXPECT_DOUBLE_EQ(ParseByteSize(L"1.5 KB"), 1536.0);
  EXPECT_DOUBLE_EQ(ParseByteSize(L"2.00 mb"), 2097152.0);
  EXPECT_DOUBLE_EQ(ParseByteSize(L"1.00 G"), 1073741824.0);
  EXPECT_DOUBLE_EQ(ParseByteSize(L"1.00 t"), 1099511627776.0);
  EXPECT_DOUBLE_EQ(ParseByteSize(L"3K"), 3072.0);
  // Only one blank is skipped before the letter.
  EXPECT_DOUBLE_EQ(ParseByteSize(L"3  K"), 3.0);
  EXPECT_DOUBLE_EQ(ParseByteSize(L"nothing"), 0.0);
}

TEST(SortCells, DatesWithoutTwoSeparatorsCompareEqual) {
  EXPECT_EQ(Cmp(kSortDateMdySlash, L"03/2010", L"01/01/2010"), 0);
  EXPECT_EQ(Cmp(kSortDateMdySlash, L"", L"01/01/2010"), 0);
  // A date in another format has no separator of this one.
  EXPECT_EQ(Cmp(kSortDateYmdDash, L"01/01/2010", L"2010-01-01"), 0);
}

TEST(SortCells, EqualTimesAndMissingFieldsCountZero) {
  EXPECT_EQ(Cmp(kSortMinutesSeconds, L"1:30", L"0:90"), 0);
  EXPECT_EQ(Cmp(kSortTimeOfDay, L"1:00:00", L"0:60:00"), 0);
  EXPECT_LT(Cmp(kSortTimeOfDay, L"1", L"1:00:01"), 0);
  EXPECT_EQ(Cmp(kSortTimeOfDay, L"99999999999999999999:99:99", L"99999999999999999999:99:99"), 0);
}

struct ParseCase {
  uint32_t format;
  const wchar_t* text;
  Date date;
};

class DateParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(DateParse, ReadsTheFieldsInTheFormatsOrder) {
  Date d;
  ASSERT_TRUE(ParseReportDate(GetParam().text, GetParam().format, &d));
  EXPECT_EQ(d, GetParam().date);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, DateParse,
                         ::testing::Values(ParseCase{17, L"03/07/2010", {2010, 3, 7}},
                                           ParseCase{119, L"03.07.2010", {2010, 3, 7}},
                                           ParseCase{34, L"07/03/2010", {2010, 3, 7}},
                                           ParseCase{102, L"07.03.2010", {2010, 3, 7}},
                                           ParseCase{51, L"2010/03/07", {2010, 3, 7}},
                                           ParseCase{68, L"2010-03-07", {2010, 3, 7}},
                                           ParseCase{85, L"2010.03.07", {2010, 3, 7}},
                                           ParseCase{68, L"2010-03-07 -- 2010-03-13", {2010, 3, 7}},
                                           ParseCase{999, L"03/07/2010", {2010, 3, 7}}));

TEST(DateSortKind, MapsEveryDateFormatToItsKind) {
  const uint32_t codes[] = {17, 119, 34, 102, 51, 68, 85};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(DateSortKind(codes[i]), kSortDateMdySlash + i);
    EXPECT_EQ(DateFormatOfSortKind(kSortDateMdySlash + i), codes[i]);
  }
  EXPECT_EQ(DateSortKind(0), kSortDateMdySlash);
  EXPECT_EQ(DateFormatOfSortKind(kSortText), 17u);
}

TEST(ReportColumns, HaveTheirSortKindsAndInitialColumns) {
  auto daily = ReportColumnSortKinds(ReportKind::Daily, 68);
  EXPECT_EQ(daily, (std::array<int, 5>{kSortDateYmdDash, kSortText, kSortByteSize, kSortByteSize, kSortByteSize}));
  auto weekly = ReportColumnSortKinds(ReportKind::Weekly, 34);
  EXPECT_EQ(weekly, (std::array<int, 5>{kSortNumeric, kSortDateDmySlash, kSortByteSize, kSortByteSize, kSortByteSize}));
  EXPECT_EQ(InitialSortColumn(ReportKind::Daily), 0);
  EXPECT_EQ(InitialSortColumn(ReportKind::Monthly), 1);
}

TEST(SortReportRows, SortsByAColumnAndTheCurrentRowIsFoundAgainByItsFlag) {
  test::TestLog log(test::WeeksWithGapLog());
  ReportTable t = BuildDailyTable(test::LanContext(log.file(), 2010, 3, 10));
  SortReportRows(&t.rows, kColumnDown, kSortByteSize, true);
  std::vector<std::wstring> downs;
  for (const ReportRow& r : t.rows) downs.push_back(r.cells[kColumnDown]);
  EXPECT_EQ(downs, (std::vector<std::wstring>{L"1.0 KB", L"2.0 KB", L"2.0 KB", L"4.0 KB", L"10.0 KB", L"3.00 MB"}));
  // Equal cells keep their order: the current row (first as built) stays before 01/05.
  int current = t.CurrentRowIndex();
  EXPECT_EQ(current, 1);
  EXPECT_EQ(t.rows[2].cells[0], L"01/05/2010");
  EXPECT_NE(RefreshCurrentRow(&t, TrafficPair{1, 1}), 0u);
  EXPECT_EQ(t.rows[1].cells[kColumnDown], L"1 B");

  SortReportRows(&t.rows, kColumnLabel1, kSortDateMdySlash, false);
  EXPECT_EQ(t.rows[0].cells[0], L"03/10/2010");
  EXPECT_EQ(t.rows[5].cells[0], L"01/04/2010");
  EXPECT_EQ(t.CurrentRowIndex(), 0);
  SortReportRows(&t.rows, kColumnLabel2, kSortText, true);
  EXPECT_EQ(t.rows[0].cells[1], L"Monday");
  EXPECT_EQ(t.rows[5].cells[1], L"Wednesday");
}

}  // namespace
}  // namespace vantrel
