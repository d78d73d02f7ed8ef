// End-to-end tests of OrlixVantrel's main window under Wine: the real program is started,
// driven from outside through window messages, and checked through its windows, styles,
// message boxes, the registry and screenshots. Every wait is bounded and every test stops
// the program it started.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"

namespace vantrel::e2e {
namespace {

std::wstring g_programPath;
std::wstring g_artifactDir;

constexpr wchar_t kRootKey[] = L"Software\\Orlix Systems\\Vantrel";
constexpr wchar_t kOptionsKey[] = L"Software\\Orlix Systems\\Vantrel\\Options";
constexpr DWORD kStartTimeoutMs = 20000;
// Generous: a loaded machine may be slow, and a passing test never waits the whole time.
constexpr DWORD kEffectTimeoutMs = 15000;

// Command ids of the program's menu.
constexpr UINT kShow = 32771, kHide = 32772, kOptions = 32773, kExit = 32795, kViewScale = 32778,
               kViewGraph = 32777, kViewText = 32779, kUnitBytes = 32780, kAlwaysOnTop = 32784,
               kCaption = 32794, kClickThrough = 32814, kSemiTransparent = 32815, kColumnGraph = 32821,
               kOpenMenu = 32806, kAllConnectionsItem = 9000, kDialUpItem = 9001, kResetPosition = 32807;

uint32_t OptionDword(const wchar_t* name, uint32_t fallback = 0xFFFFFFFF) {
  uint32_t v = fallback;
  ReadDword(kOptionsKey, name, &v);
  return v;
}

bool OptionIs(const wchar_t* name, uint32_t wanted) {
  return WaitUntil([&] { return OptionDword(name) == wanted; }, kEffectTimeoutMs);
}

// Reads a little-endian field of a log record.
uint64_t LittleEndian(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + i];
  return v;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A copy left over from an earlier test would take the single-instance hand-over.
    for (HWND w : TopLevelWindows(0, L"#32770", L"Vantrel")) PostMessageW(w, WM_CLOSE, 0, 0);
    WaitUntil([] { return TopLevelWindows(0, L"#32770", L"Vantrel").empty(); }, kEffectTimeoutMs);
    ASSERT_TRUE(DeleteTree(kRootKey));
    // Not a first start: the help file stays closed.
    ASSERT_TRUE(WriteDword(kOptionsKey, L"FirstRun", 0));
    // Each test has a traffic log of its own.
    logPath = g_artifactDir + L"\\TrafficHistory-e2e.log";
    DeleteFileW(logPath.c_str());
    ASSERT_TRUE(WriteString(kOptionsKey, L"TrafficLogFile", logPath));
  }

  // Starts the program and returns its main window once it is up (shown unless hidden
  // start was asked for).
  HWND Start(Program& p, bool expectVisible = true) {
    EXPECT_TRUE(p.Start(g_programPath)) << "cannot start the program";
    HWND main = nullptr;
    bool up = WaitUntil(
        [&] {
          main = StoredMainWindow(p.ProcessId(), expectVisible);
          return main != nullptr;
        },
        kStartTimeoutMs);
    EXPECT_TRUE(up) << "the main window did not come up";
    return main;
  }

  HWND Start(bool expectVisible = true) { return Start(program, expectVisible); }

  Program program;
  std::wstring logPath;
};

TEST_F(MainWindowTest, StartsAsATopmostToolWindowTitledVantrelWithoutTaskbarButton) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(WindowText(main), L"Vantrel");
  EXPECT_TRUE(ExStyle(main) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(ExStyle(main) & WS_EX_APPWINDOW);
  EXPECT_TRUE(WaitUntil([&] { return (ExStyle(main) & WS_EX_TOPMOST) != 0; }, kEffectTimeoutMs));
  EXPECT_TRUE(Style(main) & WS_CAPTION);
  // One rate view, for All Connections.
  EXPECT_EQ(ChildWindows(main).size(), 1u);
  // No stored position: bottom right of the work area.
  RECT work, r;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(main, &r);
  EXPECT_EQ(r.right, work.right - GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(r.bottom, work.bottom - GetSystemMetrics(SM_CYHSCROLL));
}

TEST_F(MainWindowTest, SecondCopyShowsTheFirstAndExits) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  PostCommand(main, kHide);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, kEffectTimeoutMs));

  Program second;
  ASSERT_TRUE(second.Start(g_programPath));
  EXPECT_TRUE(second.WaitForExit(kStartTimeoutMs)) << "the second copy keeps running";
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kEffectTimeoutMs));
  EXPECT_TRUE(program.Running());
  EXPECT_TRUE(TopLevelWindows(second.ProcessId(), L"#32770", nullptr).empty());
}

