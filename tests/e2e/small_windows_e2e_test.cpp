// End-to-end tests of the stopwatch, the help window, About and the TCP connections command
// under Wine: the real program is started, driven from outside and checked through what its
// windows show, the help viewer's window and the registry. The traffic case runs with a host
// adapter of the test's own (tests/e2e/with_veth.sh) and compares the stopwatch with the rates
// recorder's file, which gets exactly the seconds the adapter's graph gets. Every wait is
// bounded and waits for an event.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/logic/links.h"
#include "engine/adapter_entry.h"
#include "engine/formatters.h"
#include "platform/text.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/driver_controls.h"
#include "tests/e2e/host_adapter.h"

namespace vantrel::e2e {
namespace {

std::wstring g_programPath;
std::wstring g_artifactDir;

constexpr wchar_t kRootKey[] = L"Software\\Orlix Systems\\Vantrel";
constexpr wchar_t kOptionsKey[] = L"Software\\Orlix Systems\\Vantrel\\Options";
constexpr wchar_t kAdaptersKey[] = L"Software\\Orlix Systems\\Vantrel\\AdaptersEx";
constexpr DWORD kStartTimeoutMs = 30000;
// Generous for a loaded two-core machine; a passing test never waits the whole time.
constexpr DWORD kEffectTimeoutMs = 20000;
// The help viewer is a program of its own that Wine starts first.
constexpr DWORD kHelpTimeoutMs = 45000;

constexpr UINT kExit = 32795, kStopwatch = 32786, kAbout = 57664, kTcpConnections = 32803;
constexpr int kSwAdapter = 1043, kSwElapsed = 1077, kSwStartStop = 1078, kSwClose = 1086, kSwResetGraph = 1174,
              kSwTotalDownBytes = 1074, kSwTotalUpBytes = 1075, kSwTotalDownBits = 1076, kSwTotalUpBits = 1085,
              kSwMinDown = 1081;
constexpr int kAboutVersion = 1201, kAboutHomeLink = 1151, kAboutSupportLink = 1011;

std::wstring ProgramFolder() { return g_programPath.substr(0, g_programPath.rfind(L'\\') + 1); }

void Save(HWND hwnd, const wchar_t* name) {
  Screenshot shot;
  if (CaptureWindow(hwnd, &shot)) shot.SaveBmp(g_artifactDir + L"\\" + name);
}

std::vector<HWND> HelpWindows() {
  std::vector<HWND> shown;
  for (HWND w : TopLevelWindows(0, nullptr, kHelpWindowTitle))
    if (IsWindowVisible(w) || IsIconic(w)) shown.push_back(w);
  return shown;
}

void CloseHelpWindows() {
  for (HWND w : TopLevelWindows(0, nullptr, kHelpWindowTitle)) PostMessageW(w, WM_CLOSE, 0, 0);
  WaitUntil([] { return TopLevelWindows(0, nullptr, kHelpWindowTitle).empty(); }, kEffectTimeoutMs);
}

class SmallWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (HWND w : TopLevelWindows(0, L"#32770", L"Vantrel")) PostMessageW(w, WM_CLOSE, 0, 0);
    WaitUntil([] { return TopLevelWindows(0, L"#32770", L"Vantrel").empty(); }, kEffectTimeoutMs);
    CloseHelpWindows();
    ASSERT_TRUE(DeleteTree(kRootKey));
    logPath = g_artifactDir + L"\\TrafficHistory-small-windows.log";
    DeleteFileW(logPath.c_str());
    ASSERT_TRUE(WriteString(kOptionsKey, L"TrafficLogFile", logPath));
    ASSERT_TRUE(WriteDword(kOptionsKey, L"DisplayUnitByte", 1));
  }
  void TearDown() override {
    if (program.Running()) {
      HWND main = MainWindow();
      if (main) PostCommand(main, kExit);
      if (!program.WaitForExit(kEffectTimeoutMs)) program.Terminate();
    }
    CloseHelpWindows();
  }

  HWND MainWindow() { return MainWindowOf(program); }
  HWND MainWindowOf(Program& p) { return StoredMainWindow(p.ProcessId(), false); }

  HWND Start() { return Start(program); }
  HWND Start(Program& p) {
    EXPECT_TRUE(p.Start(g_programPath)) << "cannot start the program";
    HWND main = nullptr;
    bool up = WaitUntil(
        [&] {
          main = MainWindowOf(p);
          return main && IsWindowVisible(main);
        },
        kStartTimeoutMs);
    EXPECT_TRUE(up) << "the main window did not come up";
    return main;
  }

