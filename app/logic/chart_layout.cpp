#include "app/logic/chart_layout.h"

#include <algorithm>

#include "platform/text.h"

namespace vantrel {

namespace {

// 96-DPI lengths of the chart.
constexpr int kMargin = 8;        // around everything
constexpr int kValueGap = 6;      // between a gridline label and the plot
constexpr int kLabelGap = 4;      // between the plot and the period labels
constexpr int kLabelSpacing = 8;  // at least between two period labels
constexpr int kMaxSteps = 10;

}  // namespace

ChartLayout LayoutChart(int width, int height, size_t bars, const ChartMetrics& m) {
  ChartLayout l;
  auto s = [&](int length) { return ScaleForDpi(length, m.dpi); };
  const int font = std::max(1, m.fontHeight);
  // A line of text above the plot, so the top gridline's label and the threshold's fit.
  l.plot.left = s(kMargin) + std::max(0, m.valueLabelWidth) + s(kValueGap);
  l.plot.top = s(kMargin) + font;
  l.plot.right = std::max(l.plot.left, width - s(kMargin));
  l.plot.bottom = std::max(l.plot.top, height - s(kMargin) - font - s(kLabelGap));
  l.labelTop = l.plot.bottom + s(kLabelGap);
  l.maxSteps = std::clamp(l.plot.Height() / (2 * font), 1, kMaxSteps);
  if (bars == 0) return l;

  const long long n = static_cast<long long>(bars), w = l.plot.Width();
  for (long long i = 0; i < n; ++i) {
    const int x0 = l.plot.left + static_cast<int>(i * w / n);
    const int x1 = l.plot.left + static_cast<int>((i + 1) * w / n);
    // Three tenths of each share is the gap between bars, while a bar keeps a pixel or more.
    const int gap = x1 - x0 >= 3 ? std::max(1, (x1 - x0) * 3 / 10) : 0;
    l.bars.push_back(PixelRect{x0 + gap / 2, l.plot.top, x1 - (gap - gap / 2), l.plot.bottom});
    l.slots.push_back(PixelRect{x0, l.plot.top, x1, std::min(height, l.labelTop + font)});
  }
  // Every k-th bar, counted from the newest, gets its label, centred under it but kept inside
  // the chart; one that the clamping would push into its neighbour is left out.
  const int labelWidth = std::max(0, m.barLabelWidth), spacing = s(kLabelSpacing);
  const long long room = static_cast<long long>(labelWidth + spacing) * n;
  const long long every = std::clamp(w > 0 ? (room + w - 1) / w : n, 1LL, n);
  l.labels.assign(bars, PixelRect{});
  int nextLeft = width + spacing;  // the left edge of the label to the right
  for (long long i = n - 1; i >= 0; i -= every) {
    const PixelRect& bar = l.bars[static_cast<size_t>(i)];
    const int left = std::clamp((bar.left + bar.right) / 2 - labelWidth / 2, 0, std::max(0, width - labelWidth));
    if (left + labelWidth + spacing > nextLeft) continue;
    l.labels[static_cast<size_t>(i)] = PixelRect{left, l.labelTop, left + labelWidth, l.labelTop + font};
    nextLeft = left;
  }
  return l;
}

int ChartValueY(const ChartLayout& layout, uint64_t value, uint64_t axisTop) {
  if (axisTop == 0 || value >= axisTop) return layout.plot.top;
  const long double share = static_cast<long double>(value) / static_cast<long double>(axisTop);
  return layout.plot.bottom - static_cast<int>(share * layout.plot.Height() + 0.5L);
}

std::wstring ChartExportPath(const std::wstring& name) {
  const std::wstring ext = L".png";
  if (name.size() >= ext.size() && EqualsIgnoreCase(name.substr(name.size() - ext.size()), ext)) return name;
  return name + ext;
}

std::wstring ChartExportQuestion(const std::wstring& path) {
  return L"Successfully export traffic chart to file '" + path + L"'.\n\nDo you want to open it now?";
}

}  // namespace vantrel
