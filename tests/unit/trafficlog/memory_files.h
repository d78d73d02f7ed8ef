#pragma once
// An in-memory file system for the traffic log tests: sparse files (so a log near 2 GiB
// costs nothing), faults a test switches on (failing or short writes, failing cuts and
// flushes, a declared size that is not the real one), and a count of the bytes read.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/file.h"

namespace vantrel::test {

struct FileFaults {
  bool failWrites = false;      // every write fails and writes nothing
  int64_t writeBudget = -1;     // when >= 0: bytes that may still be written; a write that
                                // needs more writes what is left and fails
  bool failSetEnd = false;
  bool failFlush = false;
  int64_t declaredSize = -1;    // when >= 0: what Size() reports instead of the real size
  int64_t bytesRead = 0;        // every byte handed out by Read
  int writeCalls = 0;
};

// Contents of one file: 4 KiB pages, missing pages read as zeros.
struct MemoryFileData {
  static constexpr int64_t kPage = 4096;
  std::map<int64_t, std::array<uint8_t, kPage>> pages;
  int64_t size = 0;

  void Write(int64_t pos, const uint8_t* p, size_t n);
  void Read(int64_t pos, uint8_t* p, size_t n) const;
  void Truncate(int64_t newSize);
  std::string Bytes(int64_t from, int64_t count) const;
};

class MemoryFile : public IFile {
 public:
  MemoryFile(std::shared_ptr<MemoryFileData> data, FileFaults& faults, bool canWrite)
      : m_data(std::move(data)), m_faults(faults), m_canWrite(canWrite) {}
  bool Read(void* buf, size_t n, size_t* got) override;
  bool Write(const void* buf, size_t n, size_t* written) override;
  bool Seek(int64_t pos) override;
  bool SeekEnd(int64_t* pos) override;
  bool SetEnd() override;
  bool Flush() override;
  int64_t Size() override;

 private:
  std::shared_ptr<MemoryFileData> m_data;
  FileFaults& m_faults;
  bool m_canWrite;
  int64_t m_pos = 0;
};

// No sharing rules (the real file system's tests cover them); Owner and the write modes
// create, the read modes need an existing file.
class MemoryFileSystem : public IFileSystem {
 public:
  std::unique_ptr<IFile> Open(const std::wstring& path, FileMode mode) override;
  bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) override;
  bool MakeDirectory(const std::wstring& path) override;
  bool IsDirectory(const std::wstring& path) override { return m_dirs.count(path) > 0; }
  bool IsAvailableFile(const std::wstring& path) override { return m_files.count(path) > 0; }
  bool Exists(const std::wstring& path) override { return m_files.count(path) || m_dirs.count(path); }
  bool Remove(const std::wstring& path) override { return m_files.erase(path) > 0; }

  // The file at path, made empty if missing.
  MemoryFileData& File(const std::wstring& path);
  bool Has(const std::wstring& path) const { return m_files.count(path) > 0; }
  void Put(const std::wstring& path, const std::string& bytes);
  std::string Bytes(const std::wstring& path) const;

  FileFaults faults;            // applies to every open file
  std::set<std::wstring> refuseOpen;  // paths whose open fails
  bool refuseMakeDirectory = false;
  int opens = 0;

 private:
  std::map<std::wstring, std::shared_ptr<MemoryFileData>> m_files;
  std::set<std::wstring> m_dirs;
};

}  // namespace vantrel::test
