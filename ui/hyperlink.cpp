#include "ui/hyperlink.h"

#include <commctrl.h>

#include "ui/dpi.h"

namespace vantrel::ui {

namespace {
constexpr UINT_PTR kSubclassId = 0x4C494E4B;  // 'LINK'
constexpr UINT_PTR kTooltipSubclassId = 0x4C54544C;  // 'LTTL'
constexpr int kOldHelpHandCursor = 106;
}  // namespace

CHyperlink::~CHyperlink() { Detach(); }

void CHyperlink::LoadHandCursor() {
  // The old help viewer's hand, when the system still has that program; else the system's.
  wchar_t windows[MAX_PATH] = {};
  UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
  if (n > 0 && n < MAX_PATH - 16) {
    std::wstring path = std::wstring(windows) + L"\\winhlp32.exe";
    if (HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
      if (HCURSOR cursor = LoadCursorW(module, MAKEINTRESOURCEW(kOldHelpHandCursor))) {
        m_hand = static_cast<HCURSOR>(CopyImage(cursor, IMAGE_CURSOR, 0, 0, 0));
        m_ownsHand = m_hand != nullptr;
      }
      FreeLibrary(module);
    }
  }
  if (!m_hand) {
    m_hand = LoadCursorW(nullptr, IDC_HAND);
    m_ownsHand = false;
  }
}

bool CHyperlink::Attach(HWND label, const std::wstring& target, Opener open, FailureText failureText,
                        const std::wstring& caption) {
  Detach();
  if (!label) return false;
  m_label = label;
  m_target = target;
  m_open = std::move(open);
  m_failureText = std::move(failureText);
  m_caption = caption;
  SetWindowLongPtrW(label, GWL_STYLE, GetWindowLongPtrW(label, GWL_STYLE) | SS_NOTIFY);
  if (GetWindowTextLengthW(label) == 0) SetWindowTextW(label, target.c_str());

  TakeControlFont();
  LoadHandCursor();
  FitToText();

  m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetParent(label), nullptr,
                              reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(label, GWLP_HINSTANCE)), nullptr);
  if (m_tooltip) {
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = GetParent(label);
    ti.uId = reinterpret_cast<UINT_PTR>(label);
    ti.lpszText = m_target.data();
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    // The dialog owns the tooltip and destroys it before its controls: the control learns of
    // that here, so the tooltip is destroyed once.
    SetWindowSubclass(m_tooltip, &CHyperlink::TooltipProc, kTooltipSubclassId, reinterpret_cast<DWORD_PTR>(this));
  }
  return SetWindowSubclass(label, &CHyperlink::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

void CHyperlink::Detach() {
  if (m_label) {
    KillTimer(m_label, kHoverTimer);
    if (m_pressed && GetCapture() == m_label) ReleaseCapture();
    RemoveWindowSubclass(m_label, &CHyperlink::SubclassProc, kSubclassId);
  }
  m_pressed = false;
  if (m_tooltip) {
    HWND tooltip = m_tooltip;
    RemoveWindowSubclass(tooltip, &CHyperlink::TooltipProc, kTooltipSubclassId);
    m_tooltip = nullptr;
    DestroyWindow(tooltip);
  }
  if (m_hand && m_ownsHand) DestroyCursor(m_hand);
  m_hand = nullptr;
  m_ownsHand = false;
  m_underlined.Reset();
  m_label = nullptr;
  m_hovering = false;
}

void CHyperlink::TakeControlFont() {
  m_baseFont = reinterpret_cast<HFONT>(SendMessageW(m_label, WM_GETFONT, 0, 0));
  if (!m_baseFont) m_baseFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (!m_baseFont) m_baseFont = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
  m_underlined.Reset();
  LOGFONTW lf{};
  if (m_baseFont && GetObjectW(m_baseFont, sizeof lf, &lf)) {
    lf.lfUnderline = TRUE;
    m_underlined.Adopt(CreateFontIndirectW(&lf));
  }
}

void CHyperlink::FitToText() {
  int n = GetWindowTextLengthW(m_label);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(m_label, text.data(), n + 1);
  HDC dc = GetDC(m_label);
  if (!dc) return;
  HGDIOBJ old = SelectObject(dc, m_underlined ? m_underlined.get() : m_baseFont);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), n, &size);
  SelectObject(dc, old);
  ReleaseDC(m_label, dc);
  const int pad = ScaleToWindow(m_label, 2);
  SetWindowPos(m_label, nullptr, 0, 0, size.cx + pad, size.cy + pad, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CHyperlink::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_label, &ps);
  RECT rc;
  GetClientRect(m_label, &rc);
  // The background is the dialog's, as it would paint a static control.
  HWND parent = GetParent(m_label);
  HBRUSH brush = reinterpret_cast<HBRUSH>(
      SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_label)));
  FillRect(dc, &rc, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, m_hovering ? kHover : (m_visited ? kVisited : kNotVisited));
  HGDIOBJ old = SelectObject(dc, m_underlined ? m_underlined.get() : m_baseFont);
  int n = GetWindowTextLengthW(m_label);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(m_label, text.data(), n + 1);
  DrawTextW(dc, text.c_str(), n, &rc, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
  SelectObject(dc, old);
  EndPaint(m_label, &ps);
}

