#include "trafficlog/log_format.h"

#include <cstring>

namespace vantrel {

namespace {

void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t Get64(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

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
  Put32(out + 4, kLogVersion);
}

bool IsValidLogHeader(const uint8_t* data, size_t size) {
  return size >= kLogHeaderSize && std::memcmp(data, "NTSL", 4) == 0 && Get32(data + 4) == kLogVersion;
}

void SerializeLogRecord(const TrafficLogRecord& r, uint8_t out[kLogRecordSize]) {
  std::memset(out, 0, kLogRecordSize);
  Put16(out + 0, r.year);
  Put16(out + 2, r.month);
  Put16(out + 4, r.day);
  Put16(out + 8, r.dayOfWeek);
  Put32(out + 12, r.kind);
  std::string_view id = r.Id();
  std::memcpy(out + 16, id.data(), id.size());
  Put64(out + 280, r.down);
  Put64(out + 288, r.up);
}

void ParseLogRecord(const uint8_t in[kLogRecordSize], TrafficLogRecord* r) {
  r->year = Get16(in + 0);
  r->month = Get16(in + 2);
  r->day = Get16(in + 4);
  r->dayOfWeek = Get16(in + 8);
  r->kind = Get32(in + 12);
  size_t n = strnlen(reinterpret_cast<const char*>(in + 16), kLogIdBytes - 1);
  std::memcpy(r->id, in + 16, n);
  r->id[n] = '\0';  // what follows the terminator is never read
  r->down = Get64(in + 280);
  r->up = Get64(in + 288);
}

LogRecordScanner::LogRecordScanner(IFile& file, size_t bufferBytes)
    : m_file(file), m_buffer(bufferBytes < kLogRecordSize ? kLogRecordSize : bufferBytes) {}

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
    if (!m_file.Seek(static_cast<int64_t>(kLogHeaderSize))) {
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
    if (Get32(raw + 12) != kind) continue;
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
