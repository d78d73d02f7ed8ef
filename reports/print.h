#pragma once
// printf-style formatting into a std::string of any length, for the fixed file formats of
// reports and rate files (their patterns are printf patterns).
#include <cstdio>
#include <string>

namespace vantrel {

template <typename... Args>
std::string Print(const char* format, Args... args) {
  int n = std::snprintf(nullptr, 0, format, args...);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format, args...);
  out.resize(static_cast<size_t>(n));
  return out;
}

}  // namespace vantrel
