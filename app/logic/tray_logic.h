#pragma once
// The tray icon's decisions without a shell: the tooltip text, which activity icon to show
// and which pixels of the 16 x 16 graph icon get which colour.
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "engine/adapter_entry.h"

namespace vantrel {

// The notification area keeps 63 characters of tip plus the terminating zero.
constexpr size_t kTrayTipMaxChars = 63;
constexpr int kTrayIconSize = 16;

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
// [y][x], 16 x 16.
using IconPlan = std::array<std::array<IconPixel, kTrayIconSize>, kTrayIconSize>;

// The miniature graph of the newest samples against `scaleTop` (0 acts as 1): a frame with
// shadow at top and left and highlight at bottom and right; columns (one pixel per sample,
// newest at x = 14, 14 samples) or lines (upload then download, x = 14 down to 0).
IconPlan TrayGraphIconPlan(const std::deque<RateSample>& history, uint32_t scaleTop, bool columns);

}  // namespace vantrel
