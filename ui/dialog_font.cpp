#include "ui/dialog_font.h"

namespace vantrel::ui {

bool CFont::Create(const wchar_t* face, int height, int weight, bool underline) {
  Reset();
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfUnderline = underline ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  m_font = CreateFontIndirectW(&lf);
  return m_font != nullptr;
}

void CFont::Adopt(HFONT font) {
  Reset();
  m_font = font;
}

void CFont::Reset() {
  if (m_font) DeleteObject(m_font);
  m_font = nullptr;
}

bool CreateDialogFont(CFont* font) { return font->Create(L"Tahoma", -11); }

namespace {
BOOL CALLBACK SetFontProc(HWND child, LPARAM font) {
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  return TRUE;
}
}  // namespace

void SetFontOnChildren(HWND parent, HFONT font) {
  if (!parent || !font) return;
  EnumChildWindows(parent, &SetFontProc, reinterpret_cast<LPARAM>(font));
}

}  // namespace vantrel::ui
