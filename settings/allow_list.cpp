#include "settings/allow_list.h"

namespace vantrel {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view Trim(std::wstring_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A decimal number of 1..maxDigits digits without a leading zero (except "0" itself).
bool ParseSmallNumber(std::wstring_view s, size_t maxDigits, uint32_t* value) {
  if (s.empty() || s.size() > maxDigits) return false;
  if (s.size() > 1 && s[0] == L'0') return false;
  uint32_t v = 0;
  for (wchar_t c : s) {
    if (c < L'0' || c > L'9') return false;
    v = v * 10 + static_cast<uint32_t>(c - L'0');
  }
  *value = v;
  return true;
}

}  // namespace

bool ParseIPv4(std::wstring_view text, uint32_t* address) {
  uint32_t result = 0;
  for (int part = 0; part < 4; ++part) {
    size_t dot = text.find(L'.');
    std::wstring_view piece = part < 3 ? text.substr(0, dot) : text;
    if (part < 3 && dot == std::wstring_view::npos) return false;
    uint32_t v = 0;
    if (!ParseSmallNumber(piece, 3, &v) || v > 255) return false;
    result = (result << 8) | v;
    if (part < 3) text.remove_prefix(dot + 1);
  }
  *address = result;
  return true;
}

bool AllowList::Parse(std::wstring_view text, AllowList* out) {
  AllowList list;
  if (Trim(text).empty()) {
    *out = list;
    return true;
  }
  for (;;) {
    size_t comma = text.find(L',');
    std::wstring_view item = Trim(text.substr(0, comma));
    size_t slash = item.find(L'/');
    uint32_t address = 0, prefix = 32;
    if (!ParseIPv4(item.substr(0, slash), &address)) return false;
    if (slash != std::wstring_view::npos && (!ParseSmallNumber(item.substr(slash + 1), 2, &prefix) || prefix > 32))
      return false;
    uint32_t mask = prefix == 0 ? 0 : 0xFFFFFFFFu << (32 - prefix);
    list.m_ranges.push_back(AddressRange{address & mask, mask});
    if (comma == std::wstring_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  *out = list;
  return true;
}

bool AllowList::Allows(uint32_t address) const {
  if (m_ranges.empty()) return true;
  for (const AddressRange& r : m_ranges)
    if ((address & r.mask) == r.network) return true;
  return false;
}

}  // namespace vantrel
