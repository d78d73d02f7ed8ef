#pragma once
// The decisions of a rate view as plain arithmetic: where the bands go, how many samples fit,
// the maxima that the graph is scaled to, the time grid, and what the text band says. The
// window (CRateView) only measures fonts, calls these and paints what they return.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "app/logic/pixel_rect.h"
#include "app/logic/rate_view_settings.h"
#include "engine/adapter_entry.h"

namespace vantrel {

// What the window measures in its fonts (made at the view's DPI, so these are screen pixels).
struct ViewMetrics {
  int titleFontHeight = 13;
  int rateFontHeight = 13;
  int scaleFontHeight = 12;
  int timeFontHeight = 12;
  int scaleWidth = 0;  // width of the widest scale label plus 5
};

// A 96-DPI length of the view's drawing (a padding, a tick) at the view's DPI.
inline int ViewPx(const RateViewSettings& s, int length) { return ScaleForDpi(length, s.dpi); }

// Pulse geometry with registry values that no page checked made usable: width at least 1,
// both at most 10000 pixels at 96 DPI, so nothing divides by zero or overflows; then scaled
// to the view's DPI (the width stays at least 1).
int EffectivePulseWidth(const RateViewSettings& s);
int EffectivePulseSpace(const RateViewSettings& s);
// Columns advance by this many pixels per sample (at least 1).
int PulseStep(const RateViewSettings& s);
// The time grid interval in seconds, at least 1.
uint32_t EffectiveGridInterval(const RateViewSettings& s);

// The widest scale label: "999.9 MB/s" in byte units, "999.9 mbps" in bit units.
std::wstring ScaleWidthSample(bool byteUnits);
// Scale width from the pixel width of that label: 5 pixels more at 96 DPI.
inline int ScaleWidthFromText(int textWidth, unsigned dpi = kDefaultDpi) { return textWidth + ScaleForDpi(5, dpi); }

// How many samples fit across a view `width` pixels wide.
size_t VisibleSampleCount(int width, const RateViewSettings& s, int scaleWidth);

struct RateViewLayout {
  size_t visibleCount = 0;
  PixelRect titleBand, titleText, graphBand, scale, graphArea, textBand, text;
  int graphHeight = 0;   // pixels that the scale top maps to
  int markCount = 0;     // scale marks
  int markSpacing = 0;   // pixels between scale marks
  unsigned dpi = kDefaultDpi;  // the DPI the layout was made for
  int lineWidth = 1;           // borders and lines: whole pixels at that DPI
};

// The layout of a view of width x height client pixels. The paddings (4 pixels around the
// title and the rate text, 3 and 2 inside them, 5 beside the scale labels) and the border
// lines are 96-DPI lengths scaled to the settings' DPI; font heights come measured.
RateViewLayout ComputeLayout(int width, int height, const RateViewSettings& s, const ViewMetrics& m);

// The y of each scale mark that lies above the scale bottom, top to bottom.
std::vector<int> ScaleMarkPositions(const RateViewLayout& layout, const ViewMetrics& m);
// The rate a scale mark at `y` stands for.
uint32_t ScaleLabelValue(uint32_t scaleTop, const RateViewLayout& layout, int y);
// The rectangle a scale label at `y` is right-aligned in.
PixelRect ScaleLabelRect(const RateViewLayout& layout, const ViewMetrics& m, int y);
// Scale grid lines: the mark positions above the graph area's bottom.
std::vector<int> ScaleGridPositions(const RateViewLayout& layout, const ViewMetrics& m);

// The largest of a sample's download and upload.
uint32_t SampleRate(const RateSample& s);
// The largest of download, upload and the averages whose lines are shown.
uint32_t SampleScaleValue(const RateSample& s, bool avgDownLine, bool avgUpLine);

// Rate maximum and scale top over the visible samples, kept up to date one sample at a time.
class RateMaxima {
 public:
  uint32_t RateMaximum() const { return m_rateMax; }
  uint32_t ScaleTop() const { return m_scaleTop; }
  bool IsFixed() const { return m_fixed; }

  // Full recompute over the `visible` newest samples.
  void Recompute(const std::deque<RateSample>& history, size_t visible, bool avgDownLine, bool avgUpLine);
  // Fixed scale on (the top is `value`, 0 acting as 1) or off (recomputed).
  void SetFixed(bool on, uint32_t value, const std::deque<RateSample>& history, size_t visible, bool avgDownLine,
                bool avgUpLine);
  // The history has just been extended by one sample at its front. Updates incrementally and
  // recomputes only when the sample that left the visible range may have held a maximum.
  // Returns true when it recomputed in full.
  bool OnNewSample(const std::deque<RateSample>& history, size_t visible, bool avgDownLine, bool avgUpLine);