  void Exit(HWND main) { Exit(program, main); }
  void Exit(Program& p, HWND main) {
    PostCommand(main, kExit);
    EXPECT_TRUE(p.WaitForExit(kEffectTimeoutMs));
  }

  HWND OpenStopwatch(HWND main) {
    PressKey(main, VK_F4);
    HWND sw = WaitForDialogWithControl(program.ProcessId(), kSwStartStop, kEffectTimeoutMs);
    EXPECT_NE(sw, nullptr) << "F4 opened no stopwatch";
    return sw;
  }

  Program program;
  std::wstring logPath;
};

TEST_F(SmallWindowsTest, FirstStartOpensTheHelpAndF1BringsItForwardInsteadOfAnother) {
  // A first start: no FirstRun value yet.
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitUntil([] { return HelpWindows().size() == 1; }, kHelpTimeoutMs))
      << "the first start opened no \"Vantrel Help\" window";
  uint32_t firstRun = 1;
  EXPECT_TRUE(ReadDword(kOptionsKey, L"FirstRun", &firstRun));
  EXPECT_EQ(firstRun, 0u);
  HWND help = HelpWindows()[0];
  Save(help, L"small-windows-help.bmp");

  // F1 while the help is open: the same window comes back, no second one.
  ShowWindow(help, SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(help) != FALSE; }, kEffectTimeoutMs));
  PressKey(main, VK_F1);
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(help); }, kEffectTimeoutMs)) << "F1 did not restore the help window";
  EXPECT_EQ(HelpWindows().size(), 1u);

  // The program closes the help window on its way out.
  Exit(main);
  EXPECT_TRUE(WaitUntil([] { return HelpWindows().empty(); }, kEffectTimeoutMs));

  // A second start leaves the help closed; F1 opens it from the file beside the program.
  Program again;
  main = Start(again);
  ASSERT_NE(main, nullptr);
  PostCommand(main, kAbout);
  HWND about = WaitForDialogWithControl(again.ProcessId(), kAboutVersion, kEffectTimeoutMs);
  ASSERT_NE(about, nullptr) << "About did not open";
  EXPECT_EQ(WindowText(about), L"关于 Vantrel");
  EXPECT_EQ(ControlText(about, kAboutVersion), L"Vantrel v3.6 build 437");
  EXPECT_EQ(ControlText(about, kAboutHomeLink), L"浏览主页");
  EXPECT_EQ(ControlText(about, kAboutSupportLink), L"反馈与支持");
  Save(about, L"small-windows-about.bmp");
  ClickButton(about, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, kEffectTimeoutMs));
  EXPECT_TRUE(HelpWindows().empty()) << "the second start opened the help again";
  EXPECT_TRUE(ReadDword(kOptionsKey, L"FirstRun", &firstRun));
  EXPECT_EQ(firstRun, 0u);

  ASSERT_EQ(GetFileAttributesW((ProgramFolder() + kHelpFileName).c_str()) == INVALID_FILE_ATTRIBUTES, false)
      << "no help file beside the program";
  PressKey(main, VK_F1);
  ASSERT_TRUE(WaitUntil([] { return HelpWindows().size() == 1; }, kHelpTimeoutMs)) << "F1 opened no help window";
  help = HelpWindows()[0];
  ShowWindow(help, SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(help) != FALSE; }, kEffectTimeoutMs));
  PressKey(main, VK_F1);
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(help); }, kEffectTimeoutMs));
  EXPECT_EQ(HelpWindows().size(), 1u);
  Exit(again, main);
}

TEST_F(SmallWindowsTest, TcpConnectionsWithoutTheViewerAsksItsQuestion) {
  ASSERT_EQ(GetFileAttributesW((ProgramFolder() + kTcpViewFileName).c_str()), INVALID_FILE_ATTRIBUTES)
      << "a Tcpview.exe beside the program would be started instead";
  ASSERT_TRUE(WriteDword(kOptionsKey, L"FirstRun", 0));
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  PressKey(main, VK_F6);
  HWND box = WaitForMessageBox(program.ProcessId(), L"Vantrel", kEffectTimeoutMs);
  ASSERT_NE(box, nullptr) << "no question";
  EXPECT_EQ(MessageBoxText(box), TcpViewQuestion(ProgramFolder()));
  EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
  EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
  AnswerMessageBox(box, IDNO);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kEffectTimeoutMs));
  Exit(main);
}

