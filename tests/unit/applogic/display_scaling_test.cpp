// Display scaling: the arithmetic that turns stored 96-DPI lengths into screen pixels, and what
// a rate view and the tray icon make of it at 100%, 125%, 150% and 200%.
#include <gtest/gtest.h>

#include <deque>

#include "app/logic/rate_view_layout.h"
#include "app/logic/tray_logic.h"
#include "ui/dpi_scale.h"

namespace vantrel {
namespace {

constexpr unsigned kScales[] = {96, 120, 144, 192};

TEST(ScaleForDpi, RoundsToTheNearestPixelWithHalvesAwayFromZero) {
  struct Case {
    int length;
    unsigned dpi;
    int scaled;
  } cases[] = {{13, 96, 13},  {13, 120, 16}, {13, 144, 20},  {13, 192, 26}, {-11, 144, -17},
               {-11, 120, -14}, {2, 120, 3},  {1, 120, 1},    {3, 144, 5},   {0, 192, 0},
               {7, 0, 7}};  // a DPI of 0 counts as 96
  for (const Case& c : cases) EXPECT_EQ(ScaleForDpi(c.length, c.dpi), c.scaled) << c.length << " at " << c.dpi;
  EXPECT_EQ(UnscaleFromDpi(20, 144), 13);
  EXPECT_EQ(UnscaleFromDpi(-17, 144), -11);
  EXPECT_EQ(UnscaleFromDpi(16, 120), 13);
}

TEST(ScaleForDpi, AStoredLengthSurvivesTheTripToAnyScreenAndBack) {
  // Font heights and window sizes go to the screen and come back to be stored: they must not
  // creep by a pixel on every trip.
  for (unsigned dpi : kScales)
    for (int length = -72; length <= 1000; ++length)
      ASSERT_EQ(UnscaleFromDpi(ScaleForDpi(length, dpi), dpi), length) << length << " at " << dpi;
}

TEST(ScaleForDpi, LinesStayWholePixels) {
  EXPECT_EQ(LineWidthForDpi(96), 1);
  EXPECT_EQ(LineWidthForDpi(144), 1);
  EXPECT_EQ(LineWidthForDpi(191), 1);
  EXPECT_EQ(LineWidthForDpi(192), 2);
  EXPECT_EQ(LineWidthForDpi(288), 3);
}

TEST(StoredFonts, KeepTheirHeightThroughTheFontDialogOfAnyScreen) {
  LogFontRecord stored = MakeLogFont(L"Tahoma", -12, 700);
  stored.width = 5;
  for (unsigned dpi : kScales) {
    LogFontRecord onScreen = FontForDpi(stored, dpi);
    EXPECT_EQ(onScreen.height, ScaleForDpi(-12, dpi)) << dpi;
    EXPECT_EQ(onScreen.width, ScaleForDpi(5, dpi)) << dpi;
    EXPECT_EQ(onScreen.weight, 700);
    EXPECT_EQ(FontFromDpi(onScreen, dpi), stored) << dpi;
  }
  // A record without an absolute height stays as it is.
  LogFontRecord odd = stored;
  odd.height = INT32_MIN;
  EXPECT_EQ(FontForDpi(odd, 192).height, INT32_MIN);
}

// A view with the default settings, its fonts made at the DPI (as the window makes them) and
// a scale label 65 pixels wide at 96 DPI, in a view of 300 x 120 pixels at 96 DPI.
struct ViewAtDpi {
  unsigned dpi;
  PixelRect titleText, text, graphArea;
  size_t visible;
};

class RateViewAtDpi : public ::testing::TestWithParam<ViewAtDpi> {};

TEST_P(RateViewAtDpi, TextRowsAreTheFontsOwnHeightAndTheGraphKeepsItsTimeSpan) {
  const ViewAtDpi& want = GetParam();
  RateViewSettings s;
  s.dpi = want.dpi;
  ViewMetrics m;
  m.titleFontHeight = FontHeightOf(FontForDpi(s.titleFont, s.dpi), 0);
  m.rateFontHeight = FontHeightOf(FontForDpi(s.rateFont, s.dpi), 0);
  m.scaleFontHeight = FontHeightOf(FontForDpi(s.scaleFont, s.dpi), 0);
  m.scaleWidth = ScaleForDpi(65, s.dpi);
  RateViewLayout l = ComputeLayout(ScaleForDpi(300, s.dpi), ScaleForDpi(120, s.dpi), s, m);
  EXPECT_EQ(l.titleText, want.titleText);
  EXPECT_EQ(l.text, want.text);
  EXPECT_EQ(l.graphArea, want.graphArea);
  EXPECT_EQ(l.visibleCount, want.visible);
  // Neither text row is cut: each is exactly as tall as its font.
  EXPECT_EQ(l.titleText.Height(), m.titleFontHeight);
  EXPECT_EQ(l.text.Height(), m.rateFontHeight);
  EXPECT_EQ(NaturalViewHeight(s, m),
            m.titleFontHeight + m.rateFontHeight + ScaleForDpi(3, s.dpi) * 2 + ScaleForDpi(100, s.dpi));
}

INSTANTIATE_TEST_SUITE_P(
    Scales, RateViewAtDpi,
    ::testing::Values(
        // 100%: 13-pixel fonts, one-pixel borders, 3 + 1 pixel pulses.
        ViewAtDpi{96, {3, 2, 297, 15}, {3, 105, 297, 118}, {67, 17, 299, 103}, 58},
        // 125%: 16-pixel fonts, 4 + 1 pixel pulses.
        ViewAtDpi{120, {4, 3, 371, 19}, {4, 131, 371, 147}, {83, 22, 374, 128}, 59},
        // 150%: 20-pixel fonts, 5 + 2 pixel pulses.
        ViewAtDpi{144, {5, 3, 445, 23}, {5, 157, 445, 177}, {100, 26, 449, 154}, 50},
        // 200%: 26-pixel fonts, two-pixel borders, 6 + 2 pixel pulses: the same 58 seconds.
        ViewAtDpi{192, {6, 4, 594, 30}, {6, 210, 594, 236}, {134, 34, 598, 206}, 58}));

TEST(RateViewAtDpi, ADpiChangeAsksForNewFontsLayoutAndGrid) {
  RateViewSettings a, b;
  b.dpi = 144;
  EXPECT_TRUE(NeedsLayout(a, b));
  EXPECT_TRUE(NeedsGridReset(a, b));
  EXPECT_EQ(TimeGridSpacing(a), 30 * 4 - 1);
  EXPECT_EQ(TimeGridSpacing(b), 30 * 7 - 2);
}

TEST(TrayIconSize, TakesTheSystemsSizeAndScales16WhenItHasNone) {
  EXPECT_EQ(TrayIconSize(0, 96), 16);
  EXPECT_EQ(TrayIconSize(0, 120), 20);
  EXPECT_EQ(TrayIconSize(0, 144), 24);
  EXPECT_EQ(TrayIconSize(0, 192), 32);
  EXPECT_EQ(TrayIconSize(24, 96), 24);
  EXPECT_EQ(TrayIconSize(-3, 192), 32);
  EXPECT_EQ(TrayIconSize(100000, 144), 24);
}

TEST(TrayGraphIcon, At32PixelsIsThe16PixelIconTwiceAsSharp) {
  std::deque<RateSample> h = {{14, 7, 0, 0}, {0, 3, 0, 0}, {5, 5, 0, 0}, {9, 0, 0, 0}};
  for (bool columns : {true, false}) {
    IconPlan small = TrayGraphIconPlan(h, 14, columns, 16);
    IconPlan large = TrayGraphIconPlan(h, 14, columns, 32);
    ASSERT_EQ(large.size(), 32u);
    for (int y = 0; y < 32; ++y) {
      ASSERT_EQ(large[y].size(), 32u);
      for (int x = 0; x < 32; ++x) ASSERT_EQ(large[y][x], small[y / 2][x / 2]) << x << "," << y;
    }
  }
}

TEST(TrayGraphIcon, At20And24PixelsShowsMoreSamplesAPixelEach) {
  std::deque<RateSample> h(40, RateSample{10, 0, 0, 0});
  for (int size : {20, 24}) {
    IconPlan plan = TrayGraphIconPlan(h, 10, true, size);
    ASSERT_EQ(plan.size(), static_cast<size_t>(size));
    const int last = size - 1;
    EXPECT_EQ(plan[0][0], IconPixel::Shadow);
    EXPECT_EQ(plan[last][last], IconPixel::Highlight);
    // Every column inside the frame holds a sample at full height.
    for (int x = 1; x < last; ++x) {
      EXPECT_EQ(plan[1][x], IconPixel::Down) << size << " x " << x;
      EXPECT_EQ(plan[last - 1][x], IconPixel::Down) << size << " x " << x;
    }
  }
}

}  // namespace
}  // namespace vantrel
