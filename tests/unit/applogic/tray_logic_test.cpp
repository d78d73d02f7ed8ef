#include "app/logic/tray_logic.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

const std::wstring kRates = L"Dw: 0 bps  Up: 0 bps";  // 20 characters

std::wstring Chars(wchar_t c, size_t n) { return std::wstring(n, c); }

TEST(TrayRatesText, UsesTheRateFormatterInTheDisplayUnit) {
  EXPECT_EQ(TrayRatesText({0, 0, 0, 0}, false), kRates);
  EXPECT_EQ(TrayRatesText({500, 20, 0, 0}, true), L"Dw: 500 B/s  Up: 20 B/s");
  EXPECT_EQ(TrayRatesText({500, 20, 0, 0}, false), L"Dw: 4.00 kbps  Up: 160 bps");
}

TEST(TrayTooltip, ShortNameAndAddressAreShownInFull) {
  EXPECT_EQ(TrayTooltip(L"LAN", L"10.0.0.1", kRates), L"LAN [10.0.0.1]\n" + kRates);
}

TEST(TrayTooltip, ALongNameIsShortenedFirstToFillExactly63) {
  const std::wstring address = L"192.168.100.2";  // 13
  std::wstring tip = TrayTooltip(Chars(L'n', 40), address, kRates);
  EXPECT_EQ(tip, Chars(L'n', 59 - 20 - 13) + L" [" + address + L"]\n" + kRates);
  EXPECT_EQ(tip.size(), 63u);
}

TEST(TrayTooltip, NameAddressAndRatesJustUnderTheLimitAreNotCut) {
  const std::wstring address = L"10.0.0.11";  // 9
  // n + r + a = 59: kept; 60: cut to 59 - r - a = 30.
  EXPECT_EQ(TrayTooltip(Chars(L'n', 30), address, kRates), Chars(L'n', 30) + L" [" + address + L"]\n" + kRates);
  EXPECT_EQ(TrayTooltip(Chars(L'n', 31), address, kRates), Chars(L'n', 30) + L" [" + address + L"]\n" + kRates);
}

TEST(TrayTooltip, WithoutRoomForANameTheAddressStaysOnlyIfItFitsExactly) {
  // 59 - r = 39: an address of exactly 39 characters is kept without the name.
  EXPECT_EQ(TrayTooltip(L"LAN", Chars(L'a', 39), kRates), Chars(L'a', 39) + L"\n" + kRates);
  EXPECT_EQ(TrayTooltip(L"LAN", Chars(L'a', 40), kRates), kRates);
  EXPECT_EQ(TrayTooltip(L"LAN", Chars(L'a', 50), kRates), kRates);
}

TEST(TrayTooltip, OnlyANameIsCutTo62MinusTheRates) {
  EXPECT_EQ(TrayTooltip(Chars(L'n', 42), L"", kRates), Chars(L'n', 42) + L"\n" + kRates);
  std::wstring tip = TrayTooltip(Chars(L'n', 43), L"", kRates);
  EXPECT_EQ(tip, Chars(L'n', 42) + L"\n" + kRates);
  EXPECT_EQ(tip.size(), 63u);
}

TEST(TrayTooltip, OnlyAnAddressIsShownWhenItFits) {
  EXPECT_EQ(TrayTooltip(L"", L"10.1.2.3", kRates), L"10.1.2.3\n" + kRates);
  EXPECT_EQ(TrayTooltip(L"", Chars(L'a', 42), kRates), Chars(L'a', 42) + L"\n" + kRates);
  EXPECT_EQ(TrayTooltip(L"", Chars(L'a', 43), kRates), kRates);
}

TEST(TrayTooltip, NeitherNameNorAddressGivesTheRatesAlone) { EXPECT_EQ(TrayTooltip(L"", L"", kRates), kRates); }

TEST(TrayTooltip, NeverExceeds63Characters) {
  const std::wstring longRates = Chars(L'r', 80);
  for (const auto& [name, address] : std::initializer_list<std::pair<std::wstring, std::wstring>>{
           {L"", L""}, {L"LAN", L""}, {L"", L"1.2.3.4"}, {L"LAN", L"1.2.3.4"}, {Chars(L'n', 300), Chars(L'a', 300)}}) {
    EXPECT_LE(TrayTooltip(name, address, longRates).size(), kTrayTipMaxChars);
    EXPECT_LE(TrayTooltip(name, address, kRates).size(), kTrayTipMaxChars);
  }
}

