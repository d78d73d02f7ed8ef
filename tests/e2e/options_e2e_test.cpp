// End-to-end tests of the Options sheet under Wine: the real program is started, the sheet is
// opened with F2 and driven from outside through its pages' controls, and what the user sees
// (message boxes, focus, the graph) and what lands in the registry are checked. Each page has
// its section below; every wait is bounded and event-based.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include <cstring>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/e2e/driver_controls.h"

namespace vantrel::e2e {
namespace {

std::wstring g_programPath;
std::wstring g_artifactDir;

constexpr wchar_t kRootKey[] = L"Software\\Orlix Systems\\Vantrel";
constexpr wchar_t kOptionsKey[] = L"Software\\Orlix Systems\\Vantrel\\Options";
constexpr wchar_t kAdaptersKey[] = L"Software\\Orlix Systems\\Vantrel\\AdaptersEx";
constexpr wchar_t kSheetCaption[] = L"Vantrel Options";
constexpr DWORD kStartTimeoutMs = 30000;
// Generous for a loaded two-core machine; a passing test never waits the whole time.
constexpr DWORD kEffectTimeoutMs = 20000;

constexpr UINT kExit = 32795;
constexpr int kApplyButton = 0x3021;

// The pages in tab order.
constexpr int kGeneralPage = 0, kGraphTextPage = 1, kAdaptersPage = 2;

// General page
constexpr int kDisplayGraph = 1012, kDisplayText = 1014, kTransparency = 1036, kDateFormat = 1130;
constexpr wchar_t kGraphOrTextText[] = L"At least either graph or text should be displayed.";
// Graph & Text page
constexpr int kDownColor = 1002, kRateHeight = 1170;
// Adapters page
constexpr int kAdapterList = 1032, kAdapterName = 1087, kConnSpeed = 1037, kConnRate = 1040, kTrayIcon = 1114,
              kTrayAdapter = 1113;

// The colour buttons take a colour as the colour dialog's answer would give it.
constexpr UINT kColorButtonSetColor = WM_APP + 0x120;

uint32_t OptionDword(const wchar_t* name) {
  uint32_t v = 0xFFFFFFFF;
  ReadDword(kOptionsKey, name, &v);
  return v;
}

// The control that has the keyboard focus in the thread of a window of another process.
HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(window, nullptr);
  return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

class OptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (HWND w : TopLevelWindows(0, L"#32770", L"Vantrel")) PostMessageW(w, WM_CLOSE, 0, 0);
    WaitUntil([] { return TopLevelWindows(0, L"#32770", L"Vantrel").empty(); }, kEffectTimeoutMs);
    ASSERT_TRUE(DeleteTree(kRootKey));
    // Not a first start: the help file stays closed.
    ASSERT_TRUE(WriteDword(kOptionsKey, L"FirstRun", 0));
    logPath = g_artifactDir + L"\\TrafficHistory-options-e2e.log";
    DeleteFileW(logPath.c_str());
    ASSERT_TRUE(WriteString(kOptionsKey, L"TrafficLogFile", logPath));
    // Not topmost, so that screenshots of the sheet show the sheet.
    ASSERT_TRUE(WriteDword(kOptionsKey, L"AlwaysOnTop", 0));
    ASSERT_TRUE(WriteDword(kOptionsKey, L"SemiTransparent", 0));
  }

  void TearDown() override {
    if (!program.Running()) return;
    for (HWND w : TopLevelWindows(program.ProcessId(), L"#32770", nullptr))
      if (w != main) PostMessageW(w, WM_CLOSE, 0, 0);
    if (main) PostCommand(main, kExit);
    if (!program.WaitForExit(kEffectTimeoutMs)) program.Terminate();
  }

  // A real adapter the program has seen before (it is in the settings, not in the machine).
  void AddSeenAdapter(const std::wstring& id, const std::wstring& name) {
    std::wstring key = std::wstring(kAdaptersKey) + L"\\300-" + id;
    ASSERT_TRUE(WriteString(key, L"AdapterID", id));
    ASSERT_TRUE(WriteString(key, L"AdapterName", name));
  }

