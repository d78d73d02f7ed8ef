#pragma once
// Files seam: opening with the sharing modes the programs rely on, reading, writing,
// seeking, truncating, flushing and copying. Win32: CreateFileW and friends. Native: POSIX
// files, with the Win32 sharing rules kept among the handles of this process.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vantrel {

// The ways the programs open files.
enum class FileMode {
  Owner,       // read and write; others may only read; open or create (the traffic log's owner)
  Reader,      // read only; others may read and write; must exist (a reader of the log)
  ReadShared,  // read only; others may only read; must exist (an old file to import)
  Append,      // write only; others may only read; open or create (rate-recording files)
  Replace,     // write only; no sharing; always a new empty file (report exports)
  Probe,       // no access; others may read and write; open or create (can this file be made?)
};

class IFile {
 public:
  virtual ~IFile() = default;
  // Reads up to n bytes at the current position; *got is what was read (0 at the end).
  virtual bool Read(void* buf, size_t n, size_t* got) = 0;
  // Writes n bytes at the current position; *written is what was written.
  virtual bool Write(const void* buf, size_t n, size_t* written) = 0;
  // Moves to an absolute position.
  virtual bool Seek(int64_t pos) = 0;
  // Moves to the end; *pos receives the new position.
  virtual bool SeekEnd(int64_t* pos) = 0;
  // Cuts the file at the current position.
  virtual bool SetEnd() = 0;
  // Forces written data to disk.
  virtual bool Flush() = 0;
  // The file's size in bytes, -1 on failure.
  virtual int64_t Size() = 0;
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  // Null when the file cannot be opened in that mode (missing, no rights, a sharing conflict).
  virtual std::unique_ptr<IFile> Open(const std::wstring& path, FileMode mode) = 0;
  virtual bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) = 0;
  // Creates one folder; false if it could not be made (an existing folder also gives false).
  virtual bool MakeDirectory(const std::wstring& path) = 0;
  virtual bool IsDirectory(const std::wstring& path) = 0;
  // A file exists there, is not a folder and carries the archive attribute.
  virtual bool IsAvailableFile(const std::wstring& path) = 0;
  virtual bool Exists(const std::wstring& path) = 0;
  virtual bool Remove(const std::wstring& path) = 0;
};

// The platform's file system.
IFileSystem& SystemFileSystem();

// Writes all of n bytes; true only when everything was written.
bool WriteAll(IFile& f, const void* buf, size_t n);
// Reads exactly n bytes unless the file ends; returns the count read (0 on error).
size_t ReadUpTo(IFile& f, void* buf, size_t n);

// Path helpers over backslash-separated Windows paths (forward slashes count too natively).
// The folder part of a path, with its trailing separator ("" when there is none).
std::wstring FolderOf(const std::wstring& path);
// The extension: the text from the last dot that follows the last backslash, or "" when
// there is no backslash or no such dot.
std::wstring ExtensionOf(const std::wstring& path);

}  // namespace vantrel
