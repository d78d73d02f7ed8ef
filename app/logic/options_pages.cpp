#include "app/logic/options_pages.h"

#include <climits>
#include <cstdio>

#include "app/logic/main_messages.h"
#include "app/res/options_ids.h"

namespace vantrel {

namespace {

PageCheck Refuse(const wchar_t* message, int control) {
  PageCheck c;
  c.ok = false;
  c.message = message;
  c.focusControl = control;
  return c;
}

std::wstring Number(int n) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%d", n);
  return text;
}

bool InRange(const std::vector<ListChoice>& items, int index) {
  return index >= 0 && static_cast<size_t>(index) < items.size();
}

}  // namespace

int IndexOfValue(const std::vector<ListChoice>& items, int32_t value, int fallback) {
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].value == value) return static_cast<int>(i);
  return fallback;
}

int32_t ValueAt(const std::vector<ListChoice>& items, int index, int32_t fallback) {
  return InRange(items, index) ? items[static_cast<size_t>(index)].value : fallback;
}

int32_t NumberFromText(const std::wstring& text) {
  int64_t n = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') continue;
    n = n * 10 + (c - L'0');
    if (n > INT32_MAX) return INT32_MAX;
  }
  return static_cast<int32_t>(n);
}

// ---- General page ----

std::vector<ListChoice> TransparencyChoices() {
  std::vector<ListChoice> items;
  for (int value = 10; value <= 90; value += 5) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%d%% visible", 100 - value);
    items.push_back({text, value});
  }
  return items;
}

int TransparencyIndex(int32_t transparentPercent) {
  return IndexOfValue(TransparencyChoices(), transparentPercent, 1);
}

std::vector<ListChoice> WeekDayChoices() {
  return {{L"Sunday", 0},   {L"Monday", 1}, {L"Tuesday", 2},  {L"Wednesday", 3},
          {L"Thursday", 4}, {L"Friday", 5}, {L"Saturday", 6}};
}

std::vector<ListChoice> MonthDayChoices() {
  std::vector<ListChoice> items;
  for (int d = 1; d <= 31; ++d) items.push_back({Number(d), d});
  return items;
}

std::vector<ListChoice> HotkeyLetterChoices() {
  std::vector<ListChoice> items;
  for (wchar_t c = L'A'; c <= L'Z'; ++c) items.push_back({std::wstring(1, c), static_cast<int32_t>(c)});
  return items;
}

std::vector<ListChoice> DateFormatChoices() {
  return {{L"MM/DD/YYYY", 17}, {L"MM.DD.YYYY", 119}, {L"DD/MM/YYYY", 34}, {L"DD.MM.YYYY", 102},
          {L"YYYY/MM/DD", 51}, {L"YYYY-MM-DD", 68},  {L"YYYY.MM.DD", 85}};
}

PageCheck CheckGeneralPage(const GeneralPageInput& in, Options* page) {
  const std::vector<ListChoice> steps = TransparencyChoices();
  if (in.layered && !InRange(steps, in.transparencyIndex)) return Refuse(kNoTransparencyText, IDC_TRANSPARENCY);
  if (in.margins < 0) return Refuse(kNegativeMarginsText, IDC_MARGINS);
  if (!in.graph && !in.text) return Refuse(kGraphOrTextText, IDC_DISPLAY_GRAPH);
  if (in.layered) page->transparentPercent = ValueAt(steps, in.transparencyIndex, page->transparentPercent);
  page->weekStartDay = static_cast<uint32_t>(ValueAt(WeekDayChoices(), in.weekIndex, 0));
  page->monthStartDay = static_cast<uint32_t>(ValueAt(MonthDayChoices(), in.monthIndex, 1));
  page->hotkeyChar = static_cast<uint32_t>(ValueAt(HotkeyLetterChoices(), in.hotkeyIndex, 78));
  page->dateFormat = static_cast<uint32_t>(ValueAt(DateFormatChoices(), in.dateFormatIndex, 17));
  page->rateViewMargins = in.margins;
  page->displayGraph = in.graph ? 1 : 0;
  page->displayText = in.text ? 1 : 0;
  return PageCheck{};
}

// ---- Graph & Text page ----

std::vector<ListChoice> LineStyleChoices() {
  return {{L"Dot", 2}, {L"Solid", 0}, {L"Dash", 1}, {L"Dashdot", 3}, {L"Dashdotdot", 4}};
}

std::vector<ListChoice> TimeFormatChoices() { return {{L"HH:MM:SS", 0}, {L"HH:MM", 1}, {L"MM:SS", 2}}; }

std::vector<ListChoice> GraphStyleChoices() { return {{L"Column", 1}, {L"Line", 0}}; }