  HWND Start() {
    EXPECT_TRUE(program.Start(g_programPath)) << "cannot start the program";
    WaitUntil(
        [&] {
          main = StoredMainWindow(program.ProcessId());
          return main != nullptr;
        },
        kStartTimeoutMs);
    EXPECT_NE(main, nullptr) << "the main window did not come up";
    return main;
  }

  // F2 on the main window; the sheet once it is up with its first page.
  HWND OpenSheet() {
    PressKey(main, VK_F2);
    HWND sheet = WaitForWindow(program.ProcessId(), L"#32770", kSheetCaption, kEffectTimeoutMs);
    if (sheet) WaitUntil([&] { return SheetCurrentPage(sheet) != nullptr; }, kEffectTimeoutMs);
    return sheet;
  }

  // Brings a page to the front; its window once it is the one in front.
  HWND ShowPage(HWND sheet, int index) {
    SheetSelectPage(sheet, index);
    HWND page = nullptr;
    WaitUntil(
        [&] {
          page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_INDEXTOHWND, static_cast<WPARAM>(index), 0));
          return page && SheetCurrentPage(sheet) == page && IsWindowVisible(page);
        },
        kEffectTimeoutMs);
    return page;
  }

  // Presses OK and waits for the sheet to close.
  bool PressOk(HWND sheet) {
    ClickButton(sheet, IDOK);
    return WaitUntil([&] { return !IsWindow(sheet); }, kEffectTimeoutMs);
  }

  // Answers the next message box titled "Vantrel" and returns its text.
  std::wstring Answer(int button) {
    HWND box = WaitForMessageBox(program.ProcessId(), L"Vantrel", kEffectTimeoutMs);
    if (!box) return L"<no message box>";
    std::wstring text = MessageBoxText(box);
    AnswerMessageBox(box, button);
    WaitUntil([&] { return !IsWindow(box); }, kEffectTimeoutMs);
    return text;
  }

  void Screenshot(HWND window, const wchar_t* name) {
    e2e::Screenshot shot;
    // The page paints after it is brought to the front: give it the moment a person would.
    Sleep(300);
    if (CaptureWindow(window, &shot)) shot.SaveBmp(g_artifactDir + L"\\" + name);
  }

  Program program;
  HWND main = nullptr;
  std::wstring logPath;
};

// ---- The sheet ----

TEST_F(OptionsTest, F2OpensTheSheetOnItsOwnTaskbarButtonAndItReopensOnTheLastPage) {
  ASSERT_NE(Start(), nullptr);
  HWND sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr) << "F2 opened no \"Vantrel Options\"";
  EXPECT_TRUE(ExStyle(sheet) & WS_EX_APPWINDOW);
  EXPECT_EQ(ControlText(sheet, IDOK), L"OK");
  EXPECT_EQ(ControlText(sheet, IDCANCEL), L"Cancel");
  EXPECT_EQ(ControlText(sheet, kApplyButton), L"&Apply");
  EXPECT_EQ(ControlText(sheet, IDHELP), L"Help");
  EXPECT_FALSE(ControlEnabled(sheet, kApplyButton)) << "Apply lit before any change";

  // The first pages in tab order, each shown for a person to look at.
  HWND general = SheetCurrentPage(sheet);
  ASSERT_NE(Control(general, kDisplayGraph), nullptr) << "the sheet does not open on General";
  EXPECT_EQ(ComboItems(general, kDateFormat).size(), 7u);
  // The stored 10 percent reads as 90 percent visible.
  EXPECT_EQ(ComboSelection(general, kTransparency), 0);
  Screenshot(sheet, L"options-general.bmp");
  HWND graph = ShowPage(sheet, kGraphTextPage);
  ASSERT_NE(graph, nullptr);
  EXPECT_NE(Control(graph, kRateHeight), nullptr);
  Screenshot(sheet, L"options-graph-text.bmp");
  HWND adapters = ShowPage(sheet, kAdaptersPage);
  ASSERT_NE(adapters, nullptr);
  EXPECT_NE(Control(adapters, kAdapterList), nullptr);
  Screenshot(sheet, L"options-adapters.bmp");

  ClickButton(sheet, IDCANCEL);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }, kEffectTimeoutMs));
  sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_NE(Control(SheetCurrentPage(sheet), kAdapterList), nullptr) << "not reopened on the last page";
}

// ---- General page ----

