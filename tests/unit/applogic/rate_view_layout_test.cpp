#include "app/logic/rate_view_layout.h"

#include <gtest/gtest.h>

#include <random>

namespace vantrel {
namespace {

ViewMetrics Metrics(int scaleWidth = 60) {
  ViewMetrics m;
  m.titleFontHeight = 13;
  m.rateFontHeight = 13;
  m.scaleFontHeight = 10;
  m.timeFontHeight = 12;
  m.scaleWidth = scaleWidth;
  return m;
}

RateViewSettings GraphOnly() {
  RateViewSettings s;
  s.title = false;
  s.text = false;
  return s;
}

std::deque<RateSample> History(std::initializer_list<RateSample> newestFirst) { return {newestFirst}; }

// ---- Layout -------------------------------------------------------------------------------

TEST(RateViewLayout, StacksTitleGraphAndTextBandsWithSharedBorderRows) {
  RateViewSettings s;
  RateViewLayout l = ComputeLayout(300, 150, s, Metrics());
  EXPECT_EQ(l.titleBand, (PixelRect{0, 0, 300, 17}));
  EXPECT_EQ(l.titleText, (PixelRect{3, 2, 297, 15}));
  EXPECT_EQ(l.textBand, (PixelRect{0, 133, 300, 150}));
  EXPECT_EQ(l.text, (PixelRect{3, 135, 297, 148}));
  // The graph band starts on the title's last row and ends on the text band's first.
  EXPECT_EQ(l.graphBand, (PixelRect{0, 16, 300, 134}));
  EXPECT_EQ(l.scale, (PixelRect{1, 17, 61, 133}));
  EXPECT_EQ(l.graphArea, (PixelRect{62, 17, 299, 133}));
  EXPECT_EQ(l.graphHeight, 116 * 95 / 100);
}

TEST(RateViewLayout, WithoutScaleTheGraphAreaIsTheBandShrunkByOne) {
  RateViewSettings s = GraphOnly();
  s.scale = false;
  RateViewLayout l = ComputeLayout(100, 50, s, Metrics());
  EXPECT_TRUE(l.scale.IsEmpty());
  EXPECT_EQ(l.graphBand, (PixelRect{0, 0, 100, 50}));
  EXPECT_EQ(l.graphArea, (PixelRect{1, 1, 99, 49}));
  EXPECT_EQ(l.markCount, 0);
}

TEST(RateViewLayout, ATextBandTallerThanTheFontCentresItsTextRectangle) {
  RateViewSettings s;
  s.graph = false;
  s.title = false;
  RateViewLayout l = ComputeLayout(100, 40, s, Metrics());
  EXPECT_EQ(l.textBand, (PixelRect{0, 0, 100, 40}));
  // Band shrunk to 36 rows, 23 more than the font: 11 off each side.
  EXPECT_EQ(l.text, (PixelRect{3, 13, 97, 27}));
  EXPECT_TRUE(l.graphBand.IsEmpty());
  EXPECT_EQ(l.graphHeight, 0);
}

TEST(RateViewLayout, AViewTwoPixelsWideShowsNoSamples) {
  RateViewSettings s;
  EXPECT_EQ(VisibleSampleCount(2, s, 60), 0u);
  EXPECT_EQ(VisibleSampleCount(0, s, 60), 0u);
  EXPECT_EQ(VisibleSampleCount(-5, s, 60), 0u);
  EXPECT_EQ(ComputeLayout(2, 100, s, Metrics()).visibleCount, 0u);
  EXPECT_TRUE(ComputeLayout(2, 100, s, Metrics()).graphBand.IsEmpty());
  // Three pixels: the scale does not fit, two are reserved, one column starts.
  EXPECT_EQ(VisibleSampleCount(3, s, 60), 1u);
}

TEST(RateViewLayout, AViewZeroHighHasNoBands) {
  RateViewSettings s;
  RateViewLayout l = ComputeLayout(300, 0, s, Metrics());
  EXPECT_TRUE(l.titleBand.IsEmpty());
  EXPECT_TRUE(l.graphBand.IsEmpty());
  EXPECT_TRUE(l.textBand.IsEmpty());
  EXPECT_TRUE(l.graphArea.IsEmpty());
  EXPECT_TRUE(l.scale.IsEmpty());
  EXPECT_EQ(l.graphHeight, 0);
}

TEST(RateViewLayout, ATitleFillingTheViewLeavesNoOtherBands) {
  RateViewSettings s;
  RateViewLayout l = ComputeLayout(300, 10, s, Metrics());
  EXPECT_EQ(l.titleBand, (PixelRect{0, 0, 300, 10}));
  EXPECT_TRUE(l.graphBand.IsEmpty());
  EXPECT_TRUE(l.textBand.IsEmpty());
  EXPECT_EQ(l.graphHeight, 0);
}

TEST(RateViewLayout, TinyBandsHaveNoTextRectangle) {
  RateViewSettings s;
  RateViewLayout l = ComputeLayout(6, 100, s, Metrics());
  EXPECT_FALSE(l.titleBand.IsEmpty());
  EXPECT_TRUE(l.titleText.IsEmpty());  // under 7 wide
  EXPECT_TRUE(l.text.IsEmpty());
}

TEST(RateViewLayout, VisibleCountRoundsUpAndReservesTheScale) {
  RateViewSettings s;  // pulse 3 + 1
  EXPECT_EQ(VisibleSampleCount(100, s, 60), static_cast<size_t>((100 - 63 + 3) / 4));
  s.scale = false;
  EXPECT_EQ(VisibleSampleCount(100, s, 60), static_cast<size_t>((98 + 3) / 4));
  s.scale = true;
  s.graph = false;  // the scale only takes room when the graph is shown
  EXPECT_EQ(VisibleSampleCount(100, s, 60), static_cast<size_t>((98 + 3) / 4));
}

TEST(RateViewLayout, ChangingTheUnitChangesTheScaleWidthAndSoTheVisibleCount) {
  EXPECT_EQ(ScaleWidthSample(true), L"999.9 MB/s");
  EXPECT_EQ(ScaleWidthSample(false), L"999.9 mbps");
  RateViewSettings s;
  // Widths as a font measures the two labels.
  int bytesWidth = ScaleWidthFromText(58), bitsWidth = ScaleWidthFromText(50);
  EXPECT_EQ(bytesWidth, 63);
  RateViewLayout bytes = ComputeLayout(200, 100, s, Metrics(bytesWidth));
  RateViewLayout bits = ComputeLayout(200, 100, s, Metrics(bitsWidth));
  EXPECT_LT(bytes.visibleCount, bits.visibleCount);
  EXPECT_EQ(bytes.graphArea.left, bytesWidth + 2);
  EXPECT_EQ(bits.graphArea.left, bitsWidth + 2);
}

TEST(RateViewLayout, UnusableRegistryPulseValuesStillLayOut) {
  RateViewSettings s;
  s.pulseWidth = 0;
  s.pulseSpace = 0;
  EXPECT_EQ(PulseStep(s), 1);
  EXPECT_EQ(VisibleSampleCount(100, s, 60), 37u);
  s.pulseWidth = 0xFFFFFFFF;
  s.pulseSpace = 0xFFFFFFFF;
  EXPECT_EQ(VisibleSampleCount(100, s, 60), 1u);
  RateViewSettings g = GraphOnly();
  g.rateHeightPercent = 0;  // out of range: the default share
  EXPECT_EQ(ComputeLayout(100, 102, g, Metrics()).graphHeight, 95);
}

struct MarkCase {
  int rows;
  int marks;
};

class ScaleMarkCount : public ::testing::TestWithParam<MarkCase> {};

TEST_P(ScaleMarkCount, FollowsTheRowsOfScaleText) {
  const MarkCase c = GetParam();
  ViewMetrics m = Metrics();
  // Graph only: the scale spans the band minus one row at each end.
  RateViewLayout l = ComputeLayout(300, c.rows * m.scaleFontHeight + 2, GraphOnly(), m);
  EXPECT_EQ(l.scale.Height(), c.rows * m.scaleFontHeight);
  EXPECT_EQ(l.markCount, c.marks);
  EXPECT_EQ(l.markSpacing, (l.scale.Height() - m.scaleFontHeight / 2) / c.marks);
}

INSTANTIATE_TEST_SUITE_P(Rows, ScaleMarkCount,
                         ::testing::Values(MarkCase{1, 1}, MarkCase{5, 5}, MarkCase{6, 6}, MarkCase{7, 6},
                                           MarkCase{9, 7}, MarkCase{12, 8}, MarkCase{13, 8}, MarkCase{15, 9},
                                           MarkCase{30, 14}));

TEST(ScaleMarks, LessThanOneRowStillGivesOneMark) {
  ViewMetrics m = Metrics();
  RateViewLayout l = ComputeLayout(300, 8, GraphOnly(), m);  // scale 6 high
  EXPECT_EQ(l.markCount, 1);
  EXPECT_EQ(l.markSpacing, 1);
  EXPECT_EQ(ScaleMarkPositions(l, m), std::vector<int>{1 + 5});
  // One row less and the only mark falls on the scale bottom: none is drawn.
  l = ComputeLayout(300, 7, GraphOnly(), m);
  EXPECT_EQ(l.markCount, 1);
  EXPECT_TRUE(ScaleMarkPositions(l, m).empty());
}

TEST(ScaleMarks, PositionsLabelsAndValuesFollowTheScale) {
  ViewMetrics m = Metrics();
  RateViewLayout l = ComputeLayout(300, 132, GraphOnly(), m);  // 13 rows
  ASSERT_EQ(l.markCount, 8);
  std::vector<int> ys = ScaleMarkPositions(l, m);
  ASSERT_EQ(ys.size(), 8u);
  EXPECT_EQ(ys[0], l.scale.top + 5);
  EXPECT_EQ(ys[1] - ys[0], l.markSpacing);
  EXPECT_EQ(ScaleLabelRect(l, m, ys[0]), (PixelRect{2, ys[0] - 5, 57, ys[0] + 5}));
  // The label at the graph's full height reads the scale top.
  int fullY = l.scale.bottom - l.graphHeight;
  EXPECT_EQ(ScaleLabelValue(1000, l, fullY), 1000u);
  EXPECT_EQ(ScaleLabelValue(1000, l, l.scale.bottom), 0u);
  // Small scale tops are not lost to integer division.
  EXPECT_EQ(ScaleLabelValue(50, l, fullY), 50u);
  EXPECT_EQ(ScaleLabelValue(0xFFFFFFFF, l, fullY), 0xFFFFFFFFu);
  EXPECT_EQ(ScaleGridPositions(l, m), ys);
}

TEST(ScaleMarks, NoScaleMeansNoMarks) {
  RateViewSettings s = GraphOnly();
  s.scale = false;
  ViewMetrics m = Metrics();
  RateViewLayout l = ComputeLayout(300, 132, s, m);
  EXPECT_TRUE(ScaleMarkPositions(l, m).empty());
}

// ---- Maxima -------------------------------------------------------------------------------

TEST(RateMaxima, FullRecomputeLooksAtTheVisibleSamplesOnly) {
  auto h = History({{10, 20, 0, 0}, {5, 5, 0, 0}, {900, 1, 0, 0}});
  RateMaxima m;
  m.Recompute(h, 2, false, false);
  EXPECT_EQ(m.RateMaximum(), 20u);
  EXPECT_EQ(m.ScaleTop(), 20u);
  m.Recompute(h, 10, false, false);
  EXPECT_EQ(m.RateMaximum(), 900u);
}

TEST(RateMaxima, ShownAverageLinesRaiseTheScaleTopButNotTheRateMaximum) {
  auto h = History({{10, 20, 70, 40}});
  RateMaxima m;
  m.Recompute(h, 5, false, true);
  EXPECT_EQ(m.ScaleTop(), 40u);
  m.Recompute(h, 5, true, false);
  EXPECT_EQ(m.ScaleTop(), 70u);
  EXPECT_EQ(m.RateMaximum(), 20u);
}

TEST(RateMaxima, AllRatesZeroWithAnAutomaticScaleGiveScaleTopZero) {
  std::deque<RateSample> h(50);
  RateMaxima m;
  m.Recompute(h, 40, true, true);
  EXPECT_EQ(m.ScaleTop(), 0u);
  h.push_front({});
  m.OnNewSample(h, 40, true, true);
  EXPECT_EQ(m.ScaleTop(), 0u);
  EXPECT_EQ(m.RateMaximum(), 0u);
}

TEST(RateMaxima, AFixedScaleOfZeroActsAsOne) {
  auto h = History({{5000, 7000, 0, 0}});
  RateMaxima m;
  m.SetFixed(true, 0, h, 10, false, false);
  EXPECT_EQ(m.ScaleTop(), 1u);
  m.Recompute(h, 10, false, false);
  EXPECT_EQ(m.ScaleTop(), 1u);
  EXPECT_EQ(m.RateMaximum(), 7000u);
  m.SetFixed(false, 0, h, 10, false, false);
  EXPECT_EQ(m.ScaleTop(), 7000u);
  m.SetFixed(true, 125000, h, 10, false, false);
  EXPECT_EQ(m.ScaleTop(), 125000u);
}

TEST(RateMaxima, ALargerNewSampleRaisesBothMaximaWithoutARecompute) {
  std::deque<RateSample> h = History({{10, 10, 0, 0}, {30, 0, 0, 0}});
  RateMaxima m;
  m.Recompute(h, 3, false, false);
  h.push_front({0, 50, 0, 0});
  EXPECT_FALSE(m.OnNewSample(h, 3, false, false));
  EXPECT_EQ(m.RateMaximum(), 50u);
  EXPECT_EQ(m.ScaleTop(), 50u);
}

TEST(RateMaxima, TheSampleLeavingTheVisibleRangeWithTheMaximumCausesARecompute) {
  std::deque<RateSample> h = History({{1, 1, 0, 0}, {2, 2, 0, 0}, {99, 0, 0, 0}});
  RateMaxima m;
  m.Recompute(h, 3, false, false);
  EXPECT_EQ(m.ScaleTop(), 99u);
  h.push_front({3, 0, 0, 0});  // the 99 leaves the three visible
  EXPECT_TRUE(m.OnNewSample(h, 3, false, false));
  EXPECT_EQ(m.ScaleTop(), 3u);
  EXPECT_EQ(m.RateMaximum(), 3u);
}

TEST(RateMaxima, AFixedScaleRecomputesOnlyTheRateMaximum) {
  std::deque<RateSample> h = History({{1, 1, 0, 0}, {99, 0, 0, 0}});
  RateMaxima m;
  m.SetFixed(true, 10, h, 2, false, false);
  m.Recompute(h, 2, false, false);
  h.push_front({2, 0, 0, 0});
  EXPECT_TRUE(m.OnNewSample(h, 2, false, false));
  EXPECT_EQ(m.RateMaximum(), 2u);
  EXPECT_EQ(m.ScaleTop(), 10u);
}

TEST(RateMaxima, ARaisedScaleTopStillLetsALeavingRateMaximumGo) {
  // The average line lifts the scale top while the rate maximum leaves the visible range.
  std::deque<RateSample> h = History({{1, 1, 5, 0}, {100, 0, 5, 0}});
  RateMaxima m;
  m.Recompute(h, 2, true, false);
  h.push_front({3, 0, 200, 0});
  m.OnNewSample(h, 2, true, false);
  EXPECT_EQ(m.ScaleTop(), 200u);
  EXPECT_EQ(m.RateMaximum(), 3u);
}

// Incremental maxima must equal a full recompute after every sample, whatever the mode, the
// visible count and the history cap.
struct PropertyCase {
  size_t visible;
  size_t capacity;
  bool avgDown;
  bool avgUp;
  bool fixed;
};

void PrintTo(const PropertyCase& c, std::ostream* os) {
  *os << "visible " << c.visible << ", capacity " << c.capacity << (c.avgDown ? ", avg down" : "")
      << (c.avgUp ? ", avg up" : "") << (c.fixed ? ", fixed" : ", automatic");
}

class IncrementalMaxima : public ::testing::TestWithParam<PropertyCase> {};

TEST_P(IncrementalMaxima, EqualAFullRecomputeOverALongRandomSequence) {
  const PropertyCase c = GetParam();
  std::mt19937 rng(20240611u + static_cast<unsigned>(c.visible * 7 + c.capacity));
  std::uniform_int_distribution<int> kind(0, 9);
  std::uniform_int_distribution<uint32_t> small(0, 50), large(0, 5000000);
  std::deque<RateSample> h;
  RateMaxima inc;
  inc.SetFixed(c.fixed, 3000, h, c.visible, c.avgDown, c.avgUp);
  inc.Recompute(h, c.visible, c.avgDown, c.avgUp);
  uint64_t downSum = 0, upSum = 0;
  for (int i = 1; i <= 6000; ++i) {
    RateSample s;
    int k = kind(rng);
    // Long idle stretches, small traffic and rare bursts, so maxima rise, hold and leave.
    if (k < 3) {
      s = {};
    } else if (k < 9) {
      s.down = small(rng);
      s.up = small(rng);
    } else {
      s.down = large(rng);
      s.up = large(rng) / 3;
    }
    downSum += s.down;
    upSum += s.up;
    s.avgDown = static_cast<uint32_t>(downSum / static_cast<uint64_t>(i));
    s.avgUp = static_cast<uint32_t>(upSum / static_cast<uint64_t>(i));
    h.push_front(s);
    while (h.size() > c.capacity) h.pop_back();
    inc.OnNewSample(h, c.visible, c.avgDown, c.avgUp);

    RateMaxima full;
    full.SetFixed(c.fixed, 3000, h, c.visible, c.avgDown, c.avgUp);
    full.Recompute(h, c.visible, c.avgDown, c.avgUp);
    ASSERT_EQ(inc.RateMaximum(), full.RateMaximum()) << "after sample " << i;
    ASSERT_EQ(inc.ScaleTop(), full.ScaleTop()) << "after sample " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, IncrementalMaxima,
                         ::testing::Values(PropertyCase{60, 2048, false, false, false},
                                           PropertyCase{60, 2048, true, true, false},
                                           PropertyCase{17, 2048, true, false, false},
                                           PropertyCase{60, 2048, false, false, true},
                                           PropertyCase{1, 2048, false, true, false},
                                           // The window is wider than the history holds.
                                           PropertyCase{300, 200, true, true, false},
                                           PropertyCase{200, 200, false, false, false},
                                           PropertyCase{300, 200, false, false, true}));

TEST(RateMaxima, AnEmptiedHistoryStartsAfresh) {
  std::deque<RateSample> h = History({{500, 500, 0, 0}, {1, 1, 0, 0}});
  RateMaxima m;
  m.Recompute(h, 10, false, false);
  h.clear();  // Reset Rates without telling the maxima
  h.push_front({7, 0, 0, 0});
  EXPECT_TRUE(m.OnNewSample(h, 10, false, false));
  EXPECT_EQ(m.ScaleTop(), 7u);
}

// ---- Time grid ----------------------------------------------------------------------------

TEST(TimeGridPhase, ResetPutsTheNextSampleOnAGridLine) {
  RateViewSettings s;  // interval 30, pulse 3 + 1
  TimeGridPhase p;
  p.Reset(s);
  EXPECT_EQ(p.Spacing(), 30 * 4 - 1);
  EXPECT_EQ(p.Offset(), 119);
  EXPECT_EQ(p.Seconds(), 29u);
  p.Advance(s);
  EXPECT_EQ(p.Offset(), 3);
  EXPECT_EQ(p.Seconds(), 0u);
}

TEST(TimeGridPhase, WrapsOnceEveryIntervalOfSamples) {
  RateViewSettings s;
  s.timeGridIntervalSec = 5;
  s.pulseWidth = 2;
  s.pulseSpace = 2;
  TimeGridPhase p;
  p.Reset(s);
  int wraps = 0;
  for (int i = 0; i < 50; ++i) {
    int before = p.Offset();
    p.Advance(s);
    if (p.Offset() < before) ++wraps;
    EXPECT_LE(p.Offset(), p.Spacing());
    EXPECT_EQ(p.Seconds(), static_cast<uint32_t>(i % 5));
  }
  EXPECT_EQ(wraps, 10);
}

TEST(TimeGridPhase, LinesRunLeftFromTheNewestAtTheGridSpacing) {
  RateViewSettings s = GraphOnly();
  s.scale = false;
  s.timeGridIntervalSec = 10;  // spacing 39
  RateViewLayout l = ComputeLayout(102, 50, s, Metrics());  // graph area 1 .. 101
  TimeGridPhase p;
  p.Reset(s);
  p.Advance(s);  // offset 3
  EXPECT_EQ(TimeGridPositions(l, p), (std::vector<int>{98, 59, 20}));
}

TEST(TimeGridPhase, AZeroIntervalFromTheRegistryActsAsOneSecond) {
  RateViewSettings s;
  s.timeGridIntervalSec = 0;
  TimeGridPhase p;
  p.Reset(s);
  EXPECT_EQ(p.Seconds(), 0u);
  EXPECT_EQ(p.Spacing(), 3);
  p.Advance(s);
  EXPECT_EQ(p.Seconds(), 0u);
}

struct TimeCase {
  int hour, minute, second;
  uint32_t format;
  bool twelveHour;
  const wchar_t* text;
};

class GridTimeText : public ::testing::TestWithParam<TimeCase> {};

TEST_P(GridTimeText, FormatsTheLineTime) {
  const TimeCase c = GetParam();
  EXPECT_EQ(FormatGridTime(c.hour, c.minute, c.second, c.format, c.twelveHour), c.text);
}

INSTANTIATE_TEST_SUITE_P(Formats, GridTimeText,
                         ::testing::Values(TimeCase{9, 5, 7, 0, false, L"9:05:07"},
                                           TimeCase{21, 5, 7, 0, false, L"21:05:07"},
                                           TimeCase{21, 5, 7, 0, true, L"9:05:07"},
                                           TimeCase{12, 0, 30, 0, true, L"0:00:30"},  // noon shows as 0
                                           TimeCase{12, 0, 30, 0, false, L"12:00:30"},
                                           TimeCase{0, 1, 2, 0, true, L"0:01:02"},
                                           TimeCase{12, 34, 56, 1, true, L"0:34"},
                                           TimeCase{23, 4, 56, 1, false, L"23:04"},
                                           TimeCase{23, 4, 6, 2, false, L"04:06"},
                                           TimeCase{23, 4, 6, 2, true, L"04:06"},
                                           TimeCase{23, 4, 6, 9, false, L"23:04:06"}));

TEST(GridTimeText, EachLineToTheLeftIsOneIntervalOlderAcrossMidnight) {
  int now = 0 * 3600 + 0 * 60 + 20;  // 00:00:20
  EXPECT_EQ(GridLineSecondOfDay(now, 5, 30, 0), 15);
  EXPECT_EQ(GridLineSecondOfDay(now, 5, 30, 1), 86400 - 15);
  EXPECT_EQ(GridLineSecondOfDay(now, 5, 30, 2), 86400 - 45);
  EXPECT_EQ(GridLineSecondOfDay(now, 0, 86400, 3), now);
}

// ---- Text band ----------------------------------------------------------------------------

TEST(RateText, PlainTextWithAndWithoutMaximumAndAverages) {
  RateViewSettings s;
  s.byteUnits = true;
  RateSample sample{500, 20, 300, 10};
  RateTextPieces p = RateText(sample, 800, s);
  EXPECT_EQ(p.plain, L"(Max: 800 B/s)  Down: 500 B/s  Up: 20 B/s");
  EXPECT_EQ(p.maximum, L"(Max: 800 B/s)");
  EXPECT_EQ(p.down, L"Down: 500 B/s");
  EXPECT_EQ(p.up, L"Up: 20 B/s");
  s.maxInText = false;
  s.averagesInText = true;
  p = RateText(sample, 800, s);
  EXPECT_EQ(p.plain, L"Avg Down: 300 B/s  Avg Up: 10 B/s");
  EXPECT_TRUE(p.maximum.empty());
  s.byteUnits = false;
  EXPECT_EQ(RateText(sample, 800, s).down, L"Avg Down: 2.40 kbps");
}

TEST(RateText, ColouredPiecesAreCentredWithTwoSpacesBetween) {
  ColouredTextPlan with = PlanColouredText(3, 200, 4, true, 50, 40, 30);
  EXPECT_EQ(with.maxX, 3 + (200 - 16 - 120) / 2);
  EXPECT_EQ(with.downX, with.maxX + 50 + 8);
  EXPECT_EQ(with.upX, with.downX + 40 + 8);
  ColouredTextPlan without = PlanColouredText(3, 200, 4, false, 0, 40, 30);
  EXPECT_EQ(without.downX, 3 + (200 - 70 - 8) / 2);
  EXPECT_EQ(without.upX, without.downX + 48);
  // A text wider than its rectangle starts left of it rather than wrapping.
  EXPECT_LT(PlanColouredText(3, 50, 4, true, 50, 40, 30).maxX, 3);
}

// ---- Columns and lines --------------------------------------------------------------------

class RatePlan : public ::testing::Test {
 protected:
  RatePlan() {
    s = GraphOnly();
    s.scale = false;
    s.rateHeightPercent = 100;
    layout = ComputeLayout(42, 102, s, Metrics());  // area (1, 1, 41, 101), height 100
  }
  RateViewSettings s;
  RateViewLayout layout;
};

TEST_F(RatePlan, ColumnsSplitIntoTheBothColourAndTheLargerDirection) {
  auto h = History({{50, 20, 0, 0}, {10, 40, 0, 0}, {30, 30, 0, 0}, {0, 0, 0, 0}});
  std::vector<ColumnParts> c = PlanColumns(h, layout, s, 100);
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0].both, (PixelRect{38, 81, 41, 101}));
  EXPECT_EQ(c[0].single, (PixelRect{38, 51, 41, 81}));
  EXPECT_TRUE(c[0].singleIsDownload);
  EXPECT_EQ(c[1].both, (PixelRect{34, 91, 37, 101}));
  EXPECT_EQ(c[1].single, (PixelRect{34, 61, 37, 91}));
  EXPECT_FALSE(c[1].singleIsDownload);
  EXPECT_EQ(c[2].both, (PixelRect{30, 71, 33, 101}));
  EXPECT_TRUE(c[2].single.IsEmpty());
  EXPECT_TRUE(c[3].both.IsEmpty());
  EXPECT_TRUE(c[3].single.IsEmpty());
}

TEST_F(RatePlan, ColumnsStopAtTheGraphLeftAndTheLastIsClipped) {
  std::deque<RateSample> h(100, RateSample{100, 0, 0, 0});
  std::vector<ColumnParts> c = PlanColumns(h, layout, s, 100);
  ASSERT_EQ(c.size(), 10u);  // x = 41, 37, ..., 5
  EXPECT_EQ(c.back().single.left, 2);
  s.pulseWidth = 6;  // x = 41, 34, ..., 6: the last column is cut at the graph's left edge
  c = PlanColumns(h, layout, s, 100);
  EXPECT_EQ(c.back().single.left, 1);
}

TEST_F(RatePlan, AFixedScaleOfOneDrawsLargerRatesAtFullHeight) {
  auto h = History({{5000, 2, 0, 0}});
  RateMaxima m;
  m.SetFixed(true, 0, h, 10, false, false);
  std::vector<ColumnParts> c = PlanColumns(h, layout, s, m.ScaleTop());
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].both, (PixelRect{38, 1, 41, 101}));
  EXPECT_TRUE(c[0].single.IsEmpty());
  std::vector<LinePoint> line = PlanLine(h, layout, s, m.ScaleTop(), LineValue::Down);
  ASSERT_EQ(line.size(), 1u);
  EXPECT_EQ(line[0], (LinePoint{40, 100 - 99}));
}

