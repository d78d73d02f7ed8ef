// Where each program finds its log: the settings, the documents folder, the program folder.
#include <gtest/gtest.h>

#include "platform/memory_settings_store.h"
#include "platform/text.h"
#include "settings/settings_keys.h"
#include "tests/unit/trafficlog/memory_files.h"
#include "trafficlog/traffic_log.h"

namespace vantrel {
namespace {

const std::wstring kProgram = L"C:\\Program Files\\Vantrel\\";
const std::wstring kDocs = L"C:\\Users\\me\\Documents";

class LocateTrafficLogTest : public ::testing::Test {
 protected:
  std::wstring Locate(LogProgram program, bool serviceMode = false) {
    TrafficLog log(program, m_files, m_settings, m_folders, nullptr);
    log.SetServiceMode(serviceMode);
    std::wstring path = log.LocateTrafficLog();
    m_fromSettings = log.PathFromSettings();
    EXPECT_EQ(path, log.Path());
    return path;
  }
  std::wstring Stored(SettingsRoot root) {
    std::wstring v;
    return ReadString(m_settings, root, keys::kOptions, keys::kTrafficLogFile, 520, &v) == ReadStatus::Ok ? v : L"-";
  }
  void Store(SettingsRoot root, const std::wstring& v) {
    ASSERT_TRUE(WriteString(m_settings, root, keys::kOptions, keys::kTrafficLogFile, v));
  }

