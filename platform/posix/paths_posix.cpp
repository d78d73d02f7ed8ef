// Native folders: the program's folder from /proc/self/exe, the documents folder
// $HOME/Documents, made when missing (as the shell makes it on Windows).
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/paths.h"

namespace vantrel {

namespace {

// Native paths are UTF-8, which the file seam encodes back; a malformed byte stays as itself.
std::wstring Widen(const std::string& s) {
  std::wstring out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + extra >= s.size()) {
      out.push_back(static_cast<wchar_t>(c));
      ++i;
      continue;
    }
    uint32_t cp = c & (0x3F >> extra);
    bool ok = true;
    for (size_t k = 1; k <= extra; ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) { ok = false; break; }
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok) {
      out.push_back(static_cast<wchar_t>(c));
      ++i;
      continue;
    }
    out.push_back(static_cast<wchar_t>(cp));
    i += extra + 1;
  }
  return out;
}

class PosixKnownFolders : public IKnownFolders {
 public:
  std::wstring ProgramFolder() override {
    std::vector<char> buf(4096);
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0 || static_cast<size_t>(n) >= buf.size()) return {};
    return FolderOf(Widen(std::string(buf.data(), static_cast<size_t>(n))));
  }

  bool DocumentsFolder(std::wstring* out) override {
    const char* home = std::getenv("HOME");
    if (!home || !*home) return false;
    std::string docs = home;
    while (docs.size() > 1 && docs.back() == '/') docs.pop_back();
    docs += docs == "/" ? "Documents" : "/Documents";
    struct stat st {};
    if (::stat(docs.c_str(), &st) != 0) {
      if (::mkdir(docs.c_str(), 0755) != 0 && errno != EEXIST) return false;
    } else if (!S_ISDIR(st.st_mode)) {
      return false;
    }
    *out = Widen(docs);
    return true;
  }
};

}  // namespace

IKnownFolders& SystemKnownFolders() {
  static PosixKnownFolders folders;
  return folders;
}

}  // namespace vantrel