TEST_F(SmallWindowsTest, StopwatchRunsAndStopsAndKeepsItsOptions) {
  ASSERT_TRUE(WriteDword(kOptionsKey, L"FirstRun", 0));
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  HWND sw = OpenStopwatch(main);
  ASSERT_NE(sw, nullptr);
  EXPECT_EQ(WindowText(sw), L"停止监视");
  EXPECT_EQ(ControlText(sw, kSwElapsed), L"00 : 00 : 00");
  EXPECT_EQ(ComboSelection(sw, kSwAdapter), 0);
  EXPECT_EQ(ComboItems(sw, kSwAdapter).at(0), L"All Connections");
  EXPECT_EQ(ControlText(sw, kSwMinDown), FormatRate(0, true));
  ASSERT_TRUE(SetCheck(sw, kSwResetGraph, true));
  ClickButton(sw, kSwStartStop);
  ASSERT_TRUE(WaitUntil([&] { return ControlText(sw, kSwStartStop) == L"&Stop"; }, kEffectTimeoutMs));
  EXPECT_FALSE(ControlEnabled(sw, kSwAdapter));
  ASSERT_TRUE(WaitUntil([&] { return ControlText(sw, kSwElapsed) == L"00 : 00 : 02"; }, kEffectTimeoutMs));
  ClickButton(sw, kSwStartStop);
  ASSERT_TRUE(WaitUntil([&] { return ControlText(sw, kSwStartStop) == L"&Start"; }, kEffectTimeoutMs));
  EXPECT_TRUE(ControlEnabled(sw, kSwAdapter));
  std::wstring stoppedAt = ControlText(sw, kSwElapsed);
  EXPECT_NE(stoppedAt, L"00 : 00 : 00");
  ClickButton(sw, kSwClose);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(sw); }, kEffectTimeoutMs));
  // The option goes to the registry with the window group at shutdown.
  Exit(main);
  uint32_t reset = 0;
  EXPECT_TRUE(ReadDword(kOptionsKey, L"StopwatchResetAdapterGraph", &reset));
  EXPECT_EQ(reset, 1u);
}

// Sums the per-second lines of a numbers-only CSV rate file from byte `from` on.
bool SumRateLines(const std::wstring& path, size_t from, uint64_t* down, uint64_t* up) {
  std::vector<uint8_t> b = ReadFileBytes(path);
  if (b.size() < from) return false;
  std::string text(b.begin() + static_cast<std::ptrdiff_t>(from), b.end());
  *down = *up = 0;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) break;  // a line still being written
    std::string line = text.substr(at, end - at);
    at = end + 2;
    char date[32], time[16];
    unsigned long long d = 0, u = 0, both = 0;
    if (std::sscanf(line.c_str(), "%31[^,],%15[^,],%llu,%llu,%llu", date, time, &d, &u, &both) == 5 && both == d + u) {
      *down += d;
      *up += u;
    }
  }
  return true;
}

size_t CompleteLength(const std::wstring& path) {
  std::vector<uint8_t> b = ReadFileBytes(path);
  std::string text(b.begin(), b.end());
  size_t end = text.rfind("\r\n");
  return end == std::string::npos ? 0 : end + 2;
}

// Sends datagrams from the near end to the far end of the veth pair: upload bytes, and the
// peer's "port unreachable" answers as download bytes.
int SendBurst(const char* nearIp, const char* peerIp, int datagrams) {
  SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) return 0;
  sockaddr_in from{};
  from.sin_family = AF_INET;
  from.sin_addr.s_addr = inet_addr(nearIp);
  bind(s, reinterpret_cast<sockaddr*>(&from), sizeof from);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(9);
  to.sin_addr.s_addr = inet_addr(peerIp);
  char payload[1200] = {};
  int sent = 0;
  for (int i = 0; i < datagrams; ++i)
    if (sendto(s, payload, sizeof payload, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) == sizeof payload) ++sent;
  closesocket(s);
  return sent;
}

// Share of the graph's upload and both-directions colours in the main window.
double TrafficColourShare(HWND main) {
  Screenshot shot;
  if (!CaptureWindow(main, &shot)) return -1;
  return shot.ShareOf(0x00CC00, 12) + shot.ShareOf(0xFFFF00, 12);
}

