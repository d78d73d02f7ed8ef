// Native files. POSIX has no sharing modes, so the Win32 rules are kept among the handles
// that this process holds: an open is refused when it conflicts with another open handle
// of the same file, as CreateFileW would refuse it. That lets the native tests exercise the
// owner/reader rules; the Wine tests check the real ones.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "platform/file.h"
#include "platform/text.h"

namespace vantrel {

namespace {

// The path as the system takes it: UTF-8, with slashes.
std::string Utf8Path(std::wstring path) {
  for (wchar_t& c : path)
    if (c == L'\\') c = L'/';
  return WideToUtf8(path);
}

enum : unsigned { kRead = 1, kWrite = 2 };

struct Opening {
  unsigned access;
  unsigned share;
};

struct ShareTable {
  std::mutex mutex;
  std::multimap<std::pair<dev_t, ino_t>, Opening> open;
};

ShareTable& Shares() {
  static ShareTable t;
  return t;
}

class PosixFile : public IFile {
 public:
  PosixFile(int fd, std::pair<dev_t, ino_t> id, std::multimap<std::pair<dev_t, ino_t>, Opening>::iterator it)
      : m_fd(fd), m_id(id), m_it(it) {}
  ~PosixFile() override {
    {
      std::lock_guard<std::mutex> lock(Shares().mutex);
      Shares().open.erase(m_it);
    }
    ::close(m_fd);
  }
  bool Read(void* buf, size_t n, size_t* got) override {
    ssize_t r = ::read(m_fd, buf, n);
    *got = r > 0 ? static_cast<size_t>(r) : 0;
    return r >= 0;
  }
  bool Write(const void* buf, size_t n, size_t* written) override {
    ssize_t w = ::write(m_fd, buf, n);
    *written = w > 0 ? static_cast<size_t>(w) : 0;
    return w >= 0;
  }
  bool Seek(int64_t pos) override { return ::lseek(m_fd, pos, SEEK_SET) >= 0; }
  bool SeekEnd(int64_t* pos) override {
    off_t p = ::lseek(m_fd, 0, SEEK_END);
    if (p < 0) return false;
    *pos = p;
    return true;
  }
  bool SetEnd() override {
    off_t p = ::lseek(m_fd, 0, SEEK_CUR);
    return p >= 0 && ::ftruncate(m_fd, p) == 0;
  }
  bool Flush() override { return ::fsync(m_fd) == 0; }
  int64_t Size() override {
    struct stat st {};
    return ::fstat(m_fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
  }

 private:
  int m_fd;
  std::pair<dev_t, ino_t> m_id;
  std::multimap<std::pair<dev_t, ino_t>, Opening>::iterator m_it;
};

class PosixFileSystem : public IFileSystem {
 public:
  std::unique_ptr<IFile> Open(const std::wstring& path, FileMode mode) override {
    unsigned access = 0, share = 0;
    int flags = 0;
    switch (mode) {
      case FileMode::Owner: access = kRead | kWrite; share = kRead; flags = O_RDWR | O_CREAT; break;
      case FileMode::Reader: access = kRead; share = kRead | kWrite; flags = O_RDONLY; break;
      case FileMode::ReadShared: access = kRead; share = kRead; flags = O_RDONLY; break;
      case FileMode::Append: access = kWrite; share = kRead; flags = O_WRONLY | O_CREAT; break;
      case FileMode::Replace: access = kWrite; share = 0; flags = O_WRONLY | O_CREAT; break;
      case FileMode::Probe: access = 0; share = kRead | kWrite; flags = O_RDONLY | O_CREAT; break;
    }
    std::string p = Utf8Path(path);
    std::lock_guard<std::mutex> lock(Shares().mutex);
    int fd = ::open(p.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0 && mode == FileMode::Probe && errno == EACCES) fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
      ::close(fd);
      return nullptr;
    }
    auto id = std::make_pair(st.st_dev, st.st_ino);
    auto range = Shares().open.equal_range(id);
    for (auto it = range.first; it != range.second; ++it) {
      const Opening& o = it->second;
      // Both sides must allow what the other does, as Win32 requires.
      if ((access & ~o.share) || (o.access & ~share)) {
        ::close(fd);
        return nullptr;
      }
    }
    if (mode == FileMode::Replace && ::ftruncate(fd, 0) != 0) {
      ::close(fd);
      return nullptr;
    }
    auto it = Shares().open.emplace(id, Opening{access, share});
    return std::make_unique<PosixFile>(fd, id, it);
  }
  bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) override {
    int in = ::open(Utf8Path(from).c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (failIfExists ? O_EXCL : 0);
    int out = ::open(Utf8Path(to).c_str(), flags, 0644);
    if (out < 0) {
      ::close(in);
      return false;
    }
    char buf[65536];
    bool ok = true;
    for (;;) {
      ssize_t r = ::read(in, buf, sizeof buf);
      if (r < 0) { ok = false; break; }
      if (r == 0) break;
      if (::write(out, buf, static_cast<size_t>(r)) != r) { ok = false; break; }
    }
    ::close(in);
    ::close(out);
    return ok;
  }
  bool MakeDirectory(const std::wstring& path) override { return ::mkdir(Utf8Path(path).c_str(), 0755) == 0; }
  bool IsDirectory(const std::wstring& path) override {
    struct stat st {};
    return ::stat(Utf8Path(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  bool IsAvailableFile(const std::wstring& path) override {
    struct stat st {};
    return ::stat(Utf8Path(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }
  bool Exists(const std::wstring& path) override {
    struct stat st {};
    return ::stat(Utf8Path(path).c_str(), &st) == 0;
  }
  bool Remove(const std::wstring& path) override { return ::unlink(Utf8Path(path).c_str()) == 0; }
};

}  // namespace

IFileSystem& SystemFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace vantrel
