#include "app/logic/window_layout.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(StartPlacement, UsesTheStoredRectangleWhenThereIsOne) {
  WindowRect stored{100, 200, 400, 330};
  PixelRect r = StartPlacement(stored, 50, 60, {0, 0, 1280, 1000}, 17, 17);
  EXPECT_EQ(r, (PixelRect{100, 200, 400, 330}));
}

TEST(StartPlacement, PutsTheWindowBottomRightClearOfScrollBarSizedStrips) {
  PixelRect r = StartPlacement(WindowRect{}, 300, 120, {0, 0, 1280, 994}, 16, 18);
  EXPECT_EQ(r.right, 1280 - 16);
  EXPECT_EQ(r.bottom, 994 - 18);
  EXPECT_EQ(r.Width(), 300);
  EXPECT_EQ(r.Height(), 120);
}

TEST(StartPlacement, TreatsAnInvertedStoredRectangleAsMissing) {
  PixelRect r = StartPlacement(WindowRect{500, 500, 400, 400}, 300, 120, {0, 0, 1000, 800}, 10, 10);
  EXPECT_EQ(r, (PixelRect{690, 670, 990, 790}));
}

TEST(MinimumClientShortfall, AsksForTwiceTheMarginPlusOne) {
  struct Case {
    int w, h, margin, dx, dy;
  } cases[] = {
      {10, 10, 2, 0, 0}, {5, 5, 2, 0, 0}, {4, 5, 2, 1, 0}, {0, 0, 2, 5, 5}, {3, 100, 10, 18, 0}, {1, 1, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SizeShortfall s = MinimumClientShortfall(c.w, c.h, c.margin);
    EXPECT_EQ(s.dx, c.dx) << c.w << "x" << c.h << " margin " << c.margin;
    EXPECT_EQ(s.dy, c.dy) << c.w << "x" << c.h << " margin " << c.margin;
  }
}

TEST(ZeroFractionGrowth, AddsThreePixelsPerViewWithoutPixelsWhenSeveralAreShown) {
  EXPECT_EQ(ZeroFractionGrowth(100, {0.5f, 0.0f, 0.001f}), 6);
  EXPECT_EQ(ZeroFractionGrowth(100, {0.5f, 0.5f}), 0);
}

TEST(ZeroFractionGrowth, LeavesASingleViewAlone) { EXPECT_EQ(ZeroFractionGrowth(100, {0.0f}), 0); }

TEST(StackAtStart, StacksViewsByTheirFractionsTwoPixelsApart) {
  ViewStack s = StackAtStart(200, 100, 2, {0.3f, 0.3f, 0.3f});
  ASSERT_EQ(s.views.size(), 3u);
  EXPECT_EQ(s.views[0], (PixelRect{2, 2, 198, 32}));
  EXPECT_EQ(s.views[1], (PixelRect{2, 34, 198, 64}));
  // The last view ends at the bottom of the area inside the margin.
  EXPECT_EQ(s.views[2], (PixelRect{2, 66, 198, 98}));
  ASSERT_EQ(s.strips.size(), 2u);
  EXPECT_EQ(s.strips[0], (PixelRect{2, 32, 198, 34}));
  EXPECT_EQ(s.strips[1], (PixelRect{2, 64, 198, 66}));
}

TEST(StackAtStart, GivesAZeroFractionViewOnePixel) {
  ViewStack s = StackAtStart(100, 100, 2, {0.0f, 0.5f});
  EXPECT_EQ(s.views[0].Height(), 1);
  EXPECT_EQ(s.views[1].top, 5);
}

TEST(StackAtStart, EndsAViewThatWouldPassTheBottomAtTheBottom) {
  ViewStack s = StackAtStart(100, 100, 2, {0.9f, 0.9f, 0.9f});
  EXPECT_EQ(s.views[0], (PixelRect{2, 2, 98, 92}));
  EXPECT_EQ(s.views[1], (PixelRect{2, 94, 98, 98}));
  // Nothing is left for the third: it keeps no height instead of turning upside down.
  EXPECT_EQ(s.views[2].top, 98);
  EXPECT_EQ(s.views[2].bottom, 98);
}

TEST(ResizeViews, HidesEveryViewInAWindowNoLargerThanTwiceTheMargin) {
  std::vector<PixelRect> now{{2, 2, 98, 48}, {2, 50, 98, 98}};
  for (auto [w, h] : {std::pair{4, 100}, std::pair{100, 4}, std::pair{3, 3}}) {
    ViewStack s = ResizeViews(100, 100, w, h, 2, now, {0.46f, 0.48f});
    ASSERT_EQ(s.views.size(), 2u);
    EXPECT_EQ(s.views[0], PixelRect{}) << w << "x" << h;
    EXPECT_EQ(s.views[1], PixelRect{}) << w << "x" << h;
  }
}

TEST(ResizeViews, ShowsHiddenViewsAgainWhenTheWindowGrowsBack) {
  std::vector<PixelRect> hidden{PixelRect{}, PixelRect{}};
  // Only the width changes, but the views come back by their fractions.
  ViewStack s = ResizeViews(3, 100, 100, 100, 2, hidden, {0.5f, 0.5f});
  EXPECT_EQ(s.views[0], (PixelRect{2, 2, 98, 52}));
  EXPECT_EQ(s.views[1], (PixelRect{2, 54, 98, 98}));
}

TEST(ResizeViews, KeepsTopsAndBottomsWhenOnlyTheWidthChanges) {
  std::vector<PixelRect> now{{2, 2, 98, 40}, {2, 42, 98, 98}};
  ViewStack s = ResizeViews(100, 100, 150, 100, 2, now, {0.1f, 0.1f});
  EXPECT_EQ(s.views[0], (PixelRect{2, 2, 148, 40}));
  EXPECT_EQ(s.views[1], (PixelRect{2, 42, 148, 98}));
  EXPECT_EQ(s.strips[0], (PixelRect{2, 40, 148, 42}));
}

TEST(ResizeViews, LetsASingleViewFillTheAreaInsideTheMargin) {
  ViewStack s = ResizeViews(100, 100, 120, 80, 3, {{3, 3, 97, 97}}, {0.94f});
  ASSERT_EQ(s.views.size(), 1u);
  EXPECT_EQ(s.views[0], (PixelRect{3, 3, 117, 77}));
  EXPECT_TRUE(s.strips.empty());
}

TEST(ResizeViews, RestacksSeveralViewsByTheirFractionsWhenTheHeightChanges) {
  std::vector<PixelRect> now{{2, 2, 98, 48}, {2, 50, 98, 98}};
  ViewStack s = ResizeViews(100, 100, 100, 200, 2, now, {0.25f, 0.5f});
  EXPECT_EQ(s.views[0], (PixelRect{2, 2, 98, 52}));
  EXPECT_EQ(s.views[1], (PixelRect{2, 54, 98, 198}));
}

TEST(StackKeepingHeights, StacksFromTheTopMarginAndClampsAtTheBottom) {
  ViewStack s = StackKeepingHeights(100, 100, 2, {40, 40, 40});
  EXPECT_EQ(s.views[0], (PixelRect{2, 2, 98, 42}));
  EXPECT_EQ(s.views[1], (PixelRect{2, 44, 98, 84}));
  EXPECT_EQ(s.views[2], (PixelRect{2, 86, 98, 98}));
}

TEST(Fractions, AreViewHeightsOverTheClientHeight) {
  auto f = Fractions({{0, 0, 10, 25}, {0, 27, 10, 100}}, 100);
  EXPECT_FLOAT_EQ(f[0], 0.25f);
  EXPECT_FLOAT_EQ(f[1], 0.73f);
  EXPECT_FLOAT_EQ(Fractions({{0, 0, 10, 25}}, 0)[0], 0.0f);
}

TEST(NaturalViewHeight, AddsTheBandsThatAreShown) {
  EXPECT_EQ(NaturalViewHeight(true, 13, true, 13, true), 132);
  EXPECT_EQ(NaturalViewHeight(false, 13, true, 15, false), 18);
  EXPECT_EQ(NaturalViewHeight(true, 20, false, 13, true), 123);
  EXPECT_EQ(NaturalViewHeight(false, 13, false, 13, false), 0);
}

TEST(GrowForAddedView, GrowsUpwardByTheNaturalHeightAndThree) {
  PixelRect r = GrowForAddedView({900, 700, 1200, 830}, 132);
  EXPECT_EQ(r, (PixelRect{900, 565, 1200, 830}));
}

TEST(GrowForAddedView, GrowsDownwardNearTheTopOfTheScreen) {
  PixelRect r = GrowForAddedView({10, 50, 310, 180}, 132);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.bottom, 180 + 85);
  EXPECT_EQ(r.Height(), 130 + 135);
}

