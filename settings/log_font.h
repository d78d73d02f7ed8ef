#pragma once
// A font as the registry keeps it: the 92 bytes of a Win32 LOGFONTW, read and written field
// by field so that the native build (4-byte wchar_t) produces the same bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel {

constexpr size_t kLogFontSize = 92;

struct LogFontRecord {
  int32_t height = 0;
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t orientation = 0;
  int32_t weight = 0;
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strikeOut = 0;
  uint8_t charSet = 0;
  uint8_t outPrecision = 0;
  uint8_t clipPrecision = 0;
  uint8_t quality = 0;
  uint8_t pitchAndFamily = 0;
  std::wstring faceName;  // at most 31 characters

  bool operator==(const LogFontRecord&) const = default;
};

// A zero-filled record with only face name, height and weight set.
LogFontRecord MakeLogFont(const std::wstring& face, int32_t height, int32_t weight);
std::array<uint8_t, kLogFontSize> SerializeLogFont(const LogFontRecord& f);
bool ParseLogFont(const uint8_t* data, size_t size, LogFontRecord* f);

}  // namespace vantrel
