// End-to-end tests of the service mode under Wine with the real service control manager: the
// program is started over a log that already holds today's traffic. The Service page is
// driven from outside, and the service's state, the traffic log's owner, the registry and the
// service's report file are checked. Then the mode is kept true while the service is not
// installed, stopped and disabled, or killed: with real traffic through a host adapter of the
// test's own (run by with_veth.sh), the log's totals are held against what went through.
// Every wait is bounded and event-based.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "engine/adapter_entry.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/service_control.h"
#include "settings/options.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/driver_controls.h"
#include "tests/e2e/host_adapter.h"
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

// Today's record of an entry in the log (the last one), and how many records it has today.
struct TodayRecord {
  uint64_t down = 0, up = 0;
  int records = 0;
};
TodayRecord Today(const std::wstring& path, uint32_t kind, const std::string& id = "") {
  std::vector<uint8_t> b = ReadFileBytes(path);
  SYSTEMTIME now;
  GetLocalTime(&now);
  TodayRecord today;
  for (size_t at = kLogHeaderSize; at + kLogRecordSize <= b.size(); at += kLogRecordSize) {
    TrafficLogRecord r;
    ParseLogRecord(b.data() + at, &r);
    if (r.year != now.wYear || r.month != now.wMonth || r.day != now.wDay || !r.IsFor(kind, id)) continue;
    today = {r.down, r.up, today.records + 1};
  }
  return today;
}

// Today's All Connections total in the log (down + up), 0 when there is no record.
uint64_t TodayAllConnections(const std::wstring& path) {
  TodayRecord r = Today(path, kKindAllConnections);
  return r.down + r.up;
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

bool SetStartType(DWORD type) {
  SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!scm) return false;
  bool ok = false;
  if (SC_HANDLE svc = OpenServiceW(scm, kService, SERVICE_CHANGE_CONFIG)) {
    ok = ChangeServiceConfigW(svc, SERVICE_NO_CHANGE, type, SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr) != FALSE;
    CloseServiceHandle(svc);
  }
  CloseServiceHandle(scm);
  return ok;
}

// Ends the service's process the hard way, as a crash would.
bool KillService() {
  SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!scm) return false;
  DWORD pid = 0;
  if (SC_HANDLE svc = OpenServiceW(scm, kService, SERVICE_QUERY_STATUS)) {
    SERVICE_STATUS_PROCESS st{};
    DWORD need = 0;
    if (QueryServiceStatusEx(svc, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&st), sizeof st, &need))
      pid = st.dwProcessId;
    CloseServiceHandle(svc);
  }
  CloseServiceHandle(scm);
  HANDLE process = pid ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid) : nullptr;
  if (!process) return false;
  bool ok = TerminateProcess(process, 1) && WaitForSingleObject(process, kEffectTimeoutMs) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ok;
}

