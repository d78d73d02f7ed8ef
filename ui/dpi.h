#pragma once
// The one place that knows a window's display resolution. Lengths are scaled with
// ScaleForDpi (ui/dpi_scale.h). The per-monitor functions are looked up at run time, so the
// program still starts on systems without them (it then draws at the system's DPI).
#include <windows.h>

#include "ui/dpi_scale.h"

namespace vantrel::ui {

// WM_DPICHANGED, for headers of systems before it: a top-level window moved to a screen of
// another DPI, or the scale changed (wParam: the new DPI twice, lParam: the suggested window
// rectangle).
constexpr UINT kWmDpiChanged = 0x02E0;

// The DPI of the monitor the window is on (GetDpiForWindow where the system has it), else the
// system's DPI, else 96. A null window gives the system's DPI.
UINT DpiOfWindow(HWND hwnd);
// A 96-DPI length at the window's DPI.
inline int ScaleToWindow(HWND hwnd, int length) { return ScaleForDpi(length, DpiOfWindow(hwnd)); }

// The system's DPI (the primary monitor's when the program started), 96 when unknown.
UINT SystemDpi();
// The DPI of a monitor (GetDpiForMonitor where the system has it), else the system's DPI.
UINT DpiOfMonitor(HMONITOR monitor);
// The DPI of the monitor that holds a screen point (the nearest one), as DpiOfMonitor.
UINT DpiAtPoint(POINT screenPoint);

// A system metric at a DPI: GetSystemMetricsForDpi where the system has it, else the
// system-DPI metric scaled from the system's DPI to `dpi`.
int SystemMetricForDpi(int index, UINT dpi);
// The window rectangle for a client rectangle at a DPI (AdjustWindowRectExForDpi where the
// system has it, else AdjustWindowRectEx). False on failure (the rectangle is then unchanged).
bool AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, UINT dpi);
// The menu font of the system at a DPI (SystemParametersInfoForDpi where the system has it,
// else the system-DPI font with its height scaled). False when the system gives none.
bool MenuFontForDpi(UINT dpi, LOGFONTW* font);

}  // namespace vantrel::ui
