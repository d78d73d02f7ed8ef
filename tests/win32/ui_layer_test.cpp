// The window layer under Wine: objects bound to their windows and unbound at the end,
// dialogs from in-memory templates under the layer's own modal loop and at another DPI, the
// owner-drawn menu's conversion, update pass, measuring and mnemonics, and the hyperlink's
// click and tooltip.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ui/dialog_font.h"
#include "ui/dpi.h"
#include "ui/hyperlink.h"
#include "ui/owner_draw_menu.h"
#include "ui/window.h"

namespace vantrel::ui {
namespace {

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

class RecordingWindow : public CWindow {
 public:
  std::vector<UINT> seen;
  bool finalCalled = false;

 protected:
  bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT* result) override {
    seen.push_back(msg);
    if (msg == WM_NCHITTEST) {
      *result = HTCAPTION;
      return true;
    }
    return false;
  }
  void OnFinalMessage() override { finalCalled = true; }
};

TEST(WindowLayer, BindsTheObjectFromTheFirstMessageAndUnbindsAtTheEnd) {
  ASSERT_TRUE(CWindow::RegisterWindowClass(Instance(), L"VantrelUiTestWindow", 0, nullptr, nullptr));
  // Registering again is harmless.
  ASSERT_TRUE(CWindow::RegisterWindowClass(Instance(), L"VantrelUiTestWindow", 0, nullptr, nullptr));
  RecordingWindow w;
  ASSERT_TRUE(w.Create(0, L"VantrelUiTestWindow", L"t", WS_POPUP, RECT{0, 0, 50, 40}, nullptr, nullptr, Instance()));
  HWND h = w.hwnd();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(CWindowBase::FromHandle(h), &w);
  ASSERT_FALSE(w.seen.empty());
  EXPECT_EQ(w.seen.front(), static_cast<UINT>(WM_NCCREATE));
  // A handled message answers with the handler's result.
  EXPECT_EQ(SendMessageW(h, WM_NCHITTEST, 0, 0), HTCAPTION);
  w.Destroy();
  EXPECT_TRUE(w.finalCalled);
  EXPECT_EQ(w.hwnd(), nullptr);
  EXPECT_FALSE(IsWindow(h));
}

TEST(WindowLayer, ForgetsAWindowWhoseObjectIsGone) {
  HWND h = nullptr;
  {
    RecordingWindow w;
    ASSERT_TRUE(CWindow::RegisterWindowClass(Instance(), L"VantrelUiTestWindow", 0, nullptr, nullptr));
    ASSERT_TRUE(w.Create(0, L"VantrelUiTestWindow", L"t", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, nullptr, Instance()));
    h = w.hwnd();
  }
  // The window outlived its object: it is no longer bound and still answers by default.
  EXPECT_EQ(CWindowBase::FromHandle(h), nullptr);
  EXPECT_NE(SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(5, 5)), HTCAPTION);
  DestroyWindow(h);
}

// A dialog template without controls, built in memory (DLGTEMPLATE, no menu, default class,
// empty title), aligned as the system wants it.
struct EmptyTemplate {
  alignas(4) WORD words[32] = {};
  EmptyTemplate() {
    auto* t = reinterpret_cast<DLGTEMPLATE*>(words);
    t->style = WS_POPUP | WS_CAPTION;
    t->cx = 100;
    t->cy = 50;
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words); }
};

class TestDialog : public CDialog {
 public:
  bool initialised = false;
  int preTranslated = 0;
  bool finalCalled = false;
  UINT endOnMessage = 0;

 protected:
  BOOL OnInitDialog() override {
    initialised = true;
    return TRUE;
  }
  bool PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_APP + 1) {
      ++preTranslated;
      return true;  // consumed: never dispatched
    }
    return false;
  }
  bool OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT* result) override {
    if (msg == WM_APP + 1) ADD_FAILURE() << "a consumed message was dispatched";
    if (msg == WM_APP + 2) {
      EndModal(static_cast<int>(wp));
      return true;
    }
    if (msg == WM_NCHITTEST) {
      *result = HTCAPTION;
      return true;
    }
    return false;
  }
  void OnFinalMessage() override { finalCalled = true; }
};