void CHyperlink::OnMouseMove(LPARAM lp) {
  // While the button is held the control sees every move: only those over it count.
  POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  RECT rc;
  GetClientRect(m_label, &rc);
  if (m_hovering || !PtInRect(&rc, pt)) return;
  m_hovering = true;
  InvalidateRect(m_label, nullptr, TRUE);
  SetTimer(m_label, kHoverTimer, kHoverMilliseconds, nullptr);
}

void CHyperlink::OnHoverTimer() {
  POINT pt;
  GetCursorPos(&pt);
  RECT rc;
  GetWindowRect(m_label, &rc);
  if (PtInRect(&rc, pt)) return;
  m_hovering = false;
  KillTimer(m_label, kHoverTimer);
  InvalidateRect(m_label, nullptr, TRUE);
}

void CHyperlink::OnButtonDown() {
  m_pressed = true;
  // The release is seen wherever it happens, so one outside the link is no click.
  SetCapture(m_label);
}

void CHyperlink::OnButtonUp(LPARAM lp) {
  if (!m_pressed) return;  // pressed elsewhere, released over the link
  m_pressed = false;
  if (GetCapture() == m_label) ReleaseCapture();
  POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  RECT rc;
  GetClientRect(m_label, &rc);
  if (PtInRect(&rc, pt)) Follow();
}

void CHyperlink::Follow() {
  int code = m_open ? m_open(m_target, SW_SHOW) : 0;
  if (code > 32) {
    m_visited = true;
    if (m_label) InvalidateRect(m_label, nullptr, TRUE);
    return;
  }
  MessageBeep(MB_ICONEXCLAMATION);
  std::wstring text = m_failureText ? m_failureText(code) : std::wstring();
  MessageBoxW(m_label ? GetParent(m_label) : nullptr, text.c_str(), m_caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

LRESULT CALLBACK CHyperlink::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto* self = reinterpret_cast<CHyperlink*>(ref);
  switch (msg) {
    case WM_PAINT:
      self->Paint();
      return 0;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_SETCURSOR:
      if (self->m_hand) {
        SetCursor(self->m_hand);
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      self->OnMouseMove(lp);
      break;
    case WM_TIMER:
      if (wp == kHoverTimer) {
        self->OnHoverTimer();
        return 0;
      }
      break;
    case WM_SETFONT: {
      // A new font (the dialog moved to a screen of another DPI): underlined and sized anew.
      LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
      self->TakeControlFont();
      self->FitToText();
      return r;
    }
    case WM_LBUTTONDOWN:
      self->OnButtonDown();
      return 0;
    case WM_LBUTTONUP:
      self->OnButtonUp(lp);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != hwnd) self->m_pressed = false;
      break;
    case WM_NCDESTROY:
      KillTimer(hwnd, kHoverTimer);
      RemoveWindowSubclass(hwnd, &CHyperlink::SubclassProc, kSubclassId);
      self->m_label = nullptr;
      return DefSubclassProc(hwnd, msg, wp, lp);
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK CHyperlink::TooltipProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  if (msg == WM_NCDESTROY) {
    auto* self = reinterpret_cast<CHyperlink*>(ref);
    RemoveWindowSubclass(hwnd, &CHyperlink::TooltipProc, kTooltipSubclassId);
    if (self->m_tooltip == hwnd) self->m_tooltip = nullptr;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace vantrel::ui
