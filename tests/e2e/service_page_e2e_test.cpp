// End-to-end test of the Service page under Wine with the real service control manager: the
// program is started over a log that already holds today's traffic, the Options sheet's
// Service page is driven from outside, and the service's state, the traffic log's owner, the
// registry and the service's report file are checked. Every wait is bounded and event-based.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/service_control.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/driver_controls.h"
#include "trafficlog/log_format.h"

namespace vantrel::e2e {
namespace {

std::wstring g_programPath;
std::wstring g_artifactDir;

constexpr wchar_t kRootKey[] = L"Software\\Orlix Systems\\Vantrel";
constexpr wchar_t kOptionsKey[] = L"Software\\Orlix Systems\\Vantrel\\Options";
constexpr wchar_t kServiceKey[] = L"Software\\Orlix Systems\\Vantrel\\Service";
constexpr wchar_t kReportsKey[] = L"Software\\Orlix Systems\\Vantrel\\Service\\Reports";
constexpr wchar_t kSheetCaption[] = L"Vantrel Options";
constexpr wchar_t kService[] = L"VantrelService";
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kEffectTimeoutMs = 20000;
// An apply that installs, starts, stops or removes the service blocks the program meanwhile.
constexpr DWORD kScmTimeoutMs = 90000;
constexpr UINT kExit = 32795;
constexpr int kServicePageIndex = 4;  // General, Graph & Text, Adapters, Notification, Service
constexpr int kApplyButton = 0x3021;
constexpr int kEnable = 1152, kConsole = 1187, kJobs = 1183, kAdd = 1184, kRemove = 1186;
constexpr int kJobType = 1178, kJobAdapter = 1043, kJobInterval = 1179, kJobFile = 1181;
// Today's traffic before the program starts: none of it may be lost across the hand-overs.
constexpr uint64_t kSeedDown = 5000000000ull, kSeedUp = 7000000ull;

// Today's All Connections total in the log (down + up), 0 when there is no record.
uint64_t TodayAllConnections(const std::wstring& path) {
  std::vector<uint8_t> b = ReadFileBytes(path);
  SYSTEMTIME now;
  GetLocalTime(&now);
  uint64_t total = 0;
  for (size_t at = kLogHeaderSize; at + kLogRecordSize <= b.size(); at += kLogRecordSize) {
    TrafficLogRecord r;
    ParseLogRecord(b.data() + at, &r);
    if (r.year == now.wYear && r.month == now.wMonth && r.day == now.wDay && r.kind == 100) total = r.down + r.up;
  }
  return total;
}

bool WriteSeededLog(const std::wstring& path) {
  std::vector<uint8_t> bytes(kLogHeaderSize + kLogRecordSize, 0);
  WriteLogHeader(bytes.data());
  SYSTEMTIME now;
  GetLocalTime(&now);
  TrafficLogRecord r;
  r.year = now.wYear;
  r.month = now.wMonth;
  r.day = now.wDay;
  r.dayOfWeek = static_cast<uint16_t>(DayOfWeek(now.wYear, now.wMonth, now.wDay));
  r.kind = 100;
  r.SetId("");
  r.down = kSeedDown;
  r.up = kSeedUp;
  SerializeLogRecord(r, bytes.data() + kLogHeaderSize);
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  return CloseHandle(f) && ok;
}

// Whether a second program could own the log (open it for writing, sharing reading only).
bool SecondOwnerAllowed(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  CloseHandle(f);
  return true;
}

DWORD StartType() {
  DWORD type = 0;
  SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!scm) return 0;
  if (SC_HANDLE svc = OpenServiceW(scm, kService, SERVICE_QUERY_CONFIG)) {
    std::vector<uint8_t> buf(8192);
    DWORD need = 0;
    if (QueryServiceConfigW(svc, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buf.data()), static_cast<DWORD>(buf.size()),
                            &need))
      type = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buf.data())->dwStartType;
    CloseServiceHandle(svc);
  }
  CloseServiceHandle(scm);
  return type;
}

std::wstring ServiceExe() {
  std::wstring p = g_programPath;
  return p.substr(0, p.find_last_of(L'\\') + 1) + L"VantrelService.exe";
}

class ServicePageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (HWND w : TopLevelWindows(0, L"#32770", L"Vantrel")) PostMessageW(w, WM_CLOSE, 0, 0);
    WaitUntil([] { return TopLevelWindows(0, L"#32770", L"Vantrel").empty(); }, kEffectTimeoutMs);
    scm.RemoveService(kService);  // a leftover of an earlier run
    ASSERT_TRUE(DeleteTree(kRootKey));
    registry.DeleteTree(SettingsRoot::LocalMachine, kRootKey);
    // Not a first start: the help file stays closed.
    ASSERT_TRUE(WriteDword(kOptionsKey, L"FirstRun", 0));
    logPath = g_artifactDir + L"\\TrafficHistory-service-page-e2e.log";
    reportPath = g_artifactDir + L"\\service-page-daily.csv";
    DeleteFileW(reportPath.c_str());
    ASSERT_TRUE(WriteSeededLog(logPath));
    ASSERT_TRUE(WriteString(kOptionsKey, L"TrafficLogFile", logPath));
    ASSERT_TRUE(WriteDword(kOptionsKey, L"AlwaysOnTop", 0));
    ASSERT_TRUE(WriteDword(kOptionsKey, L"SemiTransparent", 0));
    // A stored first ServiceOptions value of 0 must come back as 1.
    uint8_t zero[12] = {};
    registry.WriteValue(SettingsRoot::CurrentUser, kServiceKey, L"ServiceOptions", BinaryValue(zero, sizeof zero));
  }

  void TearDown() override {
    if (program.Running()) {
      for (HWND w : TopLevelWindows(program.ProcessId(), L"#32770", nullptr))
        if (w != main) PostMessageW(w, WM_CLOSE, 0, 0);
      if (main) PostCommand(main, kExit);
      if (!program.WaitForExit(kEffectTimeoutMs)) program.Terminate();
    }
    scm.RemoveService(kService);
    WaitUntil([&] { return scm.QueryServiceState(kService) == kServiceNoAnswer; }, kEffectTimeoutMs);
    DeleteTree(kRootKey);
    registry.DeleteTree(SettingsRoot::LocalMachine, kRootKey);
  }

  HWND Start() {
    EXPECT_TRUE(program.Start(g_programPath)) << "cannot start the program";
    WaitUntil(
        [&] {
          uint32_t value = 0;
          if (!ReadDword(kOptionsKey, L"HWND", &value) || value == 0) return false;
          HWND h = reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
          DWORD pid = 0;
          GetWindowThreadProcessId(h, &pid);
          if (!IsWindow(h) || pid != program.ProcessId() || !IsWindowVisible(h)) return false;
          main = h;
          return true;
        },
        kStartTimeoutMs);
    return main;
  }

  // F2, then the fifth tab (the Service page); the page window.
  HWND OpenServicePage() {
    PressKey(main, VK_F2);
    sheet = WaitForWindow(program.ProcessId(), L"#32770", kSheetCaption, kEffectTimeoutMs);
    if (!sheet) return nullptr;
    SheetSelectPage(sheet, kServicePageIndex);
    HWND page = nullptr;
    WaitUntil([&] { return (page = SheetPageWithControl(sheet, kConsole)) != nullptr && IsWindowVisible(page); },
              kEffectTimeoutMs);
    return page;
  }

  // Presses Apply and waits until the page has handed its values over (Apply greys again).
  bool Apply() {
    if (!WaitUntil([&] { return ControlEnabled(sheet, kApplyButton); }, kEffectTimeoutMs)) return false;
    ClickButton(sheet, kApplyButton);
    return WaitUntil([&] { return !ControlEnabled(sheet, kApplyButton); }, kScmTimeoutMs);
  }

  bool AddJob(HWND page, int* adapterIndex) {
    ClickButton(page, kAdd);
    HWND dialog = WaitForDialogWithControl(program.ProcessId(), kJobType, kEffectTimeoutMs);
    if (!dialog) return false;
    EXPECT_EQ(ControlText(dialog, kJobInterval), L"60");
    EXPECT_EQ(ComboItems(dialog, kJobType),
              (std::vector<std::wstring>{L"Summary report", L"Daily report", L"Weekly report", L"Monthly report"}));
    SelectComboItem(dialog, kJobType, 1);
    *adapterIndex = static_cast<int>(ComboItems(dialog, kJobAdapter).size()) - 1;
    SelectComboItem(dialog, kJobAdapter, *adapterIndex);
    adapterName = ComboItems(dialog, kJobAdapter)[static_cast<size_t>(*adapterIndex)];
    SetControlText(dialog, kJobInterval, L"5");
    SetControlText(dialog, kJobFile, reportPath);
    ClickButton(dialog, IDOK);
    return WaitUntil([&] { return !IsWindow(dialog); }, kEffectTimeoutMs);
  }

  uint32_t FirstServiceOption(SettingsRoot root) {
    StoredValue v;
    if (registry.ReadValue(root, kServiceKey, L"ServiceOptions", 12, &v) != ReadStatus::Ok || v.data.size() != 12)
      return 0xFFFFFFFF;
    return v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<uint32_t>(v.data[3]) << 24);
  }

  void Screenshot(HWND window, const wchar_t* name) {
    e2e::Screenshot shot;
    Sleep(300);  // the page paints after it is brought to the front
    if (CaptureWindow(window, &shot)) shot.SaveBmp(g_artifactDir + L"\\" + name);
  }

  Program program;
  HWND main = nullptr;
  HWND sheet = nullptr;
  std::wstring logPath, reportPath, adapterName;
  RegistryStore registry;
  ScmServiceState scm;
};

