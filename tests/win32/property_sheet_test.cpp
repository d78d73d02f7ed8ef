// The property sheet layer and the sortable list under Wine: pages created when first shown,
// the set-active / kill-active / apply flow, a refused apply keeping the sheet open on its
// page, and the list's header sorting with its owned rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/property_sheet.h"
#include "ui/sort_list.h"

namespace vantrel::ui {
namespace {

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

// A page template without controls, built in memory.
struct PageTemplate {
  alignas(4) WORD words[32] = {};
  PageTemplate() {
    auto* t = reinterpret_cast<DLGTEMPLATE*>(words);
    t->style = WS_CHILD | WS_CAPTION;
    t->cx = 200;
    t->cy = 120;
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words); }
};

void Pump() {
  MSG msg;
  for (int i = 0; i < 200 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::vector<std::string>* g_events = nullptr;

class TestPage : public CPropertyPage {
 public:
  TestPage(const char* name, const PageTemplate& t) : CPropertyPage(Instance(), t.get()), m_name(name) {}
  bool refuseApply = false;
  bool refuseLeave = false;

 protected:
  BOOL OnInitDialog() override {
    Log("init");
    return TRUE;
  }
  bool OnSetActive() override {
    Log("active");
    return true;
  }
  bool OnKillActive() override {
    Log("leave");
    return !refuseLeave;
  }
  bool OnApply() override {
    Log("apply");
    if (refuseApply) {
      BringToFront();
      return false;
    }
    return true;
  }

 private:
  void Log(const char* what) {
    if (g_events) g_events->push_back(m_name + ":" + what);
  }
  std::string m_name;
};

class TestSheet : public CPropertySheet {
 public:
  TestSheet() : CPropertySheet(Instance()) {}
  HWND initialisedWith = nullptr;
  int addedButtonPresses = 0;

 protected:
  void OnInitSheet() override {
    initialisedWith = m_hwnd;
    CreateWindowExW(0, L"BUTTON", L"&Extra", WS_CHILD | WS_VISIBLE, 0, 0, 60, 20, m_hwnd,
                    reinterpret_cast<HMENU>(106), Instance(), nullptr);
  }
  bool OnSheetMessage(UINT msg, WPARAM wp, LPARAM, LRESULT* result) override {
    if (msg == WM_COMMAND && LOWORD(wp) == 106) {
      ++addedButtonPresses;
      *result = 0;
      return true;
    }
    return false;
  }
};

class PropertySheetTest : public ::testing::Test {
 protected:
  void SetUp() override { g_events = &events; }
  void TearDown() override { g_events = nullptr; }
  std::vector<std::string> events;
};

TEST_F(PropertySheetTest, CreatesPagesWhenFirstShownAndAppliesOnlyThose) {
  PageTemplate t;
  TestPage a("a", t), b("b", t), c("c", t);
  TestSheet sheet;
  sheet.AddPage(&a);
  sheet.AddPage(&b);
  sheet.AddPage(&c);
  sheet.SetCaption(L"Test Sheet");
  sheet.SetExtraStyle(WS_MINIMIZEBOX, WS_EX_APPWINDOW);
  ASSERT_TRUE(sheet.CreateModeless(nullptr));
  ASSERT_NE(sheet.hwnd(), nullptr);
  EXPECT_EQ(sheet.initialisedWith, sheet.hwnd());
  EXPECT_TRUE(GetWindowLongPtrW(sheet.hwnd(), GWL_STYLE) & WS_MINIMIZEBOX);
  EXPECT_TRUE(GetWindowLongPtrW(sheet.hwnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
  Pump();

  // Only the start page exists and is in front.
  EXPECT_TRUE(a.HasWindow());
  EXPECT_FALSE(b.HasWindow());
  EXPECT_FALSE(c.HasWindow());
  EXPECT_TRUE(a.IsActive());
  EXPECT_EQ(sheet.ActivePageIndex(), 0);

  events.clear();
  ASSERT_TRUE(sheet.SetActivePage(2));
  EXPECT_EQ((std::vector<std::string>{"a:leave", "c:init", "c:active"}), events);
  EXPECT_FALSE(a.IsActive());
  EXPECT_TRUE(c.IsActive());
  EXPECT_FALSE(b.HasWindow());
  EXPECT_EQ(sheet.LastActivePageIndex(), 2);

  // Apply: the page in front is asked to leave first, then every page with a window applies.
  events.clear();
  sheet.PressApply();
  Pump();
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ((std::vector<std::string>{"c:leave", "a:apply", "c:apply"}),
            std::vector<std::string>(events.begin(), events.begin() + 3));
  EXPECT_FALSE(b.HasWindow());

  // The sheet's own commands reach the derived sheet.
  SendMessageW(sheet.hwnd(), WM_COMMAND, MAKEWPARAM(106, BN_CLICKED), 0);
  EXPECT_EQ(sheet.addedButtonPresses, 1);

  DestroyWindow(sheet.hwnd());
  Pump();
  EXPECT_EQ(sheet.hwnd(), nullptr);
  EXPECT_FALSE(a.HasWindow());
  EXPECT_FALSE(c.HasWindow());
}

TEST_F(PropertySheetTest, ARefusedApplyOrLeaveKeepsTheSheetOnThatPage) {
  PageTemplate t;
  TestPage a("a", t), b("b", t);
  TestSheet sheet;
  sheet.AddPage(&a);
  sheet.AddPage(&b);
  sheet.SetStartPage(1);
  ASSERT_TRUE(sheet.CreateModeless(nullptr));
  Pump();
  EXPECT_TRUE(b.IsActive());
  EXPECT_FALSE(a.HasWindow());
  ASSERT_TRUE(sheet.SetActivePage(0));
  ASSERT_TRUE(sheet.SetActivePage(1));

  // Page a refuses while b is in front: a comes to the front and the sheet stays.
  a.refuseApply = true;
  events.clear();
  sheet.PressApply();
  Pump();
  EXPECT_TRUE(IsWindow(sheet.hwnd()));
  EXPECT_EQ(sheet.ActivePageIndex(), 0);
  EXPECT_EQ(events.front(), "b:leave");
  EXPECT_NE(std::find(events.begin(), events.end(), "a:apply"), events.end());

  // A page that refuses to leave stays in front.
  a.refuseLeave = true;
  sheet.SetActivePage(1);
  Pump();
  EXPECT_EQ(sheet.ActivePageIndex(), 0);
  EXPECT_FALSE(b.IsActive());
  a.refuseLeave = false;
  DestroyWindow(sheet.hwnd());
  Pump();
}

// Kind 1 reads the cells as numbers, any other kind compares texts.
int CompareNumbers(int kind, const std::wstring& a, const std::wstring& b) {
  if (kind != 1) return a.compare(b);
  long x = wcstol(a.c_str(), nullptr, 10), y = wcstol(b.c_str(), nullptr, 10);
  return x < y ? -1 : (x > y ? 1 : 0);
}

struct CountedData : CSortListCtrl::ItemData {
  CountedData(int id, int* alive) : id(id), alive(alive) { ++*alive; }
  ~CountedData() override { --*alive; }
  int id;
  int* alive;
};

class SortListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, Instance(), nullptr);
    listView = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 300, 200, parent, nullptr,
                               Instance(), nullptr);
    ASSERT_NE(listView, nullptr);
  }
  void TearDown() override { DestroyWindow(parent); }

  // Clicks a column's header the way the control tells its parent.
  void ClickHeader(CSortListCtrl& list, int column) {
    NMLISTVIEW nm{};
    nm.hdr.hwndFrom = listView;
    nm.hdr.code = LVN_COLUMNCLICK;
    nm.iItem = -1;
    nm.iSubItem = column;
    LRESULT r = 1;
    EXPECT_TRUE(list.HandleNotify(&nm.hdr, &r));
  }
  std::vector<int> Ids(const CSortListCtrl& list) {
    std::vector<int> ids;
    for (int row = 0; row < list.RowCount(); ++row) ids.push_back(static_cast<CountedData*>(list.RowData(row))->id);
    return ids;
  }
  // The UM_FIND_CURRENT_ROW the list posted, as (column, ascending); (-1, -1) when none.
  std::pair<int, int> PostedFind() {
    MSG msg;
    if (!PeekMessageW(&msg, parent, UM_FIND_CURRENT_ROW, UM_FIND_CURRENT_ROW, PM_REMOVE)) return {-1, -1};
    return {static_cast<int>(msg.wParam), static_cast<int>(msg.lParam)};
  }

  HWND parent = nullptr;
  HWND listView = nullptr;
};

TEST_F(SortListTest, SortsByTheClickedColumnKeepingEqualCellsInOrderAndReversesOnASecondClick) {
  int alive = 0;
  {
    CSortListCtrl list(&CompareNumbers);
    ASSERT_TRUE(list.Attach(listView, parent));
    ASSERT_EQ(list.AddColumn(L"N", 50, LVCFMT_LEFT, 1), 0);
    ASSERT_EQ(list.AddColumn(L"Name", 80, LVCFMT_LEFT, 0), 1);
    const wchar_t* numbers[] = {L"10", L"9", L"10", L"2", L"100"};
    for (int i = 0; i < 5; ++i)
      ASSERT_EQ(list.InsertRow(i, {numbers[i], L"row" + std::to_wstring(i)}, std::make_unique<CountedData>(i, &alive)),
                i);
    EXPECT_EQ(alive, 5);

    ClickHeader(list, 0);
    EXPECT_EQ((std::vector<int>{3, 1, 0, 2, 4}), Ids(list));  // 2, 9, 10, 10, 100 (as numbers, not text)
    EXPECT_EQ(PostedFind(), std::make_pair(0, 1));
    EXPECT_EQ(list.CellText(0, 1), L"row3");

    ClickHeader(list, 0);
    EXPECT_EQ((std::vector<int>{4, 0, 2, 1, 3}), Ids(list));  // the two 10s keep their order
    EXPECT_EQ(PostedFind(), std::make_pair(0, 0));
    EXPECT_FALSE(list.SortAscending());

    // Another column starts ascending again; a row found by its data follows it.
    ClickHeader(list, 1);
    EXPECT_TRUE(list.SortAscending());
    EXPECT_EQ(PostedFind(), std::make_pair(1, 1));
    CSortListCtrl::ItemData* third = nullptr;
    for (int row = 0; row < list.RowCount(); ++row)
      if (static_cast<CountedData*>(list.RowData(row))->id == 3) third = list.RowData(row);
    EXPECT_EQ(list.FindRow(third), 3);

    // Texts are replaced only when they differ.
    EXPECT_FALSE(list.SetCellText(0, 0, list.CellText(0, 0)));
    EXPECT_TRUE(list.SetCellText(0, 0, L"77"));
    EXPECT_EQ(list.CellText(0, 0), L"77");

    EXPECT_TRUE(list.DeleteRow(0));
    EXPECT_EQ(alive, 4);
    list.DeleteAllRows();
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(list.RowCount(), 0);
    list.InsertRow(0, {L"1"}, std::make_unique<CountedData>(9, &alive));
  }
  // The rows' data goes with the list.
  EXPECT_EQ(alive, 0);
}

}  // namespace
}  // namespace vantrel::ui
