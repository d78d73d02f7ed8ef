#pragma once
// Traffic logs for the report tests: records serialized one by one into a file, and the
// scenarios the report tests share.
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file.h"
#include "reports/report_tables.h"
#include "tests/support/fakes.h"
#include "trafficlog/log_format.h"

namespace vantrel::test {

// One day record; dayOfWeek -1 means "the real one of the date".
struct LogDay {
  int year, month, day;
  uint32_t kind;
  std::string id;
  uint64_t down, up;
  int dayOfWeek = -1;
};

inline std::string LogBytes(const std::vector<LogDay>& days) {
  std::string bytes(kLogHeaderSize, '\0');
  WriteLogHeader(reinterpret_cast<uint8_t*>(bytes.data()));
  for (const LogDay& d : days) {
    TrafficLogRecord r;
    r.year = static_cast<uint16_t>(d.year);
    r.month = static_cast<uint16_t>(d.month);
    r.day = static_cast<uint16_t>(d.day);
    r.dayOfWeek = static_cast<uint16_t>(d.dayOfWeek >= 0 ? d.dayOfWeek : DayOfWeek(d.year, d.month, d.day));
    r.kind = d.kind;
    r.SetId(d.id);
    r.down = d.down;
    r.up = d.up;
    uint8_t b[kLogRecordSize];
    SerializeLogRecord(r, b);
    bytes.append(reinterpret_cast<const char*>(b), sizeof b);
  }
  return bytes;
}

// A log file in a temporary folder, open for reading as the report pages read it.
class TestLog {
 public:
  explicit TestLog(const std::vector<LogDay>& days, const std::string& trailing = {}) {
    m_path = m_dir.File(L"TrafficHistory.log");
    WriteFileBytes(m_path, LogBytes(days) + trailing);
    m_file = SystemFileSystem().Open(m_path, FileMode::Reader);
  }
  IFile* file() { return m_file.get(); }
  const std::wstring& path() const { return m_path; }
  const TempDir& dir() const { return m_dir; }

 private:
  TempDir m_dir;
  std::wstring m_path;
  std::unique_ptr<IFile> m_file;
};

constexpr uint32_t kLan = kKindAdapter;
inline const std::string kLanId = "LAN1";

// Records of other adapters between those of LAN1: they must never count.
inline void AddNoise(std::vector<LogDay>* days, int y, int m, int d) {
  days->push_back({y, m, d, kKindAllConnections, "", 900000000, 900000000});
  days->push_back({y, m, d, kKindAdapter, "LAN2", 700000000, 700000000});
  days->push_back({y, m, d, kKindAdapter, "lan1", 500000000, 500000000});
  days->push_back({y, m, d, kKindDialUp, "LAN1", 300000000, 300000000});
}

// Several weeks with a gap; today Wednesday 2010-03-10 (its record must not count).
inline std::vector<LogDay> WeeksWithGapLog() {
  std::vector<LogDay> days;
  auto lan = [&](int y, int m, int d, uint64_t down, uint64_t up) {
    AddNoise(&days, y, m, d);
    days.push_back({y, m, d, kLan, kLanId, down, up});
  };
  lan(2010, 1, 4, 1000, 100);
  lan(2010, 1, 5, 2000, 200);
  lan(2010, 1, 12, 4096, 1024);
  lan(2010, 2, 16, 3145728, 0);
  lan(2010, 3, 8, 10240, 5120);
  lan(2010, 3, 10, 999999, 999999);
  return days;
}

// Month start 15 around Sunday 2010-03-07 (today; its record must not count).
inline std::vector<LogDay> MonthStart15Log() {
  std::vector<LogDay> days;
  auto lan = [&](int y, int m, int d, uint64_t down, uint64_t up) {
    AddNoise(&days, y, m, d);
    days.push_back({y, m, d, kLan, kLanId, down, up});
  };
  lan(2009, 12, 31, 1048576, 1048576);
  lan(2010, 1, 20, 1024, 1024);
  lan(2010, 2, 10, 2048, 0);
  lan(2010, 2, 20, 4096, 2048);
  lan(2010, 3, 1, 10240, 0);
  lan(2010, 3, 7, 77777, 77777);
  return days;
}

// The context the scenarios use: LAN1, live totals 2048 down and 512 up, byte units.
inline ReportContext LanContext(IFile* log, int y, int m, int d) {
  ReportContext ctx;
  ctx.log = log;
  ctx.kind = kLan;
  ctx.id = kLanId;
  ctx.live = TrafficPair{2048, 512};
  SetReportToday(&ctx, MakeLocalTime(y, m, d, 12, 0, 0));
  ctx.weekStart = 0;
  ctx.monthStart = 1;
  ctx.dateFormat = 17;
  ctx.lastDays = 30;
  ctx.byteUnits = true;
  return ctx;
}

}  // namespace vantrel::test
