// PeriodTotal over ten years of a busy machine's log (34 entries a day, ~124,000 records,
// ~37 MB), against one plain sequential read of the same file through the same file seam.
// The target: a period total costs no more than twice the plain read.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/memory_settings_store.h"
#include "tests/support/fakes.h"
#include "trafficlog/traffic_log.h"

namespace vantrel {
namespace {

constexpr int kYears = 10;
constexpr int kEntries = 34;  // the two pseudo-adapters and 32 adapters
const LocalTime kToday = MakeLocalTime(2020, 6, 15, 12, 0, 0);

std::string AdapterId(int i) { return "{4D36E972-E325-11CE-BFC1-08002BE1" + std::to_string(1000 + i) + "}"; }

// The generated log, made once per run and removed at exit.
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

BenchLog& Log() {
  static BenchLog log;
  return log;
}

struct OpenBenchLog {
  OpenBenchLog() : log(LogProgram::Service, SystemFileSystem(), settings, folders, nullptr) {
    log.ChangeLogPath(Log().path);
    log.OpenTrafficLog();
  }
  MemorySettingsStore settings;
  FixedKnownFolders folders{L"", std::nullopt};
  TrafficLog log;
};

uint64_t MonthTotal(TrafficLog& log) {
  return log.PeriodTotal(kKindAdapter, AdapterId(17), kPeriodMonth, kDirectionBoth, 0, kToday, 0, 1);
}

// One sequential read of the whole file through the seam, as the scanner reads it.
int64_t PlainRead(const std::wstring& path) {
  std::unique_ptr<IFile> f = SystemFileSystem().Open(path, FileMode::Reader);
  std::vector<uint8_t> buf(64 * 1024);
  int64_t total = 0;
  size_t got = 0;
  while (f->Read(buf.data(), buf.size(), &got) && got > 0) total += static_cast<int64_t>(got);
  return total;
}

void BM_PeriodTotalMonth(benchmark::State& state) {
  OpenBenchLog open;
  for (auto _ : state) benchmark::DoNotOptimize(MonthTotal(open.log));
  state.SetBytesProcessed(state.iterations() * Log().bytes);
  state.counters["records"] = static_cast<double>(Log().records);
}
BENCHMARK(BM_PeriodTotalMonth)->Unit(benchmark::kMillisecond);

void BM_PlainSequentialRead(benchmark::State& state) {
  const std::wstring& path = Log().path;
  for (auto _ : state) benchmark::DoNotOptimize(PlainRead(path));
  state.SetBytesProcessed(state.iterations() * Log().bytes);
}
BENCHMARK(BM_PlainSequentialRead)->Unit(benchmark::kMillisecond);

// Both, alternately, in every iteration: "ratio" is the period total's time over the plain
// read's (target: 2 or less).
void BM_PeriodTotalOverPlainRead(benchmark::State& state) {
  OpenBenchLog open;
  const std::wstring& path = Log().path;
  using Clock = std::chrono::steady_clock;
  Clock::duration totalTime{}, readTime{};
  for (auto _ : state) {
    auto t0 = Clock::now();
    benchmark::DoNotOptimize(MonthTotal(open.log));
    auto t1 = Clock::now();
    benchmark::DoNotOptimize(PlainRead(path));
    auto t2 = Clock::now();
    totalTime += t1 - t0;
    readTime += t2 - t1;
  }
  state.counters["ratio"] =
      readTime.count() > 0 ? static_cast<double>(totalTime.count()) / static_cast<double>(readTime.count()) : 0.0;
}
BENCHMARK(BM_PeriodTotalOverPlainRead)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantrel

BENCHMARK_MAIN();
