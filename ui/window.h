#pragma once
// The window layer: C++ objects that own one HWND each. The object is attached to its HWND
// (a window property) from the first message on and detached at WM_NCDESTROY, so a message
// never reaches an object that is gone and an object never talks to a dead handle.
//
// Derived classes answer messages in OnMessage (a switch that calls member handlers).
// Property pages and subclassed controls are added on the same base: a page's static
// procedure attaches its object from PROPSHEETPAGEW::lParam with CWindowBase::Attach and
// then dispatches through CDialog::Dispatch exactly like a dialog.
#include <windows.h>

namespace vantrel::ui {

class CWindowBase {
 public:
  CWindowBase() = default;
  virtual ~CWindowBase();
  CWindowBase(const CWindowBase&) = delete;
  CWindowBase& operator=(const CWindowBase&) = delete;

  HWND hwnd() const { return m_hwnd; }
  // The object attached to a window by this layer, or null.
  static CWindowBase* FromHandle(HWND hwnd);

 protected:
  // Every message the window receives. Return true when handled, with the answer in *result.
  virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) { return false; }
  // After WM_NCDESTROY: the handle is gone and the object is detached.
  virtual void OnFinalMessage() {}

  // Binds this object and the handle (first message of a new window).
  void Attach(HWND hwnd);
  // Unbinds at WM_NCDESTROY and calls OnFinalMessage.
  void Detach();

  HWND m_hwnd = nullptr;
};

// A top-level or child window of a class registered by this layer.
class CWindow : public CWindowBase {
 public:
  // Registers a window class whose procedure dispatches to CWindow objects. Safe to call
  // more than once; false only when the class cannot be registered.
  static bool RegisterWindowClass(HINSTANCE instance, const wchar_t* className, UINT classStyle, HCURSOR cursor,
                                  HBRUSH background);
  // Creates the window; `this` receives every message from WM_NCCREATE on.
  bool Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, const RECT& rect,
              HWND parent, HMENU menuOrId, HINSTANCE instance);
  // Destroys the window if it still exists.
  void Destroy();

 protected:
  // Unhandled messages go to DefWindowProcW.
  LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
};

// A dialog from a template resource: modal (DialogBoxParamW), modeless, or modal under its
// own message loop (RunModal), which lets the dialog see every message first
// (PreTranslateMessage: accelerators before anything else). Its controls get the dialog font
// at the dialog's DPI before OnInitDialog, and the same font at the new DPI when the dialog
// moves to a screen of another DPI (ui/dialog_font.h).
class CDialog : public CWindowBase {
 public:
  // Modal through the system's dialog loop; returns the EndDialog result, -1 on failure.
  INT_PTR DoModal(HINSTANCE instance, UINT templateId, HWND parent);
  // Creates the dialog hidden or visible as its template says; false on failure.
  bool CreateModeless(HINSTANCE instance, UINT templateId, HWND parent);
  // The same from a template in memory.
  bool CreateModelessIndirect(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND parent);
  // Creates the dialog and runs a modal loop of this layer until EndModal or WM_QUIT. The
  // window is shown with SW_SHOWNORMAL once the queue first runs empty (the dialog may veto
  // that in WM_WINDOWPOSCHANGING). Returns the EndModal result, or the WM_QUIT code.
  int RunModal(HINSTANCE instance, UINT templateId, HWND parent);
  // RunModal's loop for a dialog already created modeless; destroys it at the end.
  int RunModalLoop();
  // Ends RunModal or DoModal with `result`.
  void EndModal(int result);
  bool InModalLoop() const { return m_inOwnLoop; }

 protected:
  // WM_INITDIALOG; the return value is the dialog's answer (TRUE: focus the default control).
  virtual BOOL OnInitDialog() { return TRUE; }
  // Every queued message of RunModal's loop before dispatch; true when consumed.
  virtual bool PreTranslateMessage(MSG* msg) { return false; }
  // The dialog procedure's body for an attached object.
  static INT_PTR Dispatch(CDialog* self, UINT msg, WPARAM wp, LPARAM lp);

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  bool m_inOwnLoop = false;
  bool m_endRequested = false;
  int m_result = 0;
};

}  // namespace vantrel::ui
