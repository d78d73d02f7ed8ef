// COptionsSheet and the common part of its pages.
#include "app/win32/options_sheet.h"

#include <commctrl.h>

#include "app/logic/main_messages.h"
#include "app/res/resource.h"
#include "app/win32/main_dlg.h"
#include "app/win32/opt_adapters_page.h"
#include "app/win32/opt_notify_page.h"
#include "app/win32/opt_general_page.h"
#include "app/win32/opt_graph_page.h"
#include "app/win32/opt_metrics_page.h"
#include "app/win32/opt_service_page.h"

namespace vantrel {

namespace {

constexpr wchar_t kOptionsCaption[] = L"Vantrel Options";
constexpr int kApplyButtonId = 0x3021;  // the sheet's Apply button (ID_APPLY_NOW)

}  // namespace

// ---- COptionsPage ----

COptionsPage::COptionsPage(COptionsSheet& sheet, UINT templateId)
    : CPropertyPage(sheet.Instance(), templateId), m_sheet(sheet) {
  SetHasHelp(true);
}

BOOL COptionsPage::OnInitDialog() {
  InitPage();
  m_initialized = true;
  return TRUE;
}

bool COptionsPage::OnApply() {
  if (!m_changed) return true;
  PageCheck check = CheckPage();
  if (!check.ok && check.message.empty()) {
    // The page has already talked to the user.
    BringToFront();
    return false;
  }
  if (!check.ok) return RefuseWithWarning(kAppCaption, check.message, check.focusControl);
  if (!SendToMain()) {
    BringToFront();
    return false;
  }
  m_changed = false;
  SetModified(false);
  return true;
}

bool COptionsPage::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  if (msg == WM_NOTIFY) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
    if (hdr && hdr->code == PSN_HELP) {
      // The main window's help command: it brings an open help window forward or opens the file.
      PostMessageW(m_sheet.MainWindow(), WM_COMMAND, MAKEWPARAM(ID_HELP_CONTENTS, 0), 0);
      *result = 0;
      return true;
    }
  }
  return OnPageMessage(msg, wp, lp, result);
}

void COptionsPage::MarkChanged() {
  if (!m_initialized) return;
  m_changed = true;
  SetModified(true);
}

std::wstring COptionsPage::Text(int id) const {
  HWND control = Item(id);
  int n = control ? GetWindowTextLengthW(control) : 0;
  if (n <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  int got = GetWindowTextW(control, text.data(), n + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

void COptionsPage::FillList(int id, const std::vector<ListChoice>& items, int selected) const {
  HWND list = Item(id);
  if (!list) return;
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const ListChoice& item : items) {
    LRESULT at = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text.c_str()));
    if (at >= 0) SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(item.value));
  }
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int COptionsPage::Selection(int id) const {
  LRESULT at = SendDlgItemMessageW(m_hwnd, id, CB_GETCURSEL, 0, 0);
  return at < 0 ? -1 : static_cast<int>(at);
}

void COptionsPage::SetNumber(int id, int64_t value) {
  SetDlgItemTextW(m_hwnd, id, std::to_wstring(value).c_str());
}

void COptionsPage::ShowInformation(const wchar_t* text) const {
  MessageBoxW(m_sheet.Owner(), text, kAppCaption, MB_OK | MB_ICONINFORMATION);
}

// ---- COptionsSheet ----

COptionsSheet::COptionsSheet(HINSTANCE instance, HWND mainWindow, HICON icon, OptionsSheetData& data, int startPage)
    : CPropertySheet(instance), m_main(mainWindow), m_data(data) {
  CreatePages();
  for (auto& page : m_pages) AddPage(page.get());
  SetCaption(kOptionsCaption);
  SetIcon(icon);
  SetStartPage(startPage);
  SetExtraFlags(PSH_HASHELP);
  SetExtraStyle(0, WS_EX_APPWINDOW);
}

COptionsSheet::~COptionsSheet() = default;

// The pages in tab order.
void COptionsSheet::CreatePages() {
  m_pages.push_back(std::make_unique<COptGeneralPage>(*this));
  m_pages.push_back(std::make_unique<COptGraphTextPage>(*this));
  m_pages.push_back(std::make_unique<COptAdaptersPage>(*this));
  m_pages.push_back(std::make_unique<COptNotifyPage>(*this));
  m_pages.push_back(std::make_unique<COptServicePage>(*this));  // kServiceOptionsPageIndex
  m_pages.push_back(std::make_unique<COptMetricsPage>(*this));
}

void COptionsSheet::Run() { DoModal(m_main); }

bool COptionsSheet::ApplyToMain(uint32_t pageCode, const void* values) {
  return SendMessageW(m_main, UM_APPLY_OPTIONS, pageCode, reinterpret_cast<LPARAM>(values)) != FALSE;
}

void COptionsSheet::OnInitSheet() {
  // Centred on the desktop's work area.
  RECT sheet{}, work{};
  GetWindowRect(m_hwnd, &sheet);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int width = sheet.right - sheet.left, height = sheet.bottom - sheet.top;
  SetWindowPos(m_hwnd, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  SetDlgItemTextW(m_hwnd, IDOK, L"OK");
  SetDlgItemTextW(m_hwnd, IDCANCEL, L"Cancel");
  SetDlgItemTextW(m_hwnd, kApplyButtonId, L"&Apply");
  SetDlgItemTextW(m_hwnd, IDHELP, L"Help");
}

}  // namespace vantrel
