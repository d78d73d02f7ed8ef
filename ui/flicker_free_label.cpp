#include "ui/flicker_free_label.h"

#include <commctrl.h>

#include "ui/dpi.h"

namespace vantrel::ui {

namespace {
constexpr UINT_PTR kSubclassId = 0x4C41424C;  // 'LABL'

UINT DrawFlagsForStyle(LONG_PTR style) {
  UINT flags = DT_NOPREFIX;
  LONG_PTR type = style & SS_TYPEMASK;
  if (type == SS_CENTER) flags |= DT_CENTER;
  else if (type == SS_RIGHT) flags |= DT_RIGHT;
  if (style & SS_CENTERIMAGE) flags |= DT_VCENTER | DT_SINGLELINE;
  else if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) flags |= DT_SINGLELINE;
  else flags |= DT_WORDBREAK;
  return flags;
}
}  // namespace

CFlickerFreeLabel::~CFlickerFreeLabel() { Detach(); }

bool CFlickerFreeLabel::Attach(HWND label) {
  Detach();
  if (!label) return false;
  m_label = label;
  return SetWindowSubclass(label, &CFlickerFreeLabel::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)) !=
         FALSE;
}

void CFlickerFreeLabel::Detach() {
  if (m_label) RemoveWindowSubclass(m_label, &CFlickerFreeLabel::SubclassProc, kSubclassId);
  m_label = nullptr;
}

void CFlickerFreeLabel::RepaintNow() {
  if (!m_label) return;
  InvalidateRect(m_label, nullptr, FALSE);
  UpdateWindow(m_label);
}

void CFlickerFreeLabel::SetText(const std::wstring& text) {
  if (m_label) SetWindowTextW(m_label, text.c_str());  // repaints through WM_SETTEXT below
}

bool CFlickerFreeLabel::SetFont(const wchar_t* face, int height, int weight) {
  if (!m_label) return false;
  HFONT font = SharedFont(FontDescription{face, height, weight}, DpiOfWindow(m_label));
  if (font) SendMessageW(m_label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  RepaintNow();
  return font != nullptr;
}

void CFlickerFreeLabel::SetTextColor(COLORREF colour) {
  m_text = colour;
  RepaintNow();
}

void CFlickerFreeLabel::SetBackgroundColor(COLORREF colour) {
  m_background = colour;
  RepaintNow();
}

void CFlickerFreeLabel::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_label, &ps);
  RECT rc;
  GetClientRect(m_label, &rc);
  int w = rc.right - rc.left, h = rc.bottom - rc.top;
  if (w > 0 && h > 0) {
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
    if (mem && bitmap) {
      HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
      COLORREF back = m_background == CLR_INVALID ? GetSysColor(COLOR_BTNFACE) : m_background;
      HBRUSH brush = CreateSolidBrush(back);
      FillRect(mem, &rc, brush);
      DeleteObject(brush);
      auto font = reinterpret_cast<HFONT>(SendMessageW(m_label, WM_GETFONT, 0, 0));
      HGDIOBJ oldFont = font ? SelectObject(mem, font) : nullptr;
      SetBkMode(mem, TRANSPARENT);
      ::SetTextColor(mem, m_text);
      int n = GetWindowTextLengthW(m_label);
      std::wstring text(static_cast<size_t>(n) + 1, L'\0');
      n = GetWindowTextW(m_label, text.data(), n + 1);
      DrawTextW(mem, text.c_str(), n, &rc, DrawFlagsForStyle(GetWindowLongPtrW(m_label, GWL_STYLE)));
      if (oldFont) SelectObject(mem, oldFont);
      BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
      SelectObject(mem, oldBitmap);
    }
    if (bitmap) DeleteObject(bitmap);
    if (mem) DeleteDC(mem);
  }
  EndPaint(m_label, &ps);
}

LRESULT CALLBACK CFlickerFreeLabel::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto* self = reinterpret_cast<CFlickerFreeLabel*>(ref);
  switch (msg) {
    case WM_ERASEBKGND:
      return TRUE;  // the paint fills the background itself, in the same copy
    case WM_PAINT:
      self->Paint();
      return 0;
    case WM_SETTEXT: {
      LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
      self->RepaintNow();
      return r;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &CFlickerFreeLabel::SubclassProc, kSubclassId);
      self->m_label = nullptr;
      return DefSubclassProc(hwnd, msg, wp, lp);
    default:
      return DefSubclassProc(hwnd, msg, wp, lp);
  }
}

}  // namespace vantrel::ui