// A balloon at the tray icon with this text (Wine shows it as a tooltip window of its own).
bool BalloonShown(const wchar_t* text) {
  for (HWND w : TopLevelWindows(0, L"tooltips_class32", nullptr))
    if (IsWindowVisible(w) && WindowText(w) == text) return true;
  return false;
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

class ServiceModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (HWND w : TopLevelWindows(0, L"#32770", L"Vantrel")) PostMessageW(w, WM_CLOSE, 0, 0);
    WaitUntil([] { return TopLevelWindows(0, L"#32770", L"Vantrel").empty(); }, kEffectTimeoutMs);
    RemoveService();  // a leftover of an earlier run
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
    RemoveService();
    DeleteTree(kRootKey);
    registry.DeleteTree(SettingsRoot::LocalMachine, kRootKey);
  }

  void RemoveService() {
    if (!scm.StopServiceAndWait(kService) && scm.QueryServiceState(kService) == kServiceRunning) {
      // Killed: Wine still reports it as running and cannot stop it, but it starts it again
      // on request, and that one stops. Deleted first, it would stay marked for deletion.
      ScmServiceState().StartServiceAndWait(kService);
      scm.StopServiceAndWait(kService);
    }
    scm.RemoveService(kService);
    WaitUntil([&] { return scm.QueryServiceState(kService) == kServiceNoAnswer; }, kEffectTimeoutMs);
  }

  // The service mode on in both hives, as the Service page leaves it.
  void ModeOnInBothHives() {
    ServiceKeyValues key;
    key.enabled = 1;
    key.options[0] = 1;
    WriteServiceKey(registry, SettingsRoot::CurrentUser, key);
    WriteServiceKey(registry, SettingsRoot::LocalMachine, key);
    WriteTrafficLogFile(registry, SettingsRoot::LocalMachine, logPath);
  }

  // Exit from the menu: the program writes its records (when it owns the log) and ends.
  bool Exit() {
    PostCommand(main, kExit);
    return program.WaitForExit(kEffectTimeoutMs);
  }

  HWND Start() {
    EXPECT_TRUE(program.Start(g_programPath)) << "cannot start the program";
    WaitUntil(
        [&] {
          main = StoredMainWindow(program.ProcessId());
          return main != nullptr;
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

TEST_F(ServiceModeTest, SwitchesTheServiceOnAndOffAndSchedulesAReport) {
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

// What the Service page's Yes asks of the main window when the rights to switch the mode are
// missing (Wine always grants them, so the test asks directly): wParam the sheet.
constexpr UINT kRestartAsAdmin = 0x811A;

// Ends a copy of the program that the test did not start itself.
struct OtherCopy {
  DWORD pid = 0;
  HWND main = nullptr;
  ~OtherCopy() {
    if (!pid) return;
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    for (HWND w : TopLevelWindows(pid, L"#32770", nullptr))
      if (w != main) PostMessageW(w, WM_CLOSE, 0, 0);
    if (main) PostCommand(main, kExit);
    if (process && WaitForSingleObject(process, kEffectTimeoutMs) != WAIT_OBJECT_0) TerminateProcess(process, 99);
    if (process) CloseHandle(process);
  }
};

TEST_F(ServiceModeTest, ARestartAsAdministratorStepsAsideForTheNewCopyWhichShowsTheServicePage) {
  ASSERT_NE(Start(), nullptr);
  ASSERT_NE(OpenServicePage(), nullptr);
  const DWORD oldPid = program.ProcessId();
  ASSERT_TRUE(SendMessageW(main, kRestartAsAdmin, reinterpret_cast<WPARAM>(sheet), 0)) << "no new copy launched";
  ASSERT_TRUE(program.WaitForExit(kEffectTimeoutMs)) << "the old copy did not step aside";

  // The new copy is not handed over to the old one: it runs, with its own window.
  OtherCopy copy;
  ASSERT_TRUE(WaitUntil(
      [&] {
        uint32_t value = 0;
        if (!ReadDword(kOptionsKey, L"HWND", &value) || value == 0) return false;
        HWND h = reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (!IsWindow(h) || pid == oldPid) return false;
        copy.pid = pid;
        copy.main = h;
        return true;
      },
      kStartTimeoutMs));
  HWND newSheet = WaitForWindow(copy.pid, L"#32770", kSheetCaption, kStartTimeoutMs);
  ASSERT_NE(newSheet, nullptr) << "the Options sheet did not open again";
  EXPECT_TRUE(WaitUntil([&] { return SheetCurrentPage(newSheet) == SheetPageWithControl(newSheet, kConsole); },
                        kEffectTimeoutMs))
      << "not on the Service page";
  // The old copy wrote its records and let go of the log before the new one opened it.
  EXPECT_FALSE(SecondOwnerAllowed(logPath)) << "the new copy does not own the log";
  EXPECT_GE(TodayAllConnections(logPath), kSeedDown + kSeedUp);
  for (HWND w : TopLevelWindows(copy.pid, L"#32770", L"Vantrel"))
    EXPECT_TRUE(w == copy.main || MessageBoxText(w).empty()) << WideToAnsi(MessageBoxText(w));
}

// --- the service mode kept true, with real traffic ---------------------------------------

// The look at the service comes once a minute; a start and the loaded machine add to it.
constexpr DWORD kLookTimeoutMs = 110000;
constexpr wchar_t kNotRunningBalloon[] =
    L"Vantrel Service is not running. Vantrel counts the traffic itself until the service runs again.";
constexpr wchar_t kNotInstalledBalloon[] =
    L"Vantrel Service is not installed. The service mode is now off and Vantrel counts the traffic itself.";

// Datagrams of 1000 bytes to the peer's discard port, 20 a second, from Start until Stop.
// Each puts its payload with UDP, IPv4 and Ethernet headers on the wire, which is what the
// adapter's upload counter counts.
class SteadyTraffic {
 public:
  static constexpr uint64_t kWireBytes = 1000 + 8 + 20 + 14;
  static constexpr uint64_t kPerSecond = 20;

  ~SteadyTraffic() { Stop(); }
  bool Start(const char* peer) {
    m_socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (m_socket == INVALID_SOCKET) return false;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(9);
    to.sin_addr.s_addr = inet_addr(peer);
    m_running = true;
    m_thread = std::thread([this, to] {
      char payload[1000] = {};
      while (m_running) {
        if (sendto(m_socket, payload, sizeof payload, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) ==
            sizeof payload)
          ++m_sent;
        Sleep(1000 / kPerSecond);
      }
    });
    return true;
  }
  void Stop() {
    m_running = false;
    if (m_thread.joinable()) m_thread.join();
    if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    m_socket = INVALID_SOCKET;
  }
  uint64_t WireBytes() const { return m_sent * kWireBytes; }

 private:
  SOCKET m_socket = INVALID_SOCKET;
  std::atomic<bool> m_running{false};
  std::atomic<uint64_t> m_sent{0};
  std::thread m_thread;
};

// Run by with_veth.sh, which makes an adapter at VANTREL_E2E_NEAR whose peer answers at
// VANTREL_E2E_PEER: what the test sends there leaves through that adapter and only there.
class ServiceModeTrafficTest : public ServiceModeTest {
 protected:
  void SetUp() override {
    m_near = std::getenv("VANTREL_E2E_NEAR");
    m_peer = std::getenv("VANTREL_E2E_PEER");
    if (!m_near || !m_peer) GTEST_SKIP() << "run through tests/e2e/with_veth.sh";
    WSADATA wsa;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 0), &wsa), 0);
    m_adapterId = AdapterIdWithAddress(m_near, kEffectTimeoutMs);
    ASSERT_FALSE(m_adapterId.empty()) << "no adapter with address " << m_near;
    ServiceModeTest::SetUp();
    ModeOnInBothHives();
  }
  void TearDown() override {
    m_traffic.Stop();
    if (m_near && m_peer) ServiceModeTest::TearDown();
  }

  TodayRecord Adapter() { return Today(logPath, kKindAdapter, m_adapterId); }
  // The adapter's upload total in the log against what went through: never more (a second
  // counted twice), and at most `lostSeconds` of traffic less.
  void ExpectCounted(uint64_t logged, uint64_t lostSeconds) {
    const uint64_t sent = m_traffic.WireBytes();
    const uint64_t kOtherFrames = 2000;  // ARP on the pair
    EXPECT_LE(logged, sent + kOtherFrames) << "counted twice; sent " << sent;
    EXPECT_GE(logged + lostSeconds * SteadyTraffic::kPerSecond * SteadyTraffic::kWireBytes, sent)
        << "lost; logged " << logged;
  }
  void WaitForTheProgramToCount() {
    Sleep(2500);  // the last datagrams go into the next ticks
  }

  const char* m_near = nullptr;
  const char* m_peer = nullptr;
  std::string m_adapterId;
  SteadyTraffic m_traffic;
};

TEST_F(ServiceModeTrafficTest, WithoutAnInstalledServiceTheModeGoesOffAndTheProgramCounts) {
  ASSERT_NE(Start(), nullptr);
  ASSERT_TRUE(WaitUntil([] { return BalloonShown(kNotInstalledBalloon); }, kEffectTimeoutMs));
  uint32_t enabled = 1;
  EXPECT_TRUE(ReadDword(kServiceKey, L"ServiceEnabled", &enabled));
  EXPECT_EQ(enabled, 0u);
  enabled = 1;
  EXPECT_EQ(ReadDword(registry, SettingsRoot::LocalMachine, kServiceKey, L"ServiceEnabled", &enabled), ReadStatus::Ok);
  EXPECT_EQ(enabled, 0u);
  EXPECT_FALSE(SecondOwnerAllowed(logPath)) << "the program does not own the log";
  EXPECT_EQ(Adapter().up, 0u);

  ASSERT_TRUE(m_traffic.Start(m_peer));
  Sleep(10000);
  m_traffic.Stop();
  WaitForTheProgramToCount();
  ASSERT_TRUE(Exit());
  ExpectCounted(Adapter().up, 0);
  EXPECT_GE(TodayAllConnections(logPath), kSeedDown + kSeedUp + Adapter().up);
}

TEST_F(ServiceModeTrafficTest, ADisabledServiceIsStoodInForUntilItCanRunAndThenContinuesTheDay) {
  ASSERT_TRUE(scm.InstallService(ServiceExe(), kService, L"Vantrel Service", L"", false, true));
  ASSERT_TRUE(SetStartType(SERVICE_DISABLED));
  ASSERT_NE(Start(), nullptr);
  ASSERT_TRUE(WaitUntil([] { return BalloonShown(kNotRunningBalloon); }, kEffectTimeoutMs));
  EXPECT_FALSE(SecondOwnerAllowed(logPath)) << "the program does not own the log";
  uint32_t enabled = 0;
  EXPECT_TRUE(ReadDword(kServiceKey, L"ServiceEnabled", &enabled));
  EXPECT_EQ(enabled, 1u) << "the mode stays on";

  // Traffic all the way through the hand-over.
  ASSERT_TRUE(m_traffic.Start(m_peer));
  ASSERT_TRUE(SetStartType(SERVICE_AUTO_START));
  ASSERT_TRUE(WaitUntil([&] { return scm.QueryServiceState(kService) == kServiceRunning; }, kLookTimeoutMs))
      << "the service was not started again";
  Sleep(5000);  // the service counts a while
  m_traffic.Stop();
  WaitForTheProgramToCount();
  ASSERT_TRUE(Exit());  // a reader now: it writes nothing
  ASSERT_TRUE(scm.StopServiceAndWait(kService));  // the service's final records

  TodayRecord adapter = Adapter();
  EXPECT_EQ(adapter.records, 1) << "the service did not continue the program's record";
  // The seconds between the program's last tick and the service's first are the service's
  // start, counted by nobody.
  ExpectCounted(adapter.up, 5);
  EXPECT_GE(Today(logPath, kKindAllConnections).up, kSeedUp + adapter.up);
}

TEST_F(ServiceModeTrafficTest, AKilledServiceIsNoticedAndTheProgramWritesTheLogWithNothingLost) {
  ASSERT_TRUE(scm.InstallService(ServiceExe(), kService, L"Vantrel Service", L"", false, true));
  ASSERT_TRUE(scm.StartServiceAndWait(kService));
  ASSERT_TRUE(WaitUntil([&] { return !SecondOwnerAllowed(logPath); }, kEffectTimeoutMs)) << "the service has no log";
  ASSERT_NE(Start(), nullptr);

  ASSERT_TRUE(m_traffic.Start(m_peer));
  Sleep(3000);
  ASSERT_TRUE(KillService());
  // Wine still reports it as running; the log that nobody writes tells.
  ASSERT_TRUE(WaitUntil([] { return BalloonShown(kNotRunningBalloon); }, kLookTimeoutMs));
  EXPECT_FALSE(SecondOwnerAllowed(logPath)) << "the program does not own the log";
  EXPECT_GT(Adapter().up, 0u) << "the log was not written again";
  Sleep(3000);
  m_traffic.Stop();
  WaitForTheProgramToCount();
  ASSERT_TRUE(Exit());
  // The program counted every second while it read the log: nothing of what the dead service
  // never wrote is lost, and nothing is counted twice.
  ExpectCounted(Adapter().up, 0);
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
