#pragma once
// Where the Traffic Reports chart draws: the plot area between the value labels on the left
// and the period labels below, each bar's column and its share of the width (the area its
// tooltip answers for), which bars get a label without labels running into each other, and
// how many gridlines the height has room for. All lengths are at the window's DPI; the window
// measures its texts and passes the sizes in.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/logic/pixel_rect.h"
#include "ui/dpi_scale.h"

namespace vantrel {

// What the window measured in its font.
struct ChartMetrics {
  unsigned dpi = kDefaultDpi;
  int fontHeight = 13;      // one line of the chart's font
  int valueLabelWidth = 0;  // the widest gridline label
  int barLabelWidth = 0;    // the widest period label
};

struct ChartLayout {
  PixelRect plot;                 // 0 on plot.bottom, the axis top on plot.top
  std::vector<PixelRect> bars;    // each bar's column, the whole plot height
  std::vector<PixelRect> slots;   // each bar's share of the width, down through its label
  std::vector<PixelRect> labels;  // each bar's period label, empty for a bar without one; the
                                  // newest has one, and none runs into another or off the chart
  int labelTop = 0;               // the top of the period labels
  int maxSteps = 1;               // gridlines the plot has room for, 1 to 10
};

// The layout of `bars` bars in a chart of width x height client pixels.
ChartLayout LayoutChart(int width, int height, size_t bars, const ChartMetrics& m);
// The y of a value on an axis reaching `axisTop` at plot.top (values above it at plot.top).
int ChartValueY(const ChartLayout& layout, uint64_t value, uint64_t axisTop);

// The chart's export: the name typed with ".png" appended unless it ends so (ignoring case).
std::wstring ChartExportPath(const std::wstring& name);
// Texts of the export.
inline constexpr wchar_t kChartExportTitle[] = L"Export Traffic Chart";
// "Successfully export traffic chart to file '%s'.\n\nDo you want to open it now?"
std::wstring ChartExportQuestion(const std::wstring& path);

}  // namespace vantrel
