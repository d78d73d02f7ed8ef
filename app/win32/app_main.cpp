// OrlixVantrel's start-up: one copy per user session (a second copy brings the first
// forward), the IP Helper check, then the main window for the program's life.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>
#include <ctime>

#include "app/logic/main_messages.h"
#include "app/logic/start_up.h"
#include "app/res/resource.h"
#include "app/win32/main_dlg.h"
#include "platform/clock.h"
#include "platform/settings_store.h"
#include "platform/win32/ip_helper.h"
#include "settings/settings_keys.h"

namespace {

constexpr wchar_t kInstanceMutex[] = L"ORLIXVANTREL183DBE88454C44ea9C0FFFC9D96E0B05";
// A first copy that does not answer within this time is hung; the second copy gives up.
constexpr UINT kHandOverTimeoutMs = 10000;
// A copy that restarted this one as administrator writes its records and ends within this time.
constexpr DWORD kRestartWaitMs = 60000;

// True when this copy was started by another one restarting itself as administrator; that
// one is waited for (it still owns the traffic log), then this one runs as the first copy.
bool TakeOverFromRestartingCopy() {
  vantrel::ISettingsStore& store = vantrel::SystemSettingsStore();
  uint32_t pid = 0;
  if (vantrel::ReadDword(store, vantrel::SettingsRoot::CurrentUser, vantrel::keys::kOptions,
                         vantrel::kRestartedFromValue, &pid) != vantrel::ReadStatus::Ok)
    return false;
  store.DeleteValue(vantrel::SettingsRoot::CurrentUser, vantrel::keys::kOptions, vantrel::kRestartedFromValue);
  if (HANDLE old = OpenProcess(SYNCHRONIZE, FALSE, pid)) {
    WaitForSingleObject(old, kRestartWaitMs);
    CloseHandle(old);
  }
  return true;
}

// True when another copy runs and was asked to show itself (this copy then exits).
bool HandOverToFirstCopy() {
  uint32_t value = 0;
  vantrel::ReadDword(vantrel::SystemSettingsStore(), vantrel::SettingsRoot::CurrentUser, vantrel::keys::kOptions,
                     L"HWND", &value);
  if (value == 0) return false;
  // Widened as the system widens 32-bit handle values (sign extension).
  HWND first = reinterpret_cast<HWND>(vantrel::HandleFromStoredValue(value));
  // The first copy calls SetForegroundWindow for itself; allow it.
  AllowSetForegroundWindow(ASFW_ANY);
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(first, WM_COMMAND, ID_SHOW, 0, SMTO_ABORTIFHUNG, kHandOverTimeoutMs, &answer);
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // 1-2. Single instance.
  bool restarted = TakeOverFromRestartingCopy();
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kInstanceMutex);
  if (GetLastError() == ERROR_ALREADY_EXISTS && HandOverToFirstCopy()) return 0;

  // 3. The random generator.
  std::srand(static_cast<unsigned>(static_cast<unsigned long long>(std::time(nullptr)) * GetTickCount()));

  // 4. COM and the common controls (3-D controls are the system's default look).
  HRESULT com = CoInitialize(nullptr);
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof(icc);
  icc.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&icc);

  // 5. IP Helper, loaded at run time.
  vantrel::IpHelperSource source;
  if (!source.Load()) {
    MessageBoxW(nullptr, vantrel::InitFailedMessage().c_str(), vantrel::kAppCaption, MB_OK | MB_ICONWARNING);
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
  }

  // 6. The main window, for the program's life.
  {
    vantrel::CMainDlg dialog(instance, vantrel::SystemSettingsStore(), source, vantrel::SystemClock());
    if (restarted) dialog.OpenServicePageAtStart();
    dialog.Run();
  }

  // 7. The mutex is released; the handle goes with the process.
  if (mutex) ReleaseMutex(mutex);
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}
