#pragma once
// What the end-to-end tests of VantrelService share: commands run with their output, the
// service's state from the service control manager, bounded waits, and a fixture that works
// on a copy of the built service in a folder of its own (its log lands there too) with the
// machine-wide settings emptied before and after. The including test program defines
// VANTREL_SERVICE_EXE, the built service's path.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/settings_store.h"
#include "platform/text.h"
#include "platform/win32/registry_store.h"
#include "tests/support/fakes.h"

namespace vantrel {

inline constexpr SettingsRoot kMachine = SettingsRoot::LocalMachine;

// A build path as Wine sees it (through the Z: drive), with backslashes.
std::wstring WinePathOf(const std::string& buildPath);
// Text-mode output (the console, the service's log) writes each "\n" as CR LF.
std::string WithLf(const std::string& text);
// Runs a command line and returns its standard output with CR LF read as LF; waits at most
// 60 seconds.
std::string RunCommand(const std::wstring& commandLine, DWORD* exitCode = nullptr);
// VantrelService's state from the service control manager, 0 when there is none.
DWORD ServiceState();
// The command line the service is registered with.
std::wstring BinaryPath();

// Polls every 100 ms until pred holds or the seconds passed; true when it held.
template <typename Pred>
bool WaitFor(Pred pred, int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    if (pred()) return true;
    Sleep(100);
  }
  return pred();
}

inline std::string ReadText(const std::wstring& path) { return test::ReadFileBytes(path); }

class ServiceEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    std::wstring built = WinePathOf(VANTREL_SERVICE_EXE);
    m_exe = m_dir.File(L"VantrelService.exe");
    ASSERT_TRUE(CopyFileW(built.c_str(), m_exe.c_str(), FALSE)) << WideToAnsi(built);
    RunCommand(L"\"" + m_exe + L"\" /uninstall");  // a leftover of an earlier run
    m_store.DeleteTree(kMachine, L"Software\\Orlix Systems\\Vantrel");
  }
  void TearDown() override {
    if (ServiceState() == SERVICE_RUNNING) RunCommand(L"net stop VantrelService");
    WaitFor([] { return ServiceState() != SERVICE_RUNNING && ServiceState() != SERVICE_STOP_PENDING; }, 30);
    RunCommand(L"\"" + m_exe + L"\" /uninstall");
    m_store.DeleteTree(kMachine, L"Software\\Orlix Systems\\Vantrel");
  }
  std::string Log() { return WithLf(ReadText(m_dir.File(L"vantrelservice.log"))); }
  bool LogHas(const std::string& text) { return Log().find(text) != std::string::npos; }

  test::TempDir m_dir;
  RegistryStore m_store;
  std::wstring m_exe;
};

}  // namespace vantrel