TEST_F(SmallWindowsTest, StopwatchMeasuresTrafficThroughAHostAdapter) {
  const char* nearIp = std::getenv("VANTREL_E2E_NEAR");
  const char* peerIp = std::getenv("VANTREL_E2E_PEER");
  if (!nearIp || !peerIp) GTEST_SKIP() << "run through tests/e2e/with_veth.sh";
  std::string id = AdapterIdWithAddress(nearIp, kEffectTimeoutMs);
  ASSERT_FALSE(id.empty()) << "no adapter with address " << nearIp;

  // The veth adapter, known from an earlier run: the only graph, recorded every second.
  const std::wstring wid(id.begin(), id.end());
  const std::wstring key = std::wstring(kAdaptersKey) + L"\\300-" + wid;
  const std::wstring rates = g_artifactDir + L"\\small-windows-rates.csv";
  DeleteFileW(rates.c_str());
  ASSERT_TRUE(WriteString(key, L"AdapterID", wid));
  ASSERT_TRUE(WriteString(key, L"AdapterName", L"E2E veth"));
  ASSERT_TRUE(WriteDword(key, L"Monitored", 1));
  ASSERT_TRUE(WriteDword(key, L"RecordTrafficRates", 1));
  ASSERT_TRUE(WriteDword(key, L"RecordNumberOnly", 1));
  ASSERT_TRUE(WriteDword(key, L"RecordInterval", 1));
  ASSERT_TRUE(WriteString(key, L"RecordFile", rates));
  ASSERT_TRUE(WriteDword(kOptionsKey, L"FirstRun", 0));
  ASSERT_TRUE(WriteDword(kOptionsKey, L"StopwatchResetAdapterGraph", 1));

  WSADATA wsa;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 0), &wsa), 0);
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  // Traffic before Start draws the graph.
  ASSERT_TRUE(WaitUntil([&] { return CompleteLength(rates) > 0; }, kEffectTimeoutMs)) << "the adapter is not recorded";
  ASSERT_GT(SendBurst(nearIp, peerIp, 300), 150);
  ASSERT_TRUE(WaitUntil([&] { return TrafficColourShare(main) > 0.002; }, kEffectTimeoutMs))
      << "the graph shows no traffic";
  Save(main, L"small-windows-graph-before-start.bmp");

  HWND sw = OpenStopwatch(main);
  ASSERT_NE(sw, nullptr);
  ASSERT_TRUE(SelectComboText(sw, kSwAdapter, L"E2E veth"));
  EXPECT_TRUE(IsChecked(sw, kSwResetGraph));
  ClickButton(sw, kSwStartStop);
  ASSERT_TRUE(WaitUntil([&] { return ControlText(sw, kSwStartStop) == L"&Stop"; }, kEffectTimeoutMs));
  // The reset option emptied the adapter's graph.
  EXPECT_TRUE(WaitUntil([&] { return TrafficColourShare(main) < 0.0005; }, kEffectTimeoutMs))
      << "the main window's graph was not reset";
  Save(main, L"small-windows-graph-after-start.bmp");
  // Seconds recorded from here on are the stopwatch's (the quiet ones before are zero).
  size_t mark = CompleteLength(rates);

  ASSERT_GT(SendBurst(nearIp, peerIp, 400), 200);
  uint64_t down = 0, up = 0;
  bool equal = WaitUntil(
      [&] {
        if (!SumRateLines(rates, mark, &down, &up) || up == 0) return false;
        return ControlText(sw, kSwTotalUpBytes) == FormatByteCount(static_cast<int64_t>(up), true) &&
               ControlText(sw, kSwTotalDownBytes) == FormatByteCount(static_cast<int64_t>(down), true);
      },
      kEffectTimeoutMs);
  EXPECT_TRUE(equal) << "stopwatch " << WideToAnsi(ControlText(sw, kSwTotalDownBytes)) << " / "
                     << WideToAnsi(ControlText(sw, kSwTotalUpBytes)) << ", recorded " << down << " / " << up;
  EXPECT_GT(up, 400u * 1200u / 2);
  EXPECT_GT(down, 0u);
  ClickButton(sw, kSwStartStop);
  ASSERT_TRUE(WaitUntil([&] { return ControlText(sw, kSwStartStop) == L"&Start"; }, kEffectTimeoutMs));
  EXPECT_EQ(ControlText(sw, kSwTotalUpBits), FormatByteCount(static_cast<int64_t>(up), false));
  EXPECT_EQ(ControlText(sw, kSwTotalDownBits), FormatByteCount(static_cast<int64_t>(down), false));
  Save(sw, L"small-windows-stopwatch.bmp");
  ClickButton(sw, kSwClose);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(sw); }, kEffectTimeoutMs));
  Exit(main);
  WSACleanup();
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
