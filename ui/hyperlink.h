#pragma once
// A static text control turned into a hyperlink: underlined, blue until visited, purple
// after, red while the mouse is over it; the hand cursor; a tooltip with the target; sized to
// its text. A click (the left button pressed and released over the link) opens the target
// through the owner's opener; when that fails the control beeps and shows the owner's text
// for the failure code.
#include <windows.h>

#include <functional>
#include <string>

#include "ui/dialog_font.h"

namespace vantrel::ui {

class CHyperlink {
 public:
  // Opens a target with a show mode; the launcher's result (above 32: success).
  using Opener = std::function<int(const std::wstring& target, int showMode)>;
  // The message shown for a failure code.
  using FailureText = std::function<std::wstring(int code)>;

  static constexpr COLORREF kNotVisited = RGB(0, 0, 238);
  static constexpr COLORREF kVisited = RGB(85, 26, 139);
  static constexpr COLORREF kHover = RGB(255, 0, 0);
  static constexpr UINT_PTR kHoverTimer = 1;
  static constexpr UINT kHoverMilliseconds = 100;

  CHyperlink() = default;
  ~CHyperlink();
  CHyperlink(const CHyperlink&) = delete;
  CHyperlink& operator=(const CHyperlink&) = delete;

  // Takes over a dialog's static control. Its text stays, or becomes the target when empty.
  // `caption` is the failure message box's caption.
  bool Attach(HWND label, const std::wstring& target, Opener open, FailureText failureText,
              const std::wstring& caption);
  void Detach();
  HWND hwnd() const { return m_label; }
  // The tooltip window while it exists (its owner, the dialog, destroys it with itself).
  HWND tooltip() const { return m_tooltip; }
  bool Visited() const { return m_visited; }
  // Opens the target as a click does.
  void Follow();

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
  static LRESULT CALLBACK TooltipProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
  void Paint();
  // The control's font and its underlined copy for painting.
  void TakeControlFont();
  void FitToText();
  void OnMouseMove(LPARAM lp);
  void OnButtonDown();
  void OnButtonUp(LPARAM lp);
  void OnHoverTimer();
  void LoadHandCursor();

  HWND m_label = nullptr;
  HWND m_tooltip = nullptr;
  std::wstring m_target;
  std::wstring m_caption;
  Opener m_open;
  FailureText m_failureText;
  HFONT m_baseFont = nullptr;  // the control's, not owned
  CFont m_underlined;
  HCURSOR m_hand = nullptr;
  bool m_ownsHand = false;
  bool m_visited = false;
  bool m_hovering = false;
  bool m_pressed = false;  // the left button went down over the link and is still down
};

}  // namespace vantrel::ui
