// vantrel_driver: the end-to-end driver's tools from the command line, for scripts.
//   vantrel_driver wait-window <title> <timeout-ms>        exit 0 once a visible window has that title
//   vantrel_driver screenshot <title> <file.bmp>           the window's screen area as a .bmp
//   vantrel_driver command <title> <id>                    posts WM_COMMAND id
//   vantrel_driver close <title> <timeout-ms>              posts WM_CLOSE and waits until it is gone
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/e2e/driver.h"

namespace {

std::wstring Widen(const char* s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  std::wstring w(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), n);
  return w;
}

HWND VisibleWindow(const std::wstring& title) {
  for (HWND w : vantrel::e2e::TopLevelWindows(0, nullptr, title.c_str()))
    if (IsWindowVisible(w)) return w;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vantrel::e2e;
  if (argc < 3) {
    std::fprintf(stderr, "usage: vantrel_driver wait-window|screenshot|command|close <title> <arg>\n");
    return 2;
  }
  std::string verb = argv[1];
  std::wstring title = Widen(argv[2]);
  if (verb == "wait-window") {
    DWORD timeout = argc > 3 ? static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)) : 20000;
    return WaitUntil([&] { return VisibleWindow(title) != nullptr; }, timeout) ? 0 : 1;
  }
  // A window that is just coming up (or a Wine process that is just starting) gets a moment.
  HWND w = nullptr;
  WaitUntil([&] { return (w = VisibleWindow(title)) != nullptr; }, 5000);
  if (!w) {
    std::fprintf(stderr, "no visible window titled %s\n", argv[2]);
    return 1;
  }
  if (verb == "screenshot" && argc > 3) {
    Screenshot shot;
    return CaptureWindow(w, &shot) && shot.SaveBmp(WindowsPath(Widen(argv[3]))) ? 0 : 1;
  }
  if (verb == "command" && argc > 3) return PostCommand(w, static_cast<UINT>(std::strtoul(argv[3], nullptr, 10))) ? 0 : 1;
  if (verb == "close") {
    DWORD timeout = argc > 3 ? static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)) : 20000;
    PostMessageW(w, WM_CLOSE, 0, 0);
    return WaitUntil([&] { return !IsWindow(w); }, timeout) ? 0 : 1;
  }
  std::fprintf(stderr, "unknown command %s\n", argv[1]);
  return 2;
}
