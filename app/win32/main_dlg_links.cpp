// CMainDlg: the commands that hand work to something outside the program (the TCP viewer, the
// help file, the web and mail links, the first-run help) and the two small windows it opens
// under its modal rules, the stopwatch and About.
#include <windows.h>
#include <shellapi.h>

#include "app/logic/links.h"
#include "app/logic/main_messages.h"
#include "app/res/resource.h"
#include "app/win32/about_dlg.h"
#include "app/win32/main_dlg.h"
#include "app/win32/open_document.h"
#include "app/win32/stopwatch_dlg.h"
#include "platform/paths.h"

namespace vantrel {

namespace {
std::wstring ProgramFile(const wchar_t* name) { return SystemKnownFolders().ProgramFolder() + name; }

bool FileExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

bool CMainDlg::OnLinkCommand(UINT id) {
  switch (id) {
    case ID_STOPWATCH:
      RunModalWindow([&] { OpenStopwatch(); });
      return true;
    case ID_APP_ABOUT:
      RunModalWindow([&] {
        CAboutDlg about(m_icon);
        about.Run(m_instance, m_hwnd);
      });
      return true;
    case ID_TCP_CONNECTIONS:
      OpenTcpConnections();
      return true;
    case ID_HELP_CONTENTS:
      OpenHelp();
      return true;
    case ID_HOME_PAGE:
      OpenLink(kHomePageUrl);
      return true;
    case ID_EMAIL_SUPPORT:
      OpenLink(kEmailSupportUrl);
      return true;
    case ID_CHECK_UPDATE:
      OpenLink(kCheckUpdateUrl);
      return true;
    case ID_TELL_FRIEND:
      OpenLink(TellFriendUrl());
      return true;
    default:
      return false;
  }
}

void CMainDlg::OpenStopwatch() {
  StopwatchOptions options;
  options.alwaysOnTop = m_options.stopwatchAlwaysOnTop != 0;
  options.resetGraph = m_options.stopwatchResetAdapterGraph != 0;
  CStopwatchDlg dialog(m_adapters, m_options.displayUnitByte != 0, options, m_hwnd, m_icon);
  dialog.Run(m_instance, m_hwnd);
  // Kept here; saved with the Window group at shutdown.
  m_options.stopwatchAlwaysOnTop = dialog.Options().alwaysOnTop ? 1 : 0;
  m_options.stopwatchResetAdapterGraph = dialog.Options().resetGraph ? 1 : 0;
}

void CMainDlg::OpenTcpConnections() {
  std::wstring viewer = ProgramFile(kTcpViewFileName);
  if (FileExists(viewer)) {
    ShellExecuteW(nullptr, L"open", viewer.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
    return;
  }
  std::wstring folder = SystemKnownFolders().ProgramFolder();
  if (MessageBoxW(m_hwnd, TcpViewQuestion(folder).c_str(), kAppCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  ShellExecuteW(nullptr, L"explore", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  OpenDocument(kTcpViewPageUrl, SW_SHOWNORMAL);
}

void CMainDlg::OpenHelp() {
  if (HWND help = FindWindowW(nullptr, kHelpWindowTitle)) {
    if (IsIconic(help)) ShowWindow(help, SW_RESTORE);
    SetForegroundWindow(help);
    SetActiveWindow(help);
    return;
  }
  HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  ShellExecuteW(nullptr, L"open", ProgramFile(kHelpFileName).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  SetCursor(old);
}

void CMainDlg::OpenHelpAtFirstRun() {
  if (!HandleFirstRun(m_store)) return;
  ShellExecuteW(nullptr, L"open", ProgramFile(kHelpFileName).c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void CMainDlg::CloseHelpWindow() {
  if (HWND help = FindWindowW(nullptr, kHelpWindowTitle)) PostMessageW(help, WM_CLOSE, 0, 0);
}

}  // namespace vantrel
