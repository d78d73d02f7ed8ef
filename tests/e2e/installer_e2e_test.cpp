// The Windows Installer package under Wine's msiexec, in a fresh prefix of its own
// (tests/e2e/installer_e2e.sh makes it, and the packages of higher versions from the same
// source): quiet install, the program started from where it was installed, quiet upgrades
// with the program and the service running, a refused downgrade, and quiet removal, checked
// through the files, the Start menu, the uninstall entry, the service control manager, the
// registry and the traffic log. Every wait is bounded.
#include <windows.h>
#include <msi.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/adapter_entry.h"
#include "platform/text.h"
#include "platform/win32/registry_store.h"
#include "settings/options.h"
#include "settings/settings_keys.h"
#include "tests/e2e/driver.h"
#include "trafficlog/log_format.h"

namespace vantrel::e2e {
namespace {

struct Package {
  std::wstring path;
  std::wstring version;
};
Package g_base, g_next, g_later;
std::wstring g_programDir;  // the build's programs, to compare with what was installed
std::wstring g_workDir;     // msiexec's logs go here

constexpr wchar_t kUpgradeCode[] = L"{DC6F7CF7-E280-4730-91AC-A9326D9A6EC1}";
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRootKey[] = L"Software\\Orlix Systems\\Vantrel";
constexpr wchar_t kOptionsKey[] = L"Software\\Orlix Systems\\Vantrel\\Options";
constexpr wchar_t kServiceName[] = L"VantrelService";
constexpr wchar_t kDataDir[] = L"C:\\VantrelData";
constexpr wchar_t kLogPath[] = L"C:\\VantrelData\\TrafficHistory.log";
constexpr wchar_t kChosenDir[] = L"C:\\Tools\\Vantrel\\";
constexpr wchar_t kDowngradeMessage[] = L"A newer version of Vantrel is already installed.";
// Generous for a loaded two-core machine; a passing test never waits the whole time.
constexpr DWORD kMsiTimeoutMs = 240000;
constexpr DWORD kEffectTimeoutMs = 30000;

std::wstring ProgramFilesDir() {
  wchar_t path[MAX_PATH] = L"";
  SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, path);
  return std::wstring(path) + L"\\Vantrel\\";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs a command line and waits at most `timeoutMs`: its exit code, or WAIT_TIMEOUT.
DWORD RunCommand(std::wstring commandLine, DWORD timeoutMs) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                      &pi))
    return GetLastError();
  DWORD code = WAIT_TIMEOUT;
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return code;
}

// Text of a log file, in whichever of UTF-16 or 8-bit msiexec wrote it.
std::string LogText(const std::wstring& path) {
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
    return WideToAnsi(DecodeUtf16Le(bytes.data() + 2, bytes.size() - 2));
  return std::string(bytes.begin(), bytes.end());
}

// One quiet msiexec run with a verbose log named after the step; its exit code.
DWORD Msi(const std::wstring& arguments, const std::wstring& step) {
  std::wstring log = g_workDir + L"\\" + step + L".log";
  DeleteFileW(log.c_str());
  return RunCommand(L"msiexec.exe " + arguments + L" /qn /l*v \"" + log + L"\"", kMsiTimeoutMs);
}

// What a failed step shows: the package's own lines and the installer's errors.
std::string Excerpt(const std::wstring& step) {
  std::string text = LogText(g_workDir + L"\\" + step + L".log"), out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (line.find("Vantrel:") != std::string::npos || line.find("rror") != std::string::npos ||
        line.find("Return value 3") != std::string::npos)
      out += line + "\n";
    start = end + 1;
  }
  return out;
}

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

// ---- The uninstall entry --------------------------------------------------------------------

struct Entry {
  std::wstring version, publisher, location, icon;
};

std::wstring StringValue(HKEY root, const std::wstring& key, const wchar_t* name) {
  wchar_t value[2048] = L"";
  DWORD bytes = sizeof(value) - sizeof(wchar_t);
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, value,
                   &bytes) != ERROR_SUCCESS)
    return std::wstring();
  return value;
}