TEST(DialogLayer, RunsItsOwnModalLoopUntilEndModal) {
  EmptyTemplate t;
  TestDialog d;
  ASSERT_TRUE(d.CreateModelessIndirect(Instance(), t.get(), nullptr));
  EXPECT_TRUE(d.initialised);
  // A handled message's answer reaches the sender through DWLP_MSGRESULT.
  EXPECT_EQ(SendMessageW(d.hwnd(), WM_NCHITTEST, 0, 0), HTCAPTION);
  PostMessageW(d.hwnd(), WM_APP + 1, 0, 0);
  PostMessageW(d.hwnd(), WM_APP + 2, 7, 0);
  EXPECT_EQ(d.RunModalLoop(), 7);
  EXPECT_EQ(d.preTranslated, 1);
  EXPECT_TRUE(d.finalCalled);
  EXPECT_EQ(d.hwnd(), nullptr);
}

TEST(DialogLayer, EndsItsModalLoopOnQuitWithTheQuitCode) {
  EmptyTemplate t;
  TestDialog d;
  ASSERT_TRUE(d.CreateModelessIndirect(Instance(), t.get(), nullptr));
  PostQuitMessage(2);
  EXPECT_EQ(d.RunModalLoop(), 2);
  EXPECT_EQ(d.hwnd(), nullptr);
}

int FontHeight(HWND control) {
  LOGFONTW lf{};
  auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  return font && GetObjectW(font, sizeof lf, &lf) ? lf.lfHeight : 0;
}

TEST(DialogLayer, ControlsFollowTheDialogToAScreenOfAnotherDpi) {
  EmptyTemplate t;
  TestDialog d;
  ASSERT_TRUE(d.CreateModelessIndirect(Instance(), t.get(), nullptr));
  HWND label = CreateWindowExW(0, L"STATIC", L"Label", WS_CHILD | WS_VISIBLE, 5, 5, 80, 12, d.hwnd(), nullptr,
                               Instance(), nullptr);
  HWND bold = CreateWindowExW(0, L"STATIC", L"Bold", WS_CHILD | WS_VISIBLE, 5, 20, 80, 12, d.hwnd(), nullptr,
                              Instance(), nullptr);
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 5, 35, 200, 60, d.hwnd(),
                              nullptr, Instance(), nullptr);
  ASSERT_TRUE(label && bold && list);
  LVCOLUMNW col{};
  col.mask = LVCF_WIDTH;
  col.cx = 50;
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
  ASSERT_TRUE(ApplyDialogFont(d.hwnd()));
  SetSharedFont(bold, FontDescription{L"Tahoma", -14, FW_BOLD});
  EXPECT_EQ(FontHeight(label), -11);  // this prefix runs at 96 DPI
  EXPECT_EQ(FontHeight(bold), -14);

  RECT suggested{0, 0, 300, 200};
  SendMessageW(d.hwnd(), kWmDpiChanged, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(FontHeight(label), -22);
  EXPECT_EQ(FontHeight(list), -22);
  EXPECT_EQ(FontHeight(bold), -28);
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 100);
  // And back: the same shared fonts again.
  SendMessageW(d.hwnd(), kWmDpiChanged, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), DialogFontFor(d.hwnd()));
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 50);
  DestroyWindow(d.hwnd());
}

