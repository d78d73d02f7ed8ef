#pragma once
// Building blocks of the traffic log tests: monitored lists, record and header bytes, and
// reading a log file back as records.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/adapter_entry.h"
#include "platform/clock.h"
#include "trafficlog/log_format.h"

namespace vantrel::test {

// All Connections, Dial-Up Connections, then one real adapter per identifier.
inline MonitoredList MakeList(std::initializer_list<const char*> realIds = {}) {
  MonitoredList list;
  AdapterEntry all;
  all.kind = kKindAllConnections;
  list.PushBack(std::move(all));
  AdapterEntry dialUp;
  dialUp.kind = kKindDialUp;
  list.PushBack(std::move(dialUp));
  for (const char* id : realIds) {
    AdapterEntry e;
    e.kind = kKindAdapter;
    e.id = id;
    list.PushBack(std::move(e));
  }
  return list;
}

inline AdapterEntry& Nth(MonitoredList& list, size_t n) { return *std::next(list.begin(), static_cast<long>(n)); }

inline std::string HeaderBytes(uint32_t version = kLogVersion) {
  uint8_t h[kLogHeaderSize];
  WriteLogHeader(h);
  h[4] = static_cast<uint8_t>(version);
  return std::string(reinterpret_cast<char*>(h), sizeof h);
}

inline std::string RecordBytes(const LocalTime& date, uint32_t kind, const std::string& id, uint64_t down,
                               uint64_t up) {
  TrafficLogRecord r;
  r.year = date.year;
  r.month = date.month;
  r.day = date.day;
  r.dayOfWeek = date.dayOfWeek;
  r.kind = kind;
  r.SetId(id);
  r.down = down;
  r.up = up;
  uint8_t b[kLogRecordSize];
  SerializeLogRecord(r, b);
  return std::string(reinterpret_cast<char*>(b), sizeof b);
}

inline LocalTime Day(int y, int m, int d) { return MakeLocalTime(y, m, d, 12, 0, 0); }

// The records of log bytes (after the header), in file order; a trailing part is ignored.
inline std::vector<TrafficLogRecord> RecordsOf(const std::string& bytes) {
  std::vector<TrafficLogRecord> out;
  for (size_t pos = kLogHeaderSize; pos + kLogRecordSize <= bytes.size(); pos += kLogRecordSize) {
    TrafficLogRecord r;
    ParseLogRecord(reinterpret_cast<const uint8_t*>(bytes.data() + pos), &r);
    out.push_back(r);
  }
  return out;
}

// One record of the older 40-byte summary format.
inline std::string OldRecordBytes(const LocalTime& date, uint32_t kind, const uint8_t address[8], uint64_t down,
                                  uint64_t up) {
  std::string b(40, '\0');
  auto put = [&](size_t at, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
  };
  put(0, date.year, 2);
  put(2, date.month, 2);
  put(4, date.day, 2);
  put(8, date.dayOfWeek, 2);
  put(12, kind, 4);
  for (int i = 0; i < 8; ++i) b[16 + i] = static_cast<char>(address ? address[i] : 0);
  put(24, down, 8);
  put(32, up, 8);
  return b;
}

}  // namespace vantrel::test
