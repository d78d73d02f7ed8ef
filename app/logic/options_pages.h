#pragma once
// The decisions of the Options sheet's General, Graph & Text and Adapters pages: what their
// lists hold, which item a stored value selects, the checks in their order with the first
// failure's message and control, and what the main window does with the Adapters page's
// values. The pages read their controls into the inputs below and carry the answers out.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/adapter_entry.h"
#include "settings/options.h"

namespace vantrel {

// One item of a drop-down list: its text and the value it carries.
struct ListChoice {
  std::wstring text;
  int32_t value = 0;
};

// The index of the first item carrying `value`, else `fallback`.
int IndexOfValue(const std::vector<ListChoice>& items, int32_t value, int fallback);
// The value of the item at `index`, else `fallback` (no item selected).
int32_t ValueAt(const std::vector<ListChoice>& items, int index, int32_t fallback);
// A number edit's text as a number: digits only (others are ignored), an empty text 0, and a
// number too large for 32 bits the largest 32-bit value rather than a wrapped one.
int32_t NumberFromText(const std::wstring& text);

// The outcome of a page's check: the first failure's message and the control that gets the
// focus, or ok.
struct PageCheck {
  bool ok = true;
  std::wstring message;
  int focusControl = 0;
};

// ---- General page ----
inline constexpr wchar_t kNoTransparencyText[] = L"You must select a transparency percent value.";
inline constexpr wchar_t kNegativeMarginsText[] = L"The margins for rate view must be greater than or equal to 0.";
inline constexpr wchar_t kByteUnitsHelpText[] =
    L"1B/s stands for 1 Byte per second (1 Byte = 8 bits).\n1KB/s stands for 1024 Bytes per second.\n1MB/s "
    L"stands for 1024 KB per second.\n1GB/s stands for 1024 MB per second.";
inline constexpr wchar_t kBitUnitsHelpText[] =
    L"1bps stands for 1 bit per second (8 bits = 1 Byte).\n1kbps stands for 1000 bits per second.\n1mbps stands "
    L"for 1000 kb per second.\n1gbps stands for 1000 mb per second.";

// "90% visible" (value 10) down to "10% visible" (value 90), in steps of 5.
std::vector<ListChoice> TransparencyChoices();
// The item a stored TransparentPercent selects: its own step, else 85 percent visible.
int TransparencyIndex(int32_t transparentPercent);
std::vector<ListChoice> WeekDayChoices();       // "Sunday" 0 .. "Saturday" 6
std::vector<ListChoice> MonthDayChoices();      // "1" .. "31"
std::vector<ListChoice> HotkeyLetterChoices();  // "A" 65 .. "Z" 90
std::vector<ListChoice> DateFormatChoices();    // the seven formats with their codes

// What the General page's check reads: list selections are indexes, -1 for none.
struct GeneralPageInput {
  bool layered = true;
  int transparencyIndex = -1;
  int32_t margins = 0;
  bool graph = true;
  bool text = true;
  int weekIndex = -1;
  int monthIndex = -1;
  int hotkeyIndex = -1;
  int dateFormatIndex = -1;
};
// The General page's check. On success the list values are written to `page`
// (TransparentPercent only with layered windows); on failure `page` is left as it was.
PageCheck CheckGeneralPage(const GeneralPageInput& in, Options* page);

// ---- Graph & Text page ----
inline constexpr wchar_t kRateHeightText[] = L"The maximum graph rate height percent ranges from 50 to 100.";
inline constexpr wchar_t kPulseWidthText[] = L"The pulse width must be greater than 0.";
inline constexpr wchar_t kTimeGridIntervalText[] = L"The time grid interval must be greater than 0.";

std::vector<ListChoice> LineStyleChoices();   // "Dot" 2, "Solid" 0, "Dash" 1, "Dashdot" 3, "Dashdotdot" 4
std::vector<ListChoice> TimeFormatChoices();  // "HH:MM:SS" 0, "HH:MM" 1, "MM:SS" 2
std::vector<ListChoice> GraphStyleChoices();  // "Column" 1, "Line" 0

// The defaults buttons: the fifteen colours, and the four fonts (Tahoma 13, the title bold).
void SetDefaultColours(Options* o);
void SetDefaultFonts(Options* o);
// A font from the font dialog as it is kept: the height made positive.
LogFontRecord KeptFont(LogFontRecord chosen);

struct GraphTextPageInput {
  int32_t rateHeightPercent = 95;
  int32_t pulseWidth = 3;
  int32_t pulseSpace = 1;
  int32_t timeGridIntervalSec = 30;
  int scaleGridStyleIndex = -1;
  int timeGridStyleIndex = -1;
  int timeFormatIndex = -1;
  int graphStyleIndex = -1;
};
// The Graph & Text page's check. On success the numbers and list values are written to
// `page` (an unselected list keeps the page's value); on failure `page` is left as it was.
PageCheck CheckGraphTextPage(const GraphTextPageInput& in, Options* page);

// ---- Adapters page ----
inline constexpr wchar_t kNoTrayAdapterText[] = L"Please select an adapter for system tray.";
inline constexpr wchar_t kEmptyAdapterNameText[] = L"The adapter name must not be empty.";
constexpr int32_t kSpecifySpeedValue = -1;  // the "Specify Speed" item; never stored
constexpr int32_t kMaxConnRate = 2147483647;

// The editable part of one monitored-list entry, as the pages that edit adapters copy it.
struct OptionsAdapter {
  uint32_t kind = kKindAllConnections;
  std::string id;
  std::wstring name;         // AdapterName
  std::wstring description;  // the adapter's own description, empty when unknown
  std::string ip;
  uint32_t connRateBps = 0;  // ConnRatebps
  bool monitored = false;
  bool SameAdapter(const OptionsAdapter& o) const {
    return kind == o.kind && (kind != kKindAdapter || id == o.id);
  }
};
std::vector<OptionsAdapter> OptionsAdaptersOf(const MonitoredList& list);

// The tray values the Adapters page edits.
struct TraySettings {
  bool icon = true;      // DispIconSystray
  bool graph = true;     // ShowGraphInSystray
  bool tipName = true;   // ShowAdapterNameInSystrayTips
  bool tipIp = true;     // ShowAdapterIPInSystrayTips
  uint32_t kind = kKindAllConnections;  // STIfType
  std::string id;                       // STAdpID
};
TraySettings TraySettingsOf(const Options& o);
void TakeTraySettings(const TraySettings& tray, Options* o);

// What the Adapters page hands to the main window with page code 203.
struct AdaptersPageValues {
  std::vector<OptionsAdapter> adapters;
  TraySettings tray;
};

// The connection speeds in list order, "Specify Speed" last.
std::vector<ListChoice> ConnectionSpeedChoices();
// What a selected row shows: the speed item equal to its rate, else "Specify Speed" with the
// rate in the edit. `editValue` is 0 unless `specify`.
struct SpeedSelection {
  int index = 0;
  bool specify = false;
  uint32_t editValue = 0;
};
SpeedSelection SelectSpeed(uint32_t connRateBps);
// A speed item chosen by the user (its index in the list): the rate the selected adapter
// takes, and whether the speed edit opens. "Specify Speed" opens the edit with 0 in it, and
// the adapter takes that 0 as it would a typed number.
struct SpeedChoice {
  uint32_t connRateBps = 0;
  bool specify = false;
};
SpeedChoice ChooseSpeed(int index);
// The speed edit's text as a rate, kept within the spin's range.
uint32_t ConnRateFromText(const std::wstring& text);

// The tray-adapter list's item for the tray adapter: equal kind and, for real adapters,
// equal identifier. None matching: the first item, with All Connections as the adapter.
struct TraySelection {
  int index = 0;
  uint32_t kind = kKindAllConnections;
  std::string id;
};
TraySelection SelectTrayAdapter(const std::vector<OptionsAdapter>& items, uint32_t kind, const std::string& id);

// Reset: the main window's adapters again, each named by its own description where known.
std::vector<OptionsAdapter> ResetAdapterNames(std::vector<OptionsAdapter> original);

// One row of the adapter list as the check reads it, in the list's order.
struct AdapterRowState {
  size_t adapter = 0;  // index into the page's copy
  bool checked = false;
};
// True when any row's check box differs from the copy's Monitored.
bool MonitoredChanged(const std::vector<AdapterRowState>& rows, const std::vector<OptionsAdapter>& copy);

struct AdaptersPageInput {
  bool trayIcon = true;
  int trayIndex = -1;                // -1 when none is selected
  std::vector<AdapterRowState> rows;
};
// The Adapters page's check. On success the rows' check boxes become Monitored and the tray
// adapter is the selected item's (`trayItems` is the tray list's adapters in list order); on
// failure `page` is left as it was.
PageCheck CheckAdaptersPage(const AdaptersPageInput& in, const std::vector<OptionsAdapter>& trayItems,
                            AdaptersPageValues* page);

// What the main window does with the Adapters page's values, adapter by adapter (matched by
// kind and identifier; adapters the page does not know are left alone).
struct AdapterApplyStep {
  size_t entry = 0;        // position in the main window's list
  size_t pageAdapter = 0;  // position in the page's values
  bool renamed = false;
  bool rateChanged = false;
  bool addView = false;     // Monitored switched on
  bool removeView = false;  // Monitored switched off
};
struct AdaptersApplyPlan {
  std::vector<AdapterApplyStep> steps;
  bool deleteTrayIcon = false;  // DispIconSystray switched off: the icon goes at once
  bool addTrayIcon = false;     // switched on
};
AdaptersApplyPlan PlanAdaptersApply(const std::vector<OptionsAdapter>& current, const TraySettings& currentTray,
                                    const AdaptersPageValues& page);

}  // namespace vantrel
