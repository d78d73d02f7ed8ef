#pragma once
// Property sheets and their pages on the window layer: the system's sheet (PropertySheetW
// with PSH_PROPSHEETPAGE) with each page a CDialog-like object. A page's window is created
// by the system when the page is first brought to the front, so a page that was never shown
// has no window: it is neither applied nor sent anything.
//
// The flow the system drives and the pages answer:
//   - brought to the front: OnSetActive; sent to the back (tab change, OK, Apply): OnKillActive,
//     which may keep the page in front by returning false;
//   - OK or Apply: OnApply on every page that has a window, in tab order; a page that returns
//     false keeps the sheet open (it brings itself to the front with BringToFront);
//   - Cancel or Close: OnReset.
// The sheet window itself is subclassed, so a derived sheet sees its messages (commands of
// buttons it adds) in OnSheetMessage. The sheet runs modally under the system's own loop,
// which keeps dispatching the thread's other windows' timers.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/window.h"

namespace vantrel::ui {

class CPropertySheet;

class CPropertyPage : public CDialog {
 public:
  CPropertyPage(HINSTANCE instance, UINT templateId);
  // A page from a template in memory (kept alive by the caller while the sheet runs).
  CPropertyPage(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate);

  CPropertySheet* Sheet() const { return m_sheet; }
  UINT TemplateId() const { return m_templateId; }
  // True while the page is the one in front.
  bool IsActive() const { return m_active; }
  bool HasWindow() const { return m_hwnd != nullptr; }
  // The sheet's Help button is enabled while this page is in front (PSP_HASHELP); set before
  // the sheet runs. Help then reaches the page as the PSN_HELP notification.
  void SetHasHelp(bool on) { m_hasHelp = on; }
  // Greys or enables the sheet's Apply button for this page's changes.
  void SetModified(bool changed = true);
  // Makes this page the one in front (creating its window if needed); false on failure.
  bool BringToFront();
  // A refused check: brings the page to the front, shows the warning box with the caption,
  // then focuses the offending control. Returns false, for OnApply/OnKillActive to return.
  bool RefuseWithWarning(const wchar_t* caption, const std::wstring& text, int focusControlId);

 protected:
  // Brought to the front; false refuses (the system then picks another page).
  virtual bool OnSetActive() { return true; }
  // About to be sent to the back, or OK/Apply pressed while in front; false keeps it in front.
  virtual bool OnKillActive() { return true; }
  // OK or Apply: take the page's values; false refuses and keeps the sheet open.
  virtual bool OnApply() { return true; }
  // The sheet is being closed without applying (Cancel, Close, Esc, the system menu).
  virtual void OnReset() {}

 private:
  friend class CPropertySheet;
  PROPSHEETPAGEW Descriptor();
  static INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  bool OnSheetNotify(const NMHDR* hdr, LRESULT* result);

  HINSTANCE m_instance;
  UINT m_templateId = 0;
  const DLGTEMPLATE* m_indirect = nullptr;
  CPropertySheet* m_sheet = nullptr;
  bool m_active = false;
  bool m_hasHelp = false;
};

class CPropertySheet : public CWindowBase {
 public:
  explicit CPropertySheet(HINSTANCE instance) : m_instance(instance) {}
  ~CPropertySheet() override;

  // Pages in tab order; the sheet does not own them. Add before running.
  void AddPage(CPropertyPage* page);
  void SetCaption(const std::wstring& caption) { m_caption = caption; }
  void SetIcon(HICON icon) { m_icon = icon; }
  // The page brought to the front at start (clamped to the pages there are).
  void SetStartPage(int index) { m_startPage = index; }
  // Extra PSH_ flags (for example PSH_NOAPPLYNOW, PSH_HASHELP).
  void SetExtraFlags(DWORD flags) { m_extraFlags = flags; }
  // Extra window styles for the sheet (for example WS_MINIMIZEBOX, WS_EX_APPWINDOW), set on
  // its template before the window is made.
  void SetExtraStyle(DWORD style, DWORD exStyle = 0) {
    m_extraStyle = style;
    m_extraExStyle = exStyle;
  }

  // Runs the sheet modally; returns PropertySheetW's answer: positive after OK, 0 after
  // Cancel or Close, -1 on failure.
  INT_PTR DoModal(HWND owner);
  // Creates the sheet modeless (tests); the caller pumps messages and destroys it.
  bool CreateModeless(HWND owner);

  int PageCount() const { return static_cast<int>(m_pages.size()); }
  CPropertyPage* Page(int index) const;
  // The index of the page in front, -1 when none.
  int ActivePageIndex() const;
  CPropertyPage* ActivePage() const;
  // The page that was in front when the sheet closed (or the start page before running).
  int LastActivePageIndex() const { return m_lastActive; }
  bool SetActivePage(int index);
  // The sheet's area where pages sit, in the sheet's client coordinates.
  RECT PageArea() const;
  // Presses Apply as the user would (sends PSN_APPLY the system's way).
  void PressApply();

 protected:
  // After the sheet window exists with its buttons and tab control, before it is shown.
  virtual void OnInitSheet() {}
  // Every message of the sheet window before the system's sheet sees it; true when handled
  // (the answer in *result).
  virtual bool OnSheetMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) { return false; }

  HINSTANCE m_instance;

 private:
  friend class CPropertyPage;
  PROPSHEETHEADERW Header(HWND owner, DWORD mode, std::vector<PROPSHEETPAGEW>* pages);
  static int CALLBACK SheetCallback(HWND hwnd, UINT msg, LPARAM lp);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
  void PageActivated(CPropertyPage* page);

  std::vector<CPropertyPage*> m_pages;
  std::wstring m_caption;
  HICON m_icon = nullptr;
  int m_startPage = 0;
  int m_lastActive = 0;
  DWORD m_extraFlags = 0;
  DWORD m_extraStyle = 0;
  DWORD m_extraExStyle = 0;
};

}  // namespace vantrel::ui
