#include "tests/unit/trafficlog/memory_files.h"

#include <algorithm>
#include <cstring>

namespace vantrel::test {

void MemoryFileData::Write(int64_t pos, const uint8_t* p, size_t n) {
  while (n > 0) {
    int64_t page = pos / kPage;
    int64_t in = pos % kPage;
    size_t chunk = std::min<size_t>(n, static_cast<size_t>(kPage - in));
    auto it = pages.find(page);
    if (it == pages.end()) it = pages.emplace(page, std::array<uint8_t, kPage>{}).first;
    std::memcpy(it->second.data() + in, p, chunk);
    pos += static_cast<int64_t>(chunk);
    p += chunk;
    n -= chunk;
    size = std::max(size, pos);
  }
}

void MemoryFileData::Read(int64_t pos, uint8_t* p, size_t n) const {
  while (n > 0) {
    int64_t page = pos / kPage;
    int64_t in = pos % kPage;
    size_t chunk = std::min<size_t>(n, static_cast<size_t>(kPage - in));
    auto it = pages.find(page);
    if (it == pages.end())
      std::memset(p, 0, chunk);
    else
      std::memcpy(p, it->second.data() + in, chunk);
    pos += static_cast<int64_t>(chunk);
    p += chunk;
    n -= chunk;
  }
}

void MemoryFileData::Truncate(int64_t newSize) {
  if (newSize < size) {
    // Bytes beyond the new end must read as zeros if the file grows again.
    int64_t firstPage = newSize / kPage;
    auto it = pages.find(firstPage);
    if (it != pages.end()) std::memset(it->second.data() + newSize % kPage, 0, kPage - newSize % kPage);
    pages.erase(pages.upper_bound(firstPage), pages.end());
  }
  size = newSize;
}

std::string MemoryFileData::Bytes(int64_t from, int64_t count) const {
  std::string out(static_cast<size_t>(count), '\0');
  Read(from, reinterpret_cast<uint8_t*>(out.data()), out.size());
  return out;
}

bool MemoryFile::Read(void* buf, size_t n, size_t* got) {
  int64_t left = m_data->size - m_pos;
  size_t count = left <= 0 ? 0 : std::min<size_t>(n, static_cast<size_t>(left));
  m_data->Read(m_pos, static_cast<uint8_t*>(buf), count);
  m_pos += static_cast<int64_t>(count);
  m_faults.bytesRead += static_cast<int64_t>(count);
  *got = count;
  return true;
}

bool MemoryFile::Write(const void* buf, size_t n, size_t* written) {
  ++m_faults.writeCalls;
  *written = 0;
  if (!m_canWrite || m_faults.failWrites) return false;
  size_t count = n;
  bool ok = true;
  if (m_faults.writeBudget >= 0 && static_cast<int64_t>(n) > m_faults.writeBudget) {
    count = static_cast<size_t>(m_faults.writeBudget);
    ok = false;
  }
  if (m_faults.writeBudget >= 0) m_faults.writeBudget -= static_cast<int64_t>(count);
  m_data->Write(m_pos, static_cast<const uint8_t*>(buf), count);
  m_pos += static_cast<int64_t>(count);
  *written = count;
  return ok;
}

bool MemoryFile::Seek(int64_t pos) {
  if (pos < 0) return false;
  m_pos = pos;
  return true;
}

bool MemoryFile::SeekEnd(int64_t* pos) {
  m_pos = m_data->size;
  *pos = m_pos;
  return true;
}

bool MemoryFile::SetEnd() {
  if (!m_canWrite || m_faults.failSetEnd) return false;
  m_data->Truncate(m_pos);
  return true;
}

bool MemoryFile::Flush() { return m_canWrite && !m_faults.failFlush; }

int64_t MemoryFile::Size() { return m_faults.declaredSize >= 0 ? m_faults.declaredSize : m_data->size; }

std::unique_ptr<IFile> MemoryFileSystem::Open(const std::wstring& path, FileMode mode) {
  ++opens;
  if (refuseOpen.count(path)) return nullptr;
  bool creates = mode == FileMode::Owner || mode == FileMode::Append || mode == FileMode::Replace ||
                 mode == FileMode::Probe;
  auto it = m_files.find(path);
  if (it == m_files.end()) {
    if (!creates) return nullptr;
    it = m_files.emplace(path, std::make_shared<MemoryFileData>()).first;
  }
  if (mode == FileMode::Replace) it->second->Truncate(0);
  bool canWrite = mode == FileMode::Owner || mode == FileMode::Append || mode == FileMode::Replace;
  return std::make_unique<MemoryFile>(it->second, faults, canWrite);
}

bool MemoryFileSystem::Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) {
  auto it = m_files.find(from);
  if (it == m_files.end() || (failIfExists && m_files.count(to))) return false;
  m_files[to] = std::make_shared<MemoryFileData>(*it->second);
  return true;
}

bool MemoryFileSystem::MakeDirectory(const std::wstring& path) {
  if (refuseMakeDirectory || Exists(path)) return false;
  m_dirs.insert(path);
  return true;
}

MemoryFileData& MemoryFileSystem::File(const std::wstring& path) {
  auto& slot = m_files[path];
  if (!slot) slot = std::make_shared<MemoryFileData>();
  return *slot;
}

void MemoryFileSystem::Put(const std::wstring& path, const std::string& bytes) {
  MemoryFileData& d = File(path);
  d.Truncate(0);
  d.Write(0, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string MemoryFileSystem::Bytes(const std::wstring& path) const {
  auto it = m_files.find(path);
  return it == m_files.end() ? std::string() : it->second->Bytes(0, it->second->size);
}

}  // namespace vantrel::test
