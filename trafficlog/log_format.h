#pragma once
// The traffic log's binary layout: a 24-byte header ("NTSL", version 2, 16 reserved bytes)
// followed by 296-byte records, one per day and entry, all integers little-endian.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file.h"
#include "trafficlog/periods.h"

namespace vantrel {

constexpr size_t kLogHeaderSize = 24;
constexpr size_t kLogRecordSize = 296;
constexpr uint32_t kLogVersion = 2;
constexpr size_t kLogIdBytes = 260;  // identifier field, NUL-terminated

struct TrafficLogRecord {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t day = 0;
  uint16_t dayOfWeek = 0;  // as stored: 0 = Sunday .. 6 = Saturday (not checked)
  uint32_t kind = 0;
  char id[kLogIdBytes] = {};  // always NUL-terminated in memory
  uint64_t down = 0;
  uint64_t up = 0;

  Date date() const { return Date{year, month, day}; }
  std::string_view Id() const;
  void SetId(std::string_view id);  // cut to 259 characters
  // The record is the given entry's: equal kind and, for kind 300, equal identifier.
  bool IsFor(uint32_t entryKind, std::string_view entryId) const;
};

// The 24 header bytes of a fresh log.
void WriteLogHeader(uint8_t out[kLogHeaderSize]);
// True for at least 24 bytes beginning with "NTSL" and version 2.
bool IsValidLogHeader(const uint8_t* data, size_t size);

void SerializeLogRecord(const TrafficLogRecord& r, uint8_t out[kLogRecordSize]);
// Any 296 bytes parse; the identifier is cut at its first NUL or at 259 characters.
void ParseLogRecord(const uint8_t in[kLogRecordSize], TrafficLogRecord* r);

// One sequential pass over the records of an open log, from offset 24, through a buffer of
// fixed size: memory stays the same whatever the log's size. The pass ends at the first
// short read (a trailing partial record is ignored) or read error.
class LogRecordScanner {
 public:
  // `from`: the pass may start at a later record's offset (24 plus a multiple of 296).
  explicit LogRecordScanner(IFile& file, size_t bufferBytes = 64 * 1024, int64_t from = kLogHeaderSize);
  // The next record and its file offset; false at the end.
  bool Next(TrafficLogRecord* record, int64_t* offset = nullptr);
  // The next record of one entry (equal kind and, for kind 300, identifier). Records of
  // other entries are passed over on their raw bytes, without being parsed.
  bool NextFor(uint32_t kind, std::string_view id, TrafficLogRecord* record, int64_t* offset = nullptr);
  // The next record's 296 bytes as stored, valid until the next call; for passes that
  // look at a few fields of every record. False at the end.
  bool NextBytes(const uint8_t** bytes, int64_t* offset = nullptr);

 private:
  bool Fill();

  IFile& m_file;
  std::vector<uint8_t> m_buffer;
  size_t m_pos = 0;
  size_t m_len = 0;
  int64_t m_offset = kLogHeaderSize;  // file offset of m_buffer[m_pos]
  bool m_started = false;
  bool m_eof = false;
};

}  // namespace vantrel
