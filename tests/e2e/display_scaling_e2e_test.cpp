// End-to-end test of display scaling. display_scaling_e2e.sh runs it in one fresh Wine prefix
// of its own, once per display scale (96, 144 and 192 DPI, set before each Wine session
// starts): a first start of the real program, its window, rate text and menu measured against
// those of the 96-DPI run, every dialog's texts measured with their controls' own fonts
// inside the program, and screenshots for a person to look at.
//
// Usage: <test> <OrlixVantrel.exe> <artifact folder> <work folder> <dpi> <measuring DLL>
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/adapter_entry.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "settings/notification_rule.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/driver_controls.h"
#include "tests/e2e/text_fit.h"
#include "tests/support/fakes.h"
#include "tests/unit/trafficlog/log_test_util.h"
#include "trafficlog/log_format.h"

namespace vantrel::e2e {
namespace {

std::wstring g_programPath;
std::wstring g_artifactDir;
std::wstring g_workDir;
std::wstring g_probeDll;
int g_dpi = 96;

constexpr wchar_t kRootKey[] = L"Software\\Orlix Systems\\Vantrel";
constexpr wchar_t kOptionsKey[] = L"Software\\Orlix Systems\\Vantrel\\Options";
constexpr DWORD kStartTimeoutMs = 30000;
// Generous: a loaded machine may be slow, and a passing test never waits the whole time.
constexpr DWORD kEffectTimeoutMs = 15000;
constexpr UINT kOpenMenu = 32806, kExit = 32795, kAbout = 57664;
constexpr int kEmailSettingsButton = 1172, kEmailServer = 1157, kStopwatchElapsed = 1077, kRecordList = 1088,
              kAboutVersion = 1201, kNotifyClose = 1086;

// The rate view's text band: white (the default rate background) under the graph.
constexpr uint32_t kRateBackground = 0xFFFFFF;

std::wstring Artifact(const wchar_t* name) {
  wchar_t file[128];
  std::swprintf(file, 128, L"\\dpi%d-%ls.bmp", g_dpi, name);
  return g_artifactDir + file;
}

// A log with today's traffic through All Connections, so reports and the alert have numbers.
std::string TodaysLog() {
  return test::HeaderBytes() +
         test::RecordBytes(SystemClock().Now(), kKindAllConnections, "", 5123456789ull, 312345678ull);
}

// What the 96-DPI run measured, for the runs at other scales.
struct Measures {
  int clientWidth = 0, clientHeight = 0, windowWidth = 0, windowHeight = 0, rateTextHeight = 0, menuWidth = 0,
      menuHeight = 0;
};

std::wstring MeasuresPath() { return g_workDir + L"\\measured-at-96-dpi.txt"; }

bool SaveMeasures(const Measures& m) {
  char line[160];
  std::snprintf(line, sizeof line, "%d %d %d %d %d %d %d\n", m.clientWidth, m.clientHeight, m.windowWidth,
                m.windowHeight, m.rateTextHeight, m.menuWidth, m.menuHeight);
  return test::WriteFileBytes(MeasuresPath(), line);
}

bool LoadMeasures(Measures* m) {
  std::vector<uint8_t> bytes = ReadFileBytes(MeasuresPath());
  std::string text(bytes.begin(), bytes.end());
  return std::sscanf(text.c_str(), "%d %d %d %d %d %d %d", &m->clientWidth, &m->clientHeight, &m->windowWidth,
                     &m->windowHeight, &m->rateTextHeight, &m->menuWidth, &m->menuHeight) == 7;
}

// The rows of the rate text's ink: inside the white text band at the bottom of the view,
// the rows with a pixel clearly darker than the background. 0 before the text is drawn.
int RateTextInkHeight(const Screenshot& shot, const RECT& view) {
  auto white = [&](int x, int y) {
    uint32_t p = shot.pixels[static_cast<size_t>(y) * shot.width + x];
    return ((p >> 16) & 0xFF) > 0xF0 && ((p >> 8) & 0xFF) > 0xF0 && (p & 0xFF) > 0xF0;
  };
  // Up from the bottom border to the band's top border, along a column of background beside
  // the centred text, and across the band between such columns (clear of the borders).
  const int probeX = view.left + (view.right - view.left) / 16;
  const int rightX = view.right - (view.right - view.left) / 16;
  int y = view.bottom - 1;
  while (y > view.top && !white(probeX, y)) --y;
  const int bandBottom = y;
  while (y > view.top && white(probeX, y)) --y;
  const int bandTop = y + 1;
  int first = -1, last = -1;
  for (int row = bandTop; row <= bandBottom; ++row) {
    for (int x = probeX; x < rightX; ++x) {
      uint32_t p = shot.pixels[static_cast<size_t>(row) * shot.width + x];
      int darkest = std::min({static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                              static_cast<int>(p & 0xFF)});
      if (darkest < 0x90) {
        if (first < 0) first = row;
        last = row;
        break;
      }
    }
  }
  return first < 0 ? 0 : last - first + 1;
}

class DisplayScaling : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(DeleteTree(kRootKey));
    // No stored position: a first start. Not the first run, so the help stays closed.
    ASSERT_TRUE(WriteDword(kOptionsKey, L"FirstRun", 0));
    // Opaque, so screenshots hold the colours as drawn.
    ASSERT_TRUE(WriteDword(kOptionsKey, L"SemiTransparent", 0));
    s_logPath = g_workDir + L"\\TrafficHistory.log";
    ASSERT_TRUE(test::WriteFileBytes(s_logPath, TodaysLog()));
    ASSERT_TRUE(WriteString(kOptionsKey, L"TrafficLogFile", s_logPath));
  }
  static void TearDownTestSuite() {
    if (s_program && s_program->Running()) {
      for (HWND w : TopLevelWindows(s_program->ProcessId(), L"#32770", nullptr)) PostMessageW(w, WM_CLOSE, 0, 0);
      s_program->Terminate();
    }
    s_program.reset();
  }

