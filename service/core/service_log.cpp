#include "service/core/service_log.h"

#include <cstdio>

#include "platform/text.h"

namespace vantrel {

std::string CtimeText(const LocalTime& t) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const char* day = t.dayOfWeek < 7 ? kDays[t.dayOfWeek] : "???";
  const char* month = t.month >= 1 && t.month <= 12 ? kMonths[t.month - 1] : "???";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s %s %2d %02d:%02d:%02d %d", day, month, t.day, t.hour, t.minute, t.second, t.year);
  return buf;
}

std::string EscapeLogText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      // A NUL would end the entry early and CR or LF would start a false one; a server's
      // reply must not be able to shape the log.
      char buf[5];
      std::snprintf(buf, sizeof buf, "\\x%02X", b);
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

std::string FormatServiceLogLine(const LocalTime& t, const std::string& text) {
  std::string cut = text.size() > 1023 ? text.substr(0, 1023) : text;
  // A reply's own line end is not part of the entry; the entry ends with ours.
  while (!cut.empty() && (cut.back() == '\r' || cut.back() == '\n')) cut.pop_back();
  return "[" + CtimeText(t) + "]: " + EscapeLogText(cut) + "\n";
}

bool ServiceLogFile::Open(const std::wstring& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_file) return true;
#ifdef _WIN32
  m_file = _wfopen(path.c_str(), L"at");
#else
  m_file = std::fopen(WideToAnsi(path).c_str(), "a");
#endif
  return m_file != nullptr;
}

void ServiceLogFile::Close() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
}

void ServiceLogFile::Log(const std::string& text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_file) return;
  std::string line = FormatServiceLogLine(m_clock.Now(), text);
  std::fwrite(line.data(), 1, line.size(), m_file);
  std::fflush(m_file);
}

}  // namespace vantrel
