#include "settings/log_font.h"

#include "platform/little_endian.h"
#include "platform/text.h"

namespace vantrel {

LogFontRecord MakeLogFont(const std::wstring& face, int32_t height, int32_t weight) {
  LogFontRecord f;
  f.faceName = face;
  f.height = height;
  f.weight = weight;
  return f;
}

std::array<uint8_t, kLogFontSize> SerializeLogFont(const LogFontRecord& f) {
  std::array<uint8_t, kLogFontSize> out{};
  auto put32 = [&](size_t at, int32_t v) { StoreU32(out.data() + at, static_cast<uint32_t>(v)); };
  put32(0, f.height);
  put32(4, f.width);
  put32(8, f.escapement);
  put32(12, f.orientation);
  put32(16, f.weight);
  out[20] = f.italic;
  out[21] = f.underline;
  out[22] = f.strikeOut;
  out[23] = f.charSet;
  out[24] = f.outPrecision;
  out[25] = f.clipPrecision;
  out[26] = f.quality;
  out[27] = f.pitchAndFamily;
  std::u16string face = WideToUtf16(f.faceName);
  for (size_t i = 0; i < face.size() && i < 31; ++i) {
    out[28 + 2 * i] = static_cast<uint8_t>(face[i] & 0xFF);
    out[29 + 2 * i] = static_cast<uint8_t>(face[i] >> 8);
  }
  return out;
}

bool ParseLogFont(const uint8_t* d, size_t size, LogFontRecord* f) {
  if (size != kLogFontSize) return false;
  auto get32 = [&](size_t at) { return LoadI32(d + at); };
  LogFontRecord r;
  r.height = get32(0);
  r.width = get32(4);
  r.escapement = get32(8);
  r.orientation = get32(12);
  r.weight = get32(16);
  r.italic = d[20];
  r.underline = d[21];
  r.strikeOut = d[22];
  r.charSet = d[23];
  r.outPrecision = d[24];
  r.clipPrecision = d[25];
  r.quality = d[26];
  r.pitchAndFamily = d[27];
  r.faceName = DecodeUtf16Le(d + 28, 62);  // the last of the 32 units is always the terminator
  *f = r;
  return true;
}

}  // namespace vantrel