TEST(ShrinkForRemovedView, BringsTheTopDownByTheViewAndItsGap) {
  EXPECT_EQ(ShrinkForRemovedView({0, 100, 300, 400}, 50), (PixelRect{0, 152, 300, 400}));
}

class SeparatorDragTest : public ::testing::Test {
 protected:
  ViewStack stack = StackKeepingHeights(100, 200, 2, {50, 50, 50});
};

TEST_F(SeparatorDragTest, StartsOnlyOnAStrip) {
  EXPECT_EQ(BeginSeparatorDrag(stack, 50, 20).strip, -1);
  EXPECT_EQ(BeginSeparatorDrag(stack, 50, 52).strip, 0);
  EXPECT_EQ(BeginSeparatorDrag(stack, 50, 105).strip, 1);
  EXPECT_EQ(StripAt(stack, 1, 52), -1);  // left of the views, in the margin
}

TEST_F(SeparatorDragTest, StopsOnePixelBelowTheUpperViewsTop) {
  SeparatorDrag d = BeginSeparatorDrag(stack, 50, 53);
  ASSERT_EQ(d.strip, 0);
  EXPECT_TRUE(DragSeparatorTo(&stack, d, -40));
  EXPECT_EQ(stack.strips[0].top, 3);
  EXPECT_EQ(stack.views[0].top, 2);
  EXPECT_EQ(stack.views[0].bottom, 3);
  EXPECT_EQ(stack.views[1].top, 5);
}

