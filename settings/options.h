#pragma once
// The settings of the Options key: every value with its type, default, range rule and save
// group. Defaults are the member initializers below; names, groups and range rules are in
// options.cpp, the one place that spells them.
#include <cstdint>
#include <string>

#include "platform/settings_store.h"
#include "settings/log_font.h"
#include "settings/notification_rule.h"

namespace vantrel {

// Save groups: every change saves only the group it touches.
enum SaveGroup : uint32_t {
  kGroupHandle = 0x4,
  kGroupDisplay = 0x10,
  kGroupColours = 0x40,
  kGroupFonts = 0x80,
  kGroupNotification = 0x200,
  kGroupWindow = 0x400,
  kGroupTray = 0x800,
  kGroupSumLastDays = 0x4000,
  kGroupReportChart = 0x8000,
  kGroupGeneral = 0x200000,
  kGroupNextAlert = 0x800000,
  kGroupStyle = 0x2000000,
};
// The groups the service needs, written under HKEY_LOCAL_MACHINE too in service mode.
constexpr uint32_t kMachineGroups = kGroupNotification | kGroupSumLastDays | kGroupGeneral;
constexpr uint32_t kAllGroups = kGroupHandle | kGroupDisplay | kGroupColours | kGroupFonts | kGroupNotification |
                                kGroupWindow | kGroupTray | kGroupSumLastDays | kGroupGeneral | kGroupNextAlert |
                                kGroupStyle | kGroupReportChart;

// MetricsPort when it is missing or outside 1..65535.
constexpr uint32_t kDefaultMetricsPort = 9713;

// A screen rectangle; an empty one means "default placement".
struct WindowRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool operator==(const WindowRect&) const = default;
};

struct Options {
  // General
  uint32_t weekStartDay = 0;
  uint32_t monthStartDay = 1;
  uint32_t dateFormat = 17;
  uint32_t displayUnitByte = 0;
  uint32_t showIPInTitle = 1;
  uint32_t alwaysOnTop = 1;
  uint32_t showCaption = 1;
  uint32_t semiTransparent = 1;     // 0 where layered windows are missing
  int32_t transparentPercent = 10;  // 0 where layered windows are missing
  uint32_t enableClickThrough = 0;
  uint32_t startMinimized = 0;
  uint32_t startWithWindows = 0;
  uint32_t hotkeyEnabled = 1;
  uint32_t hotkeyChar = 78;
  int32_t rateViewMargins = 2;
  // SumLastDays
  int32_t sumLastDays = 30;
  // ReportChart: the Traffic Reports chart's range, 0 last 31 days, 1 last 26 weeks, 2 last 24 months
  uint32_t reportChartRange = 0;
  // NextAlert
  uint32_t nextAlertType = 0;
  int32_t nextAlertMin = 5;
  // Notification
  uint32_t notificationEnabled = 0;
  NotificationRule notification;
  // Display
  uint32_t displayTitle = 1;
  uint32_t displayGraph = 1;
  uint32_t displayScaleGrid = 1;
  uint32_t displayScale = 1;
  uint32_t displayText = 1;
  uint32_t displayMaxRateInText = 1;
  uint32_t textCrSameAsGraphCr = 1;
  uint32_t dispAvgValuesInText = 0;
  uint32_t dispAvgDownLine = 0;
  uint32_t dispAvgUpLine = 0;
  uint32_t displayTimeGrid = 1;
  uint32_t displayTimeText = 1;
  uint32_t scaleGridOnTop = 0;
  uint32_t timeGridOnTop = 1;
  uint32_t timeTextOnTop = 1;
  // Tray
  uint32_t dispIconSystray = 1;
  uint32_t showGraphInSystray = 1;
  uint32_t showAdapterNameInSystrayTips = 1;
  uint32_t showAdapterIPInSystrayTips = 1;
  uint32_t stIfType = 100;
  std::string stAdpID;  // upper case, at most 259 characters
  // Colours (0x00BBGGRR)
  uint32_t graphBkgColor = 0xDEDBAD;
  uint32_t downColor = 0x0000FF;
  uint32_t upColor = 0x00CC00;
  uint32_t bothDownUpColor = 0x00FFFF;
  uint32_t gridColor = 0x9E9E9E;
  uint32_t avgDownLineColor = 0x000080;
  uint32_t avgUpLineColor = 0x006400;
  uint32_t titleBkgColor = 0x9E9E9E;
  uint32_t titleTextColor = 0xFFFFFF;
  uint32_t scaleTextColor = 0x000000;
  uint32_t rateTextColor = 0x000000;
  uint32_t rateBkgColor = 0xFFFFFF;
  uint32_t borderColor = 0x333333;
  uint32_t timeGridColor = 0x6E6E6E;
  uint32_t timeTextColor = 0x3C3C3C;
  // Style
  uint32_t pulseSpace = 1;
  uint32_t pulseWidth = 3;
  uint32_t scaleGridLineStyle = 2;
  uint32_t timeGridLineStyle = 2;
  uint32_t timeGridIntervalSec = 30;
  uint32_t timeFormat = 0;
  uint32_t rateHeightPercent = 95;
  uint32_t graphStyle = 1;
  // Fonts
  LogFontRecord titleFont = MakeLogFont(L"Tahoma", 13, 700);
  LogFontRecord rateFont = MakeLogFont(L"Tahoma", 13, 0);
  LogFontRecord scaleFont = MakeLogFont(L"Tahoma", 12, 0);
  LogFontRecord timeTextFont = MakeLogFont(L"Tahoma", 12, 700);
  // Window
  WindowRect wndPosition;
  uint32_t stopwatchResetAdapterGraph = 0;
  uint32_t stopwatchAlwaysOnTop = 0;
  // Handle: the running main window, for a second copy to bring forward
  uint32_t hwnd = 0;
  // Metrics endpoint, saved with the General group (and so mirrored for the service). After
  // loading they are always usable: a bad value reads as its default, and a MetricsAllow
  // that does not parse also switches MetricsRemote off, so damage never widens access.
  uint32_t metricsEnabled = 0;  // flag 0 or 1
  uint32_t metricsPort = kDefaultMetricsPort;
  uint32_t metricsRemote = 0;   // 0: 127.0.0.1 only; 1: every IPv4 address
  std::wstring metricsAllow;    // AllowList text; empty allows everyone while remote
};

