#include "engine/formatters.h"

#include <cinttypes>
#include <cmath>
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

// Decimal digits of v, zero-padded to at least minWidth, as "%0<minWidth>llu" writes them.
void AppendUnsigned(std::string* out, uint64_t v, int minWidth) {
  char buf[48];
  char* end = buf + sizeof buf;
  char* p = end;
  do {
    *--p = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v);
  while (end - p < minWidth && p > buf) *--p = '0';
  out->append(p, static_cast<size_t>(end - p));
}

// y with `decimals` decimals (1 or 2), rounded as printf's "%.1f"/"%.2f" round: to nearest
// on the double's exact binary value, ties to even. A report formats several counts per
// row and printf was most of a table's cost; false leaves the rare case to printf.
bool AppendFixed(std::string* out, double y, int decimals) {
  if (!(y >= 0) || y >= 9007199254740992.0 || decimals < 1 || decimals > 2) return false;
  int exponent = 0;
  double fraction = std::frexp(y, &exponent);  // y = fraction x 2^exponent, fraction in [0.5, 1)
  auto mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
  int shift = 53 - exponent;  // y = mantissa / 2^shift, exactly
  if (shift < 0 || shift > 120) return false;
  const uint64_t scale = decimals == 1 ? 10 : 100;
  unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa) * scale;
  unsigned __int128 q = scaled >> shift;
  unsigned __int128 rest = scaled - (q << shift);
  if (shift > 0) {
    unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
    if (rest > half || (rest == half && (q & 1))) ++q;
  }
  auto whole = static_cast<uint64_t>(q / scale);
  auto part = static_cast<uint64_t>(q % scale);
  AppendUnsigned(out, whole, 1);
  out->push_back('.');
  AppendUnsigned(out, part, decimals);
  return true;
}

std::string Fixed(double y, int decimals, const char* suffix) {
  std::string out;
  if (!AppendFixed(&out, y, decimals)) {
    out = Print(decimals == 1 ? "%.1f" : "%.2f", y);
  }
  out += suffix;
  return out;
}

// The unit steps of a byte count, the same for both text forms: a figure under 1000 of a
// step's units is shown in that step (the last step takes everything above).
struct CountStep {
  double limit;
  double divisor;
  int decimals;
};
constexpr CountStep kByteSteps[4] = {{1024000.0, 1024.0, 1},
                                     {1048576000.0, 1048576.0, 2},
                                     {1073741824000.0, 1073741824.0, 2},
                                     {0, 1099511627776.0, 2}};
constexpr CountStep kBitSteps[4] = {{1000000.0, 1000.0, 1},
                                    {1000000000.0, 1000000.0, 2},
                                    {1000000000000.0, 1000000000.0, 2},
                                    {0, 1000000000000.0, 2}};

// units: the plain unit, then one per step.
std::string FormatCount(int64_t n, bool byteUnits, const char* const (&units)[5]) {
  // In bit units the figure is 8 x n in 64 bits; the multiplication is done unsigned so an
  // absurd input wraps instead of being undefined.
  int64_t v = byteUnits ? n : static_cast<int64_t>(static_cast<uint64_t>(n) * 8u);
  if (v < 1000) {
    std::string out = v >= 0 ? std::string() : Print("%lld", static_cast<long long>(v));
    if (v >= 0) AppendUnsigned(&out, static_cast<uint64_t>(v), 1);
    return out + units[0];
  }
  const CountStep(&table)[4] = byteUnits ? kByteSteps : kBitSteps;
  for (int i = 0; i < 4; ++i) {
    const CountStep& s = table[i];
    if (static_cast<double>(v) < s.limit || s.limit == 0) return Fixed(static_cast<double>(v) / s.divisor, s.decimals, units[i + 1]);
  }
  return {};
}

// A date field as "%0<width>d" writes it.
void AppendField(std::string* out, int v, int width) {
  if (v >= 0) {
    AppendUnsigned(out, static_cast<uint64_t>(v), width);
  } else {
    *out += Print(width == 4 ? "%04d" : "%02d", v);
  }
}

std::string JoinDate(int a, int aWidth, char sep, int b, int c, int cWidth) {
  std::string out;
  out.reserve(12);
  AppendField(&out, a, aWidth);
  out.push_back(sep);
  AppendField(&out, b, 2);
  out.push_back(sep);
  AppendField(&out, c, cWidth);
  return out;
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
  static const char* const kBytes[5] = {" B", " KB", " MB", " GB", " TB"};
  static const char* const kBits[5] = {" b", " kb", " mb", " gb", " tb"};
  return FormatCount(n, byteUnits, byteUnits ? kBytes : kBits);
}

std::wstring FormatByteCount(int64_t n, bool byteUnits) { return AsciiToWide(FormatByteCountA(n, byteUnits)); }

std::string FormatCompactCount(int64_t n, bool byteUnits) {
  static const char* const kUnits[5] = {"", "K", "M", "G", "T"};
  return FormatCount(n, byteUnits, kUnits);
}

std::string FormatDateA(int year, int month, int day, uint32_t dateFormat) {
  switch (dateFormat) {
    case 119: return JoinDate(month, 2, '.', day, year, 4);
    case 34: return JoinDate(day, 2, '/', month, year, 4);
    case 102: return JoinDate(day, 2, '.', month, year, 4);
    case 51: return JoinDate(year, 4, '/', month, day, 2);
    case 68: return JoinDate(year, 4, '-', month, day, 2);
    case 85: return JoinDate(year, 4, '.', month, day, 2);
    default: return JoinDate(month, 2, '/', day, year, 4);
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