TEST_F(SeparatorDragTest, StopsThreePixelsAboveTheLowerViewsBottom) {
  SeparatorDrag d = BeginSeparatorDrag(stack, 50, 52);
  EXPECT_TRUE(DragSeparatorTo(&stack, d, 500));
  EXPECT_EQ(stack.strips[0].top, 104 - 3);
  EXPECT_EQ(stack.views[1].top, 103);
  EXPECT_EQ(stack.views[1].bottom, 104);
  EXPECT_EQ(stack.views[0].bottom, 101);
}

TEST_F(SeparatorDragTest, ReportsNoChangeWhenThePointerStaysOnTheStrip) {
  SeparatorDrag d = BeginSeparatorDrag(stack, 50, 52);
  EXPECT_FALSE(DragSeparatorTo(&stack, d, stack.strips[0].top));
  EXPECT_TRUE(DragSeparatorTo(&stack, d, 60));
  EXPECT_EQ(stack.views[0].bottom, 60);
  EXPECT_EQ(stack.views[1].top, 62);
  EXPECT_EQ(stack.views[2].top, 106);  // the other views stay
}

// ---- Display scaling: lengths of the program's own and stored ones at the window's DPI ------

TEST(DisplayScaling, TheDefaultWindowGrowsWithTheScale) {
  EXPECT_EQ(DefaultClientSize(96), (PixelSize{445, 132}));
  EXPECT_EQ(DefaultClientSize(120), (PixelSize{556, 165}));
  EXPECT_EQ(DefaultClientSize(144), (PixelSize{668, 198}));
  EXPECT_EQ(DefaultClientSize(192), (PixelSize{890, 264}));
}

