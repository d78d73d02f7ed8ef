#pragma once
// Text conversion seam. The interactive program works in UTF-16 (std::wstring); the service,
// adapter identifiers, log records and exported files use 8-bit text in the system code page
// ("ANSI"). Win32 converts with the system code page; the native build uses Latin-1, which is
// what code page 1252 is for the characters tests use.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// System code page conversions (lossy characters become '?').
std::string WideToAnsi(const std::wstring& s);
std::wstring AnsiToWide(const std::string& s);

// UTF-16 as stored in binary records and registry strings, independent of sizeof(wchar_t).
std::u16string WideToUtf16(const std::wstring& s);
std::wstring Utf16ToWide(const std::u16string& s);
// UTF-8 of the text; unpaired surrogates become U+FFFD.
std::string WideToUtf8(const std::wstring& s);
// Little-endian bytes of s, with a terminating NUL when withNul.
std::vector<uint8_t> EncodeUtf16Le(const std::wstring& s, bool withNul);
// Decodes little-endian UTF-16 bytes up to the first NUL (an odd last byte is ignored).
std::wstring DecodeUtf16Le(const uint8_t* data, size_t bytes);

// Widens 7-bit text (numbers, unit words, dates) without a code page.
std::wstring AsciiToWide(const std::string& s);
std::string ToUpperAscii(std::string s);
std::wstring ToLowerAscii(std::wstring s);
bool EqualsIgnoreCase(const std::wstring& a, const std::wstring& b);
bool EqualsIgnoreCase(const std::string& a, const std::string& b);
// White space trimmed at both ends (blanks, tabs, CR, LF, vertical tab, form feed).
std::wstring TrimWhite(const std::wstring& s);

}  // namespace vantrel