  // The program's main window, started once for the tests that share it.
  static HWND Main() {
    if (s_program && s_main && IsWindow(s_main)) return s_main;
    if (!s_program) {
      s_program = std::make_unique<Program>();
      if (!s_program->Start(g_programPath, g_workDir.c_str())) return nullptr;
    }
    WaitUntil(
        [&] {
          s_main = StoredMainWindow(s_program->ProcessId());
          return s_main != nullptr;
        },
        kStartTimeoutMs);
    return s_main;
  }

  static void Exit() {
    if (!s_program) return;
    if (s_main) PostCommand(s_main, kExit);
    EXPECT_TRUE(s_program->WaitForExit(kStartTimeoutMs)) << "Exit did not end the program";
    s_program.reset();
    s_main = nullptr;
  }

  // Measures every text of the program's open dialogs; each that does not fit fails.
  static void ExpectTextsFit(const char* what, int atLeast) {
    if (!s_program || !s_probe.Attach(s_program->ProcessId(), g_probeDll, kEffectTimeoutMs)) {
      ADD_FAILURE() << "cannot load the measuring DLL into the program";
      return;
    }
    std::vector<std::wstring> overflows;
    int measured = s_probe.Measure(kEffectTimeoutMs, &overflows);
    EXPECT_GE(measured, atLeast) << what << ": too few texts measured";
    for (const std::wstring& line : overflows) ADD_FAILURE() << what << " at " << g_dpi << " DPI: " << WideToUtf8(line);
  }

  // A screenshot once the window has painted (it is captured again until its pixels settle).
  static void SaveScreenshot(HWND window, const wchar_t* name) {
    Screenshot before, after;
    WaitUntil(
        [&] {
          Sleep(200);
          if (!CaptureWindow(window, &after)) return false;
          bool same = before.pixels == after.pixels;
          before = after;
          return same;
        },
        kEffectTimeoutMs);
    EXPECT_TRUE(after.SaveBmp(Artifact(name))) << "screenshot " << std::string(name, name + wcslen(name));
  }

  static HWND WaitForShown(const wchar_t* title) {
    HWND w = WaitForWindow(s_program->ProcessId(), L"#32770", title, kEffectTimeoutMs);
    if (w) WaitUntil([&] { return IsWindowVisible(w) != FALSE; }, kEffectTimeoutMs);
    return w;
  }

  static void CloseDialog(HWND dialog, int button) {
    ClickButton(dialog, button);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kEffectTimeoutMs));
  }

  // Brings page `index` of a sheet to the front and waits until it shows.
  static HWND ShowPage(HWND sheet, int index) {
    SheetSelectPage(sheet, index);
    HWND page = nullptr;
    bool shown = WaitUntil(
        [&] {
          page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_INDEXTOHWND, static_cast<WPARAM>(index), 0));
          return page && SheetCurrentPage(sheet) == page && IsWindowVisible(page);
        },
        kEffectTimeoutMs);
    return shown ? page : nullptr;
  }

  static std::unique_ptr<Program> s_program;
  static HWND s_main;
  static TextFitProbe s_probe;
  static std::wstring s_logPath;
};

std::unique_ptr<Program> DisplayScaling::s_program;
HWND DisplayScaling::s_main = nullptr;
TextFitProbe DisplayScaling::s_probe;
std::wstring DisplayScaling::s_logPath;

TEST_F(DisplayScaling, ThePrefixRunsAtTheScaleAsked) {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(dpi, g_dpi) << "LogPixels did not take";
}

