#include "platform/text.h"

#include <cwctype>

namespace vantrel {

std::u16string WideToUtf16(const std::wstring& s) {
  std::u16string out;
  out.reserve(s.size());
  for (wchar_t wc : s) {
    uint32_t c = static_cast<uint32_t>(wc);
    if constexpr (sizeof(wchar_t) == 2) {
      out.push_back(static_cast<char16_t>(c));
    } else if (c >= 0x10000 && c <= 0x10FFFF) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else if (c > 0x10FFFF) {
      out.push_back(u'?');
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

std::wstring Utf16ToWide(const std::u16string& s) {
  std::wstring out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t c = s[i];
    if constexpr (sizeof(wchar_t) == 2) {
      out.push_back(static_cast<wchar_t>(c));
    } else {
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(s[i + 1]) - 0xDC00);
        ++i;
      }
      out.push_back(static_cast<wchar_t>(c));
    }
  }
  return out;
}

std::vector<uint8_t> EncodeUtf16Le(const std::wstring& s, bool withNul) {
  std::u16string u = WideToUtf16(s);
  std::vector<uint8_t> out;
  out.reserve((u.size() + 1) * 2);
  for (char16_t c : u) {
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  if (withNul) {
    out.push_back(0);
    out.push_back(0);
  }
  return out;
}

std::wstring DecodeUtf16Le(const uint8_t* data, size_t bytes) {
  std::u16string u;
  for (size_t i = 0; i + 1 < bytes; i += 2) {
    char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) break;
    u.push_back(c);
  }
  return Utf16ToWide(u);
}

std::wstring AsciiToWide(const std::string& s) {
  std::wstring out;
  out.reserve(s.size());
  for (char c : s) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return out;
}

std::string ToUpperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::wstring ToLowerAscii(std::wstring s) {
  for (wchar_t& c : s)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return s;
}

namespace {
template <typename C>
C FoldCase(C c) {
  if (c >= C('A') && c <= C('Z')) return static_cast<C>(c - C('A') + C('a'));
  if constexpr (sizeof(C) > 1) return static_cast<C>(std::towlower(static_cast<wint_t>(c)));
  return c;
}
template <typename S>
bool EqualsFolded(const S& a, const S& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}
}  // namespace

bool EqualsIgnoreCase(const std::wstring& a, const std::wstring& b) { return EqualsFolded(a, b); }
bool EqualsIgnoreCase(const std::string& a, const std::string& b) { return EqualsFolded(a, b); }

std::wstring TrimWhite(const std::wstring& s) {
  auto white = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f'; };
  size_t b = 0, e = s.size();
  while (b < e && white(s[b])) ++b;
  while (e > b && white(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string WideToUtf8(const std::wstring& text) {
  std::u16string units = WideToUtf16(text);
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

}  // namespace vantrel