TEST_F(MainWindowTest, CloseBoxOnlyHides) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, kEffectTimeoutMs));
  Sleep(1200);
  EXPECT_TRUE(program.Running());
  PostCommand(main, kShow);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kEffectTimeoutMs));
}

TEST_F(MainWindowTest, HiddenStartNeverShowsTheWindowUntilShowIsChosen) {
  ASSERT_TRUE(WriteDword(kOptionsKey, L"StartMinimized", 1));
  HWND main = Start(false);
  ASSERT_NE(main, nullptr);
  // Sampled for two seconds: the window never flashes.
  bool everVisible = WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 2000);
  EXPECT_FALSE(everVisible);
  PostCommand(main, kShow);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kEffectTimeoutMs));
}

TEST_F(MainWindowTest, ViewCommandsToggleTheirSwitchAndSaveTheirGroup) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  PostCommand(main, kViewScale);
  EXPECT_TRUE(OptionIs(L"DisplayScale", 0));
  // The whole Display group is written, not only the switch.
  EXPECT_EQ(OptionDword(L"DisplayTitle"), 1u);
  EXPECT_EQ(OptionDword(L"TimeTextOnTop"), 1u);
  PostCommand(main, kViewScale);
  EXPECT_TRUE(OptionIs(L"DisplayScale", 1));

  PostCommand(main, kUnitBytes);
  EXPECT_TRUE(OptionIs(L"DisplayUnitByte", 1));
  EXPECT_EQ(OptionDword(L"HotkeyChar"), 78u);  // the General group

  PostCommand(main, kColumnGraph);
  EXPECT_TRUE(OptionIs(L"GraphStyle", 0));
  EXPECT_EQ(OptionDword(L"PulseWidth"), 3u);  // the Style group
}

TEST_F(MainWindowTest, WindowCommandsChangeTheWindowAtOnce) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return (ExStyle(main) & WS_EX_TOPMOST) != 0; }, kEffectTimeoutMs));

  PostCommand(main, kAlwaysOnTop);
  EXPECT_TRUE(OptionIs(L"AlwaysOnTop", 0));
  EXPECT_TRUE(WaitUntil([&] { return (ExStyle(main) & WS_EX_TOPMOST) == 0; }, kEffectTimeoutMs));

  PostCommand(main, kCaption);
  EXPECT_TRUE(OptionIs(L"ShowCaption", 0));
  EXPECT_TRUE(WaitUntil([&] { return (Style(main) & WS_CAPTION) == 0; }, kEffectTimeoutMs));
  PostCommand(main, kCaption);
  EXPECT_TRUE(WaitUntil([&] { return (Style(main) & WS_CAPTION) == WS_CAPTION; }, kEffectTimeoutMs));

  // Semi-transparency is on by default, so the window is layered from the start.
  EXPECT_TRUE(ExStyle(main) & WS_EX_LAYERED);
  PostCommand(main, kClickThrough);
  EXPECT_TRUE(OptionIs(L"EnableClickThrough", 1));
  EXPECT_TRUE(WaitUntil([&] { return (ExStyle(main) & WS_EX_TRANSPARENT) != 0; }, kEffectTimeoutMs));
  PostCommand(main, kSemiTransparent);
  EXPECT_TRUE(OptionIs(L"SemiTransparent", 0));
  EXPECT_TRUE(ExStyle(main) & WS_EX_LAYERED);  // once layered, it stays layered

  PostCommand(main, kResetPosition);
  EXPECT_TRUE(WaitUntil(
      [&] {
        RECT r;
        GetWindowRect(main, &r);
        return r.left == 0 && r.top == 0;
      },
      kEffectTimeoutMs));
}

TEST_F(MainWindowTest, RefusesToHideBothGraphAndText) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  PostCommand(main, kViewText);
  ASSERT_TRUE(OptionIs(L"DisplayText", 0));
  PostCommand(main, kViewGraph);
  HWND box = WaitForMessageBox(program.ProcessId(), L"Vantrel", kEffectTimeoutMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), L"At least either graph or text should be displayed.");
  AnswerMessageBox(box, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kEffectTimeoutMs));
  EXPECT_EQ(OptionDword(L"DisplayGraph"), 1u);
}

TEST_F(MainWindowTest, RefusesToRemoveTheLastView) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  PostCommand(main, kAllConnectionsItem);
  HWND box = WaitForMessageBox(program.ProcessId(), L"Vantrel", kEffectTimeoutMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), L"At least one adapter should be monitored.");
  AnswerMessageBox(box, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kEffectTimeoutMs));
  EXPECT_EQ(ChildWindows(main).size(), 1u);
}