TEST_F(DisplayScaling, FirstStartScalesTheWindowAndTheRateText) {
  HWND main = Main();
  ASSERT_NE(main, nullptr) << "the main window did not come up";
  std::vector<HWND> views = ChildWindows(main);
  ASSERT_EQ(views.size(), 1u);
  RECT window, client, view;
  GetWindowRect(main, &window);
  GetClientRect(main, &client);
  GetWindowRect(views[0], &view);
  OffsetRect(&view, -window.left, -window.top);
  // The rate text is drawn by the first ticks.
  Screenshot shot;
  int ink = 0;
  EXPECT_TRUE(WaitUntil([&] { return CaptureWindow(main, &shot) && (ink = RateTextInkHeight(shot, view)) > 0; },
                        kEffectTimeoutMs))
      << "no rate text";
  Measures now;
  now.clientWidth = client.right;
  now.clientHeight = client.bottom;
  now.windowWidth = window.right - window.left;
  now.windowHeight = window.bottom - window.top;
  now.rateTextHeight = ink;
  // Still the bottom right of the work area, clear of scroll-bar-sized strips.
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_LE(window.right, work.right);
  EXPECT_LE(window.bottom, work.bottom);
  EXPECT_GT(window.right, work.right - 3 * GetSystemMetrics(SM_CXVSCROLL));

  // The menu, measured and drawn at the same scale.
  PostCommand(main, kOpenMenu);
  HWND menu = WaitForWindow(0, L"#32768", nullptr, kEffectTimeoutMs);
  ASSERT_NE(menu, nullptr) << "F opened no menu";
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(menu) != FALSE; }, kEffectTimeoutMs));
  RECT m;
  GetWindowRect(menu, &m);
  now.menuWidth = m.right - m.left;
  now.menuHeight = m.bottom - m.top;
  if (g_dpi != 96) SaveScreenshot(menu, L"popup-menu");
  PostMessageW(main, WM_CANCELMODE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, kEffectTimeoutMs));
  if (g_dpi != 96) SaveScreenshot(main, L"main-window");

  if (g_dpi == 96) {
    ASSERT_TRUE(SaveMeasures(now));
    return;
  }
  Measures at96;
  ASSERT_TRUE(LoadMeasures(&at96)) << "the 96-DPI run left no measures";
  const double k = g_dpi / 96.0;
  // The default size is the program's: the client area scales to the pixel. The frame around
  // it is the system's, whose parts round each on their own: a few pixels either way.
  EXPECT_NEAR(now.clientWidth, at96.clientWidth * k, 1) << "client width at 96 DPI: " << at96.clientWidth;
  EXPECT_NEAR(now.clientHeight, at96.clientHeight * k, 1) << "client height at 96 DPI: " << at96.clientHeight;
  EXPECT_NEAR(now.windowWidth, at96.windowWidth * k, 8) << "window width at 96 DPI: " << at96.windowWidth;
  EXPECT_NEAR(now.windowHeight, at96.windowHeight * k, 8) << "window height at 96 DPI: " << at96.windowHeight;
  EXPECT_NEAR(now.rateTextHeight, at96.rateTextHeight * k, 2) << "rate text at 96 DPI: " << at96.rateTextHeight;
  // Menu items follow the system's menu font at the scale; they grow at least as much.
  EXPECT_GE(now.menuHeight, at96.menuHeight * k * 0.9) << "menu height at 96 DPI: " << at96.menuHeight;
  EXPECT_GE(now.menuWidth, at96.menuWidth * k * 0.9) << "menu width at 96 DPI: " << at96.menuWidth;
}

TEST_F(DisplayScaling, TheManifestDeclaresPerMonitorAwareness) {
  HMODULE exe = LoadLibraryExW(g_programPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  HRSRC res = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(res, nullptr) << "no manifest";
  const char* data = static_cast<const char*>(LockResource(LoadResource(exe, res)));
  std::string manifest(data, SizeofResource(exe, res));
  FreeLibrary(exe);
  EXPECT_NE(manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                          "PerMonitorV2, PerMonitor</dpiAwareness>"),
            std::string::npos)
      << manifest;
  EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>"),
            std::string::npos)
      << manifest;
}