struct IconCase {
  uint32_t down, up;
  int index;
};
class ActivityIcon : public ::testing::TestWithParam<IconCase> {};
TEST_P(ActivityIcon, FollowsTheNewestSampleDirections) {
  const IconCase c = GetParam();
  EXPECT_EQ(ActivityIconIndex({c.down, c.up, 99, 99}), c.index);
}
INSTANTIATE_TEST_SUITE_P(Directions, ActivityIcon,
                         ::testing::Values(IconCase{0, 0, 0}, IconCase{0, 1, 1}, IconCase{1, 0, 2}, IconCase{7, 9, 3}));

// ---- Graph icon ---------------------------------------------------------------------------

std::string Column(const IconPlan& plan, int x) {
  std::string s;
  for (int y = 0; y < kTrayIconSize; ++y) {
    switch (plan[y][x]) {
      case IconPixel::Background: s += '.'; break;
      case IconPixel::Shadow: s += 's'; break;
      case IconPixel::Highlight: s += 'h'; break;
      case IconPixel::Both: s += 'B'; break;
      case IconPixel::Down: s += 'D'; break;
      case IconPixel::Up: s += 'U'; break;
    }
  }
  return s;
}

TEST(TrayGraphIcon, AnEmptyHistoryIsTheFramedBackground) {
  IconPlan plan = TrayGraphIconPlan({}, 100, true);
  EXPECT_EQ(Column(plan, 0), "sssssssssssssssh");
  EXPECT_EQ(Column(plan, 7), "s..............h");
  EXPECT_EQ(Column(plan, 15), "hhhhhhhhhhhhhhhh");
}

TEST(TrayGraphIcon, ColumnsShowTheFourteenNewestSamplesFromTheRight) {
  std::deque<RateSample> h = {{14, 7, 0, 0}, {0, 3, 0, 0}, {5, 5, 0, 0}, {0, 0, 0, 0}};
  for (int i = 0; i < 20; ++i) h.push_back({14, 14, 0, 0});
  IconPlan plan = TrayGraphIconPlan(h, 14, true);
  EXPECT_EQ(Column(plan, 14), "sDDDDDDDBBBBBBBh");
  EXPECT_EQ(Column(plan, 13), "s...........UUUh");
  EXPECT_EQ(Column(plan, 12), "s.........BBBBBh");
  EXPECT_EQ(Column(plan, 11), "s..............h");
  EXPECT_EQ(Column(plan, 1), "sBBBBBBBBBBBBBBh");  // the fourteenth sample
  EXPECT_EQ(Column(plan, 0), "sssssssssssssssh");   // the fifteenth is not drawn
}

TEST(TrayGraphIcon, AScaleTopOfZeroActsAsOne) {
  IconPlan plan = TrayGraphIconPlan({{1, 0, 0, 0}, {0, 0, 0, 0}}, 0, true);
  EXPECT_EQ(Column(plan, 14), "sDDDDDDDDDDDDDDh");
  EXPECT_EQ(Column(plan, 13), "s..............h");
  plan = TrayGraphIconPlan({{0xFFFFFFFF, 0xFFFFFFFF, 0, 0}}, 0, false);
  EXPECT_EQ(Column(plan, 14), "s..............h");  // a single point draws no line
}

TEST(TrayGraphIcon, LinesDrawUploadThenDownloadBetweenNeighbouringColumns) {
  IconPlan plan = TrayGraphIconPlan({{13, 0, 0, 0}, {0, 13, 0, 0}}, 13, false);
  // Upload rises from (14, 14) to (13, 1); download falls from (14, 1) to (13, 14); each
  // segment leaves out its end point.
  EXPECT_EQ(Column(plan, 14), "sDDDDDDDUUUUUUUh");
  EXPECT_EQ(Column(plan, 13), "s.UUUUUUDDDDDD.h");
  EXPECT_EQ(Column(plan, 12), "s..............h");
}

TEST(TrayGraphIcon, LinesOverTheFullHistoryReachTheLeftColumn) {
  std::deque<RateSample> h(30, RateSample{0, 0, 0, 0});
  IconPlan plan = TrayGraphIconPlan(h, 5, false);
  // Flat download line on row 14 drawn over the upload line, from x = 14 to x = 1; the
  // end point at x = 0 is left out.
  for (int x = 1; x <= 14; ++x) EXPECT_EQ(plan[14][x], IconPixel::Down) << x;
  EXPECT_EQ(plan[14][0], IconPixel::Shadow);
}

}  // namespace
}  // namespace vantrel
