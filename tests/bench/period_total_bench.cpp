// PeriodTotal over ten years of a busy machine's log (34 entries a day, ~124,000 records,
// ~37 MB), against one plain sequential read of the same file through the same file seam.
// The target: a period total costs no more than twice the plain read.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/memory_settings_store.h"
#include "tests/bench/bench_log.h"
#include "trafficlog/traffic_log.h"

namespace vantrel {
namespace {

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