 private:
  uint32_t m_rateMax = 0;
  uint32_t m_scaleTop = 0;
  bool m_fixed = false;
  uint32_t m_fixedTop = 1;
  size_t m_historySize = 0;  // history length at the last update
};

// Where the time grid stands: the newest grid line's offset from the graph's right edge, the
// distance between lines and the seconds since the newest line.
class TimeGridPhase {
 public:
  // Offset and spacing to interval x (pulse width + pulse space) - pulse space, seconds to
  // interval - 1, so the next sample starts a grid line.
  void Reset(const RateViewSettings& s);
  // One sample further.
  void Advance(const RateViewSettings& s);

  int Offset() const { return m_offset; }
  int Spacing() const { return m_spacing; }
  uint32_t Seconds() const { return m_seconds; }

 private:
  int m_offset = 0;
  int m_spacing = 1;
  uint32_t m_seconds = 0;
};

// The grid spacing in pixels (at least 1).
int TimeGridSpacing(const RateViewSettings& s);
// The x of each time grid line, newest (rightmost) first.
std::vector<int> TimeGridPositions(const RateViewLayout& layout, const TimeGridPhase& phase);

// The text of a grid line's time: format 0 "%d:%02d:%02d", 1 "%d:%02d" (hours, minutes),
// 2 "%02d:%02d" (minutes, seconds); hours modulo 12 in a 12-hour locale (noon is 0). Unknown
// formats as 0.
std::wstring FormatGridTime(int hour, int minute, int second, uint32_t format, bool twelveHour);
// The time of grid line `index` (0 = newest) as seconds of the day, from the current time
// of day and the seconds since the newest line; earlier lines are one interval older each.
int GridLineSecondOfDay(int nowSecondOfDay, uint32_t secondsSinceNewest, uint32_t interval, size_t index);

// The text band's strings for the newest sample.
struct RateTextPieces {
  std::wstring plain;    // the whole line, centred, when text in graph colours is off
  std::wstring maximum;  // "(Max: ...)", empty when the maximum is not shown
  std::wstring down;     // "Down: ..." or "Avg Down: ..."
  std::wstring up;       // "Up: ..." or "Avg Up: ..."
};
RateTextPieces RateText(const RateSample& newest, uint32_t rateMaximum, const RateViewSettings& s);

// Left edges of the coloured pieces within a text rectangle starting at `textLeft`, from the
// measured widths. Without the maximum `maxX` equals `downX` and is not drawn.
struct ColouredTextPlan {
  int maxX = 0;
  int downX = 0;
  int upX = 0;
};
ColouredTextPlan PlanColouredText(int textLeft, int textWidth, int spaceWidth, bool withMaximum, int maxWidth,
                                  int downWidth, int upWidth);

// One column of the column style: a part in the both colour and the part above it in the
// download or upload colour; either may be empty.
struct ColumnParts {
  PixelRect both;
  PixelRect single;
  bool singleIsDownload = true;
};
// Column height of a rate: min(graph height, graph height x rate / scale top).
int ColumnHeight(uint32_t rate, uint32_t scaleTop, int graphHeight);
// The columns of the samples, newest first (nothing when the scale top or graph height is 0).
std::vector<ColumnParts> PlanColumns(const std::deque<RateSample>& history, const RateViewLayout& layout,
                                     const RateViewSettings& s, uint32_t scaleTop);

struct LinePoint {
  int x = 0;
  int y = 0;
  bool operator==(const LinePoint&) const = default;
};
enum class LineValue { Down, Up, AvgDown, AvgUp };
// The points of one rate line, newest first (nothing when the scale top or graph height is 0).
std::vector<LinePoint> PlanLine(const std::deque<RateSample>& history, const RateViewLayout& layout,
                                const RateViewSettings& s, uint32_t scaleTop, LineValue value);

// Natural height of a new view: (title ? title font height + 3 : 0) + (text ? rate font
// height + 3 : 0) + (graph ? 100 : 0), the 3 and the 100 at the view's DPI.
int NaturalViewHeight(const RateViewSettings& s, const ViewMetrics& m);

// Font height in pixels from a stored font: |lfHeight|, or `fallback` when it is 0.
int FontHeightOf(const LogFontRecord& f, int fallback);

// A stored font (96-DPI heights) as made for a screen of `dpi`: height and width scaled.
LogFontRecord FontForDpi(const LogFontRecord& f, unsigned dpi);
// The other way: a font chosen on a screen of `dpi` (the font dialog's) in 96-DPI units, as
// it is stored.
LogFontRecord FontFromDpi(const LogFontRecord& f, unsigned dpi);

// True when the stored font is absent (an all-zero record): the view's default is used.
bool IsMissingFont(const LogFontRecord& f);

// Whether a settings change needs a new layout (title, graph, scale, text, unit, average
// lines, fonts, rate height percent, pulse geometry, DPI) or a time grid restart (pulse width,
// pulse space, interval, DPI).
bool NeedsLayout(const RateViewSettings& before, const RateViewSettings& after);
bool NeedsGridReset(const RateViewSettings& before, const RateViewSettings& after);

}  // namespace vantrel