TEST_F(OptionsTest, NeitherGraphNorTextKeepsTheSheetOpenOnGeneralWithTheGraphBoxFocused) {
  ASSERT_NE(Start(), nullptr);
  HWND sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  HWND general = SheetCurrentPage(sheet);
  ASSERT_TRUE(SetCheck(general, kDisplayGraph, false));
  ASSERT_TRUE(SetCheck(general, kDisplayText, false));
  ASSERT_TRUE(WaitUntil([&] { return ControlEnabled(sheet, kApplyButton); }, kEffectTimeoutMs));
  // OK pressed from another page: the General page comes back to the front to say why.
  ASSERT_NE(ShowPage(sheet, kGraphTextPage), nullptr);
  ClickButton(sheet, IDOK);
  EXPECT_EQ(Answer(IDOK), kGraphOrTextText);
  EXPECT_TRUE(IsWindow(sheet)) << "the sheet closed on a refused page";
  EXPECT_EQ(SheetCurrentPage(sheet), general);
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(sheet) == Control(general, kDisplayGraph); }, kEffectTimeoutMs))
      << "the graph box does not have the focus";
  EXPECT_EQ(OptionDword(L"DisplayGraph"), 0xFFFFFFFFu) << "a refused page was saved";
}

// ---- Graph & Text page ----

TEST_F(OptionsTest, AColourChosenForDownloadsIsSavedAndDrawnInTheGraph) {
  ASSERT_NE(Start(), nullptr);
  HWND sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  HWND graph = ShowPage(sheet, kGraphTextPage);
  ASSERT_NE(graph, nullptr);
  // A colour no other part of the window uses, red, green and blue all different.
  const COLORREF chosen = RGB(200, 30, 160);
  ASSERT_TRUE(SendMessageW(Control(graph, kDownColor), kColorButtonSetColor, 0, chosen));
  ASSERT_TRUE(WaitUntil([&] { return ControlEnabled(sheet, kApplyButton); }, kEffectTimeoutMs));
  Screenshot(sheet, L"options-graph-text-changed.bmp");
  ASSERT_TRUE(PressOk(sheet));
  EXPECT_EQ(OptionDword(L"DownColor"), static_cast<uint32_t>(chosen));

  // The download rate is written in the graph's download colour.
  e2e::Screenshot shot;
  bool drawn = WaitUntil(
      [&] { return CaptureWindow(main, &shot) && shot.ShareOf(0xC81EA0, 24) > 0.0; }, kEffectTimeoutMs);
  shot.SaveBmp(g_artifactDir + L"\\options-graph-in-new-colour.bmp");
  EXPECT_TRUE(drawn) << "no pixel of the chosen colour in the graph";
}

// ---- Adapters page ----

