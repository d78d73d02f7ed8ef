#include "app/win32/about_dlg.h"

#include "app/logic/links.h"
#include "app/logic/main_messages.h"
#include "app/res/small_windows_ids.h"
#include "app/win32/open_document.h"

namespace vantrel {

void CAboutDlg::Run(HINSTANCE instance, HWND owner) { DoModal(instance, IDD_ABOUT, owner); }

BOOL CAboutDlg::OnInitDialog() {
  if (m_icon) {
    SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    SendDlgItemMessageW(m_hwnd, IDC_ABOUT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(m_icon), 0);
  }
  RECT work{}, rc{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(m_hwnd, &rc);
  SetWindowPos(m_hwnd, nullptr, work.left + (work.right - work.left - (rc.right - rc.left)) / 2,
               work.top + (work.bottom - work.top - (rc.bottom - rc.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowLongPtrW(m_hwnd, GWL_EXSTYLE, GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE) | WS_EX_APPWINDOW);
  SetDlgItemTextW(m_hwnd, IDC_ABOUT_VERSION, kVersionLine);
  SetDlgItemTextW(m_hwnd, IDC_ABOUT_CONTACT, (std::wstring(L"Support: ") + kSupportAddress).c_str());
  auto failure = [](int code) { return HyperlinkFailureText(code); };
  m_homeLink.Attach(GetDlgItem(m_hwnd, IDC_ABOUT_HOME_LINK), kHomePageUrl, OpenDocument, failure, kAppCaption);
  m_supportLink.Attach(GetDlgItem(m_hwnd, IDC_ABOUT_SUPPORT_LINK), kEmailSupportUrl, OpenDocument, failure,
                       kAppCaption);
  return TRUE;
}

bool CAboutDlg::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT*) {
  if (msg == WM_CLOSE) {
    EndModal(IDCANCEL);
    return true;
  }
  if (msg != WM_COMMAND) return false;
  switch (LOWORD(wp)) {
    case IDOK:
    case IDCANCEL:
      EndModal(LOWORD(wp));
      return true;
    case IDC_ABOUT_CHECK_UPDATE:
      OpenLink(kCheckUpdateUrl);
      return true;
    case IDC_ABOUT_TELL_FRIEND:
      OpenLink(TellFriendUrl());
      return true;
    default:
      return false;
  }
}

}  // namespace vantrel
