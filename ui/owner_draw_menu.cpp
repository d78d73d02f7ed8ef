#include "ui/owner_draw_menu.h"

#include <algorithm>
#include <cwctype>

#include "ui/dpi.h"

namespace vantrel::ui {

namespace {

// At 96 DPI; scaled to the menu's DPI.
constexpr int kImageColumn = 24;  // room for a 16 x 16 image or mark and its padding
constexpr int kImageSize = 16;
constexpr int kImageLeft = 4;
constexpr int kAccelGap = 24;
constexpr int kRightPad = 12;
constexpr int kMinItemHeight = 20;
constexpr int kTextPadding = 6;
constexpr COLORREF kImageMask = RGB(255, 0, 255);
const wchar_t* const kToolbarType = MAKEINTRESOURCEW(241);

// The caption as it shows (mnemonic markers removed, "&&" kept as one "&").
std::wstring VisibleText(const std::wstring& s) {
  std::wstring out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'&') {
      if (i + 1 < s.size() && s[i + 1] == L'&') {
        out += L'&';
        ++i;
      }
      continue;
    }
    out += s[i];
  }
  return out;
}

// The mnemonic character of a caption, 0 when it has none.
wchar_t Mnemonic(const std::wstring& s) {
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] != L'&') continue;
    if (s[i + 1] == L'&') {
      ++i;
      continue;
    }
    return static_cast<wchar_t>(std::towlower(s[i + 1]));
  }
  return 0;
}

std::wstring MenuString(HMENU menu, int position) {
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_STRING;
  if (!GetMenuItemInfoW(menu, position, TRUE, &mii) || mii.cch == 0) return {};
  std::wstring text(mii.cch + 1, L'\0');
  mii.dwTypeData = text.data();
  mii.cch += 1;
  if (!GetMenuItemInfoW(menu, position, TRUE, &mii)) return {};
  text.resize(mii.cch);
  return text;
}

// The mark in a 16 x 16 cell at 96 DPI, drawn at `dpi` in the cell at (x, y).
void DrawCheck(HDC dc, int x, int y, COLORREF colour, bool radio, UINT dpi) {
  auto px = [dpi](int v) { return ScaleForDpi(v, dpi); };
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HBRUSH brush = CreateSolidBrush(colour);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  if (radio) {
    Ellipse(dc, x + px(5), y + px(5), x + px(11), y + px(11));
  } else {
    // A tick, three pixels thick at 96 DPI.
    for (int d = 0; d < px(3); ++d) {
      MoveToEx(dc, x + px(4), y + px(7) + d, nullptr);
      LineTo(dc, x + px(6), y + px(9) + d);
      LineTo(dc, x + px(12), y + px(3) + d);
    }
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
}

}  // namespace

COwnerDrawMenu::~COwnerDrawMenu() {
  if (m_menu) DestroyMenu(m_menu);
  if (m_images) ImageList_Destroy(m_images);
  for (auto& sized : m_sizedImages) ImageList_Destroy(sized.second);
  if (m_font) DeleteObject(m_font);
}

namespace {

// Sets every item's type again, which makes the system measure the items anew.
void AskToMeasureAgain(HMENU menu) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(menu, i, TRUE, &mii)) continue;
    if (mii.hSubMenu) AskToMeasureAgain(mii.hSubMenu);
    MENUITEMINFOW set{};
    set.cbSize = sizeof(set);
    set.fMask = MIIM_FTYPE;
    set.fType = mii.fType;
    SetMenuItemInfoW(menu, i, TRUE, &set);
  }
}

}  // namespace

void COwnerDrawMenu::SetDpi(UINT dpi) {
  if (dpi == 0 || dpi == m_dpi) return;
  m_dpi = dpi;
  // The menu font is made again for the new DPI when it is next needed.
  if (m_font) DeleteObject(m_font);
  m_font = nullptr;
  if (m_menu) AskToMeasureAgain(m_menu);
}

int COwnerDrawMenu::Px(int length) const { return ScaleForDpi(length, m_dpi); }

HIMAGELIST COwnerDrawMenu::Images(int* size) const {
  // The largest strip that fits the cell; the toolbar's own when none does.
  const int wanted = Px(kImageSize);
  HIMAGELIST best = m_images;
  *size = m_imageSize;
  for (const auto& sized : m_sizedImages) {
    if (sized.first <= wanted && sized.first > *size) {
      best = sized.second;
      *size = sized.first;
    }
  }
  return best;
}

bool COwnerDrawMenu::AddImageSize(HINSTANCE instance, UINT bitmapId, int size) {
  if (size <= 0 || m_sizedImages.count(size)) return false;
  HBITMAP bitmap =
      static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return false;
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 8, 0);
  if (list) ImageList_AddMasked(list, bitmap, kImageMask);
  DeleteObject(bitmap);
  if (!list) return false;
  m_sizedImages[size] = list;
  return true;
}

