#include <windows.h>

#include "platform/file.h"

namespace vantrel {

namespace {

class Win32File : public IFile {
 public:
  explicit Win32File(HANDLE h) : m_h(h) {}
  ~Win32File() override { CloseHandle(m_h); }
  bool Read(void* buf, size_t n, size_t* got) override {
    DWORD r = 0;
    BOOL ok = ReadFile(m_h, buf, static_cast<DWORD>(n), &r, nullptr);
    *got = r;
    return ok != FALSE;
  }
  bool Write(const void* buf, size_t n, size_t* written) override {
    DWORD w = 0;
    BOOL ok = WriteFile(m_h, buf, static_cast<DWORD>(n), &w, nullptr);
    *written = w;
    return ok != FALSE;
  }
  bool Seek(int64_t pos) override {
    LARGE_INTEGER li;
    li.QuadPart = pos;
    return SetFilePointerEx(m_h, li, nullptr, FILE_BEGIN) != FALSE;
  }
  bool SeekEnd(int64_t* pos) override {
    LARGE_INTEGER zero{}, out{};
    if (!SetFilePointerEx(m_h, zero, &out, FILE_END)) return false;
    *pos = out.QuadPart;
    return true;
  }
  bool SetEnd() override { return SetEndOfFile(m_h) != FALSE; }
  bool Flush() override { return FlushFileBuffers(m_h) != FALSE; }
  int64_t Size() override {
    LARGE_INTEGER li;
    return GetFileSizeEx(m_h, &li) ? li.QuadPart : -1;
  }

 private:
  HANDLE m_h;
};

class Win32FileSystem : public IFileSystem {
 public:
  std::unique_ptr<IFile> Open(const std::wstring& path, FileMode mode) override {
    DWORD access = 0, share = 0, disposition = 0, flags = FILE_ATTRIBUTE_NORMAL;
    switch (mode) {
      case FileMode::Owner:
        access = GENERIC_READ | GENERIC_WRITE;
        share = FILE_SHARE_READ;
        disposition = OPEN_ALWAYS;
        flags |= FILE_FLAG_RANDOM_ACCESS;
        break;
      case FileMode::Reader:
        access = GENERIC_READ;
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        disposition = OPEN_EXISTING;
        flags |= FILE_FLAG_RANDOM_ACCESS;
        break;
      case FileMode::ReadShared:
        access = GENERIC_READ;
        share = FILE_SHARE_READ;
        disposition = OPEN_EXISTING;
        break;
      case FileMode::Append:
        access = GENERIC_WRITE;
        share = FILE_SHARE_READ;
        disposition = OPEN_ALWAYS;
        break;
      case FileMode::Replace:
        access = GENERIC_WRITE;
        share = 0;
        disposition = CREATE_ALWAYS;
        break;
      case FileMode::Probe:
        access = 0;
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        disposition = OPEN_ALWAYS;
        break;
    }
    HANDLE h = CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(h);
  }
  bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) override {
    return CopyFileW(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
  }
  bool MakeDirectory(const std::wstring& path) override { return CreateDirectoryW(path.c_str(), nullptr) != FALSE; }
  bool IsDirectory(const std::wstring& path) override {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool IsAvailableFile(const std::wstring& path) override {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_ARCHIVE) && !(a & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool Exists(const std::wstring& path) override { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
  bool Remove(const std::wstring& path) override { return DeleteFileW(path.c_str()) != FALSE; }
};

}  // namespace

IFileSystem& SystemFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

}  // namespace vantrel