  test::MemoryFileSystem m_files;
  MemorySettingsStore m_settings;
  FixedKnownFolders m_folders{kProgram, kDocs};
  bool m_fromSettings = false;
};

TEST_F(LocateTrafficLogTest, ThePerUserSettingWinsAndIsNotWrittenBack) {
  Store(SettingsRoot::CurrentUser, L"D:\\logs\\mine.log");
  Store(SettingsRoot::LocalMachine, L"E:\\service.log");
  size_t writes = m_settings.WriteCount();
  EXPECT_EQ(Locate(LogProgram::Interactive, true), L"D:\\logs\\mine.log");
  EXPECT_TRUE(m_fromSettings);
  EXPECT_EQ(m_settings.WriteCount(), writes);
  EXPECT_FALSE(m_files.IsDirectory(kDocs + L"\\OrlixVantrel"));
}

TEST_F(LocateTrafficLogTest, TheDocumentsFolderGetsAFolderOfItsOwnAndThePathIsStored) {
  EXPECT_EQ(Locate(LogProgram::Interactive), kDocs + L"\\OrlixVantrel\\TrafficHistory.log");
  EXPECT_FALSE(m_fromSettings);
  EXPECT_TRUE(m_files.IsDirectory(kDocs + L"\\OrlixVantrel"));
  EXPECT_EQ(Stored(SettingsRoot::CurrentUser), kDocs + L"\\OrlixVantrel\\TrafficHistory.log");
  EXPECT_EQ(Stored(SettingsRoot::LocalMachine), L"-");
}

TEST_F(LocateTrafficLogTest, InServiceModeThePathIsStoredMachineWideToo) {
  EXPECT_EQ(Locate(LogProgram::Interactive, true), kDocs + L"\\OrlixVantrel\\TrafficHistory.log");
  EXPECT_EQ(Stored(SettingsRoot::LocalMachine), kDocs + L"\\OrlixVantrel\\TrafficHistory.log");
}

TEST_F(LocateTrafficLogTest, AnExistingFolderIsUsedAsItIs) {
  ASSERT_TRUE(m_files.MakeDirectory(kDocs + L"\\OrlixVantrel"));
  m_files.refuseMakeDirectory = true;
  EXPECT_EQ(Locate(LogProgram::Interactive), kDocs + L"\\OrlixVantrel\\TrafficHistory.log");
}

TEST_F(LocateTrafficLogTest, ADocumentsPathWithATrailingBackslashGetsNoSecondOne) {
  FixedKnownFolders folders{kProgram, kDocs + L"\\"};
  TrafficLog log(LogProgram::Interactive, m_files, m_settings, folders, nullptr);
  EXPECT_EQ(log.LocateTrafficLog(), kDocs + L"\\OrlixVantrel\\TrafficHistory.log");
}

TEST_F(LocateTrafficLogTest, TheProgramFolderIsTheFallback) {
  struct Case {
    const char* what;
    bool documentsFail;
    bool folderIsAFile;
    bool makeDirectoryFails;
  };
  const Case cases[] = {
      {"no documents folder", true, false, false},
      {"a file in the folder's place", false, true, false},
      {"the folder cannot be made", false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::MemoryFileSystem files;
    MemorySettingsStore settings;
    if (c.folderIsAFile) files.Put(kDocs + L"\\OrlixVantrel", "x");
    files.refuseMakeDirectory = c.makeDirectoryFails;
    FixedKnownFolders folders{kProgram, c.documentsFail ? std::nullopt : std::optional<std::wstring>(kDocs)};
    TrafficLog log(LogProgram::Interactive, files, settings, folders, nullptr);
    EXPECT_EQ(log.LocateTrafficLog(), kProgram + L"TrafficHistory.log");
    std::wstring stored;
    ReadString(settings, SettingsRoot::CurrentUser, keys::kOptions, keys::kTrafficLogFile, 520, &stored);
    EXPECT_EQ(stored, kProgram + L"TrafficHistory.log");
  }
}

TEST_F(LocateTrafficLogTest, AnEmptyOrOverLongSettingIsPassedOver) {
  for (const std::wstring& value : {std::wstring(), std::wstring(260, L'x'), std::wstring(50000, L'y')}) {
    SCOPED_TRACE(value.size());
    Store(SettingsRoot::CurrentUser, value);
    EXPECT_EQ(Locate(LogProgram::Interactive), kDocs + L"\\OrlixVantrel\\TrafficHistory.log");
    EXPECT_FALSE(m_fromSettings);
  }
  std::wstring longest(259, L'z');
  Store(SettingsRoot::CurrentUser, longest);
  EXPECT_EQ(Locate(LogProgram::Interactive), longest);
}

TEST_F(LocateTrafficLogTest, TheServiceReadsTheMachineWideSettingAndWritesNothing) {
  Store(SettingsRoot::CurrentUser, L"D:\\user.log");
  Store(SettingsRoot::LocalMachine, L"E:\\shared\\TrafficHistory.log");
  size_t writes = m_settings.WriteCount();
  EXPECT_EQ(Locate(LogProgram::Service), L"E:\\shared\\TrafficHistory.log");
  EXPECT_TRUE(m_fromSettings);
  EXPECT_EQ(m_settings.WriteCount(), writes);
}

TEST_F(LocateTrafficLogTest, TheServiceFallsBackToItsOwnFolderNeverTheDocuments) {
  size_t writes = m_settings.WriteCount();
  EXPECT_EQ(Locate(LogProgram::Service), kProgram + L"TrafficHistory.log");
  EXPECT_FALSE(m_fromSettings);
  EXPECT_EQ(m_settings.WriteCount(), writes);
  EXPECT_FALSE(m_files.IsDirectory(kDocs + L"\\OrlixVantrel"));

  Store(SettingsRoot::LocalMachine, L"");
  EXPECT_EQ(Locate(LogProgram::Service), kProgram + L"TrafficHistory.log");
}

TEST_F(LocateTrafficLogTest, TheServicesPathMustFitIts8BitBuffer) {
  std::wstring fits = L"E:\\" + std::wstring(256, L'a');  // 259 characters
  Store(SettingsRoot::LocalMachine, fits);
  EXPECT_EQ(Locate(LogProgram::Service), fits);
  Store(SettingsRoot::LocalMachine, fits + L"b");
  EXPECT_EQ(Locate(LogProgram::Service), kProgram + L"TrafficHistory.log");
}

TEST_F(LocateTrafficLogTest, ANewPathIsStoredPerUserAndInServiceModeMachineWide) {
  TrafficLog log(LogProgram::Interactive, m_files, m_settings, m_folders, nullptr);
  ASSERT_TRUE(log.ChangeLogPath(L"F:\\a.log"));
  EXPECT_TRUE(log.PathFromSettings());
  EXPECT_EQ(Stored(SettingsRoot::CurrentUser), L"F:\\a.log");
  EXPECT_EQ(Stored(SettingsRoot::LocalMachine), L"-");
  log.SetServiceMode(true);
  ASSERT_TRUE(log.ChangeLogPath(L"F:\\b.log"));
  EXPECT_EQ(Stored(SettingsRoot::LocalMachine), L"F:\\b.log");
  m_settings.SetWritesFail(true);
  EXPECT_FALSE(log.ChangeLogPath(L"F:\\c.log"));
  EXPECT_EQ(log.Path(), L"F:\\c.log");
}

TEST_F(LocateTrafficLogTest, AChangeWhileTheLogIsOpenIsForTheNextStartAndTheOpenLogStays) {
  TrafficLog log(LogProgram::Interactive, m_files, m_settings, m_folders, nullptr);
  ASSERT_TRUE(log.ChangeLogPath(L"F:\\open.log"));  // none open yet: the one to open
  ASSERT_TRUE(log.OpenTrafficLog());
  ASSERT_TRUE(log.ChangeLogPath(L"F:\\next.log"));
  EXPECT_EQ(log.Path(), L"F:\\open.log");
  EXPECT_EQ(log.StoredPath(), L"F:\\next.log");
  EXPECT_EQ(Stored(SettingsRoot::CurrentUser), L"F:\\next.log");
  // The service, switched on now, takes over the log that is open, and the program reopens it.
  ASSERT_TRUE(log.WriteMachineLogPath());
  EXPECT_EQ(Stored(SettingsRoot::LocalMachine), L"F:\\open.log");
  log.SetServiceMode(true);
  ASSERT_TRUE(log.OpenTrafficLog());
  EXPECT_EQ(log.Path(), L"F:\\open.log");
  // In service mode a change is stored in both hives; the next start finds it.
  ASSERT_TRUE(log.ChangeLogPath(L"F:\\later.log"));
  EXPECT_EQ(Stored(SettingsRoot::LocalMachine), L"F:\\later.log");
  EXPECT_EQ(Locate(LogProgram::Interactive), L"F:\\later.log");
}

TEST_F(LocateTrafficLogTest, SwitchingTheServiceOnStoresThePathMachineWide) {
  TrafficLog log(LogProgram::Interactive, m_files, m_settings, m_folders, nullptr);
  log.LocateTrafficLog();
  ASSERT_EQ(Stored(SettingsRoot::LocalMachine), L"-");
  ASSERT_TRUE(log.WriteMachineLogPath());
  EXPECT_EQ(Stored(SettingsRoot::LocalMachine), log.Path());
}

}  // namespace
}  // namespace vantrel
