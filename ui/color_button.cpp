#include "ui/color_button.h"

#include <commctrl.h>

#include "ui/dpi.h"

namespace vantrel::ui {

namespace {
constexpr UINT_PTR kSubclassId = 0x434C5242;  // 'CLRB'
}

CColorButton::~CColorButton() { Detach(); }

bool CColorButton::Attach(HWND button, COLORREF color) {
  Detach();
  if (!button) return false;
  m_button = button;
  m_color = color;
  return SetWindowSubclass(button, &CColorButton::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

void CColorButton::Detach() {
  if (m_button) RemoveWindowSubclass(m_button, &CColorButton::SubclassProc, kSubclassId);
  m_button = nullptr;
}

void CColorButton::SetColor(COLORREF color, bool notify) {
  bool changed = color != m_color;
  m_color = color;
  if (!m_button) return;
  InvalidateRect(m_button, nullptr, TRUE);
  if (notify && changed)
    SendMessageW(GetParent(m_button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(m_button), kColorButtonChanged),
                 reinterpret_cast<LPARAM>(m_button));
}

void CColorButton::Draw(const DRAWITEMSTRUCT* item) const {
  RECT r = item->rcItem;
  bool pressed = (item->itemState & ODS_SELECTED) != 0;
  DrawFrameControl(item->hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  // The swatch's inset and the pressed shift at the button's DPI.
  const UINT dpi = DpiOfWindow(item->hwndItem);
  RECT swatch = r;
  InflateRect(&swatch, -ScaleForDpi(4, dpi), -ScaleForDpi(4, dpi));
  if (pressed) OffsetRect(&swatch, LineWidthForDpi(dpi), LineWidthForDpi(dpi));
  bool enabled = (item->itemState & ODS_DISABLED) == 0;
  HBRUSH fill = CreateSolidBrush(enabled ? m_color : GetSysColor(COLOR_BTNFACE));
  if (fill) {
    FillRect(item->hDC, &swatch, fill);
    DeleteObject(fill);
  }
  for (int i = 0; i < LineWidthForDpi(dpi); ++i) {
    FrameRect(item->hDC, &swatch, static_cast<HBRUSH>(GetStockObject(enabled ? BLACK_BRUSH : GRAY_BRUSH)));
    InflateRect(&swatch, -1, -1);
  }
  if (item->itemState & ODS_FOCUS) {
    RECT focus = r;
    InflateRect(&focus, -ScaleForDpi(2, dpi), -ScaleForDpi(2, dpi));
    DrawFocusRect(item->hDC, &focus);
  }
}

LRESULT CALLBACK CColorButton::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto* self = reinterpret_cast<CColorButton*>(ref);
  if (msg == kColorButtonSetColor && self) {
    self->SetColor(static_cast<COLORREF>(lp) & 0x00FFFFFF, true);
    return TRUE;
  }
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &CColorButton::SubclassProc, kSubclassId);
    if (self) self->m_button = nullptr;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace vantrel::ui
