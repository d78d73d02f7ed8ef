#pragma once
// What the main window does when an options page hands back its values (UM_APPLY_OPTIONS):
// which values it takes and which follow-up actions a change calls for. The window carries
// the plan out; the decisions are here so they are tested without a window.
#include <cstdint>

#include "settings/options.h"

namespace vantrel {

// Page codes of UM_APPLY_OPTIONS.
constexpr uint32_t kPageGeneral = 201;
constexpr uint32_t kPageGraphText = 202;
constexpr uint32_t kPageAdapters = 203;
constexpr uint32_t kPageNotification = 204;
constexpr uint32_t kPageService = 205;
constexpr uint32_t kPageMetrics = 206;

enum class HotkeyAction { Keep, Register, Unregister, Reregister };

// The General page's follow-ups.
struct GeneralApplyPlan {
  bool refused = false;                // graph and text both off: nothing is applied
  HotkeyAction hotkey = HotkeyAction::Keep;
  bool topmost = false;                // AlwaysOnTop changed
  bool caption = false;                // ShowCaption changed
  bool layered = false;                // a layered value changed (only with layered windows)
  bool recaption = false;              // ShowIPInTitle changed: views' captions rebuilt
  bool margins = false;                // RateViewMargins changed: the size rule runs again
  bool startWithWindows = false;       // StartWithWindows changed: the Run value follows
  bool notificationRecompute = false;  // the start day of the rule's period changed
};

// Compares the page's values with the current ones.
GeneralApplyPlan PlanGeneralApply(const Options& current, const Options& page, bool layered);
// Takes the General page's values: ShowIPInTitle, the start days, DateFormat, the hot key,
// AlwaysOnTop, ShowCaption, the layered values (only with layered windows), StartMinimized,
// StartWithWindows, RateViewMargins, the display switches and the unit.
void TakeGeneralValues(const Options& page, bool layered, Options* current);
// The groups the General page saves (the General group also machine-wide in service mode).
constexpr uint32_t kGeneralPageGroups = kGroupDisplay | kGroupGeneral;

// Takes the Graph & Text page's values: the colours, the fonts and the style values.
void TakeGraphTextValues(const Options& page, Options* current);
constexpr uint32_t kGraphTextPageGroups = kGroupColours | kGroupFonts | kGroupStyle;

}  // namespace vantrel