TEST_F(MainWindowTest, AddsAndRemovesViewsFromTheAdaptersMenu) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  RECT before;
  GetWindowRect(main, &before);
  PostCommand(main, kDialUpItem);
  ASSERT_TRUE(WaitUntil([&] { return ChildWindows(main).size() == 2; }, kEffectTimeoutMs));
  RECT grown;
  GetWindowRect(main, &grown);
  // Title and text bands of 13-pixel fonts, a 100-pixel graph, and the gap: upward.
  EXPECT_EQ(grown.bottom, before.bottom);
  EXPECT_EQ(before.top - grown.top, 16 + 16 + 100 + 3);

  PostCommand(main, kDialUpItem);
  ASSERT_TRUE(WaitUntil([&] { return ChildWindows(main).size() == 1; }, kEffectTimeoutMs));
  RECT shrunk;
  GetWindowRect(main, &shrunk);
  EXPECT_EQ(shrunk.bottom, before.bottom);
  EXPECT_GT(shrunk.top, grown.top);
}

TEST_F(MainWindowTest, ModalWindowsKeepTheModalRules) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return (ExStyle(main) & WS_EX_TOPMOST) != 0; }, kEffectTimeoutMs));
  PostCommand(main, kOptions);
  HWND sheet = WaitForWindow(program.ProcessId(), L"#32770", L"Vantrel Options", kEffectTimeoutMs);
  ASSERT_NE(sheet, nullptr);
  // Not topmost while a modal window of ours is open.
  EXPECT_TRUE(WaitUntil([&] { return (ExStyle(main) & WS_EX_TOPMOST) == 0; }, kEffectTimeoutMs));
  PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(sheet, IDCANCEL)));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }, kEffectTimeoutMs));
  EXPECT_TRUE(WaitUntil([&] { return (ExStyle(main) & WS_EX_TOPMOST) != 0; }, kEffectTimeoutMs));
}

TEST_F(MainWindowTest, OpensThePopUpMenuOnF) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  PostCommand(main, kOpenMenu);
  HWND menu = WaitForWindow(0, L"#32768", nullptr, kEffectTimeoutMs);
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(menu) != FALSE; }, kEffectTimeoutMs));
  Sleep(300);
  Screenshot shot;
  if (CaptureWindow(menu, &shot)) shot.SaveBmp(g_artifactDir + L"\\popup-menu.bmp");
  PostMessageW(main, WM_CANCELMODE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, kEffectTimeoutMs));
}

TEST_F(MainWindowTest, DrawsTheGraphInTheViewsColours) {
  // Opaque, so the screenshot holds the colours as drawn.
  ASSERT_TRUE(WriteDword(kOptionsKey, L"SemiTransparent", 0));
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  Sleep(2500);  // a few ticks
  Screenshot shot;
  // On a slow machine the first paint may come late: capture again until the colours are there.
  WaitUntil(
      [&] {
        return CaptureWindow(main, &shot) && shot.ShareOf(0xADDBDE, 6) > 0.3 && shot.ShareOf(0x333333, 6) > 0.005;
      },
      kEffectTimeoutMs);
  ASSERT_TRUE(CaptureWindow(main, &shot));
  EXPECT_TRUE(shot.SaveBmp(g_artifactDir + L"\\main-window.bmp"));
  // The default colours of a rate view (stored as 0x00BBGGRR, compared here as RGB): the
  // graph background covers most of the window, the title band and the rate text band follow.
  EXPECT_GT(shot.ShareOf(0xADDBDE, 6), 0.3) << "graph background";
  EXPECT_GT(shot.ShareOf(0x9E9E9E, 6), 0.03) << "title background";
  EXPECT_GT(shot.ShareOf(0xFFFFFF, 6), 0.03) << "rate text background";
  EXPECT_GT(shot.ShareOf(0x333333, 6), 0.005) << "border";
}

