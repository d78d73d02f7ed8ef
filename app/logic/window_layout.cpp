#include "app/logic/window_layout.h"

#include <algorithm>

namespace vantrel {

PixelRect StartPlacement(const WindowRect& stored, int width, int height, const PixelRect& workArea,
                          int vScrollWidth, int hScrollHeight) {
  if (!stored.IsEmpty()) return {stored.left, stored.top, stored.right, stored.bottom};
  PixelRect r;
  r.right = workArea.right - vScrollWidth;
  r.bottom = workArea.bottom - hScrollHeight;
  r.left = r.right - width;
  r.top = r.bottom - height;
  return r;
}

PixelSize DefaultClientSize(unsigned dpi) {
  return {ScaleForDpi(kDefaultClientWidth, dpi), ScaleForDpi(kDefaultClientHeight, dpi)};
}

WindowRect StoredWindowRect(const PixelRect& window, unsigned dpi) {
  return WindowRect{window.left, window.top, window.left + UnscaleFromDpi(window.Width(), dpi),
                    window.top + UnscaleFromDpi(window.Height(), dpi)};
}

PixelRect RestoredWindowRect(const WindowRect& stored, unsigned dpi) {
  if (stored.IsEmpty()) return PixelRect{};
  return PixelRect{stored.left, stored.top, stored.left + ScaleForDpi(stored.right - stored.left, dpi),
                   stored.top + ScaleForDpi(stored.bottom - stored.top, dpi)};
}

PixelRect KeepOnWorkArea(const PixelRect& window, const PixelRect& workArea) {
  const int width = window.Width(), height = window.Height();
  // Past the right or bottom edge first, then the left and top edges win.
  int left = std::max(std::min(window.left, workArea.right - width), workArea.left);
  int top = std::max(std::min(window.top, workArea.bottom - height), workArea.top);
  return PixelRect{left, top, left + width, top + height};
}

SizeShortfall MinimumClientShortfall(int clientWidth, int clientHeight, int margin, unsigned dpi) {
  int need = 2 * std::max(ScaleForDpi(margin, dpi), 0) + 1;
  return {std::max(0, need - clientWidth), std::max(0, need - clientHeight)};
}

int ZeroFractionGrowth(int clientHeight, const std::vector<float>& fractions, unsigned dpi) {
  if (fractions.size() <= 1) return 0;
  int zero = 0;
  for (float f : fractions)
    if (static_cast<int>(static_cast<float>(clientHeight) * f) == 0) ++zero;
  return zero * ScaleForDpi(kZeroViewGrowth, dpi);
}

namespace {

// Strips between consecutive views, across the views' width.
void AddStrips(ViewStack* s) {
  s->strips.clear();
  for (size_t i = 0; i + 1 < s->views.size(); ++i) {
    const PixelRect& a = s->views[i];
    const PixelRect& b = s->views[i + 1];
    s->strips.push_back({a.left, a.bottom, a.right, b.top});
  }
}

// The shared stacking walk: `heightOf(i)` gives view i's wanted height. `margin` and `gap` are
// screen pixels.
template <class HeightOf>
ViewStack Stack(int clientWidth, int clientHeight, int margin, int gap, size_t count, HeightOf heightOf) {
  ViewStack s;
  int bottomLimit = clientHeight - margin;
  int top = margin;
  for (size_t i = 0; i < count; ++i) {
    int bottom = top + heightOf(i);
    if (i + 1 == count || bottom > bottomLimit) bottom = bottomLimit;
    // A view never turns upside down, whatever the fractions say.
    if (bottom < top) bottom = top;
    s.views.push_back({margin, top, clientWidth - margin, bottom});
    top = std::min(bottom + gap, bottomLimit);
  }
  AddStrips(&s);
  return s;
}

}  // namespace

ViewStack StackAtStart(int clientWidth, int clientHeight, int margin, const std::vector<float>& fractions,
                       unsigned dpi) {
  margin = ScaleForDpi(margin, dpi);
  return Stack(clientWidth, clientHeight, margin, ScaleForDpi(kViewGap, dpi), fractions.size(), [&](size_t i) {
    return std::max(1, static_cast<int>(static_cast<float>(clientHeight) * fractions[i]));
  });
}

ViewStack ResizeViews(int lastWidth, int lastHeight, int newWidth, int newHeight, int margin,
                      const std::vector<PixelRect>& current, const std::vector<float>& fractions, unsigned dpi) {
  ViewStack s;
  margin = ScaleForDpi(margin, dpi);
  size_t n = std::min(current.size(), fractions.size());
  if (2 * margin >= newWidth || 2 * margin >= newHeight) {
    s.views.assign(n, PixelRect{});
    AddStrips(&s);
    return s;
  }
  // Views hidden by a too-small window come back through a full re-stack, even when only
  // the width grew back.
  bool anyHidden = std::any_of(current.begin(), current.begin() + static_cast<long>(n),
                               [](const PixelRect& r) { return r.IsEmpty() && r == PixelRect{}; });
  if (newHeight == lastHeight && newWidth != lastWidth && !anyHidden) {
    for (size_t i = 0; i < n; ++i) {
      PixelRect r = current[i];
      r.right = newWidth - margin;
      s.views.push_back(r);
    }
    AddStrips(&s);
    return s;
  }
  if (n == 1) {
    s.views.push_back({margin, margin, newWidth - margin, newHeight - margin});
    return s;
  }
  return Stack(newWidth, newHeight, margin, ScaleForDpi(kViewGap, dpi), n, [&](size_t i) {
    return static_cast<int>(static_cast<float>(newHeight) * fractions[i]);
  });
}

ViewStack StackKeepingHeights(int clientWidth, int clientHeight, int margin, const std::vector<int>& heights,
                              unsigned dpi) {
  ViewStack s;
  margin = ScaleForDpi(margin, dpi);
  const int gap = ScaleForDpi(kViewGap, dpi);
  int bottomLimit = clientHeight - margin;
  int top = margin;
  for (size_t i = 0; i < heights.size(); ++i) {
    int bottom = std::min(top + heights[i], bottomLimit);
    if (bottom < top) bottom = top;
    s.views.push_back({margin, top, clientWidth - margin, bottom});
    top = std::min(bottom + gap, bottomLimit);
  }
  AddStrips(&s);
  return s;
}

std::vector<float> Fractions(const std::vector<PixelRect>& views, int clientHeight) {
  std::vector<float> f;
  for (const auto& v : views)
    f.push_back(clientHeight > 0 ? static_cast<float>(v.Height()) / static_cast<float>(clientHeight) : 0.0f);
  return f;
}

int NaturalViewHeight(bool title, int titleFontHeight, bool text, int rateFontHeight, bool graph, unsigned dpi) {
  // Each part as the view makes it: the fonts at the DPI, the paddings and the graph scaled.
  auto px = [dpi](int length) { return ScaleForDpi(length, dpi); };
  return (title ? px(titleFontHeight) + px(3) : 0) + (text ? px(rateFontHeight) + px(3) : 0) +
         (graph ? px(kNewViewGraphHeight) : 0);
}

PixelRect GrowForAddedView(const PixelRect& window, int naturalHeight, unsigned dpi) {
  PixelRect r = window;
  int growth = naturalHeight + ScaleForDpi(3, dpi);
  r.top -= growth;
  if (r.top < 0) {
    r.bottom += -r.top;
    r.top = 0;
  }
  return r;
}

PixelRect ShrinkForRemovedView(const PixelRect& window, int removedHeight, unsigned dpi) {
  PixelRect r = window;
  r.top += removedHeight + ScaleForDpi(kViewGap, dpi);
  if (r.top > r.bottom) r.top = r.bottom;
  return r;
}

int StripAt(const ViewStack& stack, int x, int y) {
  for (size_t i = 0; i < stack.strips.size(); ++i)
    if (stack.strips[i].Contains(x, y)) return static_cast<int>(i);
  return -1;
}

SeparatorDrag BeginSeparatorDrag(const ViewStack& stack, int x, int y, unsigned dpi) {
  SeparatorDrag d;
  int strip = StripAt(stack, x, y);
  if (strip < 0 || static_cast<size_t>(strip) + 1 >= stack.views.size()) return d;
  const PixelRect& s = stack.strips[strip];
  const PixelRect& upper = stack.views[strip];
  const PixelRect& lower = stack.views[strip + 1];
  // The views that border the strip exactly; a stack out of step with its strips is not dragged.
  if (upper.bottom != s.top || lower.top != s.bottom) return d;
  d.strip = strip;
  d.minTop = upper.top + ScaleForDpi(kDragUpperLimit, dpi);
  d.maxTop = lower.bottom - ScaleForDpi(kDragLowerLimit, dpi);
  if (d.maxTop < d.minTop) d.maxTop = d.minTop;
  return d;
}

bool DragSeparatorTo(ViewStack* stack, const SeparatorDrag& drag, int y) {
  if (drag.strip < 0 || static_cast<size_t>(drag.strip) + 1 >= stack->views.size()) return false;
  PixelRect& s = stack->strips[drag.strip];
  int top = std::clamp(y, drag.minTop, drag.maxTop);
  int dy = top - s.top;
  if (dy == 0) return false;
  s.top += dy;
  s.bottom += dy;
  stack->views[drag.strip].bottom = s.top;
  stack->views[drag.strip + 1].top = s.bottom;
  return true;
}

uint8_t LayeredAlpha(int percent) {
  int p = std::clamp(percent, 0, 100);
  return static_cast<uint8_t>((100 - p) * 255 / 100);
}

int EffectiveTransparency(bool semiTransparent, int transparentPercent) {
  return semiTransparent ? transparentPercent : 0;
}

uint32_t LayeredExStyle(uint32_t exStyle, bool clickThrough) {
  exStyle |= kExLayered;
  if (clickThrough)
    exStyle |= kExTransparent;
  else
    exStyle &= ~kExTransparent;
  return exStyle;
}

}  // namespace vantrel
