#pragma once
#include <compare>

namespace vantrel {

// A rectangle in pixels, right and bottom exclusive (as a Win32 RECT); client or screen
// coordinates as the caller says.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const PixelRect&) const = default;
};

}  // namespace vantrel