void SetDefaultColours(Options* o) {
  const Options d;
  o->downColor = d.downColor;
  o->upColor = d.upColor;
  o->bothDownUpColor = d.bothDownUpColor;
  o->avgDownLineColor = d.avgDownLineColor;
  o->avgUpLineColor = d.avgUpLineColor;
  o->graphBkgColor = d.graphBkgColor;
  o->borderColor = d.borderColor;
  o->titleBkgColor = d.titleBkgColor;
  o->titleTextColor = d.titleTextColor;
  o->rateBkgColor = d.rateBkgColor;
  o->rateTextColor = d.rateTextColor;
  o->gridColor = d.gridColor;
  o->scaleTextColor = d.scaleTextColor;
  o->timeGridColor = d.timeGridColor;
  o->timeTextColor = d.timeTextColor;
}

void SetDefaultFonts(Options* o) {
  // The button's fonts are all 13 high, unlike the first-start defaults of the scale and time
  // fonts (12).
  o->titleFont = MakeLogFont(L"Tahoma", 13, 700);
  o->rateFont = MakeLogFont(L"Tahoma", 13, 0);
  o->scaleFont = MakeLogFont(L"Tahoma", 13, 0);
  o->timeTextFont = MakeLogFont(L"Tahoma", 13, 0);
}

LogFontRecord KeptFont(LogFontRecord chosen) {
  if (chosen.height < 0) chosen.height = chosen.height == INT32_MIN ? INT32_MAX : -chosen.height;
  return chosen;
}

PageCheck CheckGraphTextPage(const GraphTextPageInput& in, Options* page) {
  if (in.rateHeightPercent < 50 || in.rateHeightPercent > 100) return Refuse(kRateHeightText, IDC_RATE_HEIGHT);
  if (in.pulseWidth <= 0) return Refuse(kPulseWidthText, IDC_PULSE_WIDTH);
  if (in.timeGridIntervalSec <= 0) return Refuse(kTimeGridIntervalText, IDC_TIME_GRID_INTERVAL);
  page->rateHeightPercent = static_cast<uint32_t>(in.rateHeightPercent);
  page->pulseWidth = static_cast<uint32_t>(in.pulseWidth);
  page->pulseSpace = static_cast<uint32_t>(in.pulseSpace < 0 ? 0 : in.pulseSpace);
  page->timeGridIntervalSec = static_cast<uint32_t>(in.timeGridIntervalSec);
  const auto lines = LineStyleChoices();
  page->scaleGridLineStyle =
      static_cast<uint32_t>(ValueAt(lines, in.scaleGridStyleIndex, static_cast<int32_t>(page->scaleGridLineStyle)));
  page->timeGridLineStyle =
      static_cast<uint32_t>(ValueAt(lines, in.timeGridStyleIndex, static_cast<int32_t>(page->timeGridLineStyle)));
  page->timeFormat =
      static_cast<uint32_t>(ValueAt(TimeFormatChoices(), in.timeFormatIndex, static_cast<int32_t>(page->timeFormat)));
  page->graphStyle =
      static_cast<uint32_t>(ValueAt(GraphStyleChoices(), in.graphStyleIndex, static_cast<int32_t>(page->graphStyle)));
  return PageCheck{};
}

// ---- Adapters page ----

std::vector<OptionsAdapter> OptionsAdaptersOf(const MonitoredList& list) {
  std::vector<OptionsAdapter> out;
  for (const AdapterEntry& e : list) {
    OptionsAdapter a;
    a.kind = e.kind;
    a.id = e.id;
    a.name = e.displayName;
    a.description = e.description;
    a.ip = e.ip;
    a.connRateBps = e.connRateBps;
    a.monitored = e.monitored;
    out.push_back(std::move(a));
  }
  return out;
}

TraySettings TraySettingsOf(const Options& o) {
  TraySettings t;
  t.icon = o.dispIconSystray != 0;
  t.graph = o.showGraphInSystray != 0;
  t.tipName = o.showAdapterNameInSystrayTips != 0;
  t.tipIp = o.showAdapterIPInSystrayTips != 0;
  t.kind = o.stIfType;
  t.id = o.stAdpID;
  return t;
}

void TakeTraySettings(const TraySettings& t, Options* o) {
  o->dispIconSystray = t.icon ? 1 : 0;
  o->showGraphInSystray = t.graph ? 1 : 0;
  o->showAdapterNameInSystrayTips = t.tipName ? 1 : 0;
  o->showAdapterIPInSystrayTips = t.tipIp ? 1 : 0;
  o->stIfType = t.kind;
  o->stAdpID = t.id;
}

