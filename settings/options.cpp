#include "settings/options.h"

#include <algorithm>
#include <set>

#include "platform/little_endian.h"
#include "platform/text.h"
#include "settings/allow_list.h"
#include "settings/settings_keys.h"

namespace vantrel {

namespace {

constexpr size_t kSTAdpIDBytes = 2048;
constexpr size_t kMetricsAllowBytes = 8192;

// Every value of the Options key, group by group, in the order the groups list them. The
// visitor decides what happens to each (read, write).
template <typename V>
void VisitGroup(uint32_t group, Options& o, V& v) {
  switch (group) {
    case kGroupHandle:
      v.Dword(L"HWND", o.hwnd);
      break;
    case kGroupDisplay:
      v.Dword(L"DisplayTitle", o.displayTitle);
      v.Dword(L"DisplayGraph", o.displayGraph);
      v.Dword(L"DisplayScaleGrid", o.displayScaleGrid);
      v.Dword(L"DisplayScale", o.displayScale);
      v.Dword(L"DisplayText", o.displayText);
      v.Dword(L"DisplayMaxRateInText", o.displayMaxRateInText);
      v.Dword(L"TextCrSameAsGraphCr", o.textCrSameAsGraphCr);
      v.Dword(L"DispAvgValuesInText", o.dispAvgValuesInText);
      v.Dword(L"DispAvgDownLine", o.dispAvgDownLine);
      v.Dword(L"DispAvgUpLine", o.dispAvgUpLine);
      v.Dword(L"DisplayTimeGrid", o.displayTimeGrid);
      v.Dword(L"DisplayTimeText", o.displayTimeText);
      v.Dword(L"ScaleGridOnTop", o.scaleGridOnTop);
      v.Dword(L"TimeGridOnTop", o.timeGridOnTop);
      v.Dword(L"TimeTextOnTop", o.timeTextOnTop);
      break;
    case kGroupColours:
      v.Dword(L"GraphBkgColor", o.graphBkgColor);
      v.Dword(L"DownColor", o.downColor);
      v.Dword(L"UpColor", o.upColor);
      v.Dword(L"BothDownUpColor", o.bothDownUpColor);
      v.Dword(L"GridColor", o.gridColor);
      v.Dword(L"AvgDownLineColor", o.avgDownLineColor);
      v.Dword(L"AvgUpLineColor", o.avgUpLineColor);
      v.Dword(L"TitleBkgColor", o.titleBkgColor);
      v.Dword(L"TitleTextColor", o.titleTextColor);
      v.Dword(L"ScaleTextColor", o.scaleTextColor);
      v.Dword(L"RateTextColor", o.rateTextColor);
      v.Dword(L"RateBkgColor", o.rateBkgColor);
      v.Dword(L"BorderColor", o.borderColor);
      v.Dword(L"TimeGridColor", o.timeGridColor);
      v.Dword(L"TimeTextColor", o.timeTextColor);
      break;
    case kGroupFonts:
      v.Font(L"TitleFontU", o.titleFont);
      v.Font(L"RateFontU", o.rateFont);
      v.Font(L"ScaleFontU", o.scaleFont);
      v.Font(L"TimeTextFontU", o.timeTextFont);
      break;
    case kGroupNotification:
      v.Dword(L"NotificationEnabled", o.notificationEnabled);
      v.Rule(L"NotificationEx2U", o.notification, o.notificationEnabled);
      break;
    case kGroupWindow:
      v.Rect(L"WndPosition", o.wndPosition);
      v.Dword(L"StopwatchResetAdapterGraph", o.stopwatchResetAdapterGraph);
      v.Dword(L"StopwatchAlwaysOnTop", o.stopwatchAlwaysOnTop);
      break;
    case kGroupTray:
      v.Dword(L"DispIconSystray", o.dispIconSystray);
      v.Dword(L"ShowGraphInSystray", o.showGraphInSystray);
      v.Dword(L"ShowAdapterNameInSystrayTips", o.showAdapterNameInSystrayTips);
      v.Dword(L"ShowAdapterIPInSystrayTips", o.showAdapterIPInSystrayTips);
      v.Dword(L"STIfType", o.stIfType);
      v.Identifier(L"STAdpID", o.stAdpID);
      break;
    case kGroupSumLastDays:
      v.Dword(L"SumLastDays", o.sumLastDays);
      break;
    case kGroupReportChart:
      v.Dword(L"ReportChartRange", o.reportChartRange);
      break;
    case kGroupGeneral:
      v.Dword(L"WeekStartDay", o.weekStartDay);
      v.Dword(L"MonthStartDay", o.monthStartDay);
      v.Dword(L"RateViewMargins", o.rateViewMargins);
      v.Dword(L"TransparentPercent", o.transparentPercent);
      v.Dword(L"StartMinimized", o.startMinimized);
      v.Dword(L"StartWithWindows", o.startWithWindows);
      v.Dword(L"HotkeyEnabled", o.hotkeyEnabled);
      v.Dword(L"HotkeyChar", o.hotkeyChar);
      v.Dword(L"DateFormat", o.dateFormat);
      v.Dword(L"SemiTransparent", o.semiTransparent);
      v.Dword(L"EnableClickThrough", o.enableClickThrough);
      v.Dword(L"ShowIPInTitle", o.showIPInTitle);
      v.Dword(L"AlwaysOnTop", o.alwaysOnTop);
      v.Dword(L"ShowCaption", o.showCaption);
      v.Dword(L"DisplayUnitByte", o.displayUnitByte);
      // The metrics endpoint's values travel with the General group.
      v.Dword(L"MetricsEnabled", o.metricsEnabled);
      v.Dword(L"MetricsPort", o.metricsPort);
      v.Dword(L"MetricsRemote", o.metricsRemote);
      v.String(L"MetricsAllow", o.metricsAllow);
      break;
    case kGroupNextAlert:
      v.Dword(L"NextAlertType", o.nextAlertType);
      v.Dword(L"NextAlertMin", o.nextAlertMin);
      break;
    case kGroupStyle:
      v.Dword(L"PulseSpace", o.pulseSpace);
      v.Dword(L"PulseWidth", o.pulseWidth);
      v.Dword(L"ScaleGridLineStyle", o.scaleGridLineStyle);
      v.Dword(L"TimeGridLineStyle", o.timeGridLineStyle);
      v.Dword(L"TimeGridIntervalSec", o.timeGridIntervalSec);
      v.Dword(L"TimeFormat", o.timeFormat);
      v.Dword(L"RateHeightPercent", o.rateHeightPercent);
      v.Dword(L"GraphStyle", o.graphStyle);
      break;
    default:
      break;
  }
}

constexpr uint32_t kGroupOrder[] = {kGroupHandle,      kGroupDisplay,   kGroupColours, kGroupFonts,
                                    kGroupNotification, kGroupWindow,    kGroupTray,    kGroupSumLastDays,
                                    kGroupGeneral,      kGroupNextAlert, kGroupStyle,   kGroupReportChart};

class Loader {
 public:
  Loader(ISettingsStore& store, SettingsRoot root, const std::set<std::wstring>* only)
      : m_store(store), m_root(root), m_only(only) {}

