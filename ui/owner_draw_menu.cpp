#include "ui/owner_draw_menu.h"

#include <algorithm>
#include <cwctype>

namespace vantrel::ui {

namespace {

constexpr int kImageColumn = 24;  // room for a 16 x 16 image or mark and its padding
constexpr int kAccelGap = 24;
constexpr int kRightPad = 12;
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

void DrawCheck(HDC dc, int x, int y, COLORREF colour, bool radio) {
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HBRUSH brush = CreateSolidBrush(colour);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  if (radio) {
    Ellipse(dc, x + 5, y + 5, x + 11, y + 11);
  } else {
    // A tick, three pixels thick.
    for (int d = 0; d < 3; ++d) {
      MoveToEx(dc, x + 4, y + 7 + d, nullptr);
      LineTo(dc, x + 6, y + 9 + d);
      LineTo(dc, x + 12, y + 3 + d);
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
  if (m_font) DeleteObject(m_font);
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
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
      m_font = CreateFontIndirectW(&ncm.lfMenuFont);
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
  mis->itemWidth = kImageColumn + textSize.cx + (item->accel.empty() ? 0 : kAccelGap + accelSize.cx) + kRightPad;
  mis->itemHeight = std::max<UINT>(20, static_cast<UINT>(tm.tmHeight + 6));
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

  int imageY = rc.top + ((rc.bottom - rc.top) - 16) / 2;
  if (item->image >= 0 && m_images) {
    IMAGELISTDRAWPARAMS p{};
    p.cbSize = sizeof(p);
    p.himl = m_images;
    p.i = item->image;
    p.hdcDst = dc;
    p.x = rc.left + 4;
    p.y = imageY;
    p.rgbBk = CLR_NONE;
    p.rgbFg = back;
    p.fStyle = ILD_TRANSPARENT | (disabled ? ILD_BLEND50 : 0);
    ImageList_DrawIndirect(&p);
  } else if (checked) {
    DrawCheck(dc, rc.left + 4, imageY, fore, item->radio);
  }

  HGDIOBJ oldFont = SelectObject(dc, MenuFont());
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColour = SetTextColor(dc, fore);
  UINT prefix = (dis->itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
  RECT textRc = rc;
  textRc.left += kImageColumn;
  textRc.right -= kRightPad;
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
