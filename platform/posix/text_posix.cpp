// Native build: the "system code page" is Latin-1, the first 256 code points.
#include "platform/text.h"

namespace vantrel {

std::string WideToAnsi(const std::wstring& s) {
  std::string out;
  out.reserve(s.size());
  for (wchar_t c : s) out.push_back(static_cast<uint32_t>(c) < 0x100 ? static_cast<char>(c) : '?');
  return out;
}

std::wstring AnsiToWide(const std::string& s) { return AsciiToWide(s); }

}  // namespace vantrel
