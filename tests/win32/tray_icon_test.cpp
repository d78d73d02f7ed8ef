#include "app/win32/tray_icon.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/win32/rate_view.h"
#include "tests/win32/window_test_support.h"

namespace vantrel {
namespace {

using vantrel::testing::HiddenWindow;

// What one notification-area call carried, with the pixels of a freshly made icon.
struct NotifyCall {
  DWORD message = 0;
  DWORD size = 0;
  HWND hwnd = nullptr;
  UINT id = 0;
  UINT flags = 0;
  UINT callback = 0;
  HICON icon = nullptr;
  std::wstring tip;
  std::vector<COLORREF> colour;  // row by row, when the icon is not an activity icon
  int iconSize = 0;               // its width and height
  bool maskAllZero = false;
};

std::vector<NotifyCall> g_calls;
bool g_failModify = false;
std::array<HICON, 4> g_activity{};

bool IsActivityIcon(HICON icon) {
  for (HICON h : g_activity)
    if (h == icon) return true;
  return false;
}

std::vector<COLORREF> ReadBitmap(HBITMAP bitmap, int size) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = size;
  bi.bmiHeader.biHeight = -size;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> raw(static_cast<size_t>(size) * size);
  HDC screen = GetDC(nullptr);
  int rows = GetDIBits(screen, bitmap, 0, size, raw.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  std::vector<COLORREF> out;
  if (rows != size) return out;
  for (uint32_t v : raw) out.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
  return out;
}

BOOL WINAPI FakeNotify(DWORD message, PNOTIFYICONDATAW nid) {
  NotifyCall c;
  c.message = message;
  c.size = nid->cbSize;
  c.hwnd = nid->hWnd;
  c.id = nid->uID;
  c.flags = nid->uFlags;
  c.callback = nid->uCallbackMessage;
  c.icon = nid->hIcon;
  c.tip = nid->szTip;
  if ((nid->uFlags & NIF_ICON) && nid->hIcon && !IsActivityIcon(nid->hIcon)) {
    ICONINFO info{};
    if (GetIconInfo(nid->hIcon, &info)) {
      BITMAP bm{};
      GetObjectW(info.hbmColor, sizeof bm, &bm);
      c.iconSize = bm.bmWidth;
      c.colour = ReadBitmap(info.hbmColor, c.iconSize);
      std::vector<COLORREF> mask = ReadBitmap(info.hbmMask, c.iconSize);
      c.maskAllZero = !mask.empty();
      for (COLORREF m : mask) c.maskAllZero = c.maskAllZero && m == RGB(0, 0, 0);
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
    }
  }
  g_calls.push_back(c);
  if (message == NIM_MODIFY && g_failModify) return FALSE;
  return TRUE;
}

class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    g_failModify = false;
    g_activity = {LoadIconW(nullptr, IDI_APPLICATION), LoadIconW(nullptr, IDI_HAND), LoadIconW(nullptr, IDI_QUESTION),
                  LoadIconW(nullptr, IDI_EXCLAMATION)};
    ASSERT_NE(m_owner.hwnd(), nullptr);
    m_entry.kind = kKindAdapter;
    m_entry.displayName = L"LAN";
    m_entry.ip = "10.0.0.1";
  }
  void Init(bool graphPossible) {
    const HICON icons[4] = {g_activity[0], g_activity[1], g_activity[2], g_activity[3]};
    ASSERT_TRUE(m_tray.Init(m_owner.hwnd(), icons, graphPossible));
  }
  void Sample(uint32_t down, uint32_t up) { m_entry.history.push_front({down, up, 0, 0}); }

  HiddenWindow m_owner;
  CTrayIcon m_tray{kTrayNotifyMessage, &FakeNotify};
  AdapterEntry m_entry;
  TrayUpdateOptions m_options;
  TrayGraphColours m_colours{RGB(0xE0, 0xE0, 0), RGB(0xF0, 0, 0), RGB(0, 0xE0, 0)};
};