// The entries named "Vantrel" in Programs and Features.
std::vector<Entry> VantrelEntries() {
  std::vector<Entry> entries;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
    return entries;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD n = 256;
    if (RegEnumKeyExW(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    std::wstring sub = std::wstring(kUninstallKey) + L"\\" + name;
    if (StringValue(HKEY_LOCAL_MACHINE, sub, L"DisplayName") != L"Vantrel") continue;
    entries.push_back({StringValue(HKEY_LOCAL_MACHINE, sub, L"DisplayVersion"),
                       StringValue(HKEY_LOCAL_MACHINE, sub, L"Publisher"),
                       StringValue(HKEY_LOCAL_MACHINE, sub, L"InstallLocation"),
                       StringValue(HKEY_LOCAL_MACHINE, sub, L"DisplayIcon")});
  }
  RegCloseKey(key);
  return entries;
}

// The products installed from this package's upgrade code.
std::vector<std::wstring> InstalledProducts() {
  std::vector<std::wstring> codes;
  wchar_t code[39];
  for (DWORD i = 0; MsiEnumRelatedProductsW(kUpgradeCode, 0, i, code) == ERROR_SUCCESS; ++i) codes.emplace_back(code);
  return codes;
}

// ---- The Start menu -------------------------------------------------------------------------

// The program a "Vantrel" shortcut of the Start menu (all users' or the user's) starts, or
// empty when there is none.
std::wstring ShortcutTarget() {
  for (int folder : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
    wchar_t dir[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, folder, nullptr, 0, dir))) continue;
    std::wstring lnk = std::wstring(dir) + L"\\Vantrel.lnk";
    if (!Exists(lnk)) continue;
    std::wstring target;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
      IPersistFile* file = nullptr;
      if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t path[MAX_PATH] = L"";
        if (SUCCEEDED(file->Load(lnk.c_str(), STGM_READ)) && SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)))
          target = path;
        file->Release();
      }
      link->Release();
    }
    return target.empty() ? L"(unreadable shortcut)" : target;
  }
  return std::wstring();
}

// ---- The service ----------------------------------------------------------------------------

// The service's state, 0 when it is not registered.
DWORD ServiceState() {
  DWORD state = 0;
  if (SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT)) {
    if (SC_HANDLE svc = OpenServiceW(scm, kServiceName, SERVICE_QUERY_STATUS)) {
      SERVICE_STATUS st{};
      if (QueryServiceStatus(svc, &st)) state = st.dwCurrentState;
      CloseServiceHandle(svc);
    }
    CloseServiceHandle(scm);
  }
  return state;
}

// The command the service is registered with.
std::wstring ServiceCommand() {
  std::wstring command;
  if (SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT)) {
    if (SC_HANDLE svc = OpenServiceW(scm, kServiceName, SERVICE_QUERY_CONFIG)) {
      DWORD needed = 0;
      QueryServiceConfigW(svc, nullptr, 0, &needed);
      std::vector<BYTE> buffer(needed + 1);
      auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
      if (needed && QueryServiceConfigW(svc, config, needed, &needed) && config->lpBinaryPathName)
        command = config->lpBinaryPathName;
      CloseServiceHandle(svc);
    }
    CloseServiceHandle(scm);
  }
  return command;
}

bool StartTheService() {
  bool started = false;
  if (SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT)) {
    if (SC_HANDLE svc = OpenServiceW(scm, kServiceName, SERVICE_START)) {
      started = StartServiceW(svc, 0, nullptr) != 0;
      CloseServiceHandle(svc);
    }
    CloseServiceHandle(scm);
  }
  return started && WaitUntil([] { return ServiceState() == SERVICE_RUNNING; }, kEffectTimeoutMs);
}

// Stops and deletes the service if it is registered (a leftover of a failed run).
void RemoveTheService() {
  if (SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {
    if (SC_HANDLE svc = OpenServiceW(scm, kServiceName, SERVICE_ALL_ACCESS)) {
      SERVICE_STATUS st{};
      ControlService(svc, SERVICE_CONTROL_STOP, &st);
      WaitUntil([] { return ServiceState() == SERVICE_STOPPED; }, kEffectTimeoutMs);
      DeleteService(svc);
      CloseServiceHandle(svc);
    }
    CloseServiceHandle(scm);
  }
}

// ---- The user's data ------------------------------------------------------------------------

// A traffic log with three days of history from long ago.
std::vector<uint8_t> HistoryLog() {
  std::vector<uint8_t> bytes(kLogHeaderSize + 3 * kLogRecordSize);
  WriteLogHeader(bytes.data());
  for (uint16_t day = 1; day <= 3; ++day) {
    TrafficLogRecord r;
    r.year = 2020;
    r.month = 1;
    r.day = day;
    r.kind = kKindAllConnections;
    r.down = 1000000ull * day;
    r.up = 1000ull * day;
    SerializeLogRecord(r, bytes.data() + kLogHeaderSize + (day - 1) * kLogRecordSize);
  }
  return bytes;
}

bool WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  CloseHandle(file);
  return ok;
}

