#pragma once
// Every traffic number and date becomes text only through these. The unit family follows
// DisplayUnitByte: byteUnits true for bytes (KB/s, 1024-based), false for bits (kbps,
// 1000-based). The interactive program takes the wide forms, the service the 8-bit ones;
// both are produced by the same rules.
#include <cstdint>
#include <string>

namespace vantrel {

// Date-format codes, as stored in DateFormat, in the order the options page lists them.
constexpr uint32_t kDateFormatCodes[] = {17, 119, 34, 102, 51, 68, 85};
constexpr uint32_t kDefaultDateFormat = 17;

// A rate in bytes per second: "999 B/s", "0.98 KB/s", "10.0 KB/s", "5.60 gbps", ...
std::string FormatRateA(uint32_t bytesPerSecond, bool byteUnits);
std::wstring FormatRate(uint32_t bytesPerSecond, bool byteUnits);

// A byte count with its unit word: "999 B", "1000.0 KB", "0.98 MB", "1.00 gb", ...
std::string FormatByteCountA(int64_t bytes, bool byteUnits);
std::wstring FormatByteCount(int64_t bytes, bool byteUnits);

// The compact form of rate-recording files: "999", "1000.0K", "0.98M", ...
std::string FormatCompactCount(int64_t bytes, bool byteUnits);

// A date in the user's date format; unknown codes format as code 17 (MM/DD/YYYY).
std::string FormatDateA(int year, int month, int day, uint32_t dateFormat);
std::wstring FormatDate(int year, int month, int day, uint32_t dateFormat);

// The pattern shown to the user for a code ("MM/DD/YYYY", ...); unknown codes as 17.
std::wstring DateFormatName(uint32_t dateFormat);

}  // namespace vantrel
