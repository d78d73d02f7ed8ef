#pragma once
// Report files: the daily, weekly, monthly and summary reports as fixed-width text, CSV or
// an HTML page, 8-bit ANSI text with CR LF line ends. The writers take a document of text
// cells, so the interactive export writes the rows as its list shows them and the service
// writes a freshly computed table newest first.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file.h"
#include "reports/report_tables.h"

namespace vantrel {

enum class ExportFormat { Text, Csv, Html };

// What one report file is made of, all cells already as text.
struct ReportDocument {
  ReportKind kind = ReportKind::Daily;
  std::wstring adapterName;
  std::wstring rangeStart;  // formatted with the chosen date format
  std::wstring rangeEnd;
  int weekStart = 0;        // weekly: its name goes into the title block
  int monthStart = 1;       // monthly: printed in the title block
  int lastDays = 0;         // summary: N of the "Last %d Days:" label
  // Daily, weekly, monthly: the rows in file order, five cells each.
  std::vector<std::array<std::wstring, kReportColumns>> rows;
  // Summary: the eighteen cells, rows in SummaryRow order.
  SummaryCells summary;
};

// "Daily Traffic Report", "Weekly Traffic Report", "Monthly Traffic Report",
// "General Traffic Summary".
const char* ReportTitle(ReportKind kind);

// A document of a table's rows in table order, with its report range.
ReportDocument TableDocument(const ReportTable& table, const std::wstring& adapterName, uint32_t dateFormat,
                             int weekStart, int monthStart);
// A document of the summary's cells, with its report range.
ReportDocument SummaryDocument(const SummaryCells& cells, const Period& range, const std::wstring& adapterName,
                               uint32_t dateFormat, int lastDays);

// Writes the whole report to an open file, piece by piece as each is formatted. Results of
// the writes are not checked: a short write leaves a shorter file.
void WriteReport(IFile& out, ExportFormat format, const ReportDocument& doc);
// The file's contents as WriteReport writes them.
std::string RenderReport(ExportFormat format, const ReportDocument& doc);
// Creates (replacing) the file and writes the report; false when it cannot be created.
bool ExportReportFile(IFileSystem& fs, const std::wstring& path, ExportFormat format, const ReportDocument& doc);

// The interactive save dialog.
// "Export Daily Report", "Export Weekly Report", "Export Monthly Report", "Export General Summary".
std::wstring ExportDialogTitle(ReportKind kind);
// Filter list for the save dialog (pairs of NUL-terminated strings, ending in an empty one).
extern const wchar_t kExportFilter[];
extern const size_t kExportFilterChars;  // including every NUL
// The format of the chosen filter: 1 text, 2 CSV, 3 HTML (any other index: text).
ExportFormat ExportFormatOfFilter(int filterIndex);
// The chosen name with the filter's extension appended unless it already has it (ignoring
// case): ".txt", ".csv", ".htm" (".html" kept too). A name without a backslash has no extension.
std::wstring ApplyExportExtension(const std::wstring& name, int filterIndex);

// The service's choice by the output name's extension, ignoring case: ".csv" CSV,
// ".htm" or ".html" HTML, anything else text.
ExportFormat ExportFormatForPath(const std::wstring& path);

// Messages of the interactive export.
// "Successfully export daily traffic report to file '%s'.\n\nDo you want to open it now?" and
// the weekly, monthly and summary forms.
std::wstring ExportSuccessQuestion(ReportKind kind, const std::wstring& path);
// "Failed to create file '%s'."
std::wstring CreateFileFailedMessage(const std::wstring& path);

}  // namespace vantrel
