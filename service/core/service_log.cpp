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

std::string FormatServiceLogLine(const LocalTime& t, const std::string& text) {
  std::string cut = text.size() > 1023 ? text.substr(0, 1023) : text;
  return "[" + CtimeText(t) + "]: " + cut + "\n";
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
  std::fputs(line.c_str(), m_file);
  std::fflush(m_file);
}

}  // namespace vantrel
