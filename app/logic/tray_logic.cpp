#include "app/logic/tray_logic.h"

#include <algorithm>

#include "engine/formatters.h"
#include "ui/dpi_scale.h"

namespace vantrel {

namespace {

constexpr int kMaxTrayIconSize = 256;

// The plan in units: `size` units square, a unit being one or more pixels of the icon.
// Inside the one-unit frame: the bottom row (`base`), the rows a column may fill (`span`,
// also how many samples show) and the rows a line may rise.
struct Grid {
  int size;
  int Base() const { return size - 2; }
  int Span() const { return size - 2; }
  int LineSpan() const { return size - 3; }
};

std::wstring Cut(const std::wstring& s, long long chars) {
  if (chars <= 0) return std::wstring();
  return s.substr(0, static_cast<size_t>(chars));
}

int Height(uint32_t rate, uint32_t top, int span) {
  uint64_t h = static_cast<uint64_t>(rate) * static_cast<uint64_t>(span) / top;
  return static_cast<int>(std::min<uint64_t>(h, static_cast<uint64_t>(span)));
}

void Set(IconPlan& plan, int x, int y, IconPixel p) {
  const int size = static_cast<int>(plan.size());
  if (x >= 0 && x < size && y >= 0 && y < size) plan[y][x] = p;
}

// A vertical run from (x, from) upward, `count` pixels.
void RunUp(IconPlan& plan, int x, int from, int count, IconPixel p) {
  for (int i = 0; i < count; ++i) Set(plan, x, from - i, p);
}

// A one-pixel line from a to b, a included and b left out (as a pen's line), for
// neighbouring columns: the first half of the rise at a's column, the rest at b's.
void Segment(IconPlan& plan, int ax, int ay, int bx, int by, IconPixel p) {
  int dy = by - ay;
  int steps = std::max(1, dy < 0 ? -dy : dy);
  int dir = dy < 0 ? -1 : 1;
  for (int t = 0; t < steps; ++t) {
    int x = 2 * t < steps ? ax : bx;
    int y = dy == 0 ? ay : ay + dir * t;
    Set(plan, x, y, p);
  }
}

void Line(IconPlan& plan, const Grid& g, const std::deque<RateSample>& history, uint32_t top, bool upload) {
  IconPixel p = upload ? IconPixel::Up : IconPixel::Down;
  int prevX = 0, prevY = 0;
  for (size_t i = 0; i < history.size() && i <= static_cast<size_t>(g.Base()); ++i) {
    int x = g.Base() - static_cast<int>(i);
    int y = g.Base() - Height(upload ? history[i].up : history[i].down, top, g.LineSpan());
    if (i > 0) Segment(plan, prevX, prevY, x, y, p);
    prevX = x;
    prevY = y;
  }
}

}  // namespace

std::wstring TrayRatesText(const RateSample& newest, bool byteUnits) {
  return L"Dw: " + FormatRate(newest.down, byteUnits) + L"  Up: " + FormatRate(newest.up, byteUnits);
}

std::wstring TrayTooltip(const std::wstring& name, const std::wstring& address, const std::wstring& rates) {
  const long long n = static_cast<long long>(name.size());
  const long long a = static_cast<long long>(address.size());
  const long long r = static_cast<long long>(rates.size());
  std::wstring tip;
  if (n > 0 && a > 0) {
    std::wstring shownName = name;
    if (n + r + a >= 60) {
      if (59 - r - a <= 0) {
        tip = (59 - r == a) ? address + L"\n" + rates : rates;
        return Cut(tip, kTrayTipMaxChars);
      }
      shownName = Cut(name, 59 - r - a);
    }
    tip = shownName + L" [" + address + L"]\n" + rates;
  } else if (n > 0) {
    tip = (n + r > 62 ? Cut(name, 62 - r) : name) + L"\n" + rates;
  } else if (a > 0) {
    tip = a + r < 63 ? address + L"\n" + rates : rates;
  } else {
    tip = rates;
  }
  return Cut(tip, kTrayTipMaxChars);
}

int ActivityIconIndex(const RateSample& newest) { return (newest.down > 0 ? 2 : 0) + (newest.up > 0 ? 1 : 0); }

int TrayIconSize(int systemAnswer, unsigned dpi) {
  if (systemAnswer > 0 && systemAnswer <= kMaxTrayIconSize) return systemAnswer;
  return std::clamp(ScaleForDpi(kTrayIconSize, dpi), 1, kMaxTrayIconSize);
}

IconPlan TrayGraphIconPlan(const std::deque<RateSample>& history, uint32_t scaleTop, bool columns, int size) {
  size = std::clamp(size, 4, kMaxTrayIconSize);
  const int unit = std::max(1, size / kTrayIconSize);
  const Grid g{size / unit};
  IconPlan plan(static_cast<size_t>(g.size), std::vector<IconPixel>(static_cast<size_t>(g.size), IconPixel::Background));
  const int last = g.size - 1;
  for (int i = 0; i < g.size; ++i) {
    plan[last][i] = IconPixel::Highlight;
    plan[i][last] = IconPixel::Highlight;
  }
  for (int i = 0; i < last; ++i) {
    plan[0][i] = IconPixel::Shadow;
    plan[i][0] = IconPixel::Shadow;
  }
  const uint32_t top = scaleTop == 0 ? 1 : scaleTop;
  if (columns) {
    for (size_t i = 0; i < history.size() && i < static_cast<size_t>(g.Span()); ++i) {
      int x = g.Base() - static_cast<int>(i);
      int hd = Height(history[i].down, top, g.Span());
      int hu = Height(history[i].up, top, g.Span());
      int low = std::min(hd, hu), high = std::max(hd, hu);
      RunUp(plan, x, g.Base(), low, IconPixel::Both);
      if (high > low) RunUp(plan, x, g.Base() - low, high - low, hd > hu ? IconPixel::Down : IconPixel::Up);
    }
  } else {
    Line(plan, g, history, top, true);
    Line(plan, g, history, top, false);
  }
  if (unit == 1) return plan;
  // Each unit becomes unit x unit pixels; pixels past the last whole unit repeat the frame.
  IconPlan pixels(static_cast<size_t>(size), std::vector<IconPixel>(static_cast<size_t>(size)));
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) pixels[y][x] = plan[std::min(y / unit, last)][std::min(x / unit, last)];
  return pixels;
}

}  // namespace vantrel