TEST_F(OptionsTest, ARenamedAdapterWithASpecifiedSpeedIsSavedAndShownAgain) {
  const std::wstring id = L"{E2E-OPTIONS-OFFICE-LAN}";
  AddSeenAdapter(id, L"Office LAN");
  const std::wstring wanId = L"{E2E-OPTIONS-HOME-WAN}";
  const std::wstring wanKey = std::wstring(kAdaptersKey) + L"\\300-" + wanId;
  AddSeenAdapter(wanId, L"Home WAN");
  ASSERT_TRUE(WriteDword(wanKey, L"ConnRatebps", 100000000));
  ASSERT_NE(Start(), nullptr);
  HWND sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  HWND page = ShowPage(sheet, kAdaptersPage);
  ASSERT_NE(page, nullptr);
  HWND list = Control(page, kAdapterList);
  auto rowNamed = [&](const std::wstring& name) {
    std::vector<std::vector<std::wstring>> rows = ListViewRows(list);
    for (size_t i = 0; i < rows.size(); ++i)
      if (rows[i].size() > 1 && rows[i][1] == name) return static_cast<int>(i);
    return -1;
  };
  int row = rowNamed(L"Office LAN");
  ASSERT_GE(row, 0) << "the adapter is not listed";
  EXPECT_FALSE(ControlEnabled(page, kAdapterName)) << "the name edit is open with no row selected";

  ASSERT_TRUE(ListViewSelectRow(list, row));
  ASSERT_TRUE(WaitUntil([&] { return ControlText(page, kAdapterName) == L"Office LAN"; }, kEffectTimeoutMs));
  EXPECT_FALSE(ControlEnabled(sheet, kApplyButton)) << "showing the row counted as a change";
  ASSERT_TRUE(SetControlText(page, kAdapterName, L"Lab Link"));
  EXPECT_TRUE(WaitUntil([&] { return rowNamed(L"Lab Link") == row; }, kEffectTimeoutMs));
  std::vector<std::wstring> trayItems = ComboItems(page, kTrayAdapter);
  EXPECT_NE(std::find(trayItems.begin(), trayItems.end(), L"Lab Link"), trayItems.end());
  ASSERT_TRUE(SelectComboText(page, kConnSpeed, L"Specify Speed"));
  ASSERT_TRUE(WaitUntil([&] { return ControlEnabled(page, kConnRate); }, kEffectTimeoutMs));
  ASSERT_TRUE(SetControlText(page, kConnRate, L"1500000"));
  // Without the tray icon the tray adapter list closes.
  ASSERT_TRUE(SetCheck(page, kTrayIcon, false));
  EXPECT_TRUE(WaitUntil([&] { return !ControlEnabled(page, kTrayAdapter); }, kEffectTimeoutMs));
  Screenshot(sheet, L"options-adapters-changed.bmp");
  ASSERT_TRUE(PressOk(sheet));

  std::wstring key = std::wstring(kAdaptersKey) + L"\\300-" + id, name;
  uint32_t rate = 0, tray = 1;
  EXPECT_TRUE(WaitUntil([&] { return ReadString(key, L"AdapterName", &name) && name == L"Lab Link"; },
                        kEffectTimeoutMs))
      << "AdapterName is \"" << std::string(name.begin(), name.end()) << "\"";
  EXPECT_TRUE(ReadDword(key, L"ConnRatebps", &rate));
  EXPECT_EQ(rate, 1500000u);
  EXPECT_TRUE(ReadDword(kOptionsKey, L"DispIconSystray", &tray));
  EXPECT_EQ(tray, 0u);

  // Reopened on the Adapters page, the adapter shows its own speed.
  sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  page = SheetCurrentPage(sheet);
  ASSERT_NE(Control(page, kAdapterList), nullptr) << "not reopened on the last page";
  list = Control(page, kAdapterList);
  row = rowNamed(L"Lab Link");
  ASSERT_GE(row, 0);
  ASSERT_TRUE(ListViewSelectRow(list, row));
  EXPECT_TRUE(WaitUntil([&] { return ControlText(page, kConnRate) == L"1500000"; }, kEffectTimeoutMs));
  auto speedShown = [&] { return ComboItems(page, kConnSpeed).at(static_cast<size_t>(ComboSelection(page, kConnSpeed))); };
  EXPECT_EQ(speedShown(), L"Specify Speed");

  // "Specify Speed" chosen for an adapter of a listed speed shows 0, and OK stores that 0.
  row = rowNamed(L"Home WAN");
  ASSERT_GE(row, 0);
  ASSERT_TRUE(ListViewSelectRow(list, row));
  ASSERT_TRUE(WaitUntil([&] { return ControlText(page, kAdapterName) == L"Home WAN"; }, kEffectTimeoutMs));
  EXPECT_EQ(speedShown(), L"100 mbps (LAN)");
  ASSERT_TRUE(SelectComboText(page, kConnSpeed, L"Specify Speed"));
  ASSERT_TRUE(WaitUntil([&] { return ControlEnabled(page, kConnRate); }, kEffectTimeoutMs));
  EXPECT_EQ(ControlText(page, kConnRate), L"0");
  ASSERT_TRUE(PressOk(sheet));
  EXPECT_TRUE(WaitUntil([&] { return ReadDword(wanKey, L"ConnRatebps", &rate) && rate == 0; }, kEffectTimeoutMs))
      << "ConnRatebps is " << rate;
}

}  // namespace
}  // namespace vantrel::e2e

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!vantrel::e2e::ReadProgramArguments(argc, argv, &vantrel::e2e::g_programPath, &vantrel::e2e::g_artifactDir))
    return 2;
  int result = RUN_ALL_TESTS();
  // Leave the prefix as a first start finds it.
  vantrel::e2e::DeleteTree(vantrel::e2e::kRootKey);
  return result;
}
