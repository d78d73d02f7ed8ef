#pragma once
// A colour button: an owner-drawn push button of a dialog or page that shows its colour. The
// owner opens the colour dialog on a click and sets the chosen colour; the button then tells
// its owner with WM_COMMAND (its id, kColorButtonChanged). Another window (a test driver, an
// accessibility tool) can set the colour the same way with kColorButtonSetColor, and the owner
// hears of it through the same notification.
#include <windows.h>

namespace vantrel::ui {

// Sent to the button: wParam unused, lParam the COLORREF. Answers TRUE.
constexpr UINT kColorButtonSetColor = WM_APP + 0x120;
// The notification code the button's owner receives after the colour changed.
constexpr WORD kColorButtonChanged = 0x0E00;

class CColorButton {
 public:
  CColorButton() = default;
  ~CColorButton();
  CColorButton(const CColorButton&) = delete;
  CColorButton& operator=(const CColorButton&) = delete;

  // Takes over a dialog's owner-drawn button.
  bool Attach(HWND button, COLORREF color);
  void Detach();
  HWND hwnd() const { return m_button; }

  COLORREF Color() const { return m_color; }
  // Shows the colour; with `notify`, a different colour tells the owner.
  void SetColor(COLORREF color, bool notify);
  // The owner's WM_DRAWITEM for this button.
  void Draw(const DRAWITEMSTRUCT* item) const;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);

  HWND m_button = nullptr;
  COLORREF m_color = 0;
};

}  // namespace vantrel::ui
