#pragma once
// The font every dialog, sheet and page gives its controls (Tahoma, height -11), owned by
// the window that created it.
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

// Creates the dialog font, Tahoma with height -11.
bool CreateDialogFont(CFont* font);
// Gives the font to every child window of the parent (not redrawn until shown).
void SetFontOnChildren(HWND parent, HFONT font);

}  // namespace vantrel::ui