  void Dword(const wchar_t* name, uint32_t& field) {
    if (!Wanted(name)) return;
    uint32_t v = 0;
    if (ReadDword(m_store, m_root, keys::kOptions, name, &v) == ReadStatus::Ok) {
      field = v;
      m_read.insert(name);
    }
  }
  void Dword(const wchar_t* name, int32_t& field) {
    uint32_t v = static_cast<uint32_t>(field);
    Dword(name, v);
    field = static_cast<int32_t>(v);
  }
  void Font(const wchar_t* name, LogFontRecord& field) {
    if (!Wanted(name)) return;
    std::vector<uint8_t> data;
    if (ReadBinaryExact(m_store, m_root, keys::kOptions, name, kLogFontSize, &data) == ReadStatus::Ok)
      ParseLogFont(data.data(), data.size(), &field);
  }
  void Rect(const wchar_t* name, WindowRect& field) {
    if (!Wanted(name)) return;
    std::vector<uint8_t> d;
    if (ReadBinaryExact(m_store, m_root, keys::kOptions, name, 16, &d) != ReadStatus::Ok) return;
    field = WindowRect{LoadI32(&d[0]), LoadI32(&d[4]), LoadI32(&d[8]), LoadI32(&d[12])};
  }
  void Rule(const wchar_t* name, NotificationRule& rule, uint32_t& enabled) {
    if (!Wanted(name)) return;
    StoredValue v;
    ReadStatus st = m_store.ReadValue(m_root, keys::kOptions, name, kNotificationRuleSize, &v);
    if (st == ReadStatus::Missing) return;
    // A rule that is there but cannot be used must not leave notification on with a rule
    // nobody can see.
    if (st != ReadStatus::Ok || !ParseNotificationRule(v.data.data(), v.data.size(), &rule)) {
      rule = NotificationRule{};
      enabled = 0;
    }
  }
  void Identifier(const wchar_t* name, std::string& field) {
    if (!Wanted(name)) return;
    std::wstring s;
    if (ReadString(m_store, m_root, keys::kOptions, name, kSTAdpIDBytes, &s) != ReadStatus::Ok) return;
    std::string a = WideToAnsi(s);
    if (a.size() > 259) a.resize(259);
    field = ToUpperAscii(a);
  }
  void String(const wchar_t* name, std::wstring& field) {
    if (!Wanted(name)) return;
    std::wstring s;
    ReadStatus st = ReadString(m_store, m_root, keys::kOptions, name, kMetricsAllowBytes, &s);
    if (st == ReadStatus::Ok) {
      field = s;
      m_read.insert(name);
    } else if (st != ReadStatus::Missing) {
      m_unusable.insert(name);
    }
  }
  bool WasRead(const wchar_t* name) const { return m_read.count(name) != 0; }
  // Present but of the wrong type or too long.
  bool Unusable(const wchar_t* name) const { return m_unusable.count(name) != 0; }

