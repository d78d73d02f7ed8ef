#include "ui/dpi.h"

namespace vantrel::ui {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

// A function of user32 looked up once: older systems have no per-monitor DPI.
template <typename Fn>
Fn User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

GetDpiForWindowFn DpiForWindowFunction() {
  static const GetDpiForWindowFn fn = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  return fn;
}

GetDpiForMonitorFn DpiForMonitorFunction() {
  // shcore.dll stays loaded for the program's life once asked for.
  static const GetDpiForMonitorFn fn = [] {
    HMODULE shcore = LoadLibraryW(L"shcore.dll");
    return shcore ? reinterpret_cast<GetDpiForMonitorFn>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
  }();
  return fn;
}

}  // namespace

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  if (!screen) return kDefaultDpi;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

UINT DpiOfWindow(HWND hwnd) {
  if (hwnd) {
    if (GetDpiForWindowFn fn = DpiForWindowFunction()) {
      const UINT dpi = fn(hwnd);
      if (dpi > 0) return dpi;
    }
  }
  return SystemDpi();
}

UINT DpiOfMonitor(HMONITOR monitor) {
  if (GetDpiForMonitorFn fn = DpiForMonitorFunction()) {
    UINT x = 0, y = 0;
    if (monitor && SUCCEEDED(fn(monitor, kEffectiveDpi, &x, &y)) && y > 0) return y;
  }
  return SystemDpi();
}

UINT DpiAtPoint(POINT screenPoint) { return DpiOfMonitor(MonitorFromPoint(screenPoint, MONITOR_DEFAULTTONEAREST)); }

int SystemMetricForDpi(int index, UINT dpi) {
  static const auto fn = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  if (fn) return fn(index, dpi);
  return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

bool AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, UINT dpi) {
  static const auto fn = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  RECT r = *rect;
  BOOL ok = fn ? fn(&r, style, FALSE, exStyle, dpi) : AdjustWindowRectEx(&r, style, FALSE, exStyle);
  if (!ok) return false;
  *rect = r;
  return true;
}

bool MenuFontForDpi(UINT dpi, LOGFONTW* font) {
  static const auto fn = User32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  if (fn && fn(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0, dpi)) {
    *font = ncm.lfMenuFont;
    return true;
  }
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) return false;
  *font = ncm.lfMenuFont;
  font->lfHeight = MulDiv(font->lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
  return true;
}

}  // namespace vantrel::ui
