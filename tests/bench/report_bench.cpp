// Report builds over ten years of 34 entries (about 124,000 records, 37 MB) and the three
// export writers over a 3,650-row daily table. Each build reports its time as a multiple of
// one plain sequential read of the same file through the same file seam ("x_read"); the aim
// is to stay within 2.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file.h"
#include "reports/report_export.h"
#include "reports/report_tables.h"
#include "tests/support/fakes.h"
#include "trafficlog/log_format.h"
#include "trafficlog/periods.h"

namespace vantrel {
namespace {

constexpr int kYears = 10;
constexpr int kEntries = 34;
const char kSelectedId[] = "ADAPTER16";

// The generated log, written once per run.
struct BenchLog {
  test::TempDir dir;
  std::wstring path;
  Date last;
  int lastDayOfWeek = 0;
  size_t records = 0;

  BenchLog() {
    path = dir.File(L"TrafficHistory.log");
    std::string bytes(kLogHeaderSize, '\0');
    WriteLogHeader(reinterpret_cast<uint8_t*>(bytes.data()));
    Date d{2000, 1, 1};
    int days = kYears * 365;
    bytes.reserve(kLogHeaderSize + static_cast<size_t>(days) * kEntries * kLogRecordSize);
    for (int i = 0; i < days; ++i) {
      for (int e = 0; e < kEntries; ++e) {
        TrafficLogRecord r;
        r.year = d.year;
        r.month = d.month;
        r.day = d.day;
        r.dayOfWeek = static_cast<uint16_t>(DayOfWeek(d.year, d.month, d.day));
        r.kind = e == 0 ? kKindAllConnections : (e == 1 ? kKindDialUp : kKindAdapter);
        if (e >= 2) r.SetId("ADAPTER" + std::string(e - 2 < 10 ? "0" : "") + std::to_string(e - 2));
        r.down = static_cast<uint64_t>(i) * 7919u + static_cast<uint64_t>(e) * 104729u;
        r.up = r.down / 3;
        uint8_t b[kLogRecordSize];
        SerializeLogRecord(r, b);
        bytes.append(reinterpret_cast<const char*>(b), sizeof b);
        ++records;
      }
      last = d;
      d = AddDays(d, 1);
    }
    lastDayOfWeek = DayOfWeek(last.year, last.month, last.day);
    test::WriteFileBytes(path, bytes);
  }
};

BenchLog& Log() {
  static BenchLog log;
  return log;
}

std::unique_ptr<IFile> OpenLog() { return SystemFileSystem().Open(Log().path, FileMode::Reader); }

// One sequential read of the whole file in 64 KB pieces, as the record scanner reads.
size_t PlainRead(IFile& f) {
  std::vector<uint8_t> buf(64 * 1024);
  f.Seek(0);
  size_t total = 0, got = 0;
  while (f.Read(buf.data(), buf.size(), &got) && got > 0) total += got;
  return total;
}

double SecondsOf(const std::chrono::steady_clock::duration& d) { return std::chrono::duration<double>(d).count(); }

// The best of several plain reads, in seconds: the baseline of every build.
double PlainReadSeconds() {
  static double best = [] {
    std::unique_ptr<IFile> f = OpenLog();
    double b = 1e9;
    for (int i = 0; i < 7; ++i) {
      auto start = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(PlainRead(*f));
      b = std::min(b, SecondsOf(std::chrono::steady_clock::now() - start));
    }
    return b;
  }();
  return best;
}

ReportContext Context(IFile* f) {
  ReportContext ctx;
  ctx.log = f;
  ctx.kind = kKindAdapter;
  ctx.id = kSelectedId;
  ctx.live = TrafficPair{123456789, 98765};
  ctx.today = Log().last;
  ctx.todayDayOfWeek = Log().lastDayOfWeek;
  ctx.weekStart = 1;
  ctx.monthStart = 15;
  ctx.dateFormat = 17;
  ctx.lastDays = 30;
  ctx.byteUnits = true;
  return ctx;
}

template <typename Build>
void RunBuild(benchmark::State& state, Build build) {
  std::unique_ptr<IFile> f = OpenLog();
  ReportContext ctx = Context(f.get());
  double baseline = PlainReadSeconds();
  double best = 1e9;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(build(ctx));
    best = std::min(best, SecondsOf(std::chrono::steady_clock::now() - start));
  }
  state.counters["x_read"] = best / baseline;
  state.counters["records"] = static_cast<double>(Log().records);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Log().records * kLogRecordSize));
}

void BM_PlainRead(benchmark::State& state) {
  std::unique_ptr<IFile> f = OpenLog();
  for (auto _ : state) benchmark::DoNotOptimize(PlainRead(*f));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * f->Size());
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

// The record scanner alone: the floor under every build.
void BM_ScanOnly(benchmark::State& state) {
  RunBuild(state, [](const ReportContext& c) {
    LogRecordScanner scanner(*c.log);
    TrafficLogRecord r;
    size_t n = 0;
    while (scanner.Next(&r)) n += r.IsFor(c.kind, c.id);
    return n;
  });
}
BENCHMARK(BM_ScanOnly)->Unit(benchmark::kMillisecond);

void BM_BuildDaily(benchmark::State& state) {
  RunBuild(state, [](const ReportContext& c) { return BuildDailyTable(c).rows.size(); });
}
BENCHMARK(BM_BuildDaily)->Unit(benchmark::kMillisecond);

void BM_BuildWeekly(benchmark::State& state) {
  RunBuild(state, [](const ReportContext& c) { return BuildWeeklyTable(c).rows.size(); });
}
BENCHMARK(BM_BuildWeekly)->Unit(benchmark::kMillisecond);

void BM_BuildMonthly(benchmark::State& state) {
  RunBuild(state, [](const ReportContext& c) { return BuildMonthlyTable(c).rows.size(); });
}
BENCHMARK(BM_BuildMonthly)->Unit(benchmark::kMillisecond);

void BM_BuildSummary(benchmark::State& state) {
  RunBuild(state, [](const ReportContext& c) { return BuildSummary(c).total.down; });
}
BENCHMARK(BM_BuildSummary)->Unit(benchmark::kMillisecond);

// The daily table of one adapter over the ten years: 3,650 rows.
const ReportDocument& DailyDocument() {
  static ReportDocument doc = [] {
    std::unique_ptr<IFile> f = OpenLog();
    ReportTable t = BuildDailyTable(Context(f.get()));
    return TableDocument(t, L"Local Area Connection", 17, 1, 15);
  }();
  return doc;
}

void RunExport(benchmark::State& state, ExportFormat format) {
  const ReportDocument& doc = DailyDocument();
  test::TempDir dir;
  std::wstring path = dir.File(L"daily.out");
  for (auto _ : state) benchmark::DoNotOptimize(ExportReportFile(SystemFileSystem(), path, format, doc));
  state.counters["rows"] = static_cast<double>(doc.rows.size());
}

void BM_ExportText(benchmark::State& state) { RunExport(state, ExportFormat::Text); }
BENCHMARK(BM_ExportText)->Unit(benchmark::kMillisecond);
void BM_ExportCsv(benchmark::State& state) { RunExport(state, ExportFormat::Csv); }
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond);
void BM_ExportHtml(benchmark::State& state) { RunExport(state, ExportFormat::Html); }
BENCHMARK(BM_ExportHtml)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantrel

BENCHMARK_MAIN();
