#include "ui/dpi.h"

namespace vantrel::ui {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// Looked up once: older systems have no per-monitor DPI.
GetDpiForWindowFn DpiForWindowFunction() {
  static const GetDpiForWindowFn fn = [] {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<GetDpiForWindowFn>(GetProcAddress(user32, "GetDpiForWindow")) : nullptr;
  }();
  return fn;
}

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  if (!screen) return kDefaultDpi;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

}  // namespace

UINT DpiOfWindow(HWND hwnd) {
  if (hwnd) {
    if (GetDpiForWindowFn fn = DpiForWindowFunction()) {
      const UINT dpi = fn(hwnd);
      if (dpi > 0) return dpi;
    }
  }
  return SystemDpi();
}

}  // namespace vantrel::ui
