#include "ui/window.h"

#include "ui/dialog_font.h"
#include "ui/dpi.h"

namespace vantrel::ui {

namespace {

constexpr wchar_t kObjectProperty[] = L"VantrelWindowObject";

// Messages whose answer is the dialog procedure's return value itself rather than
// DWLP_MSGRESULT.
bool ReturnsDirectly(UINT msg) {
  switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return true;
    default:
      return false;
  }
}

}  // namespace

CWindowBase::~CWindowBase() {
  // A window outliving its object would keep dispatching to freed memory: unbind first.
  if (m_hwnd) RemovePropW(m_hwnd, kObjectProperty);
}

CWindowBase* CWindowBase::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<CWindowBase*>(GetPropW(hwnd, kObjectProperty)) : nullptr;
}

void CWindowBase::Attach(HWND hwnd) {
  m_hwnd = hwnd;
  SetPropW(hwnd, kObjectProperty, this);
}

void CWindowBase::Detach() {
  if (m_hwnd) RemovePropW(m_hwnd, kObjectProperty);
  m_hwnd = nullptr;
  OnFinalMessage();
}

bool CWindow::RegisterWindowClass(HINSTANCE instance, const wchar_t* className, UINT classStyle, HCURSOR cursor,
                                  HBRUSH background) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(instance, className, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = classStyle;
  wc.lpfnWndProc = &CWindow::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  return RegisterClassExW(&wc) != 0;
}

bool CWindow::Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, const RECT& rect,
                     HWND parent, HMENU menuOrId, HINSTANCE instance) {
  if (m_hwnd) return false;
  HWND h = CreateWindowExW(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, menuOrId, instance, this);
  return h != nullptr;
}

void CWindow::Destroy() {
  if (m_hwnd) DestroyWindow(m_hwnd);
}

LRESULT CWindow::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(m_hwnd, msg, wp, lp); }

LRESULT CALLBACK CWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  CWindow* self = nullptr;
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    self = static_cast<CWindow*>(cs->lpCreateParams);
    if (self) self->Attach(hwnd);
  } else {
    self = static_cast<CWindow*>(FromHandle(hwnd));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  bool handled = self->OnMessage(msg, wp, lp, &result);
  if (!handled) result = DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) self->Detach();
  return result;
}

INT_PTR CDialog::DoModal(HINSTANCE instance, UINT templateId, HWND parent) {
  m_endRequested = false;
  m_inOwnLoop = false;
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), parent, &CDialog::DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

bool CDialog::CreateModeless(HINSTANCE instance, UINT templateId, HWND parent) {
  if (m_hwnd) return false;
  m_endRequested = false;
  return CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), parent, &CDialog::DialogProc,
                            reinterpret_cast<LPARAM>(this)) != nullptr;
}

bool CDialog::CreateModelessIndirect(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND parent) {
  if (m_hwnd || !dialogTemplate) return false;
  m_endRequested = false;
  return CreateDialogIndirectParamW(instance, dialogTemplate, parent, &CDialog::DialogProc,
                                    reinterpret_cast<LPARAM>(this)) != nullptr;
}

int CDialog::RunModal(HINSTANCE instance, UINT templateId, HWND parent) {
  if (!CreateModeless(instance, templateId, parent)) return -1;
  return RunModalLoop();
}

int CDialog::RunModalLoop() {
  if (!m_hwnd) return -1;
  m_inOwnLoop = true;
  m_result = 0;
  bool shown = false;
  MSG msg;
  while (!m_endRequested && m_hwnd) {
    if (!shown && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      // First idle moment after initialisation: show, as a modal dialog would be shown.
      shown = true;
      ShowWindow(m_hwnd, SW_SHOWNORMAL);
      continue;
    }
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      m_result = static_cast<int>(msg.wParam);
      break;
    }
    if (got == -1) {
      m_result = -1;
      break;
    }
    if (PreTranslateMessage(&msg)) continue;
    if (m_hwnd && IsDialogMessageW(m_hwnd, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  m_inOwnLoop = false;
  if (m_hwnd) DestroyWindow(m_hwnd);
  return m_result;
}

void CDialog::EndModal(int result) {
  m_result = result;
  m_endRequested = true;
  if (!m_inOwnLoop && m_hwnd) ::EndDialog(m_hwnd, result);
  // Wake the loop in case nothing else is queued.
  if (m_inOwnLoop && m_hwnd) PostMessageW(m_hwnd, WM_NULL, 0, 0);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  CDialog* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lp);
    if (self) self->Attach(hwnd);
  } else {
    self = static_cast<CDialog*>(FromHandle(hwnd));
  }
  if (!self) return FALSE;
  return Dispatch(self, msg, wp, lp);
}

INT_PTR CDialog::Dispatch(CDialog* self, UINT msg, WPARAM wp, LPARAM lp) {
  HWND hwnd = self->m_hwnd;
  if (msg == WM_INITDIALOG) {
    // Every dialog and page shows the dialog font at its own DPI; a dialog may still give
    // single controls other fonts in OnInitDialog.
    ApplyDialogFont(hwnd);
    return self->OnInitDialog();
  }
  // Moved to a screen of another DPI: the controls' fonts follow before anything else looks.
  if (msg == kWmDpiChanged) RescaleSharedFonts(hwnd, LOWORD(wp));
  LRESULT result = 0;
  bool handled = self->OnMessage(msg, wp, lp, &result);
  if (msg == WM_NCDESTROY) {
    self->Detach();
    return handled ? TRUE : FALSE;
  }
  if (!handled) return FALSE;
  if (ReturnsDirectly(msg)) return static_cast<INT_PTR>(result);
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace vantrel::ui
