#include "app/win32/opt_graph_page.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cwchar>

#include "app/logic/options_apply.h"
#include "app/logic/rate_view_layout.h"
#include "app/res/options_ids.h"
#include "ui/dpi.h"

namespace vantrel {

namespace {

struct ColorControl {
  int id;
  uint32_t Options::*value;
};
constexpr ColorControl kColorControls[] = {
    {IDC_DOWN_COLOR, &Options::downColor},           {IDC_UP_COLOR, &Options::upColor},
    {IDC_BOTH_COLOR, &Options::bothDownUpColor},     {IDC_AVG_DOWN_COLOR, &Options::avgDownLineColor},
    {IDC_AVG_UP_COLOR, &Options::avgUpLineColor},    {IDC_GRAPH_BKG_COLOR, &Options::graphBkgColor},
    {IDC_BORDER_COLOR, &Options::borderColor},       {IDC_TITLE_BKG_COLOR, &Options::titleBkgColor},
    {IDC_TITLE_TEXT_COLOR, &Options::titleTextColor}, {IDC_RATE_BKG_COLOR, &Options::rateBkgColor},
    {IDC_RATE_TEXT_COLOR, &Options::rateTextColor},  {IDC_GRID_COLOR, &Options::gridColor},
    {IDC_SCALE_TEXT_COLOR, &Options::scaleTextColor}, {IDC_TIME_GRID_COLOR, &Options::timeGridColor},
    {IDC_TIME_TEXT_COLOR, &Options::timeTextColor},
};

struct FontControl {
  int id;
  LogFontRecord Options::*value;
};
constexpr FontControl kFontControls[] = {
    {IDC_TITLE_FONT, &Options::titleFont},
    {IDC_RATE_FONT, &Options::rateFont},
    {IDC_SCALE_FONT, &Options::scaleFont},
    {IDC_TIME_TEXT_FONT, &Options::timeTextFont},
};

struct NumberControl {
  int edit, spin, low, high;
};
constexpr NumberControl kNumbers[] = {
    {IDC_RATE_HEIGHT, IDC_RATE_HEIGHT_SPIN, 50, 100},
    {IDC_PULSE_WIDTH, IDC_PULSE_WIDTH_SPIN, 1, 1000},
    {IDC_PULSE_SPACE, IDC_PULSE_SPACE_SPIN, 0, 1000},
    {IDC_TIME_GRID_INTERVAL, IDC_TIME_GRID_INTERVAL_SPIN, 1, 10000},
};

// The colour dialog's sixteen custom colours, kept for this run of the program.
COLORREF g_customColors[16] = {};

LOGFONTW ToLogFont(const LogFontRecord& f) {
  LOGFONTW lf{};
  lf.lfHeight = f.height;
  lf.lfWidth = f.width;
  lf.lfEscapement = f.escapement;
  lf.lfOrientation = f.orientation;
  lf.lfWeight = f.weight;
  lf.lfItalic = f.italic;
  lf.lfUnderline = f.underline;
  lf.lfStrikeOut = f.strikeOut;
  lf.lfCharSet = f.charSet;
  lf.lfOutPrecision = f.outPrecision;
  lf.lfClipPrecision = f.clipPrecision;
  lf.lfQuality = f.quality;
  lf.lfPitchAndFamily = f.pitchAndFamily;
  lstrcpynW(lf.lfFaceName, f.faceName.c_str(), LF_FACESIZE);
  return lf;
}

LogFontRecord FromLogFont(const LOGFONTW& lf) {
  LogFontRecord f;
  f.height = lf.lfHeight;
  f.width = lf.lfWidth;
  f.escapement = lf.lfEscapement;
  f.orientation = lf.lfOrientation;
  f.weight = lf.lfWeight;
  f.italic = lf.lfItalic;
  f.underline = lf.lfUnderline;
  f.strikeOut = lf.lfStrikeOut;
  f.charSet = lf.lfCharSet;
  f.outPrecision = lf.lfOutPrecision;
  f.clipPrecision = lf.lfClipPrecision;
  f.quality = lf.lfQuality;
  f.pitchAndFamily = lf.lfPitchAndFamily;
  f.faceName.assign(lf.lfFaceName, wcsnlen(lf.lfFaceName, LF_FACESIZE));
  return f;
}

// What a font button shows: face and height, and the weight when it is bold.
std::wstring FontName(const LogFontRecord& f) {
  std::wstring text = f.faceName + L", " + std::to_wstring(f.height < 0 ? -static_cast<int64_t>(f.height) : f.height);
  if (f.weight >= FW_BOLD) text += L", 粗体";
  return text;
}

}  // namespace

COptGraphTextPage::COptGraphTextPage(COptionsSheet& sheet)
    : COptionsPage(sheet, IDD_OPT_GRAPH_TEXT), m_values(sheet.Data().options) {}

int COptGraphTextPage::ColorIndexOf(int id) const {
  for (int i = 0; i < kColours; ++i)
    if (kColorControls[i].id == id) return i;
  return -1;
}

int COptGraphTextPage::FontIndexOf(int id) const {
  for (int i = 0; i < kFonts; ++i)
    if (kFontControls[i].id == id) return i;
  return -1;
}

void COptGraphTextPage::InitPage() {
  for (int i = 0; i < kColours; ++i)
    m_colorButtons[i].Attach(Item(kColorControls[i].id), static_cast<COLORREF>(m_values.*kColorControls[i].value));
  ShowFontNames();
  for (const NumberControl& n : kNumbers) {
    SendDlgItemMessageW(m_hwnd, n.spin, UDM_SETRANGE32, static_cast<WPARAM>(n.low), n.high);
    SendDlgItemMessageW(m_hwnd, n.edit, EM_LIMITTEXT, 10, 0);
  }
  SetNumber(IDC_RATE_HEIGHT, m_values.rateHeightPercent);
  SetNumber(IDC_PULSE_WIDTH, m_values.pulseWidth);
  SetNumber(IDC_PULSE_SPACE, m_values.pulseSpace);
  SetNumber(IDC_TIME_GRID_INTERVAL, m_values.timeGridIntervalSec);
  const auto lines = LineStyleChoices();
  FillList(IDC_SCALE_GRID_STYLE, lines, IndexOfValue(lines, static_cast<int32_t>(m_values.scaleGridLineStyle), 0));
  FillList(IDC_TIME_GRID_STYLE, lines, IndexOfValue(lines, static_cast<int32_t>(m_values.timeGridLineStyle), 0));
  FillList(IDC_TIME_FORMAT, TimeFormatChoices(),
           IndexOfValue(TimeFormatChoices(), static_cast<int32_t>(m_values.timeFormat), 0));
  FillList(IDC_GRAPH_STYLE, GraphStyleChoices(),
           IndexOfValue(GraphStyleChoices(), static_cast<int32_t>(m_values.graphStyle), 0));
}

void COptGraphTextPage::ShowFontNames() {
  for (const FontControl& f : kFontControls) SetDlgItemTextW(m_hwnd, f.id, FontName(m_values.*f.value).c_str());
}

void COptGraphTextPage::OnColorClicked(int index) {
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = OptionsSheet().Owner();
  cc.rgbResult = m_colorButtons[index].Color();
  cc.lpCustColors = g_customColors;
  cc.Flags = CC_FULLOPEN | CC_ANYCOLOR | CC_RGBINIT;
  if (!ChooseColorW(&cc)) return;
  // A different colour reaches OnColorChanged through the button's notification.
  m_colorButtons[index].SetColor(cc.rgbResult, true);
}

void COptGraphTextPage::OnColorChanged(int index) {
  m_values.*kColorControls[index].value = static_cast<uint32_t>(m_colorButtons[index].Color());
  MarkChanged();
}

void COptGraphTextPage::OnFontClicked(int index) {
  // The font dialog works in pixels of the system's DPI; the stored fonts are 96-DPI units.
  const UINT dpi = ui::SystemDpi();
  LOGFONTW lf = ToLogFont(FontForDpi(m_values.*kFontControls[index].value, dpi));
  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = OptionsSheet().Owner();
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_NOVERTFONTS | CF_NOSCRIPTSEL;
  if (!ChooseFontW(&cf)) return;
  m_values.*kFontControls[index].value = KeptFont(FontFromDpi(FromLogFont(lf), dpi));
  ShowFontNames();
  MarkChanged();
}

PageCheck COptGraphTextPage::CheckPage() {
  GraphTextPageInput in;
  in.rateHeightPercent = NumberFromText(Text(IDC_RATE_HEIGHT));
  in.pulseWidth = NumberFromText(Text(IDC_PULSE_WIDTH));
  in.pulseSpace = NumberFromText(Text(IDC_PULSE_SPACE));
  in.timeGridIntervalSec = NumberFromText(Text(IDC_TIME_GRID_INTERVAL));
  in.scaleGridStyleIndex = Selection(IDC_SCALE_GRID_STYLE);
  in.timeGridStyleIndex = Selection(IDC_TIME_GRID_STYLE);
  in.timeFormatIndex = Selection(IDC_TIME_FORMAT);
  in.graphStyleIndex = Selection(IDC_GRAPH_STYLE);
  return CheckGraphTextPage(in, &m_values);
}

bool COptGraphTextPage::SendToMain() { return OptionsSheet().ApplyToMain(kPageGraphText, &m_values); }

bool COptGraphTextPage::OnPageMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  if (msg == WM_DRAWITEM) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
    int index = item ? ColorIndexOf(static_cast<int>(item->CtlID)) : -1;
    if (index < 0) return false;
    m_colorButtons[index].Draw(item);
    *result = TRUE;
    return true;
  }
  if (msg == WM_DESTROY) {
    for (auto& button : m_colorButtons) button.Detach();
    return false;
  }
  if (msg != WM_COMMAND) return false;
  int id = LOWORD(wp);
  UINT code = HIWORD(wp);
  if (int c = ColorIndexOf(id); c >= 0) {
    if (code == BN_CLICKED)
      OnColorClicked(c);
    else if (code == ui::kColorButtonChanged)
      OnColorChanged(c);
    else
      return false;
  } else if (int f = FontIndexOf(id); f >= 0) {
    if (code != BN_CLICKED) return false;
    OnFontClicked(f);
  } else if (id == IDC_DEFAULT_COLORS || id == IDC_DEFAULT_FONTS) {
    if (code != BN_CLICKED) return false;
    if (id == IDC_DEFAULT_COLORS) {
      SetDefaultColours(&m_values);
      for (int i = 0; i < kColours; ++i)
        m_colorButtons[i].SetColor(static_cast<COLORREF>(m_values.*kColorControls[i].value), false);
    } else {
      SetDefaultFonts(&m_values);
      ShowFontNames();
    }
    MarkChanged();
  } else if (code == EN_CHANGE || code == CBN_SELCHANGE) {
    MarkChanged();
  } else {
    return false;
  }
  *result = 0;
  return true;
}

}  // namespace vantrel
