#pragma once
// A static text control that paints without flicker: background, then its text in its own
// font and colour, drawn off-screen and copied to the screen in one step. Alignment follows
// the static's style (centre, right, centre-image for vertical centring); one line unless the
// style wraps. Setting the text, the font or a colour repaints it at once.
#include <windows.h>

#include <string>

#include "ui/dialog_font.h"

namespace vantrel::ui {

class CFlickerFreeLabel {
 public:
  CFlickerFreeLabel() = default;
  ~CFlickerFreeLabel();
  CFlickerFreeLabel(const CFlickerFreeLabel&) = delete;
  CFlickerFreeLabel& operator=(const CFlickerFreeLabel&) = delete;

  // Takes over a dialog's static control; false when it is not there.
  bool Attach(HWND label);
  void Detach();
  HWND hwnd() const { return m_label; }

  void SetText(const std::wstring& text);
  // The label's own font, its height in 96-DPI units: shown at the label's DPI (a shared font,
  // so it follows the dialog to a screen of another DPI).
  bool SetFont(const wchar_t* face, int height, int weight);
  void SetTextColor(COLORREF colour);
  void SetBackgroundColor(COLORREF colour);

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
  void Paint();
  void RepaintNow();

  HWND m_label = nullptr;
  COLORREF m_text = RGB(0, 0, 0);
  COLORREF m_background = CLR_INVALID;  // CLR_INVALID: the dialog's face colour
};

}  // namespace vantrel::ui
