#pragma once
// Helpers for the window tests: a hidden top-level window that records what its children send
// it, and a 32-bit surface whose pixels a test reads back.
#include <windows.h>

#include <cstdint>
#include <vector>

namespace vantrel::testing {

// A hidden popup window. WM_NCLBUTTONDOWN is recorded instead of starting a window move.
class HiddenWindow {
 public:
  struct Received {
    WPARAM wParam;
    LPARAM lParam;
  };

  HiddenWindow(int width = 400, int height = 300) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VantrelTestHiddenWindow";
    RegisterClassExW(&wc);  // a second registration fails harmlessly
    m_hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                             wc.hInstance, this);
  }
  ~HiddenWindow() {
    if (m_hwnd) DestroyWindow(m_hwnd);
  }
  HiddenWindow(const HiddenWindow&) = delete;
  HiddenWindow& operator=(const HiddenWindow&) = delete;

  HWND hwnd() const { return m_hwnd; }
  const std::vector<Received>& NcButtonDowns() const { return m_ncDowns; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<HiddenWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg == WM_NCLBUTTONDOWN) {
      self->m_ncDowns.push_back({wParam, lParam});
      return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }

  HWND m_hwnd = nullptr;
  std::vector<Received> m_ncDowns;
};

// A 32-bit top-down device-independent surface.
class PixelCapture {
 public:
  PixelCapture(int width, int height) : m_width(width), m_height(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<uint32_t*>(bits);
    m_dc = CreateCompatibleDC(nullptr);
    m_old = SelectObject(m_dc, m_dib);
  }
  ~PixelCapture() {
    SelectObject(m_dc, m_old);
    DeleteDC(m_dc);
    DeleteObject(m_dib);
  }
  PixelCapture(const PixelCapture&) = delete;
  PixelCapture& operator=(const PixelCapture&) = delete;

  bool ok() const { return m_dib && m_dc && m_bits; }
  HDC dc() const { return m_dc; }
  // The pixel as a COLORREF (0x00BBGGRR).
  COLORREF At(int x, int y) const {
    GdiFlush();
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return CLR_INVALID;
    uint32_t v = m_bits[static_cast<size_t>(y) * m_width + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  int width() const { return m_width; }
  int height() const { return m_height; }

 private:
  int m_width, m_height;
  HBITMAP m_dib = nullptr;
  HDC m_dc = nullptr;
  HGDIOBJ m_old = nullptr;
  uint32_t* m_bits = nullptr;
};

}  // namespace vantrel::testing