std::vector<ListChoice> ConnectionSpeedChoices() {
  return {{L"Auto Scale", 0},
          {L"33.6 kbps (analog modems)", 33600},
          {L"48.0 kbps (analog modems)", 48000},
          {L"56.0 kbps (analog modems)", 56000},
          {L"64 kbps (ISDN - single channel)", 64000},
          {L"128 kbps (ISDN - dual channel)", 128000},
          {L"256 kbps (DSL, Frame Relay)", 256000},
          {L"384 kbps (DSL)", 384000},
          {L"512 kbps (DSL)", 512000},
          {L"768 kbps (DSL)", 768000},
          {L"1.544 mbps (T1, DSL, Cable Modem)", 1544000},
          {L"2 mbps (DSL, Cable Modem)", 2000000},
          {L"10 mbps (DSL, Cable Modem, LAN)", 10000000},
          {L"44.736 mbps (DS3)", 44736000},
          {L"100 mbps (LAN)", 100000000},
          {L"Specify Speed", kSpecifySpeedValue}};
}

SpeedSelection SelectSpeed(uint32_t connRateBps) {
  const auto items = ConnectionSpeedChoices();
  SpeedSelection s;
  // Only stored rates compare: the marker of the last item is no rate.
  for (size_t i = 0; i + 1 < items.size(); ++i) {
    if (static_cast<uint32_t>(items[i].value) == connRateBps) {
      s.index = static_cast<int>(i);
      return s;
    }
  }
  s.index = static_cast<int>(items.size()) - 1;
  s.specify = true;
  s.editValue = connRateBps;
  return s;
}

SpeedChoice ChooseSpeed(int index) {
  int32_t value = ValueAt(ConnectionSpeedChoices(), index, 0);
  if (value == kSpecifySpeedValue) return SpeedChoice{0, true};
  return SpeedChoice{static_cast<uint32_t>(value), false};
}

uint32_t ConnRateFromText(const std::wstring& text) {
  int32_t n = NumberFromText(text);
  return static_cast<uint32_t>(n < 0 ? 0 : n);
}

TraySelection SelectTrayAdapter(const std::vector<OptionsAdapter>& items, uint32_t kind, const std::string& id) {
  OptionsAdapter wanted;
  wanted.kind = kind;
  wanted.id = id;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].SameAdapter(wanted)) return TraySelection{static_cast<int>(i), kind, id};
  }
  return TraySelection{};
}

std::vector<OptionsAdapter> ResetAdapterNames(std::vector<OptionsAdapter> original) {
  for (OptionsAdapter& a : original)
    if (!a.description.empty()) a.name = a.description;
  return original;
}

bool MonitoredChanged(const std::vector<AdapterRowState>& rows, const std::vector<OptionsAdapter>& copy) {
  for (const AdapterRowState& r : rows)
    if (r.adapter < copy.size() && copy[r.adapter].monitored != r.checked) return true;
  return false;
}

PageCheck CheckAdaptersPage(const AdaptersPageInput& in, const std::vector<OptionsAdapter>& trayItems,
                            AdaptersPageValues* page) {
  bool traySelected = in.trayIndex >= 0 && static_cast<size_t>(in.trayIndex) < trayItems.size();
  if (in.trayIcon && !traySelected) return Refuse(kNoTrayAdapterText, IDC_TRAY_ADAPTER);
  size_t monitored = 0;
  for (const AdapterRowState& r : in.rows) {
    if (r.adapter >= page->adapters.size()) continue;
    if (page->adapters[r.adapter].name.empty()) return Refuse(kEmptyAdapterNameText, IDC_ADAPTER_LIST);
    if (r.checked) ++monitored;
  }
  if (monitored == 0) return Refuse(kLastAdapterText, IDC_ADAPTER_LIST);
  // Taken only once every check passed, so a refused page keeps the copy it showed.
  for (const AdapterRowState& r : in.rows)
    if (r.adapter < page->adapters.size()) page->adapters[r.adapter].monitored = r.checked;
  if (traySelected) {
    const OptionsAdapter& t = trayItems[static_cast<size_t>(in.trayIndex)];
    page->tray.kind = t.kind;
    page->tray.id = t.kind == kKindAdapter ? t.id : std::string();
  }
  page->tray.icon = in.trayIcon;
  return PageCheck{};
}

AdaptersApplyPlan PlanAdaptersApply(const std::vector<OptionsAdapter>& current, const TraySettings& currentTray,
                                    const AdaptersPageValues& page) {
  AdaptersApplyPlan plan;
  for (size_t p = 0; p < page.adapters.size(); ++p) {
    const OptionsAdapter& want = page.adapters[p];
    for (size_t e = 0; e < current.size(); ++e) {
      const OptionsAdapter& have = current[e];
      if (!have.SameAdapter(want)) continue;
      AdapterApplyStep step;
      step.entry = e;
      step.pageAdapter = p;
      step.renamed = have.name != want.name;
      step.rateChanged = have.connRateBps != want.connRateBps;
      step.addView = want.monitored && !have.monitored;
      step.removeView = !want.monitored && have.monitored;
      plan.steps.push_back(step);
      break;
    }
  }
  plan.deleteTrayIcon = currentTray.icon && !page.tray.icon;
  plan.addTrayIcon = !currentTray.icon && page.tray.icon;
  return plan;
}

}  // namespace vantrel