TEST_F(MainWindowTest, ExitSavesTheWindowPositionAndEnds) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  SetWindowPos(main, nullptr, 140, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(WaitUntil(
      [&] {
        RECT r;
        GetWindowRect(main, &r);
        return r.left == 140 && r.top == 150;
      },
      kEffectTimeoutMs));
  RECT r;
  GetWindowRect(main, &r);
  PostCommand(main, kExit);
  ASSERT_TRUE(program.WaitForExit(kStartTimeoutMs)) << "Exit did not end the program";
  std::vector<uint8_t> pos;
  ASSERT_TRUE(ReadBinary(kOptionsKey, L"WndPosition", &pos));
  ASSERT_EQ(pos.size(), 16u);
  auto at = [&](int i) {
    return static_cast<int32_t>(pos[i] | (pos[i + 1] << 8) | (pos[i + 2] << 16) | (static_cast<uint32_t>(pos[i + 3]) << 24));
  };
  EXPECT_EQ(at(0), r.left);
  EXPECT_EQ(at(4), r.top);
  EXPECT_EQ(at(8), r.right);
  EXPECT_EQ(at(12), r.bottom);
  // Today's records were written: a header and one 296-byte record per entry, dated today,
  // All Connections and Dial-Up Connections first.
  std::vector<uint8_t> log = ReadFileBytes(logPath);
  ASSERT_GE(log.size(), 24u + 2 * 296u);
  EXPECT_EQ((log.size() - 24) % 296, 0u);
  EXPECT_EQ(std::string(log.begin(), log.begin() + 4), "NTSL");
  EXPECT_EQ(LittleEndian(log, 4, 4), 2u);
  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_EQ(LittleEndian(log, 24, 2), now.wYear);
  EXPECT_EQ(LittleEndian(log, 24 + 2, 2), now.wMonth);
  EXPECT_EQ(LittleEndian(log, 24 + 12, 4), 100u);
  EXPECT_EQ(LittleEndian(log, 24 + 296 + 12, 4), 200u);
  // The adapter settings are saved on the way out too.
  uint32_t monitored = 0;
  EXPECT_TRUE(ReadDword(L"Software\\Orlix Systems\\Vantrel\\AdaptersEx\\100-", L"Monitored", &monitored));
  EXPECT_EQ(monitored, 1u);
}

TEST_F(MainWindowTest, OffersACustomLogFileWhenTheLogCannotBeCreated) {
  // A folder that does not exist inside the test's own Wine drive: creating the file fails there
  // whatever the machine's root allows.
  const std::wstring badPath = L"C:\\no-such-folder-for-vantrel\\TrafficHistory.log";
  ASSERT_TRUE(WriteString(kOptionsKey, L"TrafficLogFile", badPath));
  // Started in C:\ so that its save dialogue opens in the test's own drive, not in the build
  // folder on the machine's root drive.
  ASSERT_TRUE(program.Start(g_programPath, L"C:\\"));
  HWND question = WaitForMessageBox(program.ProcessId(), L"Vantrel", kStartTimeoutMs);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(MessageBoxText(question),
            L"Failed to create traffic log file \"" + badPath +
                L"\". Please make sure you have permission to create and write file at the folder.\n\n"
                L"Do you want to choose a custom log file?");
  // Yes: the save-file dialogue comes up; cancelling it gives up.
  AnswerMessageBox(question, IDYES);
  auto saveDialogues = [&] {
    std::vector<HWND> out;
    for (HWND w : TopLevelWindows(program.ProcessId(), L"#32770", nullptr))
      if (IsWindowVisible(w) && WindowText(w) != L"Vantrel") out.push_back(w);
    return out;
  };
  ASSERT_TRUE(WaitUntil([&] { return !saveDialogues().empty(); }, kStartTimeoutMs));
  // The dialogue may still be filling its folder view when it first shows; Cancel is pressed
  // again until the program has moved on to its information box.
  HWND info = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : saveDialogues()) PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        info = WaitForMessageBox(program.ProcessId(), L"Vantrel", 500);
        return info != nullptr && IsWindow(info);
      },
      kStartTimeoutMs);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(MessageBoxText(info),
            L"Dear user, you've given up to choose a file for traffic log, which means all traffic information "
            L"will be lost when the software restarts.");
  AnswerMessageBox(info, IDOK);
  // The program goes on without a log.
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(info); }, kEffectTimeoutMs));
  EXPECT_TRUE(program.Running());
}

TEST_F(MainWindowTest, RestartsWhereItWasLeft) {
  {
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, nullptr, 200, 210, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    WaitUntil(
        [&] {
          RECT r;
          GetWindowRect(main, &r);
          return r.left == 200;
        },
        kEffectTimeoutMs);
    // A WM_CLOSE from outside ends the program the same way as Exit.
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit(kStartTimeoutMs));
  }
  Program again;
  HWND main = Start(again);
  ASSERT_NE(main, nullptr);
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.left, 200);
  EXPECT_EQ(r.top, 210);
}

}  // namespace
}  // namespace vantrel::e2e

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <OrlixVantrel.exe> <artifact folder>\n", argv[0]);
    return 2;
  }
  auto widen = [](const char* s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), n);
    return w;
  };
  vantrel::e2e::g_programPath = vantrel::e2e::WindowsPath(widen(argv[1]));
  vantrel::e2e::g_artifactDir = vantrel::e2e::WindowsPath(widen(argv[2]));
  CreateDirectoryW(vantrel::e2e::g_artifactDir.c_str(), nullptr);
  int result = RUN_ALL_TESTS();
  // Leave the prefix as a first start finds it, for the run command and a person trying it.
  vantrel::e2e::DeleteTree(vantrel::e2e::kRootKey);
  return result;
}