TEST_F(RatePlan, NothingIsDrawnWhenTheScaleTopIsZero) {
  std::deque<RateSample> h(20);
  RateMaxima m;
  m.Recompute(h, 10, false, false);
  EXPECT_TRUE(PlanColumns(h, layout, s, m.ScaleTop()).empty());
  EXPECT_TRUE(PlanLine(h, layout, s, m.ScaleTop(), LineValue::Up).empty());
  EXPECT_TRUE(PlanLine(h, layout, s, m.ScaleTop(), LineValue::AvgDown).empty());
  EXPECT_EQ(ScaleLabelValue(m.ScaleTop(), layout, 50), 0u);
}

TEST_F(RatePlan, LinePointsStepLeftFromOneInsideTheRightEdge) {
  auto h = History({{100, 0, 50, 25}, {0, 100, 50, 25}, {33, 0, 0, 0}});
  EXPECT_EQ(PlanLine(h, layout, s, 100, LineValue::Down),
            (std::vector<LinePoint>{{40, 1}, {36, 100}, {32, 100 - 32}}));
  EXPECT_EQ(PlanLine(h, layout, s, 100, LineValue::AvgUp),
            (std::vector<LinePoint>{{40, 100 - 24}, {36, 100 - 24}, {32, 100}}));
  std::deque<RateSample> longer(100, RateSample{});
  std::vector<LinePoint> pts = PlanLine(longer, layout, s, 1, LineValue::Up);
  ASSERT_FALSE(pts.empty());
  EXPECT_GE(pts.back().x, layout.graphArea.left);
  EXPECT_EQ(pts.size(), 10u);  // 40, 36, ..., 4
}