TEST_F(ServicePageTest, SwitchesTheServiceOnAndOffAndSchedulesAReport) {
  ASSERT_NE(Start(), nullptr);
  HWND page = OpenServicePage();
  ASSERT_NE(page, nullptr) << "no Service page in the sheet";
  EXPECT_FALSE(IsChecked(page, kEnable));
  EXPECT_FALSE(ControlEnabled(page, kAdd));
  HWND jobs = Control(page, kJobs);
  ASSERT_EQ(ListViewColumnCount(jobs), 4);

  // On, with no service installed: installed and started; the service owns the log.
  SetCheck(page, kEnable, true);
  EXPECT_TRUE(WaitUntil([&] { return ControlEnabled(page, kAdd); }, kEffectTimeoutMs));
  EXPECT_FALSE(ControlEnabled(page, kRemove)) << "Remove without a selected row";
  ASSERT_TRUE(Apply());
  EXPECT_EQ(scm.QueryServiceState(kService), kServiceRunning);
  EXPECT_EQ(StartType(), static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_FALSE(SecondOwnerAllowed(logPath)) << "the service does not hold the log";
  uint32_t enabled = 0;
  EXPECT_TRUE(ReadDword(kServiceKey, L"ServiceEnabled", &enabled) && enabled == 1);
  EXPECT_EQ(FirstServiceOption(SettingsRoot::CurrentUser), 1u);
  EXPECT_EQ(FirstServiceOption(SettingsRoot::LocalMachine), 1u);
  StoredValue machineLog;
  EXPECT_EQ(registry.ReadValue(SettingsRoot::LocalMachine, kOptionsKey, L"TrafficLogFile", 1024, &machineLog),
            ReadStatus::Ok);
  EXPECT_GE(TodayAllConnections(logPath), kSeedDown + kSeedUp) << "today's traffic lost at the hand-over";

  // Off: stopped and removed; the program owns the log again.
  SetCheck(page, kEnable, false);
  EXPECT_TRUE(WaitUntil([&] { return !ControlEnabled(page, kAdd); }, kEffectTimeoutMs));
  ASSERT_TRUE(Apply());
  EXPECT_EQ(scm.QueryServiceState(kService), kServiceNoAnswer);
  EXPECT_FALSE(SecondOwnerAllowed(logPath)) << "the program does not own the log";
  uint64_t serviceTotal = TodayAllConnections(logPath);
  EXPECT_GE(serviceTotal, kSeedDown + kSeedUp);
  EXPECT_EQ(FirstServiceOption(SettingsRoot::CurrentUser), 1u);

  // On again while the service is installed and stopped: started, not made again.
  ASSERT_TRUE(scm.InstallService(ServiceExe(), kService, L"Vantrel Service", L"", false, false));
  SetCheck(page, kEnable, true);
  ASSERT_TRUE(WaitUntil([&] { return ControlEnabled(page, kAdd); }, kEffectTimeoutMs));
  int adapterIndex = -1;
  ASSERT_TRUE(AddJob(page, &adapterIndex));
  auto rows = ListViewRows(jobs);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], (std::vector<std::wstring>{L"Daily Report", adapterName, L"5 sec.", reportPath}));
  Screenshot(sheet, L"options-service.bmp");
  ASSERT_TRUE(Apply());
  EXPECT_EQ(scm.QueryServiceState(kService), kServiceRunning);
  EXPECT_EQ(StartType(), static_cast<DWORD>(SERVICE_DEMAND_START)) << "the service was made again";
  // The program wrote what it counted before handing over: at least what the service left.
  EXPECT_GE(TodayAllConnections(logPath), serviceTotal);
  EXPECT_TRUE(registry.KeyExists(SettingsRoot::LocalMachine, kReportsKey));
  EXPECT_TRUE(registry.KeyExists(SettingsRoot::CurrentUser, kReportsKey));
  // The restarted service writes the scheduled report (first after 5 seconds).
  EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(reportPath).size() > 0; }, 60000)) << "no report file";

  // The emptied job list leaves no Reports key; the running service is left alone.
  ASSERT_TRUE(ListViewSelectRow(jobs, 0));
  ASSERT_TRUE(WaitUntil([&] { return ControlEnabled(page, kRemove); }, kEffectTimeoutMs));
  ClickButton(page, kRemove);
  ASSERT_TRUE(WaitUntil([&] { return ListViewRowCount(jobs) == 0; }, kEffectTimeoutMs));
  ASSERT_TRUE(Apply());
  EXPECT_FALSE(registry.KeyExists(SettingsRoot::CurrentUser, kReportsKey));
  EXPECT_FALSE(registry.KeyExists(SettingsRoot::LocalMachine, kReportsKey));
  EXPECT_EQ(FirstServiceOption(SettingsRoot::LocalMachine), 1u);
  EXPECT_EQ(scm.QueryServiceState(kService), kServiceRunning);
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
  return RUN_ALL_TESTS();
}
