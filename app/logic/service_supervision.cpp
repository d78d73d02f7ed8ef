#include "app/logic/service_supervision.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace vantrel {

SupervisionStep PlanServiceSupervision(LogWriter writer, const ServiceLook& seen) {
  if (seen.state == kServiceNotInstalled) return SupervisionStep::SwitchOff;
  if (writer == LogWriter::Program) {
    // Only a stopped service is started again. One that is said to run or to be starting
    // while this program holds the log was started by someone else: it cannot get the log,
    // stops by itself and is started properly at the next look. Without an answer nothing
    // changes.
    if (seen.state == kServiceStopped && seen.startable) return SupervisionStep::HandBackAndStart;
    return SupervisionStep::None;
  }
  switch (seen.state) {
    case kServiceStopped:
      return seen.startable ? SupervisionStep::StartService : SupervisionStep::TakeLog;
    case kServiceStartPending:
      // It opens the log in a moment: taking it now would make it fail.
      return SupervisionStep::None;
    default:
      // Running, stopping, paused or no answer: the SCM's word is not enough (a killed
      // service may still be reported as running); the file tells whether anyone writes it.
      return SupervisionStep::ProbeLog;
  }
}

bool TakeTodayFromLog(TrafficLog& log, MonitoredList& list, SamplingTick& tick, const LocalTime& today) {
  std::vector<std::pair<uint64_t, uint64_t>> counted;
  counted.reserve(list.size());
  for (const AdapterEntry& e : list) counted.emplace_back(e.todayDown, e.todayUp);
  if (!log.OpenTrafficLogAsOwner()) return false;
  log.LoadTodayTotals(list, today);
  bool logIsAhead = false;
  size_t i = 0;
  for (AdapterEntry& e : list) {
    if (i >= counted.size()) break;
    logIsAhead = logIsAhead || e.todayDown > counted[i].first || e.todayUp > counted[i].second;
    e.todayDown = std::max(e.todayDown, counted[i].first);
    e.todayUp = std::max(e.todayUp, counted[i].second);
    ++i;
  }
  // Totals from the log hold the service's seconds after this program's last tick: counting
  // goes on from now. When the log holds nothing beyond what this program counted, its own
  // counters are the exact place to go on from.
  if (logIsAhead) tick.RestartCounting();
  log.WriteTodayRecords(list, today);
  return true;
}

}  // namespace vantrel