TEST_F(TrayIconTest, AddUsesTheOldStructureSizeTheIconIdAndTheCallback) {
  Init(false);
  ASSERT_TRUE(m_tray.AddInitial());
  ASSERT_EQ(g_calls.size(), 1u);
  const NotifyCall& c = g_calls[0];
  EXPECT_EQ(c.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(c.size, static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE));
  // The pre-Windows 2000 layout: 152 bytes in 32-bit builds, 168 with 64-bit handles.
  EXPECT_EQ(c.size, sizeof(void*) == 8 ? 168u : 152u);
  EXPECT_EQ(c.hwnd, m_owner.hwnd());
  EXPECT_EQ(c.id, 104u);
  EXPECT_EQ(c.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(c.callback, 0x800Au);
  EXPECT_EQ(c.icon, g_activity[0]);
  EXPECT_EQ(c.tip, L"Vantrel");
  EXPECT_EQ(m_tray.CurrentIcon(), g_activity[0]);
}

TEST_F(TrayIconTest, ModifyAndDeleteCarryTheirFlags) {
  Init(false);
  m_tray.ModifyIconAndTip(g_activity[1], L"a");
  m_tray.ModifyTip(L"b");
  m_tray.Delete();
  ASSERT_EQ(g_calls.size(), 3u);
  EXPECT_EQ(g_calls[0].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(g_calls[0].flags, static_cast<UINT>(NIF_ICON | NIF_TIP));
  EXPECT_EQ(g_calls[1].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(g_calls[1].flags, static_cast<UINT>(NIF_TIP));
  EXPECT_EQ(g_calls[1].tip, L"b");
  EXPECT_EQ(g_calls[2].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(g_calls[2].flags, static_cast<UINT>(NIF_MESSAGE));
  for (const NotifyCall& c : g_calls) EXPECT_EQ(c.id, kTrayIconId);
}

TEST_F(TrayIconTest, TheActivityIconIsSentOnlyWhenItChanges) {
  Init(false);
  m_tray.AddInitial();
  g_calls.clear();
  Sample(1000, 0);
  m_tray.Update(m_entry, nullptr, m_options, m_colours);
  Sample(2000, 0);
  m_tray.Update(m_entry, nullptr, m_options, m_colours);
  Sample(2000, 5);
  m_tray.Update(m_entry, nullptr, m_options, m_colours);
  ASSERT_EQ(g_calls.size(), 3u);
  EXPECT_EQ(g_calls[0].flags, static_cast<UINT>(NIF_ICON | NIF_TIP));
  EXPECT_EQ(g_calls[0].icon, g_activity[2]);  // download only
  EXPECT_EQ(g_calls[0].tip, L"LAN [10.0.0.1]\nDw: 8.00 kbps  Up: 0 bps");
  EXPECT_EQ(g_calls[1].flags, static_cast<UINT>(NIF_TIP));
  EXPECT_EQ(g_calls[2].icon, g_activity[3]);  // both directions
  EXPECT_EQ(m_tray.CurrentIcon(), g_activity[3]);
}

TEST_F(TrayIconTest, AFailedModifyDeletesAndAddsTheIconAgain) {
  Init(false);
  g_failModify = true;
  Sample(0, 10);
  m_tray.Update(m_entry, nullptr, m_options, m_colours);
  ASSERT_EQ(g_calls.size(), 3u);
  EXPECT_EQ(g_calls[0].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(g_calls[1].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(g_calls[2].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(g_calls[2].icon, g_activity[1]);
  EXPECT_EQ(g_calls[2].flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  // The shell stays away: every tick tries again with the icon it should show.
  g_calls.clear();
  m_tray.Update(m_entry, nullptr, m_options, m_colours);
  ASSERT_EQ(g_calls.size(), 3u);
  EXPECT_EQ(g_calls[0].flags, static_cast<UINT>(NIF_TIP));
  EXPECT_EQ(g_calls[2].icon, g_activity[1]);
}

TEST_F(TrayIconTest, TheTipFollowsTheNameAndAddressSwitchesAndStaysWithin63Characters) {
  Init(false);
  Sample(0, 0);
  m_options.showAddress = false;
  m_tray.Update(m_entry, nullptr, m_options, m_colours);
  m_options.showName = false;
  m_tray.Update(m_entry, nullptr, m_options, m_colours);
  m_options.showName = m_options.showAddress = true;
  m_options.byteUnits = true;
  m_entry.displayName = std::wstring(200, L'n');
  m_tray.Update(m_entry, nullptr, m_options, m_colours);
  ASSERT_EQ(g_calls.size(), 3u);
  EXPECT_EQ(g_calls[0].tip, L"LAN\nDw: 0 bps  Up: 0 bps");
  EXPECT_EQ(g_calls[1].tip, L"Dw: 0 bps  Up: 0 bps");
  EXPECT_EQ(g_calls[2].tip.size(), 63u);
  EXPECT_EQ(g_calls[2].tip, std::wstring(31, L'n') + L" [10.0.0.1]\nDw: 0 B/s  Up: 0 B/s");
}

class TrayGraphIconTest : public TrayIconTest {
 protected:
  void SetUp() override {
    TrayIconTest::SetUp();
    RateViewSettings s;
    s.graphBkg = RGB(0x20, 0x30, 0x40);
    RECT r{0, 0, 200, 120};
    ASSERT_TRUE(m_view.Create(m_owner.hwnd(), r, &m_entry, &m_shown, s, L"LAN"));
    m_view.SetFixedScale(true, 14, false);
  }
  bool m_shown = false;
  CRateView m_view;
};

TEST_F(TrayGraphIconTest, DrawsTheMiniatureGraphWithAnOpaqueMask) {
  Init(true);
  ASSERT_TRUE(m_tray.GraphPossible());
  Sample(14, 7);
  m_tray.Update(m_entry, &m_view, m_options, m_colours);
  ASSERT_EQ(g_calls.size(), 1u);
  const NotifyCall& c = g_calls[0];
  EXPECT_EQ(c.message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(c.flags, static_cast<UINT>(NIF_ICON | NIF_TIP));
  ASSERT_EQ(c.colour.size(), 256u);
  EXPECT_TRUE(c.maskAllZero);
  auto at = [&](int x, int y) { return c.colour[static_cast<size_t>(y) * 16 + x]; };
  EXPECT_EQ(at(7, 7), m_view.GraphBackground());
  EXPECT_EQ(at(0, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(at(15, 15), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(at(14, 14), m_colours.both);
  EXPECT_EQ(at(14, 8), m_colours.both);
  EXPECT_EQ(at(14, 7), m_colours.down);
  EXPECT_EQ(at(14, 1), m_colours.down);
  EXPECT_EQ(at(13, 14), m_view.GraphBackground());
  EXPECT_EQ(m_tray.CurrentIcon(), nullptr);
}

TEST_F(TrayGraphIconTest, FollowsTheSizeTheNotificationAreaAsksFor) {
  Init(true);
  const HICON large[4] = {g_activity[3], g_activity[2], g_activity[1], g_activity[0]};
  ASSERT_TRUE(m_tray.SetIconSize(32, large));
  EXPECT_EQ(m_tray.IconSize(), 32);
  Sample(14, 7);
  m_tray.Update(m_entry, &m_view, m_options, m_colours);
  ASSERT_EQ(g_calls.size(), 1u);
  const NotifyCall& c = g_calls[0];
  ASSERT_EQ(c.iconSize, 32);
  ASSERT_EQ(c.colour.size(), 32u * 32u);
  EXPECT_TRUE(c.maskAllZero);
  auto at = [&](int x, int y) { return c.colour[static_cast<size_t>(y) * 32 + x]; };
  // The newest sample is a column two pixels wide inside a two-pixel frame.
  for (int x : {28, 29}) {
    EXPECT_EQ(at(x, 29), m_colours.both) << x;
    EXPECT_EQ(at(x, 2), m_colours.down) << x;
  }
  EXPECT_EQ(at(27, 29), m_view.GraphBackground());
  EXPECT_EQ(at(1, 1), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(at(30, 30), GetSysColor(COLOR_BTNHIGHLIGHT));
  // The activity icons of the new size are sent even when the activity stays the same.
  m_options.showGraph = false;
  m_tray.Update(m_entry, &m_view, m_options, m_colours);
  EXPECT_EQ(g_calls.back().icon, large[3]);
  ASSERT_TRUE(m_tray.SetIconSize(32, large));
  m_tray.Update(m_entry, &m_view, m_options, m_colours);
  EXPECT_EQ(g_calls.back().flags, static_cast<UINT>(NIF_ICON | NIF_TIP));
}

TEST_F(TrayGraphIconTest, AfterAGraphIconTheActivityIconIsSentAgain) {
  Init(true);
  Sample(5, 0);
  m_tray.Update(m_entry, &m_view, m_options, m_colours);
  m_options.showGraph = false;
  m_tray.Update(m_entry, &m_view, m_options, m_colours);
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[1].flags, static_cast<UINT>(NIF_ICON | NIF_TIP));
  EXPECT_EQ(g_calls[1].icon, g_activity[2]);
}

TEST_F(TrayGraphIconTest, AFailedGraphModifyAddsTheGraphIconAgain) {
  Init(true);
  g_failModify = true;
  Sample(0, 14);
  m_tray.Update(m_entry, &m_view, m_options, m_colours);
  ASSERT_EQ(g_calls.size(), 3u);
  EXPECT_EQ(g_calls[1].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(g_calls[2].message, static_cast<DWORD>(NIM_ADD));
  ASSERT_EQ(g_calls[2].colour.size(), 256u);
  EXPECT_EQ(g_calls[2].colour[14 * 16 + 14], m_colours.up);
}

TEST_F(TrayGraphIconTest, ActivityIconsWhenTheGraphIconIsImpossibleOrTheAdapterHasNoView) {
  Init(false);
  Sample(5, 0);
  m_tray.Update(m_entry, &m_view, m_options, m_colours);
  Init(true);
  m_tray.Update(m_entry, nullptr, m_options, m_colours);
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[0].icon, g_activity[2]);
  EXPECT_EQ(g_calls[1].icon, g_activity[2]);
}

TEST(TrayColours, AreReadFromTheMainWindowsPens) {
  HPEN both = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HPEN down = CreatePen(PS_SOLID, 1, RGB(4, 5, 6));
  HPEN up = CreatePen(PS_SOLID, 1, RGB(7, 8, 9));
  TrayGraphColours c = TrayColoursFromPens(both, down, up);
  EXPECT_EQ(c.both, RGB(1, 2, 3));
  EXPECT_EQ(c.down, RGB(4, 5, 6));
  EXPECT_EQ(c.up, RGB(7, 8, 9));
  EXPECT_EQ(TrayColoursFromPens(nullptr, down, up).both, RGB(0, 0, 0));
  DeleteObject(both);
  DeleteObject(down);
  DeleteObject(up);
}

}  // namespace
}  // namespace vantrel
