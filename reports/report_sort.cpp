#include "reports/report_sort.h"

#include <algorithm>

namespace vantrel {

namespace {

struct DateLayout {
  uint32_t code;
  wchar_t separator;
  int yearField, monthField, dayField;  // positions 0..2 of the fields in the text
};

// The date sort kinds 3..9 in order.
constexpr DateLayout kLayouts[] = {
    {17, L'/', 2, 0, 1},  {119, L'.', 2, 0, 1}, {34, L'/', 2, 1, 0}, {102, L'.', 2, 1, 0},
    {51, L'/', 0, 1, 2},  {68, L'-', 0, 1, 2},  {85, L'.', 0, 1, 2},
};

const DateLayout& LayoutOf(uint32_t dateFormat) {
  for (const DateLayout& l : kLayouts) {
    if (l.code == dateFormat) return l;
  }
  return kLayouts[0];
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The leading integer of text[pos..], blanks and a sign allowed, saturating far beyond
// any date or time field (so that clock values cannot overflow); 0 when there is none.
int64_t LeadingInt(const std::wstring& text, size_t pos, size_t* end) {
  constexpr int64_t kCap = 1000000000000LL;
  size_t i = pos;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  int64_t v = 0;
  while (i < text.size() && IsDigit(text[i])) {
    if (v < kCap) v = v * 10 + (text[i] - L'0');
    ++i;
  }
  if (end) *end = i;
  return negative ? -v : v;
}

template <typename T>
int Sign(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

int CompareDatesIn(uint32_t dateFormat, const std::wstring& a, const std::wstring& b) {
  Date da, db;
  if (!ParseReportDate(a, dateFormat, &da) || !ParseReportDate(b, dateFormat, &db)) return 0;
  return Sign(CompareDates(da, db), 0);
}

// Fields separated by ':' combined as (f0 x 60 + f1) x 60 + f2, for 2 or 3 fields; a
// missing field counts 0.
int64_t ClockValue(const std::wstring& text, int fields) {
  int64_t v = 0;
  size_t pos = 0;
  bool more = true;
  for (int f = 0; f < fields; ++f) {
    v = v * 60 + (more ? LeadingInt(text, pos, nullptr) : 0);
    if (more) {
      size_t colon = text.find(L':', pos);
      more = colon != std::wstring::npos;
      if (more) pos = colon + 1;
    }
  }
  return v;
}

}  // namespace

int DateSortKind(uint32_t dateFormat) {
  for (size_t i = 0; i < std::size(kLayouts); ++i) {
    if (kLayouts[i].code == dateFormat) return kSortDateMdySlash + static_cast<int>(i);
  }
  return kSortDateMdySlash;
}

uint32_t DateFormatOfSortKind(int sortKind) {
  if (sortKind < kSortDateMdySlash || sortKind > kSortDateYmdDot) return kLayouts[0].code;
  return kLayouts[sortKind - kSortDateMdySlash].code;
}

bool ParseReportDate(const std::wstring& text, uint32_t dateFormat, Date* out) {
  const DateLayout& l = LayoutOf(dateFormat);
  size_t first = text.find(l.separator);
  if (first == std::wstring::npos) return false;
  size_t second = text.find(l.separator, first + 1);
  if (second == std::wstring::npos) return false;
  int64_t fields[3] = {LeadingInt(text, 0, nullptr), LeadingInt(text, first + 1, nullptr),
                       LeadingInt(text, second + 1, nullptr)};
  auto clamp16 = [](int64_t v) { return static_cast<uint16_t>(v < 0 ? 0 : (v > 65535 ? 65535 : v)); };
  out->year = clamp16(fields[l.yearField]);
  out->month = clamp16(fields[l.monthField]);
  out->day = clamp16(fields[l.dayField]);
  return true;
}

double ParseLeadingNumber(const std::wstring& text, size_t* end) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  double v = 0;
  bool digits = false;
  while (i < text.size() && IsDigit(text[i])) {
    v = v * 10 + (text[i++] - L'0');
    digits = true;
  }
  if (i < text.size() && text[i] == L'.') {
    size_t j = i + 1;
    double fraction = 0, scale = 1;
    while (j < text.size() && IsDigit(text[j])) {
      if (scale < 1e15) {
        fraction = fraction * 10 + (text[j] - L'0');
        scale *= 10;
      }
      ++j;
    }
    if (j > i + 1 || digits) {
      v += fraction / scale;
      digits = true;
      i = j;
    }
  }
  if (!digits) {
    if (end) *end = 0;
    return 0;
  }
  if (end) *end = i;
  return negative ? -v : v;
}

double ParseByteSize(const std::wstring& text) {
  size_t end = 0;
  double v = ParseLeadingNumber(text, &end);
  if (end < text.size() && text[end] == L' ') ++end;
  if (end >= text.size()) return v;
  switch (text[end]) {
    case L'K': case L'k': return v * 1024.0;
    case L'M': case L'm': return v * 1048576.0;
    case L'G': case L'g': return v * 1073741824.0;
    case L'T': case L't': return v * 1099511627776.0;
    default: return v;
  }
}

int CompareSortCells(int sortKind, const std::wstring& a, const std::wstring& b) {
  switch (sortKind) {
    case kSortNumeric: return Sign(ParseLeadingNumber(a), ParseLeadingNumber(b));
    case kSortByteSize: return Sign(ParseByteSize(a), ParseByteSize(b));
    case kSortDateMdySlash: case kSortDateMdyDot: case kSortDateDmySlash: case kSortDateDmyDot:
    case kSortDateYmdSlash: case kSortDateYmdDash: case kSortDateYmdDot:
      return CompareDatesIn(DateFormatOfSortKind(sortKind), a, b);
    case kSortMinutesSeconds: return Sign(ClockValue(a, 2), ClockValue(b, 2));
    case kSortTimeOfDay: return Sign(ClockValue(a, 3), ClockValue(b, 3));
    default: return Sign(a.compare(b), 0);
  }
}

std::array<int, kReportColumns> ReportColumnSortKinds(ReportKind kind, uint32_t dateFormat) {
  int date = DateSortKind(dateFormat);
  if (kind == ReportKind::Weekly || kind == ReportKind::Monthly) {
    return {kSortNumeric, date, kSortByteSize, kSortByteSize, kSortByteSize};
  }
  return {date, kSortText, kSortByteSize, kSortByteSize, kSortByteSize};
}

int InitialSortColumn(ReportKind kind) {
  return kind == ReportKind::Weekly || kind == ReportKind::Monthly ? kColumnLabel2 : kColumnLabel1;
}

void SortReportRows(std::vector<ReportRow>* rows, int column, int sortKind, bool ascending) {
  if (column < 0 || column >= kReportColumns) return;
  size_t c = static_cast<size_t>(column);
  // A stable merge sort: cells that compare equal (an unreadable date, say) keep their order,
  // and an ordering that is not transitive cannot make it run past the rows.
  std::stable_sort(rows->begin(), rows->end(), [&](const ReportRow& x, const ReportRow& y) {
    int r = CompareSortCells(sortKind, x.cells[c], y.cells[c]);
    return ascending ? r < 0 : r > 0;
  });
}

}  // namespace vantrel
