#include "app/logic/tray_logic.h"

#include <algorithm>

#include "engine/formatters.h"

namespace vantrel {

namespace {

constexpr int kColumnBase = 14;  // bottom row inside the frame
constexpr int kColumnSpan = 14;  // rows 1 to 14
constexpr int kColumnSamples = 14;
constexpr int kLineSpan = 13;

std::wstring Cut(const std::wstring& s, long long chars) {
  if (chars <= 0) return std::wstring();
  return s.substr(0, static_cast<size_t>(chars));
}

int Height(uint32_t rate, uint32_t top, int span) {
  uint64_t h = static_cast<uint64_t>(rate) * static_cast<uint64_t>(span) / top;
  return static_cast<int>(std::min<uint64_t>(h, static_cast<uint64_t>(span)));
}

void Set(IconPlan& plan, int x, int y, IconPixel p) {
  if (x >= 0 && x < kTrayIconSize && y >= 0 && y < kTrayIconSize) plan[y][x] = p;
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

void Line(IconPlan& plan, const std::deque<RateSample>& history, uint32_t top, bool upload) {
  IconPixel p = upload ? IconPixel::Up : IconPixel::Down;
  int prevX = 0, prevY = 0;
  for (size_t i = 0; i < history.size() && i <= static_cast<size_t>(kColumnBase); ++i) {
    int x = kColumnBase - static_cast<int>(i);
    int y = kColumnBase - Height(upload ? history[i].up : history[i].down, top, kLineSpan);
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

IconPlan TrayGraphIconPlan(const std::deque<RateSample>& history, uint32_t scaleTop, bool columns) {
  IconPlan plan;
  for (auto& row : plan) row.fill(IconPixel::Background);
  const int last = kTrayIconSize - 1;
  for (int i = 0; i < kTrayIconSize; ++i) {
    plan[last][i] = IconPixel::Highlight;
    plan[i][last] = IconPixel::Highlight;
  }
  for (int i = 0; i < last; ++i) {
    plan[0][i] = IconPixel::Shadow;
    plan[i][0] = IconPixel::Shadow;
  }
  const uint32_t top = scaleTop == 0 ? 1 : scaleTop;
  if (columns) {
    for (size_t i = 0; i < history.size() && i < static_cast<size_t>(kColumnSamples); ++i) {
      int x = kColumnBase - static_cast<int>(i);
      int hd = Height(history[i].down, top, kColumnSpan);
      int hu = Height(history[i].up, top, kColumnSpan);
      int low = std::min(hd, hu), high = std::max(hd, hu);
      RunUp(plan, x, kColumnBase, low, IconPixel::Both);
      if (high > low) RunUp(plan, x, kColumnBase - low, high - low, hd > hu ? IconPixel::Down : IconPixel::Up);
    }
  } else {
    Line(plan, history, top, true);
    Line(plan, history, top, false);
  }
  return plan;
}

}  // namespace vantrel
