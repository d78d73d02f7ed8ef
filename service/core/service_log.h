#pragma once
// The service's text log: lines "[<ctime time>]: <text>\n". Everything the service has to
// say goes there; it has no other way to reach a person.
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/clock.h"

namespace vantrel {

class IServiceLog {
 public:
  virtual ~IServiceLog() = default;
  // One line; texts longer than 1023 characters are cut.
  virtual void Log(const std::string& text) = 0;
};

// The C library's ctime form without its line end: "Thu Mar 18 14:05:09 2010" (a one-digit
// day padded with a space).
std::string CtimeText(const LocalTime& t);
// The text with every control byte (NUL, CR, LF, ...) written as "\xNN", so one entry stays
// one line whatever a server sent.
std::string EscapeLogText(const std::string& text);
// "[%s]: %s\n" with the time and the text cut to 1023 characters, control bytes escaped.
std::string FormatServiceLogLine(const LocalTime& t, const std::string& text);

// The log file "vantrelservice.log", appended to and flushed after every line; shared by the
// worker, the report threads and the mail sender threads.
class ServiceLogFile : public IServiceLog {
 public:
  explicit ServiceLogFile(IClock& clock) : m_clock(clock) {}
  ~ServiceLogFile() override { Close(); }
  // Opens the file for appending text; false leaves the program without a log.
  bool Open(const std::wstring& path);
  void Close();
  bool IsOpen() const { return m_file != nullptr; }
  void Log(const std::string& text) override;

 private:
  IClock& m_clock;
  std::mutex m_mutex;
  FILE* m_file = nullptr;
};

}  // namespace vantrel
