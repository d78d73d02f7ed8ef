#include "app/win32/open_document.h"

#include <shellapi.h>

#include "app/logic/links.h"
#include "platform/text.h"

namespace vantrel {

namespace {
constexpr DWORD kValueChars = 260;

// The default value of a key under HKEY_CLASSES_ROOT; false when the key or value is missing.
bool ClassesRootDefault(const std::wstring& key, std::wstring* value) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return false;
  wchar_t buf[kValueChars + 1] = {};
  DWORD type = 0, bytes = kValueChars * sizeof(wchar_t);
  LONG r = RegQueryValueExW(h, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buf), &bytes);
  RegCloseKey(h);
  if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  buf[kValueChars] = L'\0';  // a value without its terminator is cut, never overrun
  *value = buf;
  return true;
}
}  // namespace

int OpenDocument(const std::wstring& target, int showMode) {
  HINSTANCE shell = ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, showMode);
  int result = static_cast<int>(reinterpret_cast<INT_PTR>(shell));
  if (result > 32) return result;
  std::wstring pageClass, command;
  if (!ClassesRootDefault(L".htm", &pageClass) || pageClass.empty()) return result;
  if (!ClassesRootDefault(pageClass + L"\\shell\\open\\command", &command) || command.empty()) return result;
  std::string line = WideToAnsi(BrowserCommandLine(command, target));
  return static_cast<int>(WinExec(line.c_str(), static_cast<UINT>(showMode)));
}

void OpenLink(const std::wstring& target) {
  HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  OpenDocument(target, SW_SHOWNORMAL);
  SetCursor(old);
}

}  // namespace vantrel
