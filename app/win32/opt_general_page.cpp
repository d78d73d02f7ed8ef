#include "app/win32/opt_general_page.h"

#include <commctrl.h>

#include "app/logic/options_apply.h"
#include "app/res/options_ids.h"

namespace vantrel {

namespace {

// The check boxes and the switch each one edits.
struct SwitchBox {
  int id;
  uint32_t Options::*value;
};
constexpr SwitchBox kSwitches[] = {
    {IDC_ALWAYS_ON_TOP, &Options::alwaysOnTop},
    {IDC_SHOW_CAPTION, &Options::showCaption},
    {IDC_START_WITH_WINDOWS, &Options::startWithWindows},
    {IDC_START_MINIMIZED, &Options::startMinimized},
    {IDC_HOTKEY_ENABLED, &Options::hotkeyEnabled},
    {IDC_CLICK_THROUGH, &Options::enableClickThrough},
    {IDC_SEMI_TRANSPARENT, &Options::semiTransparent},
    {IDC_DISPLAY_TITLE, &Options::displayTitle},
    {IDC_DISPLAY_GRAPH, &Options::displayGraph},
    {IDC_DISPLAY_TEXT, &Options::displayText},
    {IDC_DISPLAY_MAX_RATE, &Options::displayMaxRateInText},
    {IDC_DISPLAY_SCALE, &Options::displayScale},
    {IDC_DISPLAY_SCALE_GRID, &Options::displayScaleGrid},
    {IDC_DISPLAY_TIME_GRID, &Options::displayTimeGrid},
    {IDC_DISPLAY_TIME_TEXT, &Options::displayTimeText},
    {IDC_SCALE_GRID_ON_TOP, &Options::scaleGridOnTop},
    {IDC_TIME_GRID_ON_TOP, &Options::timeGridOnTop},
    {IDC_TIME_TEXT_ON_TOP, &Options::timeTextOnTop},
    {IDC_AVG_DOWN_LINE, &Options::dispAvgDownLine},
    {IDC_AVG_UP_LINE, &Options::dispAvgUpLine},
    {IDC_AVG_VALUES_IN_TEXT, &Options::dispAvgValuesInText},
    {IDC_IP_IN_TITLE, &Options::showIPInTitle},
    {IDC_TEXT_IN_GRAPH_COLOURS, &Options::textCrSameAsGraphCr},
};

constexpr int kMarginsMax = 1000;

}  // namespace

COptGeneralPage::COptGeneralPage(COptionsSheet& sheet)
    : COptionsPage(sheet, IDD_OPT_GENERAL), m_values(sheet.Data().options), m_layered(sheet.Data().layered) {}

void COptGeneralPage::InitPage() {
  for (const SwitchBox& s : kSwitches) Check(s.id, m_values.*s.value != 0);
  CheckRadioButton(m_hwnd, IDC_UNIT_BYTES, IDC_UNIT_BITS, m_values.displayUnitByte ? IDC_UNIT_BYTES : IDC_UNIT_BITS);

  // 1. Transparency, only where the system has layered windows.
  if (m_layered) {
    FillList(IDC_TRANSPARENCY, TransparencyChoices(), TransparencyIndex(m_values.transparentPercent));
    Enable(IDC_TRANSPARENCY, m_values.semiTransparent != 0);
  } else {
    Enable(IDC_SEMI_TRANSPARENT, false);
    Enable(IDC_TRANSPARENCY, false);
    Enable(IDC_CLICK_THROUGH, false);
  }
  // 2. The calendar.
  FillList(IDC_WEEK_START, WeekDayChoices(),
           IndexOfValue(WeekDayChoices(), static_cast<int32_t>(m_values.weekStartDay), 0));
  FillList(IDC_MONTH_START, MonthDayChoices(),
           IndexOfValue(MonthDayChoices(), static_cast<int32_t>(m_values.monthStartDay), 0));
  // 3. The margins.
  SendDlgItemMessageW(m_hwnd, IDC_MARGINS_SPIN, UDM_SETRANGE32, 0, kMarginsMax);
  SendDlgItemMessageW(m_hwnd, IDC_MARGINS, EM_LIMITTEXT, 10, 0);
  SetNumber(IDC_MARGINS, m_values.rateViewMargins);
  // 4. The hot-key letter.
  FillList(IDC_HOTKEY_CHAR, HotkeyLetterChoices(),
           IndexOfValue(HotkeyLetterChoices(), static_cast<int32_t>(m_values.hotkeyChar), -1));
  // 5. The date format.
  FillList(IDC_DATE_FORMAT, DateFormatChoices(),
           IndexOfValue(DateFormatChoices(), static_cast<int32_t>(m_values.dateFormat), 0));
}

PageCheck COptGeneralPage::CheckPage() {
  Options values = m_values;
  for (const SwitchBox& s : kSwitches) {
    // Without layered windows the greyed boxes keep what they showed.
    if (!m_layered && (s.id == IDC_SEMI_TRANSPARENT || s.id == IDC_CLICK_THROUGH)) continue;
    values.*s.value = Checked(s.id) ? 1 : 0;
  }
  values.displayUnitByte = Checked(IDC_UNIT_BYTES) ? 1 : 0;

  GeneralPageInput in;
  in.layered = m_layered;
  in.transparencyIndex = Selection(IDC_TRANSPARENCY);
  std::wstring margins = Text(IDC_MARGINS);
  in.margins = NumberFromText(margins);
  if (!margins.empty() && margins[0] == L'-') in.margins = -in.margins;
  in.graph = Checked(IDC_DISPLAY_GRAPH);
  in.text = Checked(IDC_DISPLAY_TEXT);
  in.weekIndex = Selection(IDC_WEEK_START);
  in.monthIndex = Selection(IDC_MONTH_START);
  in.hotkeyIndex = Selection(IDC_HOTKEY_CHAR);
  in.dateFormatIndex = Selection(IDC_DATE_FORMAT);
  PageCheck check = CheckGeneralPage(in, &values);
  if (check.ok) m_values = values;
  return check;
}

bool COptGeneralPage::SendToMain() { return OptionsSheet().ApplyToMain(kPageGeneral, &m_values); }

bool COptGeneralPage::OnPageMessage(UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
  if (msg != WM_COMMAND) return false;
  int id = LOWORD(wp);
  UINT code = HIWORD(wp);
  switch (id) {
    case IDC_UNIT_BYTES_HELP:
    case IDC_UNIT_BITS_HELP:
      if (code != BN_CLICKED) return false;
      ShowInformation(id == IDC_UNIT_BYTES_HELP ? kByteUnitsHelpText : kBitUnitsHelpText);
      break;
    case IDC_SEMI_TRANSPARENT:
      if (code != BN_CLICKED) return false;
      if (m_layered) Enable(IDC_TRANSPARENCY, Checked(IDC_SEMI_TRANSPARENT));
      MarkChanged();
      break;
    case IDC_MARGINS:
      if (code != EN_CHANGE) return false;
      MarkChanged();
      break;
    case IDC_TRANSPARENCY:
    case IDC_WEEK_START:
    case IDC_MONTH_START:
    case IDC_HOTKEY_CHAR:
    case IDC_DATE_FORMAT:
      if (code != CBN_SELCHANGE) return false;
      MarkChanged();
      break;
    default:
      if (code != BN_CLICKED) return false;
      MarkChanged();
      break;
  }
  *result = 0;
  return true;
}

}  // namespace vantrel
