#pragma once
// How the sortable lists order their rows: every column has a sort kind, and two cells are
// compared by reading their texts the way that kind says (numbers, byte sizes with their
// unit letter, dates in the user's date format, minutes:seconds, hours:minutes:seconds).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "reports/report_tables.h"
#include "trafficlog/periods.h"

namespace vantrel {

enum SortKind : int {
  kSortText = 0,             // plain text comparison
  kSortNumeric = 1,          // the texts read as numbers
  kSortByteSize = 2,         // a number times its unit letter's factor (K, M, G, T)
  kSortDateMdySlash = 3,     // date code 17
  kSortDateMdyDot = 4,       // date code 119
  kSortDateDmySlash = 5,     // date code 34
  kSortDateDmyDot = 6,       // date code 102
  kSortDateYmdSlash = 7,     // date code 51
  kSortDateYmdDash = 8,      // date code 68
  kSortDateYmdDot = 9,       // date code 85
  kSortMinutesSeconds = 10,  // "m:s" as m x 60 + s
  kSortTimeOfDay = 11,       // "h:m:s" as (h x 60 + m) x 60 + s
};

// The date sort kind of a date-format code (unknown codes sort as code 17).
int DateSortKind(uint32_t dateFormat);
// The date-format code a date sort kind reads (17 for a kind that is not a date kind).
uint32_t DateFormatOfSortKind(int sortKind);

// Reads a date written in a date format: the text is split at the format's separator and
// the three fields taken in the format's order; the last field is read up to its first
// non-digit, so a span ("a -- b") reads as its start date. False without two separators.
bool ParseReportDate(const std::wstring& text, uint32_t dateFormat, Date* out);
// The leading number of a text (blanks skipped, optional sign and fraction); 0 when none.
double ParseLeadingNumber(const std::wstring& text, size_t* end = nullptr);
// A byte-size cell as bytes: the number times 1024, 1048576, 1073741824 or 1099511627776
// for a first letter K, M, G or T (either case) after it, one blank skipped; otherwise 1.
double ParseByteSize(const std::wstring& text);

// Negative, zero or positive as cell a sorts before, with or after cell b under the kind.
// Unknown kinds compare as text.
int CompareSortCells(int sortKind, const std::wstring& a, const std::wstring& b);

// The sort kinds of the five columns of a daily, weekly or monthly table.
std::array<int, kReportColumns> ReportColumnSortKinds(ReportKind kind, uint32_t dateFormat);
// The column a table is first sorted by (descending): daily its date, weekly and monthly
// their span.
int InitialSortColumn(ReportKind kind);

// Sorts rows by one column; equal cells keep their order. The current row moves with its
// flag: find it again with ReportTable::CurrentRowIndex.
void SortReportRows(std::vector<ReportRow>* rows, int column, int sortKind, bool ascending);

}  // namespace vantrel
