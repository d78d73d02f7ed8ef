#include "installer/logic/setup_rules.h"

#include <gtest/gtest.h>

namespace vantrel::setup {
namespace {

const std::vector<std::wstring> kFolders = {L"C:\\Program Files\\Vantrel\\", L"D:\\Old Place\\Vantrel\\"};

TEST(SetupPaths, TheProgramOfACommandIsItsQuotedPartOrItsFirstExe) {
  EXPECT_EQ(ProgramOfCommand(L"\"C:\\Program Files\\Vantrel\\VantrelService.exe\""),
            L"C:\\Program Files\\Vantrel\\VantrelService.exe");
  EXPECT_EQ(ProgramOfCommand(L"  \"C:\\A B\\x.exe\" /start  "), L"C:\\A B\\x.exe");
  // The interactive program registers the service without quotes; spaces are part of the path.
  EXPECT_EQ(ProgramOfCommand(L"C:\\Program Files\\Vantrel\\VantrelService.exe"),
            L"C:\\Program Files\\Vantrel\\VantrelService.exe");
  EXPECT_EQ(ProgramOfCommand(L"C:\\Tools\\OrlixVantrel.EXE /minimized"), L"C:\\Tools\\OrlixVantrel.EXE");
  // ".exe" inside a folder name does not end the program.
  EXPECT_EQ(ProgramOfCommand(L"C:\\my.exes\\OrlixVantrel.exe"), L"C:\\my.exes\\OrlixVantrel.exe");
  EXPECT_EQ(ProgramOfCommand(L"\"C:\\Unclosed\\OrlixVantrel.exe"), L"C:\\Unclosed\\OrlixVantrel.exe");
  EXPECT_EQ(ProgramOfCommand(L""), L"");
  EXPECT_EQ(ProgramOfCommand(L"\"\""), L"");
}

TEST(SetupPaths, SamePathIgnoresCaseSeparatorsAndTrailingDot) {
  EXPECT_TRUE(SamePath(L"C:\\Program Files\\Vantrel\\", L"c:/program files/VANTREL"));
  EXPECT_TRUE(SamePath(L"C:\\Program Files\\Vantrel\\.", L"C:\\Program Files\\Vantrel"));
  EXPECT_TRUE(SamePath(L"C:\\Program Files\\\\Vantrel\\x.exe", L"C:\\Program Files\\Vantrel\\X.EXE"));
  EXPECT_FALSE(SamePath(L"C:\\Program Files\\Vantrel2", L"C:\\Program Files\\Vantrel"));
  EXPECT_FALSE(SamePath(L"", L""));
  EXPECT_TRUE(SamePath(L"\\\\server\\share\\Vantrel", L"\\\\SERVER\\share\\Vantrel\\"));
  EXPECT_FALSE(SamePath(L"\\\\server\\share", L"\\server\\share"));
}

TEST(SetupPaths, JoinPathPutsExactlyOneBackslash) {
  EXPECT_EQ(JoinPath(L"C:\\Program Files\\Vantrel\\", L"OrlixVantrel.exe"), L"C:\\Program Files\\Vantrel\\OrlixVantrel.exe");
  EXPECT_EQ(JoinPath(L"C:\\Tools", L"\\OrlixVantrel.exe"), L"C:\\Tools\\OrlixVantrel.exe");
  EXPECT_EQ(JoinPath(L"C:\\Tools\\", L""), L"C:\\Tools\\");
  EXPECT_EQ(JoinPath(L"", L"x.exe"), L"x.exe");
}

TEST(SetupPaths, OnlyTheFileInOneOfTheFoldersIsThePackages) {
  EXPECT_TRUE(StartsFileInFolders(L"\"C:\\PROGRAM FILES\\VANTREL\\VantrelService.exe\"", kFolders, kServiceFile));
  EXPECT_TRUE(StartsFileInFolders(L"D:\\Old Place\\Vantrel\\VantrelService.exe", kFolders, kServiceFile));
  // Another copy of the program, elsewhere or under another name, is not the package's.
  EXPECT_FALSE(StartsFileInFolders(L"\"C:\\Portable\\Vantrel\\VantrelService.exe\"", kFolders, kServiceFile));
  EXPECT_FALSE(StartsFileInFolders(L"\"C:\\Program Files\\Vantrel\\Sub\\VantrelService.exe\"", kFolders, kServiceFile));
  EXPECT_FALSE(StartsFileInFolders(L"\"C:\\Program Files\\Vantrel\\OrlixVantrel.exe\"", kFolders, kServiceFile));
  EXPECT_FALSE(StartsFileInFolders(L"", kFolders, kServiceFile));
  EXPECT_FALSE(StartsFileInFolders(L"\"C:\\Program Files\\Vantrel\\VantrelService.exe\"", {}, kServiceFile));
  EXPECT_FALSE(StartsFileInFolders(L"VantrelService.exe", {L""}, kServiceFile));
}

TEST(SetupMode, RemovalForAnUpgradeIsToldApartByTheUpgradingProductCode) {
  EXPECT_EQ(ModeOf(false, L""), SetupMode::kInstall);
  EXPECT_EQ(ModeOf(false, L"{A}"), SetupMode::kInstall);
  EXPECT_EQ(ModeOf(true, L""), SetupMode::kRemove);
  EXPECT_EQ(ModeOf(true, L"  "), SetupMode::kRemove);
  EXPECT_EQ(ModeOf(true, L"{6A0B6F2E-0000-0000-0000-000000000001}"), SetupMode::kRemoveForUpgrade);
}

ServiceSnapshot Registered(const std::wstring& image, bool running, uint32_t startType = kStartAutomatic) {
  ServiceSnapshot s;
  s.installed = true;
  s.running = running;
  s.startType = startType;
  s.imagePath = image;
  return s;
}

const std::wstring kOurService = L"\"C:\\Program Files\\Vantrel\\VantrelService.exe\"";

TEST(SetupService, BeforeTheFilesChangeTheServiceStopsAndOnlyARemovalDeletesIt) {
  for (bool running : {true, false}) {
    ServiceBeforeFiles install = PlanServiceBeforeFiles(SetupMode::kInstall, Registered(kOurService, running), kFolders);
    EXPECT_TRUE(install.stop);
    EXPECT_FALSE(install.remove);
    ServiceBeforeFiles upgrade =
        PlanServiceBeforeFiles(SetupMode::kRemoveForUpgrade, Registered(kOurService, running), kFolders);
    EXPECT_TRUE(upgrade.stop);
    EXPECT_FALSE(upgrade.remove);
    ServiceBeforeFiles removal = PlanServiceBeforeFiles(SetupMode::kRemove, Registered(kOurService, running), kFolders);
    EXPECT_TRUE(removal.stop);
    EXPECT_TRUE(removal.remove);
  }
}

TEST(SetupService, AServiceOfAnotherCopyOrNoneIsLeftAlone) {
  ServiceBeforeFiles other =
      PlanServiceBeforeFiles(SetupMode::kRemove, Registered(L"\"C:\\Portable\\VantrelService.exe\"", true), kFolders);
  EXPECT_FALSE(other.stop);
  EXPECT_FALSE(other.remove);
  ServiceBeforeFiles none = PlanServiceBeforeFiles(SetupMode::kRemove, ServiceSnapshot{}, kFolders);
  EXPECT_FALSE(none.stop);
  EXPECT_FALSE(none.remove);
  ServiceAfterFiles after = PlanServiceAfterFiles(Registered(L"\"C:\\Portable\\VantrelService.exe\"", true), kFolders,
                                                  true, true);
  EXPECT_FALSE(after.create || after.repoint || after.start);
}

TEST(SetupService, ThePackageNeverRegistersTheServiceByItself) {
  ServiceAfterFiles plan = PlanServiceAfterFiles(ServiceSnapshot{}, kFolders, false, false);
  EXPECT_FALSE(plan.create || plan.repoint || plan.start);
}

TEST(SetupService, AfterTheFilesARegisteredServiceComesBackAsItWas) {
  // Still registered (an upgrade kept it): started again.
  ServiceAfterFiles kept = PlanServiceAfterFiles(Registered(kOurService, true), kFolders, true, true);
  EXPECT_FALSE(kept.create);
  EXPECT_FALSE(kept.repoint);
  EXPECT_TRUE(kept.start);
  // Deleted by the older version's removal: registered again and started.
  ServiceAfterFiles lost = PlanServiceAfterFiles(Registered(kOurService, true), kFolders, false, false);
  EXPECT_TRUE(lost.create);
  EXPECT_TRUE(lost.start);
  // Its program was in the older version's folder, which is gone: pointed at the new one.
  ServiceAfterFiles moved =
      PlanServiceAfterFiles(Registered(L"D:\\Old Place\\Vantrel\\VantrelService.exe", true), kFolders, true, false);
  EXPECT_FALSE(moved.create);
  EXPECT_TRUE(moved.repoint);
  EXPECT_TRUE(moved.start);
}

TEST(SetupService, OnlyARunningOrAutomaticServiceIsStartedAgain) {
  EXPECT_TRUE(PlanServiceAfterFiles(Registered(kOurService, false, kStartAutomatic), kFolders, true, true).start);
  EXPECT_TRUE(PlanServiceAfterFiles(Registered(kOurService, true, kStartOnDemand), kFolders, true, true).start);
  EXPECT_FALSE(PlanServiceAfterFiles(Registered(kOurService, false, kStartOnDemand), kFolders, true, true).start);
  EXPECT_FALSE(PlanServiceAfterFiles(Registered(kOurService, true, kStartDisabled), kFolders, true, true).start);
}

TEST(SetupService, TheRegisteredCommandIsTheQuotedProgram) {
  EXPECT_EQ(ServiceCommand(L"C:\\Program Files\\Vantrel\\VantrelService.exe"),
            L"\"C:\\Program Files\\Vantrel\\VantrelService.exe\"");
}

TEST(SetupStartup, TheRunValueOfTheProgramSurvivesAnUpgrade) {
  const std::wstring installed = L"C:\\Program Files\\Vantrel\\OrlixVantrel.exe";
  // Still there and working: nothing to do.
  EXPECT_FALSE(PlanStartupAfterFiles(installed, installed, true, kFolders, installed));
  // Deleted by the older version's removal: written back.
  EXPECT_EQ(PlanStartupAfterFiles(installed, L"", false, kFolders, installed), installed);
  // The folder moved: pointed at the installed program.
  EXPECT_EQ(PlanStartupAfterFiles(L"D:\\Old Place\\Vantrel\\OrlixVantrel.exe", L"D:\\Old Place\\Vantrel\\OrlixVantrel.exe",
                                  false, kFolders, installed),
            installed);
  // No value before, or one that started something else: left as it is.
  EXPECT_FALSE(PlanStartupAfterFiles(L"", L"", false, kFolders, installed));
  EXPECT_FALSE(PlanStartupAfterFiles(L"C:\\Portable\\OrlixVantrel.exe", L"", false, kFolders, installed));
}

TEST(SetupStartup, RemovalForgetsOnlyARunValueThatStartsThePackagesProgram) {
  EXPECT_TRUE(ShouldForgetStartup(L"C:\\Program Files\\Vantrel\\OrlixVantrel.exe", kFolders));
  EXPECT_TRUE(ShouldForgetStartup(L"\"c:\\program files\\vantrel\\orlixvantrel.exe\"", kFolders));
  EXPECT_FALSE(ShouldForgetStartup(L"C:\\Portable\\OrlixVantrel.exe", kFolders));
  EXPECT_FALSE(ShouldForgetStartup(L"", kFolders));
}

TEST(SetupFields, AnyTextSurvivesTheRoundTrip) {
  Fields fields{{L"mode", L"install"},
                {L"path", L"C:\\a=b\\c\\"},
                {L"lines", L"one\ntwo\r\n"},
                {L"odd=name", L"\\n is not a line end"},
                {L"empty", L""}};
  fields[L"nul"] = std::wstring(L"a\0b", 3);
  EXPECT_EQ(DecodeFields(EncodeFields(fields)), fields);
  EXPECT_TRUE(DecodeFields(L"").empty());
}

TEST(SetupFields, DamagedFieldsAreDroppedOneByOne) {
  Fields f = DecodeFields(L"good=1\nno separator\n=nameless\nbad=\\q\ntrailing=\\\nalso=2");
  EXPECT_EQ(f, (Fields{{L"good", L"1"}, {L"also", L"2"}}));
}

TEST(SetupFields, FolderListsAndProductCodesSplitOnTheirSeparators) {
  EXPECT_EQ(SplitFolders(JoinFolders(kFolders)), kFolders);
  EXPECT_EQ(SplitFolders(L"|C:\\A\\||  |D:\\B|"), (std::vector<std::wstring>{L"C:\\A\\", L"D:\\B"}));
  EXPECT_EQ(SplitProductCodes(L"{A}; {B};"), (std::vector<std::wstring>{L"{A}", L"{B}"}));
  EXPECT_TRUE(SplitProductCodes(L"").empty());
}

TEST(SetupFields, ASnapshotReadsBackAndMissingOrDamagedFieldsAreSafe) {
  ServiceSnapshot s = Registered(kOurService, true, kStartDisabled);
  s.displayName = L"Vantrel Service";
  s.account = L"LocalSystem";
  Fields f{{L"other", L"x"}};
  PutSnapshot(s, &f);
  ServiceSnapshot back = GetSnapshot(DecodeFields(EncodeFields(f)));
  EXPECT_TRUE(back.installed);
  EXPECT_TRUE(back.running);
  EXPECT_EQ(back.startType, kStartDisabled);
  EXPECT_EQ(back.imagePath, kOurService);
  EXPECT_EQ(back.displayName, L"Vantrel Service");
  EXPECT_EQ(back.account, L"LocalSystem");

  EXPECT_FALSE(GetSnapshot(Fields{}).installed);
  // A start type that does not read as one keeps the service from starting by itself.
  f[L"service.start"] = L"automatic";
  f[L"service.running"] = L"0";
  EXPECT_EQ(GetSnapshot(f).startType, kStartOnDemand);
  EXPECT_FALSE(PlanServiceAfterFiles(GetSnapshot(f), kFolders, true, true).start);
}

}  // namespace
}  // namespace vantrel::setup
