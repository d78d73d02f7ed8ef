#include "app/logic/chart_layout.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

ChartMetrics Metrics(unsigned dpi, int valueWidth, int labelWidth) {
  ChartMetrics m;
  m.dpi = dpi;
  m.fontHeight = ScaleForDpi(13, dpi);
  m.valueLabelWidth = valueWidth;
  m.barLabelWidth = labelWidth;
  return m;
}

TEST(ChartLayout, BarsShareThePlotWithGapsAndLabelsNeverRunIntoEachOther) {
  for (unsigned dpi : {96u, 144u}) {
    for (size_t n : {24u, 26u, 31u}) {
      SCOPED_TRACE(testing::Message() << dpi << " dpi, " << n << " bars");
      const int width = ScaleForDpi(507, dpi), height = ScaleForDpi(247, dpi);
      ChartLayout l = LayoutChart(width, height, n, Metrics(dpi, ScaleForDpi(50, dpi), ScaleForDpi(60, dpi)));
      ASSERT_EQ(l.bars.size(), n);
      // Value labels left of the plot, the period labels below it, a margin all round.
      EXPECT_EQ(l.plot.left, ScaleForDpi(8 + 50 + 6, dpi));
      EXPECT_EQ(l.plot.right, width - ScaleForDpi(8, dpi));
      EXPECT_LE(l.labelTop + ScaleForDpi(13, dpi), height - ScaleForDpi(8, dpi));
      EXPECT_GT(l.plot.top, 0);
      // The slots tile the plot's width; each bar stands inside its own with room to the next.
      EXPECT_EQ(l.slots.front().left, l.plot.left);
      EXPECT_EQ(l.slots.back().right, l.plot.right);
      for (size_t i = 0; i < n; ++i) {
        if (i > 0) {
          EXPECT_EQ(l.slots[i].left, l.slots[i - 1].right);
        }
        EXPECT_GE(l.bars[i].left, l.slots[i].left);
        EXPECT_LT(l.bars[i].right, l.slots[i].right);
        EXPECT_GT(l.bars[i].Width(), 0);
      }
      // The newest bar is labelled; labels are the label's width, inside the chart, and apart.
      ASSERT_EQ(l.labels.size(), n);
      EXPECT_FALSE(l.labels.back().IsEmpty());
      EXPECT_EQ(l.labels.back().right, width);  // pushed in from the edge
      int lastRight = -1, shown = 0;
      for (const PixelRect& label : l.labels) {
        if (label.IsEmpty()) continue;
        ++shown;
        EXPECT_EQ(label.Width(), ScaleForDpi(60, dpi));
        EXPECT_EQ(label.top, l.labelTop);
        EXPECT_GE(label.left, lastRight + ScaleForDpi(8, dpi));
        lastRight = label.right;
      }
      EXPECT_LE(lastRight, width);
      EXPECT_GE(shown, 4);
      EXPECT_GE(l.maxSteps, 3);
      // Values map onto the plot's height, 0 on the baseline.
      EXPECT_EQ(ChartValueY(l, 0, 1000), l.plot.bottom);
      EXPECT_EQ(ChartValueY(l, 1000, 1000), l.plot.top);
      EXPECT_EQ(ChartValueY(l, 5000, 1000), l.plot.top);
      EXPECT_NEAR(ChartValueY(l, 500, 1000), (l.plot.top + l.plot.bottom) / 2, 1);
    }
  }
  // Too small to draw in: nothing overlaps, nothing divides by zero.
  ChartLayout tiny = LayoutChart(10, 10, 31, Metrics(96, 40, 60));
  EXPECT_EQ(tiny.maxSteps, 1);
  EXPECT_EQ(tiny.plot.Width(), 0);
  EXPECT_EQ(ChartValueY(tiny, 1, 0), tiny.plot.top);
  EXPECT_TRUE(LayoutChart(500, 200, 0, Metrics(96, 40, 60)).bars.empty());
}

TEST(ChartExport, NamesEndInPngAndTheQuestionNamesTheFile) {
  EXPECT_EQ(ChartExportPath(L"C:\\out\\chart"), L"C:\\out\\chart.png");
  EXPECT_EQ(ChartExportPath(L"C:\\out\\chart.PNG"), L"C:\\out\\chart.PNG");
  EXPECT_EQ(ChartExportPath(L"C:\\out\\chart.csv"), L"C:\\out\\chart.csv.png");
  EXPECT_EQ(ChartExportQuestion(L"C:\\out\\chart.png"),
            L"Successfully export traffic chart to file 'C:\\out\\chart.png'.\n\nDo you want to open it now?");
}

}  // namespace
}  // namespace vantrel
