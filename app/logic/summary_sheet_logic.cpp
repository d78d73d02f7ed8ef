#include "app/logic/summary_sheet_logic.h"

#include <climits>

#include "platform/text.h"

namespace vantrel {

bool SameReportAdapter(const ReportAdapter& a, const ReportAdapter& b) {
  if (a.kind != b.kind) return false;
  return a.kind == kKindAllConnections || a.kind == kKindDialUp || a.id == b.id;
}

AdapterSelection SelectReportAdapter(const std::vector<ReportAdapter>& items, const ReportAdapter& wanted) {
  AdapterSelection s;
  for (size_t i = 0; i < items.size(); ++i) {
    if (SameReportAdapter(items[i], wanted)) {
      s.index = static_cast<int>(i);
      s.adapter = wanted;
      return s;
    }
  }
  s.index = items.empty() ? -1 : 0;
  s.reset = true;
  s.adapter = ReportAdapter{};
  return s;
}

std::wstring ReportsCaption(const std::wstring& adapterName) { return L"Traffic Reports - [" + adapterName + L"]"; }

PageWork ReportPageTracker::BuildFor(const ReportAdapter& sheet, PageWork work) {
  m_built = true;
  m_builtFor = sheet;
  return work;
}

PageWork ReportPageTracker::Created(const ReportAdapter& sheet) { return BuildFor(sheet, PageWork::Build); }

PageWork ReportPageTracker::Shown(const ReportAdapter& sheet) {
  if (!m_built) return BuildFor(sheet, PageWork::Build);
  if (!SameReportAdapter(m_builtFor, sheet)) return BuildFor(sheet, PageWork::Rebuild);
  return PageWork::Refresh;
}

PageWork ReportPageTracker::AdapterChosen(const ReportAdapter& sheet) {
  if (!m_built) return BuildFor(sheet, PageWork::Build);
  if (!SameReportAdapter(m_builtFor, sheet)) return BuildFor(sheet, PageWork::Rebuild);
  return PageWork::None;
}

SheetButtonRow LayoutSheetButtons(const PixelRect& close, int pageAreaLeft, int listHeight, unsigned dpi) {
  SheetButtonRow row;
  const int width = close.Width();
  const int wide = ScaleForDpi(10, dpi), narrow = ScaleForDpi(5, dpi), list = ScaleForDpi(15, dpi);
  row.exportButton = PixelRect{close.left - 2 * width - wide, close.top, close.left - width - wide, close.bottom};
  row.clearButton = PixelRect{row.exportButton.left + width + narrow, close.top,
                              row.exportButton.left + 2 * width + narrow, close.bottom};
  row.adapterList = PixelRect{pageAreaLeft, close.top, row.exportButton.left - list,
                              close.top + close.Height() + ScaleForDpi(listHeight, dpi)};
  if (row.adapterList.right < row.adapterList.left) row.adapterList.right = row.adapterList.left;
  return row;
}

int ParseDaysText(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  long long value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + (text[i] - L'0');
    if (value > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(value);
}

std::wstring NumberedLogName(const std::wstring& logPath, int n) {
  std::wstring ext = ExtensionOf(logPath);
  std::wstring base = logPath.substr(0, logPath.size() - ext.size());
  return base + L"_" + std::to_wstring(n) + ext;
}

std::wstring FreshRestoreName(IFileSystem& fs, const std::wstring& logPath) {
  for (int n = 1; n <= kMaxRestoreNumber; ++n) {
    std::wstring name = NumberedLogName(logPath, n);
    // Anything there takes the name: the archive-attribute test alone would hand out a name held
    // by a folder or by a file without the archive bit, and the no-overwrite copy would then fail
    // although a later number was free.
    if (fs.Exists(name)) continue;
    return name;
  }
  return {};
}

LogCopyResult BackupTrafficLog(IFileSystem& fs, const std::wstring& logPath, const std::wstring& target) {
  if (EqualsIgnoreCase(target, logPath)) return LogCopyResult::SameFile;
  return fs.Copy(logPath, target, false) ? LogCopyResult::Copied : LogCopyResult::Failed;
}

LogCopyResult RestoreTrafficLog(IFileSystem& fs, const std::wstring& logPath, const std::wstring& backup,
                                std::wstring* restoredPath) {
  if (EqualsIgnoreCase(backup, logPath)) return LogCopyResult::SameFile;
  std::wstring name = FreshRestoreName(fs, logPath);
  if (name.empty() || !fs.Copy(backup, name, true)) return LogCopyResult::Failed;
  *restoredPath = name;
  return LogCopyResult::Copied;
}

std::wstring ClearRefusedText(bool serviceMode, const std::wstring& logPath) {
  if (serviceMode) {
    return L"The traffic log file (" + logPath +
           L") is kept by Vantrel Service, so the traffic logs cannot be cleared here.\n\n"
           L"Please stop Vantrel Service and disable service on Options, and then try again.";
  }
  return L"Failed to clear the traffic log file (" + logPath +
         L"). The file is not open, or it cannot be written.";
}

}  // namespace vantrel
