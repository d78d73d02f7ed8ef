// A scrape of /metrics (and /status.json) for 34 entries over ten years of log: the period
// totals from the cached daily totals plus today's figures, and the exposition's text. The
// first scrape reads the log once (BM_FirstScrape); every later one must stay under 1 ms
// (BM_ScrapeMetrics).
#include <benchmark/benchmark.h>

#include "metrics/daily_totals.h"
#include "metrics/exposition.h"
#include "tests/bench/bench_log.h"

namespace vantrel {
namespace {

MetricsSnapshot BenchSnapshot() {
  MetricsSnapshot s;
  s.sampleTime = kToday;
  s.sampleUnixMs = 1592222400000;
  s.logPath = Log().path;
  s.monthStartDay = 1;
  s.sumLastDays = 30;
  for (int e = 0; e < kEntries; ++e) {
    MetricsEntry m;
    m.kind = e == 0 ? kKindAllConnections : e == 1 ? kKindDialUp : kKindAdapter;
    m.id = m.logId = e < 2 ? std::string() : AdapterId(e);
    m.name = e == 0 ? "All Connections" : e == 1 ? "Dial-Up Connections" : "Intel(R) Ethernet Connection " + m.id;
    m.lastSecond = {123456789, 98765};
    m.sinceStart = {987654321012ull, 12345678901ull};
    m.today = {5000000000ull + static_cast<uint64_t>(e), 70000000};
    s.entries.push_back(m);
  }
  MetricsQuota q;
  q.entry = 17;
  q.period = 1;
  q.limit = 500ull << 30;
  q.used = 123ull << 30;
  s.quota = q;
  return s;
}

void BM_FirstScrape(benchmark::State& state) {
  MetricsSnapshot s = BenchSnapshot();
  for (auto _ : state) {
    DailyTotals totals(SystemFileSystem());
    benchmark::DoNotOptimize(RenderExposition(s, PeriodsOf(s, totals)));
  }
  state.counters["records"] = static_cast<double>(Log().records);
}
BENCHMARK(BM_FirstScrape)->Unit(benchmark::kMillisecond);

void BM_ScrapeMetrics(benchmark::State& state) {
  MetricsSnapshot s = BenchSnapshot();
  DailyTotals totals(SystemFileSystem());
  PeriodsOf(s, totals);  // the first scrape
  size_t bytes = 0;
  for (auto _ : state) {
    std::string text = RenderExposition(s, PeriodsOf(s, totals));
    bytes = text.size();
    benchmark::DoNotOptimize(text);
  }
  state.counters["exposition_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ScrapeMetrics)->Unit(benchmark::kMicrosecond);

void BM_ScrapeStatusJson(benchmark::State& state) {
  MetricsSnapshot s = BenchSnapshot();
  DailyTotals totals(SystemFileSystem());
  PeriodsOf(s, totals);
  for (auto _ : state) benchmark::DoNotOptimize(RenderStatusJson(s, PeriodsOf(s, totals)));
}
BENCHMARK(BM_ScrapeStatusJson)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vantrel

BENCHMARK_MAIN();
