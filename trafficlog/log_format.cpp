#include "trafficlog/log_format.h"

#include <cstring>

#include "platform/little_endian.h"

namespace vantrel {

std::string_view TrafficLogRecord::Id() const { return std::string_view(id, strnlen(id, kLogIdBytes - 1)); }

void TrafficLogRecord::SetId(std::string_view s) {
  size_t n = s.size() < kLogIdBytes - 1 ? s.size() : kLogIdBytes - 1;
  std::memset(id, 0, sizeof id);
  std::memcpy(id, s.data(), n);
}

bool TrafficLogRecord::IsFor(uint32_t entryKind, std::string_view entryId) const {
  return kind == entryKind && (entryKind != 300 || Id() == entryId);
}

void WriteLogHeader(uint8_t out[kLogHeaderSize]) {
  std::memset(out, 0, kLogHeaderSize);
  std::memcpy(out, "NTSL", 4);
  StoreU32(out + 4, kLogVersion);
}

bool IsValidLogHeader(const uint8_t* data, size_t size) {
  return size >= kLogHeaderSize && std::memcmp(data, "NTSL", 4) == 0 && LoadU32(data + 4) == kLogVersion;
}

void SerializeLogRecord(const TrafficLogRecord& r, uint8_t out[kLogRecordSize]) {
  std::memset(out, 0, kLogRecordSize);
  StoreU16(out + 0, r.year);
  StoreU16(out + 2, r.month);
  StoreU16(out + 4, r.day);
  StoreU16(out + 8, r.dayOfWeek);
  StoreU32(out + 12, r.kind);
  std::string_view id = r.Id();
  std::memcpy(out + 16, id.data(), id.size());
  StoreU64(out + 280, r.down);
  StoreU64(out + 288, r.up);
}

void ParseLogRecord(const uint8_t in[kLogRecordSize], TrafficLogRecord* r) {
  r->year = LoadU16(in + 0);
  r->month = LoadU16(in + 2);
  r->day = LoadU16(in + 4);
  r->dayOfWeek = LoadU16(in + 8);
  r->kind = LoadU32(in + 12);
  size_t n = strnlen(reinterpret_cast<const char*>(in + 16), kLogIdBytes - 1);
  std::memcpy(r->id, in + 16, n);
  r->id[n] = '\0';  // what follows the terminator is never read
  r->down = LoadU64(in + 280);
  r->up = LoadU64(in + 288);
}

LogRecordScanner::LogRecordScanner(IFile& file, size_t bufferBytes, int64_t from)
    : m_file(file),
      m_buffer(bufferBytes < kLogRecordSize ? kLogRecordSize : bufferBytes),
      m_offset(from > static_cast<int64_t>(kLogHeaderSize) ? from : static_cast<int64_t>(kLogHeaderSize)) {}

bool LogRecordScanner::Fill() {
  // Keep the partial record at the end of the buffer and read behind it.
  if (m_pos > 0) {
    std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_len - m_pos);
    m_len -= m_pos;
    m_pos = 0;
  }
  while (!m_eof && m_len < kLogRecordSize) {
    size_t got = 0;
    if (!m_file.Read(m_buffer.data() + m_len, m_buffer.size() - m_len, &got) || got == 0) {
      m_eof = true;
      break;
    }
    m_len += got;
  }
  return m_len - m_pos >= kLogRecordSize;
}

bool LogRecordScanner::NextBytes(const uint8_t** bytes, int64_t* offset) {
  if (!m_started) {
    m_started = true;
    if (!m_file.Seek(m_offset)) {
      m_eof = true;
      return false;
    }
  }
  if (m_len - m_pos < kLogRecordSize && !Fill()) return false;
  *bytes = m_buffer.data() + m_pos;
  if (offset) *offset = m_offset;
  m_pos += kLogRecordSize;
  m_offset += static_cast<int64_t>(kLogRecordSize);
  return true;
}

bool LogRecordScanner::Next(TrafficLogRecord* record, int64_t* offset) {
  const uint8_t* bytes = nullptr;
  if (!NextBytes(&bytes, offset)) return false;
  ParseLogRecord(bytes, record);
  return true;
}

bool LogRecordScanner::NextFor(uint32_t kind, std::string_view id, TrafficLogRecord* record, int64_t* offset) {
  if (id.size() > kLogIdBytes - 1) id = id.substr(0, kLogIdBytes - 1);
  const uint8_t* raw = nullptr;
  while (NextBytes(&raw, offset)) {
    if (LoadU32(raw + 12) != kind) continue;
    if (kind == 300) {
      const uint8_t* stored = raw + 16;
      if (std::memcmp(stored, id.data(), id.size()) != 0) continue;
      if (id.size() < kLogIdBytes - 1 && stored[id.size()] != 0) continue;
    }
    ParseLogRecord(raw, record);
    return true;
  }
  return false;
}

}  // namespace vantrel