 private:
  bool Wanted(const wchar_t* name) const { return !m_only || m_only->count(name) != 0; }

  ISettingsStore& m_store;
  SettingsRoot m_root;
  const std::set<std::wstring>* m_only;
  std::set<std::wstring> m_read;
  std::set<std::wstring> m_unusable;
};

class Saver {
 public:
  Saver(ISettingsStore& store, SettingsRoot root) : m_store(store), m_root(root) {}
  void Dword(const wchar_t* name, uint32_t& field) { WriteDword(m_store, m_root, keys::kOptions, name, field); }
  void Dword(const wchar_t* name, int32_t& field) {
    WriteDword(m_store, m_root, keys::kOptions, name, static_cast<uint32_t>(field));
  }
  void Font(const wchar_t* name, LogFontRecord& field) {
    auto bytes = SerializeLogFont(field);
    WriteBinary(m_store, m_root, keys::kOptions, name, bytes.data(), bytes.size());
  }
  void Rect(const wchar_t* name, WindowRect& r) {
    uint8_t d[16];
    int32_t v[4] = {r.left, r.top, r.right, r.bottom};
    for (int i = 0; i < 4; ++i) StoreU32(d + i * 4, static_cast<uint32_t>(v[i]));
    WriteBinary(m_store, m_root, keys::kOptions, name, d, sizeof d);
  }
  void Rule(const wchar_t* name, NotificationRule& rule, uint32_t&) {
    auto bytes = SerializeNotificationRule(rule);
    WriteBinary(m_store, m_root, keys::kOptions, name, bytes.data(), bytes.size());
  }
  void Identifier(const wchar_t* name, std::string& field) {
    WriteString(m_store, m_root, keys::kOptions, name, AnsiToWide(field));
  }
  void String(const wchar_t* name, std::wstring& field) { WriteString(m_store, m_root, keys::kOptions, name, field); }