bool COwnerDrawMenu::Load(HINSTANCE instance, UINT menuId) {
  if (m_menu) return false;
  return Adopt(LoadMenuW(instance, MAKEINTRESOURCEW(menuId)));
}

bool COwnerDrawMenu::Adopt(HMENU menu) {
  if (m_menu || !menu) return false;
  m_menu = menu;
  ConvertLevel(m_menu);
  return true;
}

bool COwnerDrawMenu::LoadImages(HINSTANCE instance, UINT toolbarId) {
  HRSRC res = FindResourceW(instance, MAKEINTRESOURCEW(toolbarId), kToolbarType);
  if (!res) return false;
  HGLOBAL mem = LoadResource(instance, res);
  DWORD size = SizeofResource(instance, res);
  const auto* words = static_cast<const WORD*>(mem ? LockResource(mem) : nullptr);
  if (!words || size < 8) return false;
  // RT_TOOLBAR: version, image width, image height, item count, then the item ids (0 = gap).
  int width = words[1], height = words[2], count = words[3];
  if (width <= 0 || height <= 0 || size < static_cast<DWORD>(8 + 2 * count)) return false;
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(toolbarId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return false;
  m_images = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, count, 0);
  if (m_images) ImageList_AddMasked(m_images, bitmap, kImageMask);
  DeleteObject(bitmap);
  if (!m_images) return false;
  m_imageSize = height;
  int image = 0;
  for (int i = 0; i < count; ++i) {
    UINT id = words[4 + i];
    if (id == 0) continue;
    m_imageOf[id] = image;
    auto it = m_byId.find(id);
    if (it != m_byId.end()) it->second->image = image;
    ++image;
  }
  return true;
}

HMENU COwnerDrawMenu::SubMenu(int position) const { return m_menu ? GetSubMenu(m_menu, position) : nullptr; }

COwnerDrawMenu::Item* COwnerDrawMenu::NewItem(const std::wstring& caption, UINT id) {
  auto item = std::make_unique<Item>();
  size_t tab = caption.find(L'\t');
  item->text = caption.substr(0, tab);
  if (tab != std::wstring::npos) item->accel = caption.substr(tab + 1);
  auto image = m_imageOf.find(id);
  if (image != m_imageOf.end()) item->image = image->second;
  Item* raw = item.get();
  m_items.push_back(std::move(item));
  if (id != 0) m_byId[id] = raw;
  return raw;
}

void COwnerDrawMenu::ConvertLevel(HMENU menu) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(menu, i, TRUE, &mii)) continue;
    if (mii.fType & MFT_SEPARATOR) continue;
    if (mii.hSubMenu) ConvertLevel(mii.hSubMenu);
    Item* item = NewItem(MenuString(menu, i), mii.hSubMenu ? 0 : mii.wID);
    item->radio = (mii.fType & MFT_RADIOCHECK) != 0;
    MENUITEMINFOW set{};
    set.cbSize = sizeof(set);
    set.fMask = MIIM_FTYPE | MIIM_DATA;
    set.fType = (mii.fType & ~static_cast<UINT>(MFT_STRING)) | MFT_OWNERDRAW;
    set.dwItemData = reinterpret_cast<ULONG_PTR>(item);
    SetMenuItemInfoW(menu, i, TRUE, &set);
  }
}

bool COwnerDrawMenu::AppendItem(HMENU menu, UINT id, const std::wstring& caption) {
  if (!menu) return false;
  Item* item = NewItem(caption, id);
  return AppendMenuW(menu, MF_OWNERDRAW, id, reinterpret_cast<LPCWSTR>(item)) != FALSE;
}

bool COwnerDrawMenu::DeleteItemAt(HMENU menu, int position) {
  return menu && DeleteMenu(menu, position, MF_BYPOSITION) != FALSE;
}

std::wstring COwnerDrawMenu::ItemText(UINT id) const {
  auto it = m_byId.find(id);
  return it == m_byId.end() ? std::wstring() : it->second->text;
}

bool COwnerDrawMenu::IsOurs(const Item* item) const {
  return item && std::any_of(m_items.begin(), m_items.end(), [&](const auto& p) { return p.get() == item; });
}

void COwnerDrawMenu::UpdateItems(HMENU menu, const std::function<bool(UINT, MenuItemUpdate*)>& rule) {
  if (!menu) return;
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    if (!GetMenuItemInfoW(menu, i, TRUE, &mii)) continue;
    if (mii.fType & MFT_SEPARATOR) continue;
    if (mii.hSubMenu) {
      UpdateItems(mii.hSubMenu, rule);
      continue;
    }
    MenuItemUpdate u;
    if (!rule(mii.wID, &u)) continue;
    auto* item = reinterpret_cast<Item*>(mii.dwItemData);
    bool ours = (mii.fType & MFT_OWNERDRAW) && IsOurs(item);
    if (ours) {
      item->radio = u.radio;
      if (u.setText) item->text = u.text;
    }
    MENUITEMINFOW set{};
    set.cbSize = sizeof(set);
    set.fMask = MIIM_FTYPE | MIIM_STATE;
    set.fType = u.radio ? (mii.fType | MFT_RADIOCHECK) : (mii.fType & ~static_cast<UINT>(MFT_RADIOCHECK));
    set.fState = (u.enabled ? MFS_ENABLED : MFS_GRAYED) | (u.checked ? MFS_CHECKED : MFS_UNCHECKED);
    SetMenuItemInfoW(menu, i, TRUE, &set);
  }
}

