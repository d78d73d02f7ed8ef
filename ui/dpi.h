#pragma once
// The one place that knows a window's display resolution. Lengths are scaled with
// ScaleForDpi (ui/dpi_scale.h).
#include <windows.h>

#include "ui/dpi_scale.h"

namespace vantrel::ui {

// The DPI of the monitor the window is on (GetDpiForWindow where the system has it), else the
// system's DPI, else 96. A null window gives the system's DPI.
UINT DpiOfWindow(HWND hwnd);
// A 96-DPI length at the window's DPI.
inline int ScaleToWindow(HWND hwnd, int length) { return ScaleForDpi(length, DpiOfWindow(hwnd)); }

}  // namespace vantrel::ui