TEST_F(RatePlan, HugeRatesDoNotOverflowTheHeights) {
  auto h = History({{0xFFFFFFFF, 0xFFFFFFFE, 0, 0}});
  std::vector<ColumnParts> c = PlanColumns(h, layout, s, 0xFFFFFFFF);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].both.top, 2);
  EXPECT_EQ(c[0].single.top, 1);
}

// ---- Settings changes ---------------------------------------------------------------------

TEST(RateViewSettingsChange, OnlyLayoutSettingsAskForALayout) {
  RateViewSettings a, b;
  EXPECT_FALSE(NeedsLayout(a, b));
  b.down = 0x123456;
  b.timeFormat = 2;
  EXPECT_FALSE(NeedsLayout(a, b));
  for (auto change : {+[](RateViewSettings& s) { s.byteUnits = !s.byteUnits; },
                      +[](RateViewSettings& s) { s.avgUpLine = !s.avgUpLine; },
                      +[](RateViewSettings& s) { s.scaleFont.height = -20; },
                      +[](RateViewSettings& s) { s.rateHeightPercent = 60; },
                      +[](RateViewSettings& s) { s.pulseSpace = 0; }}) {
    RateViewSettings c;
    change(c);
    EXPECT_TRUE(NeedsLayout(a, c));
  }
  RateViewSettings g;
  g.timeGridIntervalSec = 10;
  EXPECT_TRUE(NeedsGridReset(a, g));
  EXPECT_FALSE(NeedsGridReset(a, b));
}

TEST(RateViewSettingsChange, NaturalHeightAndFontHeights) {
  RateViewSettings s;
  EXPECT_EQ(NaturalViewHeight(s, Metrics()), 16 + 16 + 100);
  s.title = false;
  s.graph = false;
  EXPECT_EQ(NaturalViewHeight(s, Metrics()), 16);
  EXPECT_EQ(FontHeightOf(MakeLogFont(L"Tahoma", -11, 0), 13), 11);
  EXPECT_EQ(FontHeightOf(MakeLogFont(L"Tahoma", 0, 0), 13), 13);
  EXPECT_TRUE(IsMissingFont(LogFontRecord{}));
  EXPECT_FALSE(IsMissingFont(MakeLogFont(L"Tahoma", 13, 0)));
}

}  // namespace
}  // namespace vantrel