// The log still begins with the history it had: nothing lost, nothing rewritten.
::testing::AssertionResult KeepsHistory(const std::vector<uint8_t>& history) {
  std::vector<uint8_t> now = ReadFileBytes(kLogPath);
  if (now.size() < history.size())
    return ::testing::AssertionFailure() << "the traffic log shrank to " << now.size() << " bytes";
  if (!std::equal(history.begin(), history.end(), now.begin()))
    return ::testing::AssertionFailure() << "the traffic log's history changed";
  return ::testing::AssertionSuccess();
}

bool SameBytes(const std::wstring& a, const std::wstring& b) {
  std::vector<uint8_t> x = ReadFileBytes(a);
  return !x.empty() && x == ReadFileBytes(b);
}

class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    RemoveLeftovers();
    // The user's settings and history, as a user who ran the program before has them.
    ASSERT_TRUE(DeleteTree(kRootKey));
    m_store.DeleteTree(SettingsRoot::LocalMachine, kRootKey);
    CreateDirectoryW(kDataDir, nullptr);
    m_history = HistoryLog();
    ASSERT_TRUE(WriteBytes(kLogPath, m_history));
    ASSERT_TRUE(WriteString(kOptionsKey, L"TrafficLogFile", kLogPath));
    ASSERT_TRUE(WriteDword(kOptionsKey, L"DisplayUnitByte", 1));
    ASSERT_TRUE(WriteDword(kOptionsKey, L"FirstRun", 0));
  }
  void TearDown() override {
    m_program.Terminate();
    RemoveLeftovers();
    CoUninitialize();
  }

  // Whatever an earlier failed run left: installed products, the service, a running program.
  void RemoveLeftovers() {
    for (const auto& code : InstalledProducts()) Msi(L"/x " + code, L"leftover");
    RemoveTheService();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Vantrel");
  }

  // Starts the installed program and waits for its main window.
  ::testing::AssertionResult StartInstalledProgram(Program& program, const std::wstring& dir) {
    if (!program.Start(dir + L"OrlixVantrel.exe")) return ::testing::AssertionFailure() << "cannot start the program";
    if (!WaitForWindow(program.ProcessId(), L"#32770", L"Vantrel", kEffectTimeoutMs))
      return ::testing::AssertionFailure() << "the main window did not come up";
    HWND main = TopLevelWindows(program.ProcessId(), L"#32770", L"Vantrel").front();
    if (!WaitUntil([&] { return IsWindowVisible(main) != 0; }, kEffectTimeoutMs))
      return ::testing::AssertionFailure() << "the main window is not shown";
    return ::testing::AssertionSuccess();
  }

  RegistryStore m_store;
  Program m_program;
  std::vector<uint8_t> m_history;
};