// A runtime menu like the program's: a sub-menu, separators, accelerator texts, a radio item.
HMENU SampleMenu() {
  HMENU top = CreateMenu();
  HMENU popup = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  AppendMenuW(sub, MF_STRING, 300, L"Title(&T)\tCtrl+T");
  AppendMenuW(sub, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(sub, MF_STRING, 301, L"&kbps\tCtrl+P");
  AppendMenuW(popup, MF_STRING, 100, L"Show(&S)");
  AppendMenuW(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"View(&V)");
  AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(popup, MF_STRING, 102, L"Exit(&X)");
  AppendMenuW(top, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"Menu");
  return top;
}

UINT ItemType(HMENU menu, int position) {
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_FTYPE;
  GetMenuItemInfoW(menu, position, TRUE, &mii);
  return mii.fType;
}

UINT ItemState(HMENU menu, UINT id) {
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_STATE;
  GetMenuItemInfoW(menu, id, FALSE, &mii);
  return mii.fState;
}

ULONG_PTR ItemData(HMENU menu, UINT id) {
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_DATA;
  GetMenuItemInfoW(menu, id, FALSE, &mii);
  return mii.dwItemData;
}

TEST(OwnerDrawMenu, TurnsEveryTextItemOwnerDrawnAndKeepsSeparators) {
  COwnerDrawMenu menu;
  ASSERT_TRUE(menu.Adopt(SampleMenu()));
  HMENU popup = menu.SubMenu(0);
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(ItemType(popup, 0) & MFT_OWNERDRAW);
  EXPECT_TRUE(ItemType(popup, 1) & MFT_OWNERDRAW);  // the sub-menu's own item
  EXPECT_TRUE(ItemType(popup, 2) & MFT_SEPARATOR);
  EXPECT_FALSE(ItemType(popup, 2) & MFT_OWNERDRAW);
  HMENU sub = GetSubMenu(popup, 1);
  EXPECT_TRUE(ItemType(sub, 0) & MFT_OWNERDRAW);
  // The caption without its accelerator text.
  EXPECT_EQ(menu.ItemText(300), L"Title(&T)");
  EXPECT_EQ(menu.ItemText(999), L"");
}

TEST(OwnerDrawMenu, AppliesTheUpdatePassToEveryLevel) {
  COwnerDrawMenu menu;
  ASSERT_TRUE(menu.Adopt(SampleMenu()));
  HMENU popup = menu.SubMenu(0);
  std::vector<UINT> asked;
  menu.UpdateItems(popup, [&](UINT id, MenuItemUpdate* u) {
    asked.push_back(id);
    if (id == 100) u->enabled = false;
    if (id == 301) {
      u->checked = true;
      u->radio = true;
      u->setText = true;
      u->text = L"bits";
    }
    return id != 102;
  });
  EXPECT_EQ(asked, (std::vector<UINT>{100, 300, 301, 102}));
  EXPECT_TRUE(ItemState(popup, 100) & MFS_GRAYED);
  EXPECT_TRUE(ItemState(popup, 301) & MFS_CHECKED);
  EXPECT_TRUE(ItemType(GetSubMenu(popup, 1), 2) & MFT_RADIOCHECK);
  EXPECT_EQ(menu.ItemText(301), L"bits");
  EXPECT_FALSE(ItemState(popup, 102) & MFS_GRAYED);
}

TEST(OwnerDrawMenu, MeasuresItsOwnItemsOnlyAndRoomsTheAcceleratorText) {
  COwnerDrawMenu menu;
  ASSERT_TRUE(menu.Adopt(SampleMenu()));
  HMENU popup = menu.SubMenu(0);
  MEASUREITEMSTRUCT withAccel{};
  withAccel.CtlType = ODT_MENU;
  withAccel.itemID = 300;
  withAccel.itemData = ItemData(popup, 300);
  ASSERT_TRUE(menu.OnMeasureItem(&withAccel));
  MEASUREITEMSTRUCT plain{};
  plain.CtlType = ODT_MENU;
  plain.itemID = 100;
  plain.itemData = ItemData(popup, 100);
  ASSERT_TRUE(menu.OnMeasureItem(&plain));
  EXPECT_GT(withAccel.itemWidth, plain.itemWidth);
  EXPECT_GE(plain.itemHeight, 20u);
  MEASUREITEMSTRUCT foreign{};
  foreign.CtlType = ODT_MENU;
  foreign.itemData = 12345;
  EXPECT_FALSE(menu.OnMeasureItem(&foreign));
  foreign.CtlType = ODT_BUTTON;
  foreign.itemData = ItemData(popup, 100);
  EXPECT_FALSE(menu.OnMeasureItem(&foreign));
  // Opened on a screen of twice the DPI: its font and paddings twice as large.
  menu.SetDpi(192);
  MEASUREITEMSTRUCT large = plain;
  ASSERT_TRUE(menu.OnMeasureItem(&large));
  EXPECT_GE(large.itemHeight, 40u);
  EXPECT_GT(large.itemWidth, plain.itemWidth * 3 / 2);
}

TEST(OwnerDrawMenu, MatchesMnemonicsWithoutRegardToCase) {
  COwnerDrawMenu menu;
  ASSERT_TRUE(menu.Adopt(SampleMenu()));
  HMENU popup = menu.SubMenu(0);
  LRESULT r = 0;
  ASSERT_TRUE(menu.OnMenuChar(L'x', popup, &r));
  EXPECT_EQ(LOWORD(r), 3);
  EXPECT_EQ(HIWORD(r), MNC_EXECUTE);
  ASSERT_TRUE(menu.OnMenuChar(L'V', popup, &r));
  EXPECT_EQ(LOWORD(r), 1);
  EXPECT_FALSE(menu.OnMenuChar(L'q', popup, &r));
}

TEST(OwnerDrawMenu, AppendsOwnerDrawnItems) {
  COwnerDrawMenu menu;
  ASSERT_TRUE(menu.Adopt(SampleMenu()));
  HMENU sub = GetSubMenu(menu.SubMenu(0), 1);
  ASSERT_TRUE(menu.AppendItem(sub, 9000, L"Ethernet"));
  EXPECT_EQ(GetMenuItemCount(sub), 4);
  EXPECT_TRUE(ItemType(sub, 3) & MFT_OWNERDRAW);
  EXPECT_EQ(menu.ItemText(9000), L"Ethernet");
  EXPECT_TRUE(menu.DeleteItemAt(sub, 3));
  EXPECT_EQ(GetMenuItemCount(sub), 3);
}

TEST(Hyperlink, OpensOnlyOnAPressAndReleaseOverItAndItsTooltipGoesOnceWithTheDialog) {
  HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr, Instance(), nullptr);
  ASSERT_NE(dialog, nullptr);
  HWND label = CreateWindowExW(0, L"STATIC", L"home page", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, dialog, nullptr,
                               Instance(), nullptr);
  ASSERT_NE(label, nullptr);
  int opened = 0;
  CHyperlink link;
  ASSERT_TRUE(link.Attach(
      label, L"https://www.vantrel.example/",
      [&](const std::wstring&, int) {
        ++opened;
        return 42;
      },
      [](int) { return std::wstring(); }, L"Vantrel"));
  const LPARAM over = MAKELPARAM(2, 2), outside = MAKELPARAM(250, 2);

  SendMessageW(label, WM_LBUTTONUP, 0, over);  // pressed elsewhere, released over the link
  EXPECT_EQ(opened, 0);
  SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, over);
  SendMessageW(label, WM_LBUTTONUP, 0, outside);  // pressed over it, released elsewhere
  EXPECT_EQ(opened, 0);
  SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, over);
  SendMessageW(label, WM_LBUTTONUP, 0, over);
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(link.Visited());
  EXPECT_NE(GetCapture(), label);

  // The dialog destroys the tooltip it owns; the link then has none left to destroy again.
  HWND tooltip = link.tooltip();
  ASSERT_TRUE(IsWindow(tooltip));
  DestroyWindow(dialog);
  EXPECT_FALSE(IsWindow(tooltip));
  EXPECT_EQ(link.tooltip(), nullptr);
  EXPECT_EQ(link.hwnd(), nullptr);
}

}  // namespace
}  // namespace vantrel::ui
