// The platform's folders: the running test program's own folder and the documents folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/file.h"
#include "platform/paths.h"
#include "tests/support/fakes.h"

namespace vantrel {
namespace {

bool EndsWithSeparator(const std::wstring& p) {
  return !p.empty() && (p.back() == L'\\' || p.back() == L'/');
}

TEST(KnownFolders, TheProgramFolderIsTheFolderOfTheRunningProgram) {
  std::wstring folder = SystemKnownFolders().ProgramFolder();
  ASSERT_TRUE(EndsWithSeparator(folder));
  EXPECT_TRUE(SystemFileSystem().IsDirectory(folder.substr(0, folder.size() - 1)));
#ifdef _WIN32
  EXPECT_TRUE(SystemFileSystem().Exists(folder + L"trafficlog_tests.exe"));
#else
  EXPECT_TRUE(SystemFileSystem().Exists(folder + L"trafficlog_tests"));
#endif
}

#ifdef _WIN32
TEST(KnownFolders, TheDocumentsFolderComesFromTheShell) {
  std::wstring docs;
  ASSERT_TRUE(SystemKnownFolders().DocumentsFolder(&docs));
  EXPECT_FALSE(EndsWithSeparator(docs));
  EXPECT_TRUE(SystemFileSystem().IsDirectory(docs));
}
#else
// Restores HOME when the test ends.
class HomeOverride {
 public:
  explicit HomeOverride(const std::string& value) {
    const char* old = std::getenv("HOME");
    if (old) m_old = old;
    m_had = old != nullptr;
    ::setenv("HOME", value.c_str(), 1);
  }
  ~HomeOverride() {
    if (m_had)
      ::setenv("HOME", m_old.c_str(), 1);
    else
      ::unsetenv("HOME");
  }

 private:
  std::string m_old;
  bool m_had = false;
};

TEST(KnownFolders, TheDocumentsFolderIsMadeInTheHomeFolderWhenMissing) {
  test::TempDir dir;
  std::string home(dir.Path().begin(), dir.Path().end());  // the temporary folder is ASCII
  HomeOverride override(home);
  std::wstring docs;
  ASSERT_TRUE(SystemKnownFolders().DocumentsFolder(&docs));
  EXPECT_EQ(docs, dir.Path() + L"Documents");
  EXPECT_TRUE(SystemFileSystem().IsDirectory(docs));
  ASSERT_TRUE(SystemKnownFolders().DocumentsFolder(&docs));  // and found the second time
}

TEST(KnownFolders, ADocumentsFileInTheWayOrNoHomeIsAFailure) {
  test::TempDir dir;
  ASSERT_TRUE(test::WriteFileBytes(dir.File(L"Documents"), "x"));
  std::wstring docs;
  {
    HomeOverride override(std::string(dir.Path().begin(), dir.Path().end()));
    EXPECT_FALSE(SystemKnownFolders().DocumentsFolder(&docs));
  }
  {
    HomeOverride override("");
    EXPECT_FALSE(SystemKnownFolders().DocumentsFolder(&docs));
  }
}
#endif

}  // namespace
}  // namespace vantrel
