#include "platform/file.h"

namespace vantrel {

bool WriteAll(IFile& f, const void* buf, size_t n) {
  size_t written = 0;
  return f.Write(buf, n, &written) && written == n;
}

size_t ReadUpTo(IFile& f, void* buf, size_t n) {
  size_t total = 0;
  auto* p = static_cast<uint8_t*>(buf);
  while (total < n) {
    size_t got = 0;
    if (!f.Read(p + total, n - total, &got) || got == 0) break;
    total += got;
  }
  return total;
}

namespace {
size_t LastSeparator(const std::wstring& path) {
  size_t a = path.rfind(L'\\');
#ifndef _WIN32
  size_t b = path.rfind(L'/');
  if (b != std::wstring::npos && (a == std::wstring::npos || b > a)) a = b;
#endif
  return a;
}
}  // namespace

std::wstring FolderOf(const std::wstring& path) {
  size_t s = LastSeparator(path);
  return s == std::wstring::npos ? std::wstring() : path.substr(0, s + 1);
}

std::wstring ExtensionOf(const std::wstring& path) {
  size_t s = LastSeparator(path);
  if (s == std::wstring::npos) return {};
  size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos || dot < s) return {};
  return path.substr(dot);
}

}  // namespace vantrel
