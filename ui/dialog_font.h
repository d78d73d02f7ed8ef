#pragma once
// The font every dialog, sheet and page gives its controls (Tahoma, height -11 at 96 DPI),
// at the dialog's own DPI, and the other fonts the dialogs set on controls.
//
// Fonts that controls show are shared: one font per description and DPI, made on first use
// and kept for the program's life, so no dialog ever deletes a font a control still shows.
// When a window's DPI changes, RescaleSharedFonts gives each of its controls the same font at
// the new DPI (the dialog and sheet bases do that on WM_DPICHANGED).
#include <windows.h>

namespace vantrel::ui {

// An owned GDI font; deleted with the object.
class CFont {
 public:
  CFont() = default;
  ~CFont() { Reset(); }
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;

  // Creates the face at the height (negative: character height) and weight; false on failure.
  bool Create(const wchar_t* face, int height, int weight = FW_NORMAL, bool underline = false);
  // Takes over a font made elsewhere.
  void Adopt(HFONT font);
  void Reset();
  HFONT get() const { return m_font; }
  explicit operator bool() const { return m_font != nullptr; }

 private:
  HFONT m_font = nullptr;
};

// A font described in 96-DPI units.
struct FontDescription {
  const wchar_t* face = L"Tahoma";  // copied when a font is made
  int height = -11;                 // negative: character height
  int weight = FW_NORMAL;
  bool underline = false;
};
// The dialog font's description.
constexpr FontDescription kDialogFont{};

// The font `wanted` describes at `dpi` (the height scaled), shared and kept for the program's life;
// null when the system cannot make it.
HFONT SharedFont(const FontDescription& wanted, UINT dpi);
// The dialog font at the DPI of `window`.
HFONT DialogFontFor(HWND window);
// Gives every child of `dialog` the dialog font at the dialog's DPI (not redrawn until shown).
// False when no font could be made.
bool ApplyDialogFont(HWND dialog);
// Gives one control a shared font at its dialog's DPI.
void SetSharedFont(HWND control, const FontDescription& wanted);
// After `window` moved to a screen of `newDpi`: every child (and the window itself) that shows
// a shared font gets the same font at the new DPI, and is redrawn.
void RescaleSharedFonts(HWND window, UINT newDpi);


}  // namespace vantrel::ui
