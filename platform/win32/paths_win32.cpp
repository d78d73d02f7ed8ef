#include <windows.h>

#include <vector>

#include "platform/file.h"
#include "platform/paths.h"

namespace vantrel {

namespace {

using SHGetSpecialFolderPathWFn = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);

constexpr int kCsidlPersonal = 5;  // the user's documents folder
constexpr DWORD kMaxModulePath = 32768;

class Win32KnownFolders : public IKnownFolders {
 public:
  std::wstring ProgramFolder() override {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
      DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
      if (n == 0) return {};
      // A full buffer means the path was cut; try again with more room.
      if (n < buf.size()) return FolderOf(std::wstring(buf.data(), n));
      if (buf.size() >= kMaxModulePath) return {};
      buf.resize(buf.size() * 2);
    }
  }

  bool DocumentsFolder(std::wstring* out) override {
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    if (!shell) return false;
    auto fn = reinterpret_cast<SHGetSpecialFolderPathWFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(shell, "SHGetSpecialFolderPathW")));
    bool ok = false;
    if (fn) {
      wchar_t buf[MAX_PATH + 1] = {};
      if (fn(nullptr, buf, kCsidlPersonal, TRUE)) {
        buf[MAX_PATH] = L'\0';
        *out = buf;
        ok = !out->empty();
      }
    }
    FreeLibrary(shell);
    return ok;
  }
};

}  // namespace

IKnownFolders& SystemKnownFolders() {
  static Win32KnownFolders folders;
  return folders;
}

}  // namespace vantrel
