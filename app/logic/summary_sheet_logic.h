#pragma once
// Decisions of the Traffic Reports window (CSummarySheet and its pages) that need no window:
// which adapter the drop-down selects, when a page rebuilds its table or only refreshes its
// current row, where the sheet's own buttons go, the days edit's number, and the names and
// copies behind the log file's Change, Backup and Restore buttons.
#include <cstdint>
#include <string>
#include <vector>

#include "app/logic/pixel_rect.h"
#include "engine/adapter_entry.h"
#include "platform/file.h"
#include "ui/dpi_scale.h"

namespace vantrel {

// The private messages between the sheet, its pages and the main window.
constexpr unsigned kUmReportAdapter = 0x0463;   // sheet to the page in front: the adapter may have changed
constexpr unsigned kUmExportReport = 0x05C0;    // sheet to the page in front: export it
constexpr unsigned kUmClearHistory = 0x05BC;    // sheet to the main window, then to every page with a window
constexpr unsigned kReportPageTimer = 999;      // each page's one-second refresh
constexpr unsigned kReportPageTimerMs = 1000;

// The adapter a report is for.
struct ReportAdapter {
  uint32_t kind = kKindAllConnections;
  std::string id;  // kind 300 only
};
// The same adapter: equal kind and, unless the kind is 100 or 200, equal identifier.
bool SameReportAdapter(const ReportAdapter& a, const ReportAdapter& b);

// The drop-down's item for the adapter last chosen: the first item of the same adapter. When
// none matches (the adapter is gone), the first item, and the sheet's adapter is reset to
// All Connections (kind 100, no identifier).
struct AdapterSelection {
  int index = 0;        // -1 only for an empty list
  bool reset = false;   // the wanted adapter was not there
  ReportAdapter adapter;  // what the sheet holds afterwards
};
AdapterSelection SelectReportAdapter(const std::vector<ReportAdapter>& items, const ReportAdapter& wanted);

// "Traffic Reports - [%s]" with the adapter's name.
std::wstring ReportsCaption(const std::wstring& adapterName);

// What a page does with its table.
enum class PageWork { None, Build, Rebuild, Refresh };

// One page's memory of the adapter its table was built for. A page builds when its window is
// made, rebuilds when it is brought to the front or told about a new adapter and its table is
// for another one, and otherwise only refreshes its current row when brought to the front.
class ReportPageTracker {
 public:
  // The page's window was made: build for the sheet's adapter.
  PageWork Created(const ReportAdapter& sheet);
  // Brought to the front.
  PageWork Shown(const ReportAdapter& sheet);
  // The sheet chose another adapter while this page is in front (UM_REPORT_ADAPTER).
  PageWork AdapterChosen(const ReportAdapter& sheet);
  // The page's window is gone; the next window builds afresh.
  void Destroyed() { m_built = false; }
  bool Built() const { return m_built; }
  const ReportAdapter& BuiltFor() const { return m_builtFor; }

 private:
  PageWork BuildFor(const ReportAdapter& sheet, PageWork work);
  bool m_built = false;
  ReportAdapter m_builtFor;
};

// The sheet's own controls beside Close, in the sheet's client coordinates: Export two button
// widths plus 10 pixels left of Close, Clear one width plus 5 pixels right of Export (so the
// three stand in a row), and the adapter drop-down level with them from the page area's left
// edge to 15 pixels left of Export, `listHeight` pixels taller for its list. The gaps and the
// list height are 96-DPI lengths scaled to the sheet's `dpi`.
struct SheetButtonRow {
  PixelRect exportButton;
  PixelRect clearButton;
  PixelRect adapterList;
};
SheetButtonRow LayoutSheetButtons(const PixelRect& close, int pageAreaLeft, int listHeight,
                                  unsigned dpi = kDefaultDpi);
constexpr int kAdapterListHeight = 400;

// The days edit as a number: its leading decimal digits (blanks skipped), 0 when there are
// none, saturated at 2147483647 instead of overflowing.
int ParseDaysText(const std::wstring& text);

// "%s_%d%s": the log path's base, a number and its extension (the text from the last dot
// after the last backslash; none when there is no such dot).
std::wstring NumberedLogName(const std::wstring& logPath, int n);
// How far Restore looks for a free name before it gives up.
constexpr int kMaxRestoreNumber = 10000;
// The first of NumberedLogName(logPath, 1, 2, ...) that nothing occupies: not a file (with or
// without the archive attribute) and not a folder, so the no-overwrite copy can succeed.
// Empty when every name up to kMaxRestoreNumber is taken.
std::wstring FreshRestoreName(IFileSystem& fs, const std::wstring& logPath);

enum class LogCopyResult { SameFile, Copied, Failed };
// Backup: copies the log over `target` (replacing a file there); nothing when the target is
// the log itself (ignoring case).
LogCopyResult BackupTrafficLog(IFileSystem& fs, const std::wstring& logPath, const std::wstring& target);
// Restore: copies `backup`, never over an existing file, to FreshRestoreName beside the log
// and gives that name in *restoredPath; nothing when the backup is the log itself (ignoring
// case). The live log is never written.
LogCopyResult RestoreTrafficLog(IFileSystem& fs, const std::wstring& logPath, const std::wstring& backup,
                                std::wstring* restoredPath);

// Texts of the window.
inline constexpr wchar_t kClearQuestion[] =
    L"Are you sure you want to clear all traffic logs?\n\nIMPORTANT: all traffic logs can't be restored after "
    L"clearing.";
inline constexpr wchar_t kLogChangeNotice[] = L"The new change won't take effect until the program restarts.";
inline constexpr wchar_t kCopyFailedText[] = L"Failed to copy file.";
inline constexpr wchar_t kChooseLogTitle[] = L"Choose a traffic log";
inline constexpr wchar_t kBackupTitle[] = L"Backup";
inline constexpr wchar_t kRestoreTitle[] = L"Restore";
// Why Clear did nothing: in service mode the service owns the log and this program only reads
// it; otherwise no log is open (or it could not be cut).
std::wstring ClearRefusedText(bool serviceMode, const std::wstring& logPath);

}  // namespace vantrel
