#include "app/logic/rate_view_layout.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "engine/formatters.h"

namespace vantrel {

namespace {

constexpr int kMaxPulse = 10000;
constexpr uint32_t kMaxGridInterval = 100000;
constexpr int kDefaultRateHeightPercent = 95;

PixelRect Shrink(const PixelRect& r, int dx, int dy) { return {r.left + dx, r.top + dy, r.right - dx, r.bottom - dy}; }

// rate x height / top without overflow, for top > 0.
int64_t Scaled(uint32_t rate, uint32_t top, int height) {
  return static_cast<int64_t>(static_cast<uint64_t>(rate) * static_cast<uint64_t>(height) / top);
}

int RateHeightPercentOf(const RateViewSettings& s) {
  if (s.rateHeightPercent < 50 || s.rateHeightPercent > 100) return kDefaultRateHeightPercent;
  return static_cast<int>(s.rateHeightPercent);
}

uint32_t LineSampleValue(const RateSample& s, LineValue v) {
  switch (v) {
    case LineValue::Down: return s.down;
    case LineValue::Up: return s.up;
    case LineValue::AvgDown: return s.avgDown;
    case LineValue::AvgUp: return s.avgUp;
  }
  return 0;
}

}  // namespace

int EffectivePulseWidth(const RateViewSettings& s) {
  return std::max(1, ViewPx(s, static_cast<int>(std::clamp<uint32_t>(s.pulseWidth, 1, kMaxPulse))));
}

int EffectivePulseSpace(const RateViewSettings& s) {
  return ViewPx(s, static_cast<int>(std::min<uint32_t>(s.pulseSpace, kMaxPulse)));
}

int PulseStep(const RateViewSettings& s) { return EffectivePulseWidth(s) + EffectivePulseSpace(s); }

uint32_t EffectiveGridInterval(const RateViewSettings& s) {
  return std::clamp<uint32_t>(s.timeGridIntervalSec, 1, kMaxGridInterval);
}

std::wstring ScaleWidthSample(bool byteUnits) { return byteUnits ? L"999.9 MB/s" : L"999.9 mbps"; }

size_t VisibleSampleCount(int width, const RateViewSettings& s, int scaleWidth) {
  // The borders left and right and, with a scale, the line at its right edge.
  const int line = LineWidthForDpi(s.dpi);
  if (width <= 2 * line) return 0;
  int reserved = (s.scale && s.graph && scaleWidth + 3 * line < width) ? scaleWidth + 3 * line : 2 * line;
  int room = width - reserved;
  if (room <= 0) return 0;
  int step = PulseStep(s);
  return static_cast<size_t>((room + step - 1) / step);
}

RateViewLayout ComputeLayout(int width, int height, const RateViewSettings& s, const ViewMetrics& m) {
  RateViewLayout l;
  l.dpi = s.dpi == 0 ? kDefaultDpi : s.dpi;
  // Bands overlap by their border line; areas inside a band start past it.
  const int line = LineWidthForDpi(l.dpi);
  l.lineWidth = line;
  auto px = [&s](int length) { return ViewPx(s, length); };
  l.visibleCount = VisibleSampleCount(width, s, m.scaleWidth);
  if (width <= 0 || height <= 0) return l;

  int t = 0;
  if (s.title) {
    // The text rectangle is the band less px(2) above and below: the band is that much taller.
    l.titleBand = {0, 0, width, std::min(m.titleFontHeight + 2 * px(2), height)};
    if (l.titleBand.Height() >= px(5) && l.titleBand.Width() >= px(7)) l.titleText = Shrink(l.titleBand, px(3), px(2));
    t = l.titleBand.bottom - line;
  }
  if (l.titleBand.bottom >= height) return l;

  if (s.text) {
    int top = s.graph ? std::max(height - m.rateFontHeight - 2 * px(2), t) : t;
    l.textBand = {0, top, width, height};
    if (l.textBand.Height() >= px(5) && l.textBand.Width() >= px(7)) {
      l.text = Shrink(l.textBand, px(3), px(2));
      int extra = l.text.Height() - m.rateFontHeight;
      if (extra > 0) {
        l.text.top += extra / 2;
        l.text.bottom -= extra / 2;
      }
    }
  }
  if (s.graph) {
    PixelRect band;
    if (s.text) {
      if (t < l.textBand.top) band = {0, t, width, l.textBand.top + line};
    } else {
      band = {0, t, width, height};
    }
    if (band.Height() > 2 * line && width > 2 * line) {
      l.graphBand = band;
      if (s.scale && m.scaleWidth + 3 * line < width) {
        l.scale = {line, t + line, m.scaleWidth + line, band.bottom - line};
        int fh = m.scaleFontHeight;
        int n = fh > 0 ? l.scale.Height() / fh : 1;
        if (n > 6) n = (n - 6) / 3 + 6;
        if (n <= 0) n = 1;
        l.markCount = n;
        l.markSpacing = std::max(0, (l.scale.Height() - std::max(fh, 0) / 2) / n);
        l.graphArea = {m.scaleWidth + 2 * line, t + line, width - line, band.bottom - line};
      } else {
        l.graphArea = Shrink(band, line, line);
      }
      l.graphHeight = std::max(0, l.graphArea.Height()) * RateHeightPercentOf(s) / 100;
    }
  }
  return l;
}

std::vector<int> ScaleMarkPositions(const RateViewLayout& layout, const ViewMetrics& m) {
  std::vector<int> ys;
  if (layout.scale.IsEmpty()) return ys;
  int first = layout.scale.top + std::max(m.scaleFontHeight, 0) / 2;
  for (int i = 0; i < layout.markCount; ++i) {
    int y = first + i * layout.markSpacing;
    if (y >= layout.scale.bottom) break;
    ys.push_back(y);
  }
  return ys;
}

uint32_t ScaleLabelValue(uint32_t scaleTop, const RateViewLayout& layout, int y) {
  if (layout.graphHeight <= 0) return 0;
  int64_t above = std::max(0, layout.scale.bottom - y);
  uint64_t v = static_cast<uint64_t>(scaleTop) * static_cast<uint64_t>(above) / static_cast<uint64_t>(layout.graphHeight);
  return static_cast<uint32_t>(std::min<uint64_t>(v, UINT32_MAX));
}

PixelRect ScaleLabelRect(const RateViewLayout& layout, const ViewMetrics& m, int y) {
  int fh = std::max(m.scaleFontHeight, 0);
  return {layout.scale.left + layout.lineWidth, y - fh / 2, layout.scale.right - ScaleForDpi(4, layout.dpi),
          std::min(y + fh - fh / 2, layout.scale.bottom)};
}

std::vector<int> ScaleGridPositions(const RateViewLayout& layout, const ViewMetrics& m) {
  std::vector<int> ys;
  for (int y : ScaleMarkPositions(layout, m))
    if (y < layout.graphArea.bottom) ys.push_back(y);
  return ys;
}

uint32_t SampleRate(const RateSample& s) { return std::max(s.down, s.up); }

uint32_t SampleScaleValue(const RateSample& s, bool avgDownLine, bool avgUpLine) {
  uint32_t v = SampleRate(s);
  if (avgDownLine) v = std::max(v, s.avgDown);
  if (avgUpLine) v = std::max(v, s.avgUp);
  return v;
}

void RateMaxima::Recompute(const std::deque<RateSample>& history, size_t visible, bool avgDownLine, bool avgUpLine) {
  uint32_t rateMax = 0, top = 0;
  size_t n = std::min(visible, history.size());
  for (size_t i = 0; i < n; ++i) {
    rateMax = std::max(rateMax, SampleRate(history[i]));
    top = std::max(top, SampleScaleValue(history[i], avgDownLine, avgUpLine));
  }
  m_rateMax = rateMax;
  m_scaleTop = m_fixed ? m_fixedTop : top;
  m_historySize = history.size();
}

void RateMaxima::SetFixed(bool on, uint32_t value, const std::deque<RateSample>& history, size_t visible,
                          bool avgDownLine, bool avgUpLine) {
  m_fixed = on;
  if (on) {
    m_fixedTop = value == 0 ? 1 : value;
    m_scaleTop = m_fixedTop;
  } else {
    Recompute(history, visible, avgDownLine, avgUpLine);
  }
}

bool RateMaxima::OnNewSample(const std::deque<RateSample>& history, size_t visible, bool avgDownLine,
                             bool avgUpLine) {
  // A history that did not grow by exactly one while every sample is visible lost a visible
  // sample at its old end (capacity reached) or was changed behind our back: start afresh.
  bool grewByOne = history.size() == m_historySize + 1;
  if (history.empty() || visible == 0 || (!grewByOne && visible >= history.size())) {
    Recompute(history, visible, avgDownLine, avgUpLine);
    return true;
  }
  m_historySize = history.size();
  const RateSample& newest = history.front();
  const RateSample* left = visible < history.size() ? &history[visible] : nullptr;

  bool rateRaised = SampleRate(newest) > m_rateMax;
  if (rateRaised) m_rateMax = SampleRate(newest);
  // A sample that left can only have held a maximum it reached; a 0 never lowers one.
  bool recompute = !rateRaised && left && SampleRate(*left) > 0 && SampleRate(*left) >= m_rateMax;
  if (!m_fixed) {
    uint32_t v = SampleScaleValue(newest, avgDownLine, avgUpLine);
    if (v > m_scaleTop) {
      m_scaleTop = v;
    } else if (left) {
      uint32_t lv = SampleScaleValue(*left, avgDownLine, avgUpLine);
      if (lv > 0 && lv >= m_scaleTop) recompute = true;
    }
  }
  if (recompute) Recompute(history, visible, avgDownLine, avgUpLine);
  return recompute;
}

int TimeGridSpacing(const RateViewSettings& s) {
  int64_t spacing = static_cast<int64_t>(EffectiveGridInterval(s)) * PulseStep(s) - EffectivePulseSpace(s);
  return static_cast<int>(std::clamp<int64_t>(spacing, 1, INT32_MAX / 2));
}

void TimeGridPhase::Reset(const RateViewSettings& s) {
  m_spacing = TimeGridSpacing(s);
  m_offset = m_spacing;
  m_seconds = EffectiveGridInterval(s) - 1;
}

void TimeGridPhase::Advance(const RateViewSettings& s) {
  m_offset += PulseStep(s);
  if (m_offset > m_spacing) m_offset = EffectivePulseWidth(s);
  m_seconds = (m_seconds + 1) % EffectiveGridInterval(s);
}

std::vector<int> TimeGridPositions(const RateViewLayout& layout, const TimeGridPhase& phase) {
  std::vector<int> xs;
  if (layout.graphArea.IsEmpty()) return xs;
  int spacing = std::max(phase.Spacing(), 1);
  for (int x = layout.graphArea.right - phase.Offset(); x > layout.graphArea.left; x -= spacing) xs.push_back(x);
  return xs;
}

std::wstring FormatGridTime(int hour, int minute, int second, uint32_t format, bool twelveHour) {
  if (twelveHour) hour %= 12;
  wchar_t buf[32];
  switch (format) {
    case 1: std::swprintf(buf, 32, L"%d:%02d", hour, minute); break;
    case 2: std::swprintf(buf, 32, L"%02d:%02d", minute, second); break;
    default: std::swprintf(buf, 32, L"%d:%02d:%02d", hour, minute, second); break;
  }
  return buf;
}

int GridLineSecondOfDay(int nowSecondOfDay, uint32_t secondsSinceNewest, uint32_t interval, size_t index) {
  constexpr int64_t kDay = 86400;
  int64_t back = static_cast<int64_t>(secondsSinceNewest) + static_cast<int64_t>(interval) * static_cast<int64_t>(index);
  int64_t t = (static_cast<int64_t>(nowSecondOfDay) - back) % kDay;
  if (t < 0) t += kDay;
  return static_cast<int>(t);
}

RateTextPieces RateText(const RateSample& newest, uint32_t rateMaximum, const RateViewSettings& s) {
  RateTextPieces p;
  if (s.maxInText) p.maximum = L"(Max: " + FormatRate(rateMaximum, s.byteUnits) + L")";
  if (s.averagesInText) {
    p.down = L"Avg Down: " + FormatRate(newest.avgDown, s.byteUnits);
    p.up = L"Avg Up: " + FormatRate(newest.avgUp, s.byteUnits);
  } else {
    p.down = L"Down: " + FormatRate(newest.down, s.byteUnits);
    p.up = L"Up: " + FormatRate(newest.up, s.byteUnits);
  }
  p.plain = (s.maxInText ? p.maximum + L"  " : std::wstring()) + p.down + L"  " + p.up;
  return p;
}

ColouredTextPlan PlanColouredText(int textLeft, int textWidth, int spaceWidth, bool withMaximum, int maxWidth,
                                  int downWidth, int upWidth) {
  ColouredTextPlan plan;
  if (withMaximum) {
    int offset = (textWidth - 4 * spaceWidth - maxWidth - downWidth - upWidth) / 2;
    plan.maxX = textLeft + offset;
    plan.downX = plan.maxX + maxWidth + 2 * spaceWidth;
  } else {
    int offset = (textWidth - downWidth - upWidth - 2 * spaceWidth) / 2;
    plan.maxX = plan.downX = textLeft + offset;
  }
  plan.upX = plan.downX + downWidth + 2 * spaceWidth;
  return plan;
}

int ColumnHeight(uint32_t rate, uint32_t scaleTop, int graphHeight) {
  if (scaleTop == 0 || graphHeight <= 0) return 0;
  return static_cast<int>(std::min<int64_t>(graphHeight, Scaled(rate, scaleTop, graphHeight)));
}

std::vector<ColumnParts> PlanColumns(const std::deque<RateSample>& history, const RateViewLayout& layout,
                                     const RateViewSettings& s, uint32_t scaleTop) {
  std::vector<ColumnParts> columns;
  const PixelRect& area = layout.graphArea;
  if (scaleTop == 0 || layout.graphHeight <= 0 || area.IsEmpty()) return columns;
  int width = EffectivePulseWidth(s), step = PulseStep(s);
  int x = area.right;
  for (size_t i = 0; i < history.size() && x > area.left; ++i, x -= step) {
    int hd = ColumnHeight(history[i].down, scaleTop, layout.graphHeight);
    int hu = ColumnHeight(history[i].up, scaleTop, layout.graphHeight);
    int left = std::max(x - width, area.left);
    int bottom = area.bottom;
    int low = std::min(hd, hu), high = std::max(hd, hu);
    ColumnParts c;
    if (low > 0) c.both = {left, bottom - low, x, bottom};
    if (high > low) {
      c.single = {left, bottom - high, x, bottom - low};
      c.singleIsDownload = hd > hu;
    }
    columns.push_back(c);
  }
  return columns;
}

std::vector<LinePoint> PlanLine(const std::deque<RateSample>& history, const RateViewLayout& layout,
                                const RateViewSettings& s, uint32_t scaleTop, LineValue value) {
  std::vector<LinePoint> points;
  const PixelRect& area = layout.graphArea;
  if (scaleTop == 0 || layout.graphHeight <= 0 || area.IsEmpty()) return points;
  int step = PulseStep(s);
  int span = layout.graphHeight - 1;
  int x = area.right - 1;
  for (size_t i = 0; i < history.size() && x >= area.left; ++i, x -= step) {
    int64_t h = std::min<int64_t>(span, Scaled(LineSampleValue(history[i], value), scaleTop, span));
    points.push_back({x, static_cast<int>((area.bottom - 1) - h)});
  }
  return points;
}

int NaturalViewHeight(const RateViewSettings& s, const ViewMetrics& m) {
  return (s.title ? m.titleFontHeight + ViewPx(s, 3) : 0) + (s.text ? m.rateFontHeight + ViewPx(s, 3) : 0) +
         (s.graph ? ViewPx(s, 100) : 0);
}

int FontHeightOf(const LogFontRecord& f, int fallback) {
  if (f.height == 0 || f.height == INT32_MIN) return fallback;
  return std::abs(f.height);
}

namespace {

// A stored height or width from one DPI to another; INT32_MIN (no absolute value) stays.
int32_t Rescaled(int32_t length, unsigned from, unsigned to) {
  if (length == INT32_MIN || from == to) return length;
  const int64_t scaled = static_cast<int64_t>(length) * static_cast<int64_t>(to);
  const int64_t half = static_cast<int64_t>(from) / 2;
  const int64_t r = scaled >= 0 ? (scaled + half) / from : -((-scaled + half) / from);
  return static_cast<int32_t>(std::clamp<int64_t>(r, INT32_MIN + 1, INT32_MAX));
}

LogFontRecord RescaledFont(const LogFontRecord& f, unsigned from, unsigned to) {
  LogFontRecord out = f;
  out.height = Rescaled(f.height, from, to);
  out.width = Rescaled(f.width, from, to);
  return out;
}

}  // namespace

LogFontRecord FontForDpi(const LogFontRecord& f, unsigned dpi) {
  return RescaledFont(f, kDefaultDpi, dpi == 0 ? kDefaultDpi : dpi);
}

LogFontRecord FontFromDpi(const LogFontRecord& f, unsigned dpi) {
  return RescaledFont(f, dpi == 0 ? kDefaultDpi : dpi, kDefaultDpi);
}

bool IsMissingFont(const LogFontRecord& f) { return f == LogFontRecord{}; }

bool NeedsLayout(const RateViewSettings& a, const RateViewSettings& b) {
  return a.title != b.title || a.graph != b.graph || a.scale != b.scale || a.text != b.text ||
         a.byteUnits != b.byteUnits || a.avgDownLine != b.avgDownLine || a.avgUpLine != b.avgUpLine ||
         !(a.titleFont == b.titleFont) || !(a.rateFont == b.rateFont) || !(a.scaleFont == b.scaleFont) ||
         !(a.timeTextFont == b.timeTextFont) || a.rateHeightPercent != b.rateHeightPercent ||
         a.pulseWidth != b.pulseWidth || a.pulseSpace != b.pulseSpace || a.dpi != b.dpi;
}

bool NeedsGridReset(const RateViewSettings& a, const RateViewSettings& b) {
  return a.pulseWidth != b.pulseWidth || a.pulseSpace != b.pulseSpace ||
         a.timeGridIntervalSec != b.timeGridIntervalSec || a.dpi != b.dpi;
}

}  // namespace vantrel
