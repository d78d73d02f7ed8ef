#include "engine/sampling_tick.h"

#include <limits>

namespace vantrel {

uint64_t CounterDelta(uint64_t current, uint64_t last) { return current >= last ? current - last : 0; }

uint32_t Saturate32(uint64_t v) {
  return v > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max() : static_cast<uint32_t>(v);
}

SamplingTick::SamplingTick(MonitoredList& list, IAdapterSource& source, IClock& clock, ITickHooks& hooks,
                           IAdapterMenuHook* menu)
    : m_list(list), m_source(source), m_clock(clock), m_hooks(hooks), m_menu(menu), m_last(clock.Now()) {}

void SamplingTick::ResetRates(AdapterEntry& e) {
  e.history.clear();
  e.downSum = 0;
  e.upSum = 0;
  e.sampleCount = 0;
}

bool SamplingTick::IsTrayAdapter(const AdapterEntry& e) const {
  return m_settings.trayEnabled && !m_settings.serviceVariant && e.Matches(m_settings.trayKind, m_settings.trayId);
}

void SamplingTick::Consumers(AdapterEntry& e, uint32_t down, uint32_t up, const LocalTime& now) {
  if (IsTrayAdapter(e)) m_hooks.TrayUpdate(e);
  bool records = m_settings.serviceVariant ? e.recordRates : e.rateFile != nullptr;
  if (records) m_hooks.RecordSecond(e, down, up, now);
}

void SamplingTick::PushSample(AdapterEntry& e, uint32_t down, uint32_t up) {
  if (m_settings.serviceVariant) return;
  e.downSum += down;
  e.upSum += up;
  e.sampleCount += 1;
  RateSample s;
  s.down = down;
  s.up = up;
  s.avgDown = Saturate32(e.downSum / e.sampleCount);
  s.avgUp = Saturate32(e.upSum / e.sampleCount);
  e.history.push_front(s);
  ++e.samplesPushed;
  while (e.history.size() > m_settings.historyCapacity) e.history.pop_back();
  if (e.view) e.view->PushSample(s);
}

void SamplingTick::CountSecond(AdapterEntry& e, uint64_t down, uint64_t up) {
  e.lastSecondDown = down;
  e.lastSecondUp = up;
  e.countedDown += down;
  e.countedUp += up;
}

void SamplingTick::FinishPseudo(AdapterEntry& e, uint64_t down, uint64_t up, const LocalTime& now) {
  uint32_t d = Saturate32(down), u = Saturate32(up);
  PushSample(e, d, u);
  CountSecond(e, down, up);
  e.todayDown += down;
  e.todayUp += up;
  Consumers(e, d, u, now);
}

void SamplingTick::RestartCounting() {
  for (auto& e : m_list) e.countersValid = false;
  if (!m_source.GetAdapters(&m_live)) return;
  for (const auto& live : m_live) {
    NormalisedAdapter n;
    if (!NormaliseAdapter(m_source, live, &n)) continue;
    AdapterEntry* e = m_list.FindReal(n.id);
    if (!e || e->countersValid) continue;  // a new adapter is added by the next tick as usual
    e->lastDown = n.row.inOctets;
    e->lastUp = n.row.outOctets;
    e->countersValid = true;
  }
}

bool SamplingTick::Run() {
  // 1-2. The time, and a clock gap (sleep, hibernation, a clock change) forgets counters so
  // nothing counts the traffic of the gap.
  LocalTime now = m_clock.Now();
  int64_t gap = CalendarSeconds(now) - CalendarSeconds(m_last);
  if (gap > 10 || gap < -10) {
    for (auto& e : m_list) e.countersValid = false;
  }

  // 3. Log and calendar.
  bool sameDay = now.year == m_last.year && now.month == m_last.month && now.day == m_last.day;
  if (!sameDay || now.hour != m_last.hour || now.minute / 16 != m_last.minute / 16) {
    m_hooks.WriteTodayRecords(m_last);
    m_last = now;
    if (!sameDay) {
      m_hooks.LoadTodayTotals(now);
      m_hooks.DayChanged(now);
    }
  } else {
    m_last = now;
  }

  // 4. Nobody has answered yet.
  size_t index = 0;
  for (auto& e : m_list)
    if (index++ >= 2) e.seen = false;

  // 5. The live table.
  if (!m_source.GetAdapters(&m_live)) return false;

  // 6-7. Every live adapter. The pseudo-adapters' sums are 64-bit so that no second of a
  // fast link is lost before it is folded into today's totals.
  uint64_t allDown = 0, allUp = 0, dialDown = 0, dialUp = 0;
  for (const auto& live : m_live) {
    NormalisedAdapter n;
    if (!NormaliseAdapter(m_source, live, &n)) continue;
    AdapterEntry* e = m_list.FindReal(n.id);
    if (!e) {
      // Counted from the next second on; this second it is treated as absent.
      AddLiveAdapter(&m_list, n, m_settings.serviceVariant ? nullptr : m_menu);
      continue;
    }
    if (e->seen) continue;  // a second adapter with the same identifier
    e->seen = true;
    e->ifType = n.row.type;
    e->description = n.description;
    uint64_t down = 0, up = 0;
    if (e->countersValid) {
      down = CounterDelta(n.row.inOctets, e->lastDown);
      up = CounterDelta(n.row.outOctets, e->lastUp);
      allDown += down;
      allUp += up;
      if (IsDialUpType(n.row.type)) {
        dialDown += down;
        dialUp += up;
      }
    } else {
      e->countersValid = true;
    }
    e->lastDown = n.row.inOctets;
    e->lastUp = n.row.outOctets;
    CountSecond(*e, down, up);
    e->todayDown += down;
    e->todayUp += up;
    uint32_t d = Saturate32(down), u = Saturate32(up);
    PushSample(*e, d, u);
    if (n.info.ipAddress != e->ip) {
      e->ip = n.info.ipAddress;
      if (m_settings.showIPInTitle && e->view && !m_settings.serviceVariant)
        e->view->SetCaption(EntryTitle(*e, true));
    }
    Consumers(*e, d, u, now);
  }

  // 8. Entries whose adapter did not answer: zero seconds, and their first sample after they
  // come back counts as zero.
  index = 0;
  for (auto& e : m_list) {
    if (index++ < 2 || e.seen) continue;
    e.countersValid = false;
    CountSecond(e, 0, 0);
    if (!m_settings.serviceVariant) {
      e.sampleCount += 1;
      RateSample s;
      s.avgDown = Saturate32(e.downSum / e.sampleCount);
      s.avgUp = Saturate32(e.upSum / e.sampleCount);
      e.history.push_front(s);
      ++e.samplesPushed;
      while (e.history.size() > m_settings.historyCapacity) e.history.pop_back();
      if (e.view) e.view->PushSample(s);
    }
    if (!e.ip.empty()) {
      e.ip.clear();
      if (m_settings.showIPInTitle && e.view && !m_settings.serviceVariant) e.view->SetCaption(EntryTitle(e, true));
    }
    Consumers(e, 0, 0, now);
  }

  // 9-10. The pseudo-adapters.
  FinishPseudo(m_list.All(), allDown, allUp, now);
  FinishPseudo(m_list.DialUp(), dialDown, dialUp, now);

  // 11. Notification check (and the service's scheduled reports).
  m_hooks.AfterSampling(now);
  return true;
}

}  // namespace vantrel