TEST(DisplayScaling, MarginsGapsAndLimitsScaleWithTheWindow) {
  // A margin of 2 and the 2-pixel gap at 200%: 4 pixels each.
  ViewStack s = StackAtStart(400, 200, 2, {0.5f, 0.5f}, 192);
  ASSERT_EQ(s.views.size(), 2u);
  EXPECT_EQ(s.views[0], (PixelRect{4, 4, 396, 104}));
  EXPECT_EQ(s.strips[0], (PixelRect{4, 104, 396, 108}));
  EXPECT_EQ(s.views[1], (PixelRect{4, 108, 396, 196}));
  EXPECT_EQ(ResizeViews(400, 200, 400, 300, 2, s.views, {0.5f, 0.5f}, 192).views[1], (PixelRect{4, 158, 396, 296}));
  SeparatorDrag d = BeginSeparatorDrag(s, 100, 105, 192);
  EXPECT_EQ(d.minTop, 4 + 2);
  EXPECT_EQ(d.maxTop, 196 - 6);
  // A new view: 13-pixel fonts become 26 with 6 pixels each, a 200-pixel graph; the window
  // grows by that and 6.
  EXPECT_EQ(NaturalViewHeight(true, 13, true, 13, true, 192), 264);
  EXPECT_EQ(GrowForAddedView({0, 500, 900, 800}, 264, 192), (PixelRect{0, 230, 900, 800}));
  EXPECT_EQ(ShrinkForRemovedView({0, 100, 900, 800}, 100, 192), (PixelRect{0, 204, 900, 800}));
  EXPECT_EQ(MinimumClientShortfall(8, 9, 2, 192).dx, 1);  // 2 x 4 + 1
  EXPECT_EQ(ZeroFractionGrowth(100, {0.5f, 0.0f}, 192), 6);
}

TEST(DisplayScaling, AStoredWindowHasTheSameSizeOnAScreenOfAnotherScale) {
  // Saved at 150%: the corner as it is, the size in 96-DPI units.
  WindowRect stored = StoredWindowRect({1000, 700, 1668, 903}, 144);
  EXPECT_EQ(stored, (WindowRect{1000, 700, 1445, 835}));
  EXPECT_EQ(RestoredWindowRect(stored, 144), (PixelRect{1000, 700, 1668, 903}));
  EXPECT_EQ(RestoredWindowRect(stored, 192), (PixelRect{1000, 700, 1890, 970}));
  EXPECT_EQ(RestoredWindowRect(stored, 96), (PixelRect{1000, 700, 1445, 835}));
  EXPECT_TRUE(RestoredWindowRect(WindowRect{}, 144).IsEmpty());
}

TEST(DisplayScaling, ARestoredWindowStaysOnItsScreensWorkArea) {
  const PixelRect work{0, 0, 1280, 994};
  EXPECT_EQ(KeepOnWorkArea({100, 100, 400, 200}, work), (PixelRect{100, 100, 400, 200}));
  EXPECT_EQ(KeepOnWorkArea({1200, 950, 1500, 1050}, work), (PixelRect{980, 894, 1280, 994}));
  // Saved on a screen that is gone.
  EXPECT_EQ(KeepOnWorkArea({-3000, -50, -2700, 50}, work), (PixelRect{0, 0, 300, 100}));
  // Larger than the work area: its top-left corner is kept in view.
  EXPECT_EQ(KeepOnWorkArea({500, 500, 2500, 1700}, work), (PixelRect{0, 0, 2000, 1200}));
  // A second screen left of the first.
  EXPECT_EQ(KeepOnWorkArea({-100, 10, 200, 110}, {-1920, 0, 0, 1040}), (PixelRect{-300, 10, 0, 110}));
}

TEST(LayeredAlpha, MapsPercentToAlpha) {
  struct Case {
    int percent;
    int alpha;
  } cases[] = {{0, 255}, {10, 229}, {50, 127}, {90, 25}, {100, 0}, {-5, 255}, {150, 0}};
  for (const auto& c : cases) EXPECT_EQ(LayeredAlpha(c.percent), c.alpha) << c.percent;
}

TEST(LayeredAlpha, IsOpaqueWithoutSemiTransparency) {
  EXPECT_EQ(LayeredAlpha(EffectiveTransparency(false, 60)), 255);
  EXPECT_EQ(LayeredAlpha(EffectiveTransparency(true, 60)), 102);
}

TEST(LayeredExStyle, SetsLayeredAndFollowsClickThrough) {
  EXPECT_EQ(LayeredExStyle(0x8, true), 0x8u | kExLayered | kExTransparent);
  EXPECT_EQ(LayeredExStyle(0x8 | kExTransparent, false), 0x8u | kExLayered);
}

}  // namespace
}  // namespace vantrel