 private:
  ISettingsStore& m_store;
  SettingsRoot m_root;
};

void ApplyRangeRules(Options& o, const Loader& loaded) {
  if (o.weekStartDay > 6) o.weekStartDay = 0;
  if (o.monthStartDay < 1 || o.monthStartDay > 31) o.monthStartDay = 1;
  if (loaded.WasRead(L"TransparentPercent")) o.transparentPercent = std::clamp(o.transparentPercent, 10, 90);
  if (o.rateViewMargins < 0) o.rateViewMargins = 2;
  if (o.nextAlertType > 1) o.nextAlertType = 0;
  if (o.nextAlertMin < 1) o.nextAlertMin = 1;
  if (o.reportChartRange > 2) o.reportChartRange = 0;
  if (o.displayText == 0 && o.displayGraph == 0) o.displayText = o.displayGraph = 1;
  if (o.metricsEnabled > 1) o.metricsEnabled = 0;
  if (o.metricsPort < 1 || o.metricsPort > 65535) o.metricsPort = kDefaultMetricsPort;
  if (o.metricsRemote > 1) o.metricsRemote = 0;
  AllowList allow;
  if (loaded.Unusable(L"MetricsAllow") || !AllowList::Parse(o.metricsAllow, &allow)) {
    o.metricsRemote = 0;
    o.metricsAllow.clear();
  }
}

}  // namespace

Options DefaultOptions(bool layeredWindows) {
  Options o;
  if (!layeredWindows) {
    o.semiTransparent = 0;
    o.transparentPercent = 0;
  }
  return o;
}

void LoadOptions(ISettingsStore& store, SettingsRoot root, Options* options) {
  Loader loader(store, root, nullptr);
  for (uint32_t g : kGroupOrder) VisitGroup(g, *options, loader);
  ApplyRangeRules(*options, loader);
}

void LoadServiceOptions(ISettingsStore& store, Options* options) {
  static const std::set<std::wstring> kServiceValues = {
      L"DisplayUnitByte",  L"ShowIPInTitle", L"WeekStartDay",   L"MonthStartDay", L"NotificationEnabled",
      L"NotificationEx2U", L"DateFormat",    L"SumLastDays",    L"MetricsEnabled", L"MetricsPort",
      L"MetricsRemote",    L"MetricsAllow"};
  Loader loader(store, SettingsRoot::LocalMachine, &kServiceValues);
  for (uint32_t g : kGroupOrder) VisitGroup(g, *options, loader);
  ApplyRangeRules(*options, loader);
}

void SaveOptions(ISettingsStore& store, SettingsRoot root, const Options& options, uint32_t groups) {
  Options copy = options;  // the visitor takes references; saving never changes the caller's values
  Saver saver(store, root);
  for (uint32_t g : kGroupOrder)
    if (groups & g) VisitGroup(g, copy, saver);
}

void SaveOptionsEverywhere(ISettingsStore& store, const Options& options, uint32_t groups, bool serviceMode) {
  SaveOptions(store, SettingsRoot::CurrentUser, options, groups);
  if (serviceMode && (groups & kMachineGroups)) SaveOptions(store, SettingsRoot::LocalMachine, options, groups & kMachineGroups);
}

bool IsStartWithWindows(ISettingsStore& store) {
  std::vector<std::pair<std::wstring, StoredValue>> values;
  if (!store.EnumValues(SettingsRoot::CurrentUser, keys::kRun, &values)) return false;
  for (const auto& v : values)
    if (EqualsIgnoreCase(v.first, keys::kRunValue)) return true;
  return false;
}

void SetStartWithWindows(ISettingsStore& store, bool on, const std::wstring& programPath) {
  if (on == IsStartWithWindows(store)) return;
  if (on)
    WriteString(store, SettingsRoot::CurrentUser, keys::kRun, keys::kRunValue, programPath);
  else
    store.DeleteValue(SettingsRoot::CurrentUser, keys::kRun, keys::kRunValue);
}

bool HandleFirstRun(ISettingsStore& store) {
  uint32_t firstRun = 1;
  ReadDword(store, SettingsRoot::CurrentUser, keys::kOptions, L"FirstRun", &firstRun);
  if (firstRun == 0) return false;
  WriteDword(store, SettingsRoot::CurrentUser, keys::kOptions, L"FirstRun", 0);
  return true;
}

bool ReadTrafficLogFile(ISettingsStore& store, SettingsRoot root, size_t maxBytes, std::wstring* path) {
  std::wstring p;
  if (ReadString(store, root, keys::kOptions, keys::kTrafficLogFile, maxBytes, &p) != ReadStatus::Ok) return false;
  *path = p;
  return true;
}

void WriteTrafficLogFile(ISettingsStore& store, SettingsRoot root, const std::wstring& path) {
  WriteString(store, root, keys::kOptions, keys::kTrafficLogFile, path);
}

ServiceKeyValues ReadServiceKey(ISettingsStore& store, SettingsRoot root) {
  ServiceKeyValues v;
  ReadDword(store, root, keys::kService, L"ServiceEnabled", &v.enabled);
  std::vector<uint8_t> d;
  if (ReadBinaryExact(store, root, keys::kService, L"ServiceOptions", 12, &d) == ReadStatus::Ok) {
    for (int i = 0; i < 3; ++i) v.options[i] = LoadU32(&d[i * 4]);
  }
  return v;
}

bool WriteServiceKey(ISettingsStore& store, SettingsRoot root, const ServiceKeyValues& values) {
  bool ok = WriteDword(store, root, keys::kService, L"ServiceEnabled", values.enabled);
  uint8_t d[12];
  // The first value is always written as 1, whatever was read or passed.
  for (int i = 0; i < 3; ++i) StoreU32(d + i * 4, i == 0 ? 1u : values.options[i]);
  return WriteBinary(store, root, keys::kService, L"ServiceOptions", d, sizeof d) && ok;
}

}  // namespace vantrel
