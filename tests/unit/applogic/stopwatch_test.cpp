#include "app/logic/stopwatch.h"

#include <gtest/gtest.h>

#include "engine/formatters.h"
#include "engine/sampling_tick.h"

namespace vantrel {
namespace {

// What the tick does to a history each second.
void Push(AdapterEntry& e, uint32_t down, uint32_t up) {
  RateSample s;
  s.down = down;
  s.up = up;
  e.history.push_front(s);
  ++e.samplesPushed;
}

TEST(Stopwatch, BeforeTheFirstSampleEveryRateReadsTheFormattersZero) {
  AdapterEntry e;
  Push(e, 5000, 6000);
  StopwatchCounter sw;
  sw.Start(e);
  EXPECT_EQ(sw.Refresh(e), 0u);
  EXPECT_FALSE(sw.Figures().minimaSet);
  StopwatchTexts t = StopwatchFieldTexts(sw.Figures(), false);
  EXPECT_EQ(t.minDown, FormatRate(0, false));
  EXPECT_EQ(t.minUp, FormatRate(0, false));
  EXPECT_EQ(t.avgDown, FormatRate(0, false));
  EXPECT_EQ(t.totalDownBytes, FormatByteCount(0, true));
  EXPECT_EQ(ElapsedTimeText(0), L"00 : 00 : 00");
  for (int i = 0; i < 3725; ++i) sw.AddSecond();
  EXPECT_EQ(ElapsedTimeText(sw.Figures().elapsedSeconds), L"01 : 02 : 05");
}

TEST(Stopwatch, CountsOnlySamplesAfterStartEachOnceAcrossRefreshes) {
  AdapterEntry e;
  Push(e, 999999, 999999);  // there before Start
  StopwatchCounter sw;
  sw.Start(e);
  Push(e, 1000, 300);
  Push(e, 4000, 100);
  EXPECT_EQ(sw.Refresh(e), 2u);
  Push(e, 500, 50);  // both lower than both minima
  EXPECT_EQ(sw.Refresh(e), 1u);
  EXPECT_EQ(sw.Refresh(e), 0u);
  const StopwatchFigures& f = sw.Figures();
  EXPECT_EQ(f.samples, 3u);
  EXPECT_EQ(f.totalDown, 5500u);
  EXPECT_EQ(f.totalUp, 450u);
  EXPECT_EQ(f.maxDown, 4000u);
  EXPECT_EQ(f.maxUp, 300u);
  EXPECT_EQ(f.minDown, 500u);
  EXPECT_EQ(f.minUp, 50u);
  EXPECT_EQ(f.avgDown, 5500u / 3);
  EXPECT_EQ(f.avgUp, 150u);
  StopwatchTexts t = StopwatchFieldTexts(f, true);
  EXPECT_EQ(t.totalDownBytes, FormatByteCount(5500, true));
  EXPECT_EQ(t.totalDownBits, FormatByteCount(5500, false));
  EXPECT_EQ(t.minUp, FormatRate(50, true));

  // Start again: everything from zero, the minima unset until the next sample.
  sw.Stop();
  sw.Start(e);
  sw.Refresh(e);
  EXPECT_EQ(sw.Figures().totalDown, 0u);
  EXPECT_FALSE(sw.Figures().minimaSet);
  Push(e, 7, 0);
  sw.Refresh(e);
  EXPECT_EQ(sw.Figures().minDown, 7u);
  EXPECT_EQ(sw.Figures().minUp, 0u);
}

TEST(Stopwatch, AResetOfTheAdaptersRatesLosesOnlyTheSamplesItCleared) {
  AdapterEntry e;
  StopwatchCounter sw;
  sw.Start(e);
  Push(e, 100, 10);
  Push(e, 200, 20);
  SamplingTick::ResetRates(e);  // the main window's Reset Rates before the stopwatch looked
  Push(e, 300, 30);
  EXPECT_EQ(sw.Refresh(e), 1u);
  EXPECT_EQ(sw.Figures().totalDown, 300u);
  EXPECT_EQ(sw.Figures().totalUp, 30u);
}

}  // namespace
}  // namespace vantrel
