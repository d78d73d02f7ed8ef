#pragma once
// The benchmarks' log: ten years of a busy machine (34 entries a day, ~124,000 records,
// ~37 MB), made once per run in a temporary folder and removed at exit.
#include <memory>
#include <string>
#include <vector>

#include "engine/adapter_entry.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "tests/support/fakes.h"
#include "trafficlog/log_format.h"

namespace vantrel {

inline constexpr int kYears = 10;
inline constexpr int kEntries = 34;  // the two pseudo-adapters and 32 adapters
inline const LocalTime kToday = MakeLocalTime(2020, 6, 15, 12, 0, 0);

inline std::string AdapterId(int i) { return "{4D36E972-E325-11CE-BFC1-08002BE1" + std::to_string(1000 + i) + "}"; }

struct BenchLog {
  BenchLog() {
    path = dir.File(L"TrafficHistory.log");
    std::unique_ptr<IFile> f = SystemFileSystem().Open(path, FileMode::Replace);
    std::vector<uint8_t> buf(kLogHeaderSize);
    WriteLogHeader(buf.data());
    int64_t day = DaysFromCivil(kToday.year - kYears, kToday.month, kToday.day);
    int64_t last = DaysFromCivil(kToday.year, kToday.month, kToday.day);
    TrafficLogRecord r;
    uint8_t image[kLogRecordSize];
    for (; day <= last; ++day) {
      int y, m, d;
      CivilFromDays(day, &y, &m, &d);
      r.year = static_cast<uint16_t>(y);
      r.month = static_cast<uint16_t>(m);
      r.day = static_cast<uint16_t>(d);
      r.dayOfWeek = static_cast<uint16_t>(DayOfWeek(y, m, d));
      for (int e = 0; e < kEntries; ++e) {
        r.kind = e == 0 ? kKindAllConnections : e == 1 ? kKindDialUp : kKindAdapter;
        r.SetId(e < 2 ? std::string() : AdapterId(e));
        r.down = static_cast<uint64_t>(day) * 1000 + static_cast<uint64_t>(e);
        r.up = r.down / 3;
        SerializeLogRecord(r, image);
        buf.insert(buf.end(), image, image + sizeof image);
        ++records;
      }
      if (buf.size() > (1u << 20)) {
        WriteAll(*f, buf.data(), buf.size());
        buf.clear();
      }
    }
    WriteAll(*f, buf.data(), buf.size());
    f->Flush();
    bytes = f->Size();
  }
  test::TempDir dir;
  std::wstring path;
  int64_t records = 0;
  int64_t bytes = 0;
};

inline BenchLog& Log() {
  static BenchLog log;
  return log;
}

}  // namespace vantrel
