#pragma once
// Known folders seam: where the running program file lives and the user's documents folder.
// Win32: GetModuleFileNameW, and SHGetSpecialFolderPathW looked up at run time from
// "shell32.dll". Native: /proc/self/exe and $HOME/Documents. Tests: FixedKnownFolders.
#include <optional>
#include <string>
#include <utility>

namespace vantrel {

class IKnownFolders {
 public:
  virtual ~IKnownFolders() = default;
  // The folder of the running program file, with its trailing separator (the module path
  // cut after its last backslash); "" when the module path cannot be had.
  virtual std::wstring ProgramFolder() = 0;
  // The user's documents folder, created if missing, without a trailing separator. False
  // when the shell library, its function or the call fails.
  virtual bool DocumentsFolder(std::wstring* out) = 0;
};

// The platform's folders.
IKnownFolders& SystemKnownFolders();

// Folders given by the caller: a documents folder that is absent makes DocumentsFolder fail.
class FixedKnownFolders : public IKnownFolders {
 public:
  FixedKnownFolders(std::wstring programFolder, std::optional<std::wstring> documentsFolder)
      : m_program(std::move(programFolder)), m_documents(std::move(documentsFolder)) {}
  std::wstring ProgramFolder() override { return m_program; }
  bool DocumentsFolder(std::wstring* out) override {
    if (!m_documents) return false;
    *out = *m_documents;
    return true;
  }

 private:
  std::wstring m_program;
  std::optional<std::wstring> m_documents;
};

}  // namespace vantrel