HFONT COwnerDrawMenu::MenuFont() {
  if (!m_font) {
    LOGFONTW lf{};
    if (MenuFontForDpi(m_dpi, &lf)) m_font = CreateFontIndirectW(&lf);
  }
  return m_font ? m_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

bool COwnerDrawMenu::OnMeasureItem(MEASUREITEMSTRUCT* mis) {
  if (!mis || mis->CtlType != ODT_MENU) return false;
  auto* item = reinterpret_cast<Item*>(mis->itemData);
  if (!IsOurs(item)) return false;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, MenuFont());
  std::wstring text = VisibleText(item->text);
  SIZE textSize{}, accelSize{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &textSize);
  if (!item->accel.empty())
    GetTextExtentPoint32W(dc, item->accel.c_str(), static_cast<int>(item->accel.size()), &accelSize);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  mis->itemWidth = Px(kImageColumn) + textSize.cx + (item->accel.empty() ? 0 : Px(kAccelGap) + accelSize.cx) +
                   Px(kRightPad);
  mis->itemHeight = static_cast<UINT>(std::max<LONG>(Px(kMinItemHeight), tm.tmHeight + Px(kTextPadding)));
  return true;
}

bool COwnerDrawMenu::OnDrawItem(const DRAWITEMSTRUCT* dis) {
  if (!dis || dis->CtlType != ODT_MENU) return false;
  auto* item = reinterpret_cast<Item*>(dis->itemData);
  if (!IsOurs(item)) return false;
  HDC dc = dis->hDC;
  RECT rc = dis->rcItem;
  bool selected = (dis->itemState & ODS_SELECTED) != 0;
  bool disabled = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  bool checked = (dis->itemState & ODS_CHECKED) != 0;
  COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU);
  COLORREF fore = GetSysColor(disabled ? COLOR_GRAYTEXT : (selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  HBRUSH brush = CreateSolidBrush(back);
  FillRect(dc, &rc, brush);
  DeleteObject(brush);

  const int cell = Px(kImageSize);
  const int cellX = rc.left + Px(kImageLeft);
  const int cellY = rc.top + ((rc.bottom - rc.top) - cell) / 2;
  int imageSize = 0;
  HIMAGELIST images = Images(&imageSize);
  if (item->image >= 0 && images) {
    IMAGELISTDRAWPARAMS p{};
    p.cbSize = sizeof(p);
    p.himl = images;
    p.i = item->image;
    p.hdcDst = dc;
    p.x = cellX + (cell - imageSize) / 2;
    p.y = cellY + (cell - imageSize) / 2;
    p.rgbBk = CLR_NONE;
    p.rgbFg = back;
    p.fStyle = ILD_TRANSPARENT | (disabled ? ILD_BLEND50 : 0);
    ImageList_DrawIndirect(&p);
  } else if (checked) {
    DrawCheck(dc, cellX, cellY, fore, item->radio, m_dpi);
  }

  HGDIOBJ oldFont = SelectObject(dc, MenuFont());
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColour = SetTextColor(dc, fore);
  UINT prefix = (dis->itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
  RECT textRc = rc;
  textRc.left += Px(kImageColumn);
  textRc.right -= Px(kRightPad);
  DrawTextW(dc, item->text.c_str(), static_cast<int>(item->text.size()), &textRc,
            DT_SINGLELINE | DT_VCENTER | DT_LEFT | prefix);
  if (!item->accel.empty())
    DrawTextW(dc, item->accel.c_str(), static_cast<int>(item->accel.size()), &textRc,
              DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
  return true;
}

bool COwnerDrawMenu::OnMenuChar(wchar_t ch, HMENU menu, LRESULT* result) const {
  if (!menu) return false;
  wchar_t wanted = static_cast<wchar_t>(std::towlower(ch));
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_DATA;
    if (!GetMenuItemInfoW(menu, i, TRUE, &mii) || !(mii.fType & MFT_OWNERDRAW)) continue;
    auto* item = reinterpret_cast<const Item*>(mii.dwItemData);
    bool ours = std::any_of(m_items.begin(), m_items.end(), [&](const auto& p) { return p.get() == item; });
    if (ours && Mnemonic(item->text) == wanted) {
      *result = MAKELRESULT(i, MNC_EXECUTE);
      return true;
    }
  }
  return false;
}

}  // namespace vantrel::ui