TEST_F(DisplayScaling, OptionsPagesShowEveryTextWhole) {
  HWND main = Main();
  ASSERT_NE(main, nullptr);
  PressKey(main, VK_F2);
  HWND sheet = WaitForShown(L"Vantrel Options");
  ASSERT_NE(sheet, nullptr) << "F2 opened no \"Vantrel Options\"";
  HWND tab = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
  int pages = tab ? static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0)) : 0;
  ASSERT_GE(pages, 5);
  for (int i = 0; i < pages; ++i) {
    HWND page = ShowPage(sheet, i);
    ASSERT_NE(page, nullptr) << "page " << i;
    std::string what = "Options page " + std::to_string(i + 1);
    ExpectTextsFit(what.c_str(), 4);
    if (g_dpi != 96) {
      wchar_t name[32];
      std::swprintf(name, 32, L"options-page%d", i + 1);
      SaveScreenshot(sheet, name);
    }
  }
  // The E-mail Settings dialog of the Notification page.
  HWND notifyPage = SheetPageWithControl(sheet, kEmailSettingsButton);
  ASSERT_NE(notifyPage, nullptr);
  ShowPage(sheet, 3);
  ClickButton(notifyPage, kEmailSettingsButton);
  HWND email = WaitForDialogWithControl(s_program->ProcessId(), kEmailServer, kEffectTimeoutMs);
  ASSERT_NE(email, nullptr) << "the E-mail Settings dialog did not open";
  ExpectTextsFit("E-mail Settings", 10);
  CloseDialog(email, IDCANCEL);
  CloseDialog(sheet, IDCANCEL);
}

TEST_F(DisplayScaling, TrafficReportsShowEveryTextWhole) {
  HWND main = Main();
  ASSERT_NE(main, nullptr);
  PressKey(main, VK_F3);
  HWND sheet = WaitForShown(L"Traffic Reports - [All Connections]");
  ASSERT_NE(sheet, nullptr) << "F3 opened no Traffic Reports window";
  const wchar_t* names[] = {L"reports-summary", L"reports-daily", L"reports-weekly", L"reports-monthly"};
  for (int i = 0; i < 4; ++i) {
    ASSERT_NE(ShowPage(sheet, i), nullptr) << "page " << i;
    std::string what = "Traffic Reports page " + std::to_string(i + 1);
    ExpectTextsFit(what.c_str(), 3);
    if (g_dpi != 96 && (i == 0 || i == 1)) SaveScreenshot(sheet, names[i]);
  }
  CloseDialog(sheet, IDCANCEL);
}

TEST_F(DisplayScaling, SmallWindowsShowEveryTextWhole) {
  HWND main = Main();
  ASSERT_NE(main, nullptr);
  struct Small {
    const char* what;
    UINT command;  // a menu command, or 0 for a key
    UINT key;
    int control;   // a control of the window
    int close;
  } windows[] = {{"About", kAbout, 0, kAboutVersion, IDOK},
                 {"Stopwatch", 0, VK_F4, kStopwatchElapsed, IDCANCEL},
                 {"Traffic Rates Recorder", 0, VK_F5, kRecordList, IDCANCEL}};
  for (const Small& w : windows) {
    if (w.command)
      PostCommand(main, w.command);
    else
      PressKey(main, w.key);
    HWND dialog = WaitForDialogWithControl(s_program->ProcessId(), w.control, kEffectTimeoutMs);
    ASSERT_NE(dialog, nullptr) << w.what << " did not open";
    ExpectTextsFit(w.what, 3);
    CloseDialog(dialog, w.close);
  }
}

TEST_F(DisplayScaling, TheNotificationDialogShowsEveryTextWhole) {
  // A rule the day's traffic has passed: the alert comes with the first tick of the next start.
  Exit();
  NotificationRule rule;
  rule.version = kNotificationRuleVersion;
  rule.kind = kKindAllConnections;
  rule.number = L"1";
  rule.unit = 1;       // KB
  rule.direction = 0;  // downloaded
  rule.period = 1;     // this month
  std::vector<uint8_t> blob = SerializeNotificationRule(rule);
  ASSERT_TRUE(WriteBinary(kOptionsKey, L"NotificationEx2U", blob));
  ASSERT_TRUE(WriteDword(kOptionsKey, L"NotificationEnabled", 1));
  ASSERT_NE(Main(), nullptr);
  HWND alert = WaitForShown(L"Notification - Vantrel");
  ASSERT_NE(alert, nullptr) << "no alert";
  ExpectTextsFit("the notification dialog", 5);
  if (g_dpi != 96) SaveScreenshot(alert, L"notification-dialog");
  CloseDialog(alert, kNotifyClose);
  Exit();
}

}  // namespace
}  // namespace vantrel::e2e

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  using namespace vantrel::e2e;
  if (argc < 6 || !ReadProgramArguments(argc, argv, &g_programPath, &g_artifactDir)) {
    std::fprintf(stderr, "usage: %s <OrlixVantrel.exe> <artifact folder> <work folder> <dpi> <measuring DLL>\n",
                 argv[0]);
    return 2;
  }
  auto widen = [](const char* s) { return std::wstring(s, s + std::strlen(s)); };
  g_workDir = WindowsPath(widen(argv[3]));
  g_dpi = std::atoi(argv[4]);
  g_probeDll = WindowsPath(widen(argv[5]));
  // Real pixels: the windows measured and captured here are the program's own, at the scale.
  SetProcessDPIAware();
  int result = RUN_ALL_TESTS();
  DeleteTree(kRootKey);
  return result;
}
