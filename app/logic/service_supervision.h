#pragma once
// Keeping the service mode true. While ServiceEnabled is 1 the interactive program looks at
// the service at start-up and once a minute, and makes sure that exactly one program writes
// the traffic log: the service when it runs, else the program itself (the mode stays on and
// the log goes back to the service once it can be started again), and nobody at all never.
// Here are the decision over what was seen and the arithmetic of taking the log over; the
// window asks the service control manager and carries the steps out.
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/adapter_entry.h"
#include "engine/sampling_tick.h"
#include "platform/clock.h"
#include "platform/service_state.h"
#include "trafficlog/traffic_log.h"

namespace vantrel {

// How often the service is looked at while the program runs.
constexpr uint32_t kSupervisionIntervalMilliseconds = 60000;

// Who writes the log while the service mode is on.
enum class LogWriter {
  Service,  // the service owns the log; this program reads it
  Program,  // the service does not run: this program owns the log and counts itself
};

enum class SupervisionStep {
  None,              // as it should be, or nothing can be done now
  ProbeLog,          // the service is said to run: this program tries to own the log; when
                     // that works nobody writes it, and the program keeps it and counts
  StartService,      // bring the log up to date with what this program counted, then start
                     // it (off the window's thread); if it does not run, take the log
  TakeLog,           // it cannot be started: this program owns the log, the mode stays on
  HandBackAndStart,  // it can be started again: the log goes back to it first, then it is
                     // started; if it does not run, the program takes the log again
  SwitchOff,         // it is not installed: the mode is off, this program owns the log
};

// What to do, given who writes the log now and what the service control manager said.
SupervisionStep PlanServiceSupervision(LogWriter writer, const ServiceLook& seen);

// What the user is told, each at most once per run of the program.
inline constexpr wchar_t kServiceNotRunningNotice[] =
    L"Vantrel Service is not running. Vantrel counts the traffic itself until the service runs again.";
inline constexpr wchar_t kServiceNotInstalledNotice[] =
    L"Vantrel Service is not installed. The service mode is now off and Vantrel counts the traffic itself.";

// Today's download and upload totals of each entry, in list order.
using TodayTotals = std::vector<std::pair<uint64_t, uint64_t>>;

// What the log held while this program had counted how much, entry by entry, learnt while
// the service writes the log. The service writes its records at the tick's record moments
// (minutes 0, 16, 32 and 48, each new hour and day), the same seconds at which this program
// notes its own count; reading the log a little later pairs the two. A service that dies
// leaves the log at its last pair, and taking the log over then adds exactly what this
// program counted after that moment: neither the seconds the service never wrote nor those
// it counted before this program started are lost.
class HandBackBaseline {
 public:
  // The log and this program agree: today's totals were just loaded from it, or written to
  // it before the service took it.
  void Agree(const MonitoredList& list);
  // A record moment: the service writes its records now; this program's count of this second.
  void NoteRecordMoment(const MonitoredList& list);
  bool ObservationDue() const { return m_hasNote; }
  // The log's today's totals read after the record moment. Changed: they were written at that
  // moment and pair with the count noted then. Unchanged: the service wrote nothing (it is
  // dead, or nothing went through), and the last pair stays.
  void Observe(const TodayTotals& logged);
  // When `logged` (the log now) is still the last pair's log side, each entry's total is that
  // plus what this program counted since (`counted`), into `*totals`. False when the pair does
  // not explain the log (the service wrote at another moment, such as its stop).
  bool TotalsAfterPair(const TodayTotals& logged, const TodayTotals& counted, TodayTotals* totals) const;

 private:
  bool m_valid = false;
  TodayTotals m_logged;   // the log's side of the last pair
  TodayTotals m_counted;  // this program's side
  bool m_hasNote = false;
  TodayTotals m_note;     // this program's count at the last record moment
};

// This program takes the log over from the service (switching the mode off, or counting
// while the service does not run). The log is opened as owner without stopping anyone; each
// entry's today's totals become the larger of what the log holds and what this program
// counted while it only read the log (the service may have missed seconds, or died without
// writing its last ones). When the log holds more than this program counted, the service
// counted seconds after this program's last tick: counting goes on from the adapters'
// counters as they are now, so those seconds are not added again; otherwise it goes on from
// this program's own last readings and nothing is lost. Today's records are written at once.
// False when the log could not be owned: the open log, the totals and the counters stay as
// they were.
// With a baseline that explains what the log holds, the totals are the baseline's and
// counting goes on from this program's own readings.
bool TakeTodayFromLog(TrafficLog& log, MonitoredList& list, SamplingTick& tick, const LocalTime& today,
                      const HandBackBaseline* baseline = nullptr);

}  // namespace vantrel
