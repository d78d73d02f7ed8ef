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

namespace {

TodayTotals CountsOf(const MonitoredList& list) {
  TodayTotals counts;
  counts.reserve(list.size());
  for (const AdapterEntry& e : list) counts.emplace_back(e.todayDown, e.todayUp);
  return counts;
}

// Equal entry by entry; an entry one of them does not have yet counts as 0.
bool SameTotals(const TodayTotals& a, const TodayTotals& b) {
  const std::pair<uint64_t, uint64_t> none{0, 0};
  for (size_t i = 0; i < std::max(a.size(), b.size()); ++i)
    if ((i < a.size() ? a[i] : none) != (i < b.size() ? b[i] : none)) return false;
  return true;
}

}  // namespace

void HandBackBaseline::Agree(const MonitoredList& list) {
  m_counted = CountsOf(list);
  m_logged = m_counted;
  m_valid = true;
  m_hasNote = false;
}

void HandBackBaseline::NoteRecordMoment(const MonitoredList& list) {
  m_note = CountsOf(list);
  m_hasNote = true;
}

void HandBackBaseline::Observe(const TodayTotals& logged) {
  if (!m_hasNote) return;
  m_hasNote = false;
  if (m_valid && SameTotals(logged, m_logged)) return;
  m_logged = logged;
  m_counted = std::move(m_note);
  m_valid = true;
}

bool HandBackBaseline::TotalsAfterPair(const TodayTotals& logged, const TodayTotals& counted,
                                       TodayTotals* totals) const {
  if (!m_valid || logged.size() != counted.size() || !SameTotals(logged, m_logged)) return false;
  const std::pair<uint64_t, uint64_t> none{0, 0};
  totals->clear();
  for (size_t i = 0; i < counted.size(); ++i) {
    // An entry added since the pair has no record yet and was counted by this program alone.
    const auto& pairCounted = i < m_counted.size() ? m_counted[i] : none;
    // A count below its pair (today's totals reset since) is not this program's to add.
    if (counted[i].first < pairCounted.first || counted[i].second < pairCounted.second) return false;
    totals->emplace_back(logged[i].first + (counted[i].first - pairCounted.first),
                         logged[i].second + (counted[i].second - pairCounted.second));
  }
  return true;
}

bool TakeTodayFromLog(TrafficLog& log, MonitoredList& list, SamplingTick& tick, const LocalTime& today,
                      const HandBackBaseline* baseline) {
  TodayTotals counted = CountsOf(list);
  if (!log.OpenTrafficLogAsOwner()) return false;
  log.LoadTodayTotals(list, today);
  TodayTotals totals;
  if (baseline && baseline->TotalsAfterPair(CountsOf(list), counted, &totals)) {
    // The log is as the service left it at a known moment: what this program counted since
    // is added, and this program's own readings go on.
    size_t i = 0;
    for (AdapterEntry& e : list) {
      e.todayDown = totals[i].first;
      e.todayUp = totals[i].second;
      ++i;
    }
    log.WriteTodayRecords(list, today);
    return true;
  }
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