TEST_F(PackageTest, InstallsUpgradesAndRemovesVantrelKeepingTheUsersHistoryAndSettings) {
  const std::wstring dir = ProgramFilesDir();

  // A quiet install: both programs, the Start-menu shortcut and the uninstall entry; no
  // service, and nothing of the settings.
  ASSERT_EQ(Msi(L"/i " + Quoted(g_base.path), L"1-install"), 0u) << Excerpt(L"1-install");
  EXPECT_TRUE(SameBytes(dir + L"OrlixVantrel.exe", g_programDir + L"\\OrlixVantrel.exe"));
  EXPECT_TRUE(SameBytes(dir + L"VantrelService.exe", g_programDir + L"\\VantrelService.exe"));
  EXPECT_TRUE(EqualsIgnoreCase(ShortcutTarget(), dir + L"OrlixVantrel.exe")) << WideToAnsi(ShortcutTarget());
  std::vector<Entry> entries = VantrelEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].version, g_base.version);
  EXPECT_EQ(entries[0].publisher, L"Orlix Systems");
  EXPECT_TRUE(EqualsIgnoreCase(entries[0].location, dir)) << WideToAnsi(entries[0].location);
  EXPECT_TRUE(EqualsIgnoreCase(entries[0].icon.substr(0, entries[0].icon.rfind(L',')), dir + L"OrlixVantrel.exe"))
      << WideToAnsi(entries[0].icon);
  EXPECT_EQ(ServiceState(), 0u) << "the package registered the service";
  EXPECT_FALSE(m_store.KeyExists(SettingsRoot::LocalMachine, kRootKey));

  // The program runs from there, counting into the user's log, and starts with Windows.
  ASSERT_TRUE(StartInstalledProgram(m_program, dir));
  ASSERT_TRUE(WriteString(kRunKey, L"Vantrel", dir + L"OrlixVantrel.exe"));
  // Written again only by the program's own shutdown.
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kOptionsKey, L"WndPosition");

  // An upgrade while it runs: the program ends through its normal shutdown (the window
  // position and today's records are written) and the history is kept.
  ASSERT_EQ(Msi(L"/i " + Quoted(g_next.path), L"2-upgrade"), 0u) << Excerpt(L"2-upgrade");
  EXPECT_TRUE(m_program.WaitForExit(kEffectTimeoutMs)) << "the program still runs\n" << Excerpt(L"2-upgrade");
  std::vector<uint8_t> position;
  EXPECT_TRUE(ReadBinary(kOptionsKey, L"WndPosition", &position)) << "the program did not shut down normally";
  EXPECT_TRUE(KeepsHistory(m_history));
  EXPECT_GT(ReadFileBytes(kLogPath).size(), m_history.size()) << "today's records were not written";
  entries = VantrelEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].version, g_next.version);
  EXPECT_TRUE(Exists(dir + L"OrlixVantrel.exe"));
  EXPECT_TRUE(Exists(dir + L"VantrelService.exe"));
  EXPECT_TRUE(EqualsIgnoreCase(ShortcutTarget(), dir + L"OrlixVantrel.exe"));
  EXPECT_TRUE(EqualsIgnoreCase(StringValue(HKEY_CURRENT_USER, kRunKey, L"Vantrel"), dir + L"OrlixVantrel.exe"));
  uint32_t unit = 0;
  EXPECT_TRUE(ReadDword(kOptionsKey, L"DisplayUnitByte", &unit));
  EXPECT_EQ(unit, 1u);

  // The service mode, switched on as the program does it: the service installed from the
  // program's folder, owning the log, running.
  ServiceKeyValues service;
  service.enabled = 1;
  service.options[0] = 1;
  WriteServiceKey(m_store, SettingsRoot::CurrentUser, service);
  WriteServiceKey(m_store, SettingsRoot::LocalMachine, service);
  WriteTrafficLogFile(m_store, SettingsRoot::LocalMachine, kLogPath);
  ASSERT_EQ(RunCommand(Quoted(dir + L"VantrelService.exe") + L" /install", kEffectTimeoutMs), 0u);
  ASSERT_TRUE(StartTheService()) << "the service did not start";
  const std::wstring registered = ServiceCommand();

  // An upgrade with the service running: it is stopped for the files and runs again after,
  // registered as it was; the history is kept.
  ASSERT_EQ(Msi(L"/i " + Quoted(g_later.path), L"3-upgrade"), 0u) << Excerpt(L"3-upgrade");
  EXPECT_TRUE(WaitUntil([] { return ServiceState() == SERVICE_RUNNING; }, kEffectTimeoutMs))
      << "the service is not running (state " << ServiceState() << ")\n" << Excerpt(L"3-upgrade");
  EXPECT_TRUE(EqualsIgnoreCase(ServiceCommand(), registered)) << WideToAnsi(ServiceCommand());
  EXPECT_TRUE(KeepsHistory(m_history));
  entries = VantrelEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].version, g_later.version);

  // An older package refuses to go over the newer one, and says why.
  EXPECT_EQ(Msi(L"/i " + Quoted(g_base.path), L"4-downgrade"), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
  EXPECT_NE(LogText(g_workDir + L"\\4-downgrade.log").find(WideToAnsi(kDowngradeMessage)), std::string::npos)
      << Excerpt(L"4-downgrade");
  entries = VantrelEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].version, g_later.version);
  EXPECT_EQ(ServiceState(), static_cast<DWORD>(SERVICE_RUNNING));

  // Removal while the program runs: it ends normally, the service is stopped and removed,
  // the package's files, shortcut, entry and the Run value go; the settings, the traffic
  // log and what the package did not install (the service's own log) stay.
  Program again;
  ASSERT_TRUE(StartInstalledProgram(again, dir));
  ASSERT_EQ(Msi(L"/x " + Quoted(g_later.path), L"5-remove"), 0u) << Excerpt(L"5-remove");
  EXPECT_TRUE(again.WaitForExit(kEffectTimeoutMs)) << "the program still runs";
  EXPECT_EQ(ServiceState(), 0u) << "the service is still registered";
  EXPECT_FALSE(Exists(dir + L"OrlixVantrel.exe"));
  EXPECT_FALSE(Exists(dir + L"VantrelService.exe"));
  EXPECT_TRUE(Exists(dir + L"vantrelservice.log"));
  EXPECT_EQ(ShortcutTarget(), L"");
  EXPECT_TRUE(VantrelEntries().empty());
  EXPECT_TRUE(InstalledProducts().empty());
  EXPECT_EQ(StringValue(HKEY_CURRENT_USER, kRunKey, L"Vantrel"), L"");
  EXPECT_TRUE(ReadDword(kOptionsKey, L"DisplayUnitByte", &unit));
  uint32_t enabled = 0;
  EXPECT_EQ(ReadDword(m_store, SettingsRoot::LocalMachine, keys::kService, L"ServiceEnabled", &enabled), ReadStatus::Ok);
  EXPECT_EQ(enabled, 1u);
  EXPECT_TRUE(KeepsHistory(m_history));
}

