#pragma once
// The tray icon's decisions without a shell: the tooltip text, which activity icon to show,
// the icon's size and which pixels of the graph icon get which colour.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "engine/adapter_entry.h"

namespace vantrel {

// The notification area keeps 63 characters of tip plus the terminating zero.
constexpr size_t kTrayTipMaxChars = 63;
// The icon's size at 96 DPI.
constexpr int kTrayIconSize = 16;

// The icon size for the notification area of a screen of `dpi`: the system's answer
// (GetSystemMetricsForDpi(SM_CXSMICON, dpi)) when it is a usable size (1 to 256 pixels), else
// 16 scaled to the DPI.
int TrayIconSize(int systemAnswer, unsigned dpi);

// "Dw: " + download + "  Up: " + upload, formatted in the display unit.
std::wstring TrayRatesText(const RateSample& newest, bool byteUnits);

// The tooltip from the adapter's name (empty when not shown), its address (empty when not
// shown) and the rates text. The name gives way first; the address is dropped unless it fits
// exactly; the result never exceeds 63 characters.
std::wstring TrayTooltip(const std::wstring& name, const std::wstring& address, const std::wstring& rates);

// Index of the activity icon: 0 no traffic, 1 upload only, 2 download only, 3 both.
int ActivityIconIndex(const RateSample& newest);

// What each pixel of the graph icon shows.
enum class IconPixel : uint8_t { Background, Shadow, Highlight, Both, Down, Up };
// [y][x], size x size.
using IconPlan = std::vector<std::vector<IconPixel>>;

// The miniature graph of the newest samples against `scaleTop` (0 acts as 1) on an icon of
// `size` pixels: a frame with shadow at top and left and highlight at bottom and right;
// columns (one unit per sample, newest at the right inside the frame) or lines (upload then
// download). At 16 pixels a unit is a pixel: 14 samples, newest at x = 14, lines from x = 14
// to 0. Larger icons draw with units of size / 16 pixels (whole pixels), so a 32-pixel icon
// shows the same 14 samples twice as sharp, and a 20- or 24-pixel one shows more of them.
IconPlan TrayGraphIconPlan(const std::deque<RateSample>& history, uint32_t scaleTop, bool columns,
                           int size = kTrayIconSize);

}  // namespace vantrel
