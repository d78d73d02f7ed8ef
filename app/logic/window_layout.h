#pragma once
// The main window's geometry rules without a window: where it goes at start, how the rate
// views are stacked inside it, what a resize, an added or removed view and a dragged
// separator do, and the layered-window numbers. The Win32 code measures, calls these and
// moves windows to the answers.
//
// Lengths of the program's own (gaps, limits, the default size) and the stored view margin are
// 96-DPI units; the functions that use them take the window's DPI and scale them. Pixel
// arguments (client sizes, rectangles) are screen pixels.
#include <cstdint>
#include <vector>

#include "app/logic/pixel_rect.h"
#include "settings/options.h"
#include "ui/dpi_scale.h"

namespace vantrel {

// Views are two pixels apart; the strip between them is what the user drags.
constexpr int kViewGap = 2;
// A dragged separator stays this far from the upper view's top and the lower view's bottom.
constexpr int kDragUpperLimit = 1;
constexpr int kDragLowerLimit = 3;
// The room a view whose stored fraction gives no pixels gets at start.
constexpr int kZeroViewGrowth = 3;
// Height of a new view's graph band.
constexpr int kNewViewGraphHeight = 100;
// The main window's client size on a first start (no stored position).
constexpr int kDefaultClientWidth = 445;
constexpr int kDefaultClientHeight = 132;

struct PixelSize {
  int width = 0;
  int height = 0;
  bool operator==(const PixelSize&) const = default;
};
// The default client size on a screen of `dpi`.
PixelSize DefaultClientSize(unsigned dpi);

// What WndPosition keeps for a window rectangle on a screen of `dpi`: the top-left corner in
// screen pixels, the width and height in 96-DPI units, so a window saved on one screen has
// the same size on a screen of another scale (as settings of the earlier program, which saw
// every screen at 96 DPI, do too).
WindowRect StoredWindowRect(const PixelRect& window, unsigned dpi);
// The window rectangle for a stored one on a screen of `dpi` (an empty stored rectangle gives
// an empty one).
PixelRect RestoredWindowRect(const WindowRect& stored, unsigned dpi);
// A rectangle moved onto a work area: wholly inside it where it fits, else with its top-left
// corner at the work area's. The size never changes.
PixelRect KeepOnWorkArea(const PixelRect& window, const PixelRect& workArea);

// The stacked views (top to bottom, in adapter-list order) and the strips between them.
struct ViewStack {
  std::vector<PixelRect> views;
  std::vector<PixelRect> strips;  // strips[i] lies between views[i] and views[i + 1]
};

// Start placement: the stored rectangle, or with none a window of the given size in the
// bottom-right corner of the work area, clear of a vertical scroll bar's width on the right
// and a horizontal scroll bar's height at the bottom.
PixelRect StartPlacement(const WindowRect& stored, int width, int height, const PixelRect& workArea,
                          int vScrollWidth, int hScrollHeight);

// How much the window must grow (width, height) so the client area is at least
// 2 x margin + 1 pixels each way.
struct SizeShortfall {
  int dx = 0;
  int dy = 0;
};
SizeShortfall MinimumClientShortfall(int clientWidth, int clientHeight, int margin, unsigned dpi = kDefaultDpi);

// At start with more than one view: 3 pixels more window height for every view whose
// fraction of the client height gives 0 pixels.
int ZeroFractionGrowth(int clientHeight, const std::vector<float>& fractions, unsigned dpi = kDefaultDpi);

// Start stacking inside the client area shrunk by the margin: each view max(1, height x
// fraction) high, the last (or one that would pass the bottom) ending at the bottom, the
// next starting 2 pixels lower (never below the bottom).
ViewStack StackAtStart(int clientWidth, int clientHeight, int margin, const std::vector<float>& fractions,
                       unsigned dpi = kDefaultDpi);

// What WM_SIZE does to the views (`current` as they are now, in order; `fractions` theirs).
// A window no larger than twice the margin each way gets empty view rectangles; a change of
// width only keeps each view's top and bottom; one view fills the shrunk area; otherwise the
// views are stacked by their fractions. Fractions never change here.
ViewStack ResizeViews(int lastWidth, int lastHeight, int newWidth, int newHeight, int margin,
                      const std::vector<PixelRect>& current, const std::vector<float>& fractions,
                      unsigned dpi = kDefaultDpi);

// Stacks views of the given heights from the top margin, 2 pixels apart, each bottom kept
// within height - margin (used after a view was added or removed).
ViewStack StackKeepingHeights(int clientWidth, int clientHeight, int margin, const std::vector<int>& heights,
                              unsigned dpi = kDefaultDpi);

// Each view's height as a fraction of the client height (0 when the client has no height).
std::vector<float> Fractions(const std::vector<PixelRect>& views, int clientHeight);

// Natural height of a new view: title and text bands at their fonts' height + 3, a
// 100-pixel graph (font heights as stored, in 96-DPI units).
int NaturalViewHeight(bool title, int titleFontHeight, bool text, int rateFontHeight, bool graph,
                      unsigned dpi = kDefaultDpi);

// The window rectangle after a view of natural height h was added: it grows upward by h + 3;
// where that would pass the screen's top (0), the top stops at 0 and the bottom grows by the
// rest.
PixelRect GrowForAddedView(const PixelRect& window, int naturalHeight, unsigned dpi = kDefaultDpi);
// After a view of height h was removed: the top comes down by h + 2.
PixelRect ShrinkForRemovedView(const PixelRect& window, int removedHeight, unsigned dpi = kDefaultDpi);

// The separator being dragged: the upper view's top and the lower view's bottom bound it.
struct SeparatorDrag {
  int strip = -1;     // index into the strips (and of the upper view)
  int minTop = 0;     // upper view's top + 1
  int maxTop = 0;     // lower view's bottom - 3
};
// Starts dragging the strip under (x, y); strip -1 when the point is on none.
SeparatorDrag BeginSeparatorDrag(const ViewStack& stack, int x, int y, unsigned dpi = kDefaultDpi);
// Moves the dragged strip so its top follows y (clamped); the upper view's bottom and the
// lower view's top follow. True when anything moved.
bool DragSeparatorTo(ViewStack* stack, const SeparatorDrag& drag, int y);
// The strip under (x, y), or -1.
int StripAt(const ViewStack& stack, int x, int y);

// Layered windows: the alpha for a transparency percentage (clamped to 0..100).
uint8_t LayeredAlpha(int percent);
// The transparency to apply: TransparentPercent while semi-transparency is on, else 0.
int EffectiveTransparency(bool semiTransparent, int transparentPercent);
// Extended style bits of a layered window, with the click-through bit set or cleared.
constexpr uint32_t kExLayered = 0x00080000;      // WS_EX_LAYERED
constexpr uint32_t kExTransparent = 0x00000020;  // WS_EX_TRANSPARENT
uint32_t LayeredExStyle(uint32_t exStyle, bool clickThrough);

}  // namespace vantrel
