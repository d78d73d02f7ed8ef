#include "ui/dialog_font.h"

#include <commctrl.h>

#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include "ui/dpi.h"

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

namespace {

// A description with its own copy of the face name, for the cache.
struct StoredFont {
  std::wstring face;
  int height = 0;
  int weight = 0;
  bool underline = false;
  auto Key() const { return std::tie(face, height, weight, underline); }
  bool operator<(const StoredFont& other) const { return Key() < other.Key(); }
};

struct FontCache {
  std::mutex lock;
  std::map<std::pair<StoredFont, UINT>, HFONT> byDescription;
  std::map<HFONT, std::pair<StoredFont, UINT>> described;  // with the DPI it was made for
};

// Never destroyed: the fonts live as long as the program and its controls.
FontCache& Cache() {
  static FontCache* cache = new FontCache;
  return *cache;
}

StoredFont Store(const FontDescription& wanted) {
  return StoredFont{wanted.face ? wanted.face : L"Tahoma", wanted.height, wanted.weight, wanted.underline};
}

HFONT SharedFontOf(const StoredFont& wanted, UINT dpi) {
  FontCache& cache = Cache();
  std::lock_guard<std::mutex> hold(cache.lock);
  auto key = std::make_pair(wanted, dpi);
  auto found = cache.byDescription.find(key);
  if (found != cache.byDescription.end()) return found->second;
  LOGFONTW lf{};
  lf.lfHeight = ScaleForDpi(wanted.height, dpi);
  lf.lfWeight = wanted.weight;
  lf.lfUnderline = wanted.underline ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, wanted.face.c_str(), LF_FACESIZE);
  HFONT font = CreateFontIndirectW(&lf);
  if (!font) return nullptr;
  cache.byDescription.emplace(key, font);
  cache.described.emplace(font, std::make_pair(wanted, dpi));
  return font;
}

struct Rescale {
  UINT dpi;
};

// A list view's columns keep their share of the list: widths scaled from one DPI to another.
void RescaleListColumns(HWND list, UINT fromDpi, UINT toDpi) {
  wchar_t className[32] = {};
  if (!GetClassNameW(list, className, 32) || lstrcmpiW(className, WC_LISTVIEWW) != 0) return;
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  for (int i = 0; i < columns; ++i) {
    int width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
    SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i),
                 MAKELPARAM(MulDiv(width, static_cast<int>(toDpi), static_cast<int>(fromDpi)), 0));
  }
}

void RescaleOne(HWND window, UINT dpi) {
  auto current = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  if (!current) return;
  StoredFont shown;
  UINT oldDpi = 0;
  {
    FontCache& cache = Cache();
    std::lock_guard<std::mutex> hold(cache.lock);
    auto found = cache.described.find(current);
    if (found == cache.described.end()) return;
    shown = found->second.first;
    oldDpi = found->second.second;
  }
  HFONT next = SharedFontOf(shown, dpi);
  if (!next || next == current) return;
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(next), TRUE);
  if (oldDpi != 0) RescaleListColumns(window, oldDpi, dpi);
}

BOOL CALLBACK RescaleProc(HWND child, LPARAM data) {
  RescaleOne(child, reinterpret_cast<const Rescale*>(data)->dpi);
  return TRUE;
}

BOOL CALLBACK SetFontProc(HWND child, LPARAM font) {
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  return TRUE;
}

// Gives the font to every child window of the parent (not redrawn until shown).
void SetFontOnChildren(HWND parent, HFONT font) {
  if (!parent || !font) return;
  EnumChildWindows(parent, &SetFontProc, reinterpret_cast<LPARAM>(font));
}

}  // namespace

HFONT SharedFont(const FontDescription& wanted, UINT dpi) { return SharedFontOf(Store(wanted), dpi); }

HFONT DialogFontFor(HWND window) { return SharedFont(kDialogFont, DpiOfWindow(window)); }

bool ApplyDialogFont(HWND dialog) {
  HFONT font = DialogFontFor(dialog);
  if (!font) return false;
  SetFontOnChildren(dialog, font);
  return true;
}

void SetSharedFont(HWND control, const FontDescription& wanted) {
  if (!control) return;
  if (HFONT font = SharedFont(wanted, DpiOfWindow(control)))
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void RescaleSharedFonts(HWND window, UINT newDpi) {
  if (!window || newDpi == 0) return;
  RescaleOne(window, newDpi);
  Rescale data{newDpi};
  EnumChildWindows(window, &RescaleProc, reinterpret_cast<LPARAM>(&data));
}


}  // namespace vantrel::ui