// The defaults; without layered windows semi-transparency starts off at 0 percent.
Options DefaultOptions(bool layeredWindows);

// Reads every Options value that exists under the root over `options` (which holds the
// defaults), one value at a time: a value of the wrong size or type is ignored and its
// default stays. Then applies the range rules. A present NotificationEx2U that cannot be
// used (wrong size or version) is zeroed and switches notification off.
void LoadOptions(ISettingsStore& store, SettingsRoot root, Options* options);
// What the service reads from HKEY_LOCAL_MACHINE: DisplayUnitByte, ShowIPInTitle,
// WeekStartDay, MonthStartDay, NotificationEnabled, NotificationEx2U, DateFormat,
// SumLastDays and the four Metrics values, with the same defaults and range rules.
void LoadServiceOptions(ISettingsStore& store, Options* options);
// Writes the values of the groups in `groups` under the root (no group: nothing). Failures
// are silent; the next save tries again.
void SaveOptions(ISettingsStore& store, SettingsRoot root, const Options& options, uint32_t groups);
// Saves `groups` per user and, in service mode, the machine groups among them machine-wide.
void SaveOptionsEverywhere(ISettingsStore& store, const Options& options, uint32_t groups, bool serviceMode);

// The Run value "Vantrel" (looked up without regard to case).
bool IsStartWithWindows(ISettingsStore& store);
// Writes or deletes the Run value when the wish differs from what is there.
void SetStartWithWindows(ISettingsStore& store, bool on, const std::wstring& programPath);

// FirstRun: true once (the value, default 1, is then set to 0) so the help file is opened.
bool HandleFirstRun(ISettingsStore& store);

// The traffic log path of the settings (TrafficLogFile under Options), up to maxBytes.
bool ReadTrafficLogFile(ISettingsStore& store, SettingsRoot root, size_t maxBytes, std::wstring* path);
void WriteTrafficLogFile(ISettingsStore& store, SettingsRoot root, const std::wstring& path);

// The Service key: ServiceEnabled and the three ServiceOptions values (always 1; the service
// sends the notification e-mail; the service records rates).
struct ServiceKeyValues {
  uint32_t enabled = 0;
  uint32_t options[3] = {0, 0, 0};
  bool NotifiesInService() const { return options[1] != 0; }
  bool RecordsInService() const { return options[2] != 0; }
};
ServiceKeyValues ReadServiceKey(ISettingsStore& store, SettingsRoot root);
// Writes ServiceEnabled and ServiceOptions (its first value always 1); true when both were written.
bool WriteServiceKey(ISettingsStore& store, SettingsRoot root, const ServiceKeyValues& values);

}  // namespace vantrel
