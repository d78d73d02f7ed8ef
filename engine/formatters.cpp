#include "engine/formatters.h"

#include <cinttypes>
#include <cstdio>

#include "platform/text.h"

namespace vantrel {

namespace {

template <typename... Args>
std::string Print(const char* format, Args... args) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, format, args...);
  if (n < 0) return {};
  return std::string(buf, static_cast<size_t>(n < static_cast<int>(sizeof buf) ? n : sizeof buf - 1));
}

// One unit step of a byte count: threshold below which it applies, divisor, pattern.
struct CountStep {
  double limit;
  double divisor;
  const char* pattern;
};

std::string FormatCount(int64_t n, bool byteUnits, const char* plain, const CountStep (&steps)[4],
                        const CountStep (&bitSteps)[4]) {
  // In bit units the figure is 8 x n in 64 bits; the multiplication is done unsigned so an
  // absurd input wraps instead of being undefined.
  int64_t v = byteUnits ? n : static_cast<int64_t>(static_cast<uint64_t>(n) * 8u);
  if (v < 1000) return Print(plain, static_cast<long long>(v));
  const CountStep(&table)[4] = byteUnits ? steps : bitSteps;
  for (const CountStep& s : table) {
    if (static_cast<double>(v) < s.limit || s.limit == 0) return Print(s.pattern, static_cast<double>(v) / s.divisor);
  }
  return {};
}

}  // namespace

std::string FormatRateA(uint32_t r, bool byteUnits) {
  if (byteUnits) {
    if (r < 1000) return Print("%ld B/s", static_cast<long>(r));
    if (r < 1023948) return Print((r & ~1023u) < 10240 ? "%.2f KB/s" : "%.1f KB/s", r / 1024.0);
    if (r < 1048523571) return Print((r & ~1048575u) < 10485760 ? "%.2f MB/s" : "%.1f MB/s", r / 1048576.0);
    return Print(r / 1073741824u < 10 ? "%.2f GB/s" : "%.1f GB/s", r / 1073741824.0);
  }
  uint64_t b = static_cast<uint64_t>(r) * 8u;
  if (b < 1000) return Print("%ld bps", static_cast<long>(b));
  if (b < 999950) return Print(b / 1000 < 10 ? "%.2f kbps" : "%.1f kbps", static_cast<double>(b) / 1000.0);
  if (b < 999950000) return Print(b / 1000000 < 10 ? "%.2f mbps" : "%.1f mbps", static_cast<double>(b) / 1000000.0);
  return Print(b / 1000000000 < 10 ? "%.2f gbps" : "%.1f gbps", static_cast<double>(b) / 1000000000.0);
}

std::wstring FormatRate(uint32_t r, bool byteUnits) { return AsciiToWide(FormatRateA(r, byteUnits)); }

std::string FormatByteCountA(int64_t n, bool byteUnits) {
  static const CountStep kBytes[4] = {{1024000.0, 1024.0, "%.1f KB"},
                                      {1048576000.0, 1048576.0, "%.2f MB"},
                                      {1073741824000.0, 1073741824.0, "%.2f GB"},
                                      {0, 1099511627776.0, "%.2f TB"}};
  static const CountStep kBits[4] = {{1000000.0, 1000.0, "%.1f kb"},
                                     {1000000000.0, 1000000.0, "%.2f mb"},
                                     {1000000000000.0, 1000000000.0, "%.2f gb"},
                                     {0, 1000000000000.0, "%.2f tb"}};
  return FormatCount(n, byteUnits, byteUnits ? "%lld B" : "%lld b", kBytes, kBits);
}

std::wstring FormatByteCount(int64_t n, bool byteUnits) { return AsciiToWide(FormatByteCountA(n, byteUnits)); }

std::string FormatCompactCount(int64_t n, bool byteUnits) {
  static const CountStep kBytes[4] = {{1024000.0, 1024.0, "%.1fK"},
                                      {1048576000.0, 1048576.0, "%.2fM"},
                                      {1073741824000.0, 1073741824.0, "%.2fG"},
                                      {0, 1099511627776.0, "%.2fT"}};
  static const CountStep kBits[4] = {{1000000.0, 1000.0, "%.1fK"},
                                     {1000000000.0, 1000000.0, "%.2fM"},
                                     {1000000000000.0, 1000000000.0, "%.2fG"},
                                     {0, 1000000000000.0, "%.2fT"}};
  return FormatCount(n, byteUnits, "%lld", kBytes, kBits);
}

std::string FormatDateA(int year, int month, int day, uint32_t dateFormat) {
  switch (dateFormat) {
    case 119: return Print("%02d.%02d.%04d", month, day, year);
    case 34: return Print("%02d/%02d/%04d", day, month, year);
    case 102: return Print("%02d.%02d.%04d", day, month, year);
    case 51: return Print("%04d/%02d/%02d", year, month, day);
    case 68: return Print("%04d-%02d-%02d", year, month, day);
    case 85: return Print("%04d.%02d.%02d", year, month, day);
    default: return Print("%02d/%02d/%04d", month, day, year);
  }
}

std::wstring FormatDate(int year, int month, int day, uint32_t dateFormat) {
  return AsciiToWide(FormatDateA(year, month, day, dateFormat));
}

std::wstring DateFormatName(uint32_t dateFormat) {
  switch (dateFormat) {
    case 119: return L"MM.DD.YYYY";
    case 34: return L"DD/MM/YYYY";
    case 102: return L"DD.MM.YYYY";
    case 51: return L"YYYY/MM/DD";
    case 68: return L"YYYY-MM-DD";
    case 85: return L"YYYY.MM.DD";
    default: return L"MM/DD/YYYY";
  }
}

}  // namespace vantrel