TEST_F(PackageTest, AFolderChosenAtInstallIsKeptByAnUpgradeAndRemovalEmptiesIt) {
  const std::wstring chosen = kChosenDir;
  ASSERT_EQ(Msi(L"/i " + Quoted(g_base.path) + L" INSTALLDIR=" + Quoted(chosen), L"6-install-chosen"), 0u)
      << Excerpt(L"6-install-chosen");
  EXPECT_TRUE(Exists(chosen + L"OrlixVantrel.exe"));
  EXPECT_TRUE(Exists(chosen + L"VantrelService.exe"));
  EXPECT_FALSE(Exists(ProgramFilesDir() + L"OrlixVantrel.exe"));

  ASSERT_EQ(Msi(L"/i " + Quoted(g_next.path), L"7-upgrade-chosen"), 0u) << Excerpt(L"7-upgrade-chosen");
  EXPECT_TRUE(SameBytes(chosen + L"OrlixVantrel.exe", g_programDir + L"\\OrlixVantrel.exe"));
  EXPECT_TRUE(Exists(chosen + L"VantrelService.exe"));
  EXPECT_FALSE(Exists(ProgramFilesDir() + L"OrlixVantrel.exe")) << "the upgrade went to another folder";
  std::vector<Entry> entries = VantrelEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].version, g_next.version);
  EXPECT_TRUE(EqualsIgnoreCase(entries[0].location, chosen)) << WideToAnsi(entries[0].location);
  EXPECT_TRUE(EqualsIgnoreCase(ShortcutTarget(), chosen + L"OrlixVantrel.exe"));

  ASSERT_EQ(Msi(L"/x " + Quoted(g_next.path), L"8-remove-chosen"), 0u) << Excerpt(L"8-remove-chosen");
  EXPECT_FALSE(Exists(chosen + L"OrlixVantrel.exe"));
  EXPECT_FALSE(Exists(chosen)) << "the emptied folder stays";
  EXPECT_TRUE(VantrelEntries().empty());
  EXPECT_TRUE(KeepsHistory(m_history));
}

}  // namespace
}  // namespace vantrel::e2e

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 9) {
    std::fprintf(stderr,
                 "usage: %s <package> <version> <next package> <version> <later package> <version> "
                 "<program folder> <log folder>\n",
                 argv[0]);
    return 2;
  }
  using namespace vantrel::e2e;
  auto arg = [&](int i) { return WindowsPath(vantrel::AnsiToWide(argv[i])); };
  g_base = {arg(1), vantrel::AnsiToWide(argv[2])};
  g_next = {arg(3), vantrel::AnsiToWide(argv[4])};
  g_later = {arg(5), vantrel::AnsiToWide(argv[6])};
  g_programDir = arg(7);
  g_workDir = arg(8);
  CreateDirectoryW(g_workDir.c_str(), nullptr);
  return RUN_ALL_TESTS();
}
