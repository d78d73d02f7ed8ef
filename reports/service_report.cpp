#include "reports/service_report.h"

#include "platform/text.h"
#include "reports/report_export.h"

namespace vantrel {

namespace {

const char* KindWord(ReportKind kind) {
  switch (kind) {
    case ReportKind::Daily: return "daily";
    case ReportKind::Weekly: return "weekly";
    case ReportKind::Monthly: return "monthly";
    default: return "summary";
  }
}

}  // namespace

bool WriteServiceReport(ReportKind kind, const AdapterEntry& entry, const std::wstring& logPath,
                        const std::wstring& outputPath, uint32_t dateFormat, int weekStart, int monthStart,
                        int lastDays, bool byteUnits, const ServiceLogLine& log, IFileSystem& fs, IClock& clock) {
  auto say = [&log](const std::string& line) {
    if (log) log(line);
  };
  std::string outputName = WideToAnsi(outputPath);
  std::unique_ptr<IFile> out = fs.Open(outputPath, FileMode::Replace);
  if (!out) {
    say("Failed to create file '" + outputName + "'.");
    return false;
  }
  std::unique_ptr<IFile> logFile = fs.Open(logPath, FileMode::Reader);
  if (!logFile) {
    say("Failed to open traffic log file (" + WideToAnsi(logPath) + ").");
    return false;
  }

  ReportContext ctx;
  ctx.log = logFile.get();
  ctx.kind = entry.kind;
  ctx.id = entry.id;
  ctx.live = TrafficPair{static_cast<int64_t>(entry.todayDown), static_cast<int64_t>(entry.todayUp)};
  SetReportToday(&ctx, clock.Now());
  ctx.weekStart = weekStart;
  ctx.monthStart = monthStart;
  ctx.dateFormat = dateFormat;
  ctx.lastDays = lastDays;
  ctx.byteUnits = byteUnits;

  ReportDocument doc;
  if (kind == ReportKind::Summary) {
    SummaryTotals totals = BuildSummary(ctx);
    doc = SummaryDocument(MakeSummaryCells(totals, ctx.live, lastDays, byteUnits), totals.range, entry.displayName,
                          dateFormat, lastDays);
  } else {
    doc = TableDocument(BuildReportTable(kind, ctx), entry.displayName, dateFormat, weekStart, monthStart);
  }
  logFile.reset();
  WriteReport(*out, ExportFormatForPath(outputPath), doc);
  out.reset();
  say(std::string("Generate ") + KindWord(kind) + " report (" + outputName + ") for " + WideToAnsi(entry.displayName) +
      " successfully");
  return true;
}

}  // namespace vantrel
