#pragma once
// The owner-drawn pop-up menu: every text item shows its caption and its accelerator text
// (the part after a tab) in the system's menu colours, with a check or radio mark, and chosen
// commands show a 16 x 16 image from a toolbar resource (RT_TOOLBAR plus a bitmap of the
// same id, magenta as the transparent colour). Everything is measured and drawn at the DPI of
// the screen the menu opens on, the images from the strip drawn for that size when there is
// one (never stretched: a smaller strip is centred in the larger cell).
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::ui {

// What the update pass decides for one item.
struct MenuItemUpdate {
  bool enabled = true;
  bool checked = false;
  bool radio = false;
  bool setText = false;
  std::wstring text;
};

class COwnerDrawMenu {
 public:
  COwnerDrawMenu() = default;
  ~COwnerDrawMenu();
  COwnerDrawMenu(const COwnerDrawMenu&) = delete;
  COwnerDrawMenu& operator=(const COwnerDrawMenu&) = delete;

  // Loads the menu resource and turns every text item of every level into an owner-drawn
  // one. False when the menu cannot be loaded.
  bool Load(HINSTANCE instance, UINT menuId);
  // The same for a menu built at run time; the menu is owned (destroyed) from now on.
  bool Adopt(HMENU menu);
  // Takes the images of a toolbar resource for the commands it lists, in its order. Without
  // the resource the menu simply has no images.
  bool LoadImages(HINSTANCE instance, UINT toolbarId);
  // The same images drawn `size` pixels square, in the toolbar's order, from a bitmap resource.
  bool AddImageSize(HINSTANCE instance, UINT bitmapId, int size);
  // The DPI the next measuring and drawing is for (the screen the menu opens on); 96 at first.
  void SetDpi(UINT dpi);
  UINT Dpi() const { return m_dpi; }

  HMENU Handle() const { return m_menu; }
  // The sub-menu at `position` of the top level (null if none).
  HMENU SubMenu(int position) const;

  // Appends an owner-drawn command item.
  bool AppendItem(HMENU menu, UINT id, const std::wstring& caption);
  bool DeleteItemAt(HMENU menu, int position);
  // The caption of a command item (without its accelerator text), or "" when unknown.
  std::wstring ItemText(UINT id) const;

  // Runs `rule` for every command item of `menu` and of its sub-menus and applies the answer
  // (enable, check or radio mark, text). Items for which `rule` returns false stay as they are.
  void UpdateItems(HMENU menu, const std::function<bool(UINT id, MenuItemUpdate* update)>& rule);

  // Owner-draw messages of the window that owns the menu; false when not a menu item of ours.
  bool OnMeasureItem(MEASUREITEMSTRUCT* mis);
  bool OnDrawItem(const DRAWITEMSTRUCT* dis);
  // WM_MENUCHAR: owner-drawn items have no system text, so their mnemonics are matched here.
  bool OnMenuChar(wchar_t ch, HMENU menu, LRESULT* result) const;

 private:
  struct Item {
    std::wstring text;
    std::wstring accel;
    int image = -1;
    bool radio = false;
  };

  Item* NewItem(const std::wstring& caption, UINT id);
  void ConvertLevel(HMENU menu);
  bool IsOurs(const Item* item) const;
  HFONT MenuFont();
  int Px(int length) const;
  // The image list for the current DPI and the size of its images.
  HIMAGELIST Images(int* size) const;

  HMENU m_menu = nullptr;
  HIMAGELIST m_images = nullptr;  // the toolbar's own (16 x 16)
  int m_imageSize = 0;
  std::map<int, HIMAGELIST> m_sizedImages;  // size -> the same images at that size
  HFONT m_font = nullptr;                    // the menu font at m_dpi
  UINT m_dpi = 96;
  std::map<UINT, int> m_imageOf;  // command -> image index
  std::vector<std::unique_ptr<Item>> m_items;  // stable addresses, referenced as item data
  std::map<UINT, Item*> m_byId;
};

}  // namespace vantrel::ui
