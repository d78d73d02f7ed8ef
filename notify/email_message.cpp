#include "notify/email_message.h"

#include <cstdint>

namespace vantrel {
namespace {

void ReplaceAll(std::wstring* text, const wchar_t* pattern, const std::wstring& value) {
  const std::wstring from(pattern);
  std::wstring out;
  size_t start = 0;
  for (;;) {
    size_t hit = text->find(from, start);
    if (hit == std::wstring::npos) break;
    out.append(*text, start, hit - start);
    out.append(value);
    start = hit + from.size();
  }
  if (start == 0) return;
  out.append(*text, start, std::wstring::npos);
  *text = std::move(out);
}

template <typename String>
std::vector<String> SplitList(const String& text) {
  using Char = typename String::value_type;
  std::vector<String> pieces;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(static_cast<Char>(','), start);
    size_t end = comma == String::npos ? text.size() : comma;
    size_t first = start;
    size_t last = end;
    while (first < last && text[first] == static_cast<Char>(' ')) ++first;
    while (last > first && text[last - 1] == static_cast<Char>(' ')) --last;
    if (last > first) pieces.push_back(text.substr(first, last - first));
    if (comma == String::npos) break;
    start = comma + 1;
  }
  return pieces;
}

template <typename String>
bool IsValidAddress(const String& address) {
  using Char = typename String::value_type;
  if (address.empty()) return false;
  bool seenAt = false;
  bool previousAt = false;
  bool previousDot = false;  // the previous character was a "." after the "@"
  bool seenDot = false;      // a "." after the "@" was seen
  for (Char c : address) {
    if (c == static_cast<Char>('@')) {
      if (seenAt) return false;
      seenAt = true;
      previousAt = true;
      previousDot = false;
      continue;
    }
    if (c == static_cast<Char>('.') && seenAt) {
      if (previousAt || previousDot) return false;
      previousDot = true;
      seenDot = true;
    } else {
      previousDot = false;
    }
    previousAt = false;
  }
  return seenDot && !previousDot;
}

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kBase64LineChars = 76;

}  // namespace

EmailPlaceholders PreviewPlaceholders() {
  EmailPlaceholders v;
  v.threshold = L"10 GB";
  v.direction = L"downloaded";
  v.adapter = L"LAN [10.0.0.10]";
  v.period = L"week (03/02/2008 -- 03/08/2008)";
  v.used = L"11.2 GB";
  return v;
}

std::wstring ExpandPlaceholders(const std::wstring& text, const EmailPlaceholders& values) {
  std::wstring out = text;
  ReplaceAll(&out, L"%b", values.threshold);
  ReplaceAll(&out, L"%t", values.direction);
  ReplaceAll(&out, L"%a", values.adapter);
  ReplaceAll(&out, L"%p", values.period);
  ReplaceAll(&out, L"%f", values.used);
  return out;
}

std::wstring ExpandEmailTemplate(const EmailSettings& settings, const std::wstring& recipients,
                                 const EmailPlaceholders& values) {
  std::wstring text = L"From: " + settings.mailFrom + L"\r\nTo: " + recipients + L"\r\nSubject: " +
                      settings.emlTempSubject + L"\r\n\r\n" + settings.emlTempBody;
  return ExpandPlaceholders(text, values);
}

std::wstring BuildTestEmailMessage(const EmailSettings& settings, const std::wstring& testAddress) {
  return L"From: " + settings.mailFrom + L"\r\nTo: " + testAddress + L"\r\nSubject: [Test Email] " +
         settings.emlTempSubject + L"\r\n\r\n" + ExpandPlaceholders(settings.emlTempBody, PreviewPlaceholders());
}

std::vector<std::wstring> SplitAddressList(const std::wstring& text) { return SplitList(text); }
std::vector<std::string> SplitAddressList(const std::string& text) { return SplitList(text); }

bool IsValidEmailAddress(const std::wstring& address) { return IsValidAddress(address); }
bool IsValidEmailAddress(const std::string& address) { return IsValidAddress(address); }

size_t Base64EncodedLength(size_t length) {
  size_t groups = length / 3;
  size_t chars = groups * 4 + (groups * 4 / kBase64LineChars) * 2;
  if (length % 3 != 0) chars += 4;
  return chars;
}

size_t Base64EncodeLines(const void* data, size_t length, std::string* output) {
  const unsigned char* in = static_cast<const unsigned char*>(data);
  std::string& out = *output;
  out.clear();
  out.reserve(Base64EncodedLength(length));
  size_t lineChars = 0;
  size_t i = 0;
  for (; i + 3 <= length; i += 3) {
    uint32_t v = (static_cast<uint32_t>(in[i]) << 16) | (static_cast<uint32_t>(in[i + 1]) << 8) | in[i + 2];
    out.push_back(kBase64Alphabet[(v >> 18) & 0x3F]);
    out.push_back(kBase64Alphabet[(v >> 12) & 0x3F]);
    out.push_back(kBase64Alphabet[(v >> 6) & 0x3F]);
    out.push_back(kBase64Alphabet[v & 0x3F]);
    lineChars += 4;
    if (lineChars == kBase64LineChars) {
      out.append("\r\n");
      lineChars = 0;
    }
  }
  size_t rest = length - i;
  if (rest > 0) {
    uint32_t v = static_cast<uint32_t>(in[i]) << 16;
    if (rest == 2) v |= static_cast<uint32_t>(in[i + 1]) << 8;
    out.push_back(kBase64Alphabet[(v >> 18) & 0x3F]);
    out.push_back(kBase64Alphabet[(v >> 12) & 0x3F]);
    out.push_back(rest == 2 ? kBase64Alphabet[(v >> 6) & 0x3F] : '=');
    out.push_back('=');
  }
  return out.size();
}

}  // namespace vantrel
