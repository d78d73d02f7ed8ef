#pragma once
// The one-second tick shared by both programs: reads the adapters' byte counters, turns the
// differences into per-second figures, folds them into today's totals, the averages, the
// pseudo-adapters and the rate histories, keeps the traffic log current and detects the
// change of day. What the tick feeds (log, tray, recorder, notifications) is reached
// through ITickHooks.
#include <cstdint>
#include <string>

#include "engine/adapter_entry.h"
#include "engine/monitored_list_io.h"
#include "platform/clock.h"

namespace vantrel {

class ITickHooks {
 public:
  virtual ~ITickHooks() = default;
  // At a change of hour or day and at minutes 0, 16, 32 and 48: write today's records.
  // `date` is the previous tick's time, so a write at midnight completes the old day.
  virtual void WriteTodayRecords(const LocalTime& date) {}
  // After a change of day, with the new date.
  virtual void LoadTodayTotals(const LocalTime& newDate) {}
  // After LoadTodayTotals at a change of day (the notification rule is re-armed here).
  virtual void DayChanged(const LocalTime& newDate) {}
  // The tray adapter has a new sample (only while the tray is on).
  virtual void TrayUpdate(AdapterEntry& entry) {}
  // A recording entry's second: its download and upload bytes (interactive program: while
  // its rate file is open; service: while RecordTrafficRates is on, absent adapters too).
  virtual void RecordSecond(AdapterEntry& entry, uint32_t down, uint32_t up, const LocalTime& now) {}
  // Once per tick, last, after every entry was sampled (notification check; the service's
  // report scheduler). Not called when the adapter table could not be read.
  virtual void AfterSampling(const LocalTime& now) {}
};

struct TickSettings {
  bool serviceVariant = false;       // no histories, averages, views, menus or tray
  size_t historyCapacity = kMinHistoryCapacity;
  bool showIPInTitle = true;         // re-caption views when an address changes
  bool trayEnabled = false;
  uint32_t trayKind = kKindAllConnections;
  std::string trayId;
};

class SamplingTick {
 public:
  // `menu` may be null (the service, or before menus exist).
  SamplingTick(MonitoredList& list, IAdapterSource& source, IClock& clock, ITickHooks& hooks,
               IAdapterMenuHook* menu = nullptr);

  TickSettings& settings() { return m_settings; }
  const TickSettings& settings() const { return m_settings; }
  void SetMenuHook(IAdapterMenuHook* menu) { m_menu = menu; }

  // The local time of the previous tick (the current date for the log and reports).
  const LocalTime& LastTickTime() const { return m_last; }
  void SetLastTickTime(const LocalTime& t) { m_last = t; }

  // One tick. False when the adapter table could not be read: no samples this second.
  bool Run();

  // Counting goes on from the counters as they are now: every adapter's current reading
  // becomes its last one and nothing is added. For a log taken over from the other program,
  // whose totals already hold the traffic up to its last second. When the table cannot be
  // read, every adapter's next reading only sets its counters (that second counts 0).
  void RestartCounting();

  // Empties an entry's history and its running averages (the Reset Rates commands).
  static void ResetRates(AdapterEntry& entry);

 private:
  void PushSample(AdapterEntry& e, uint32_t down, uint32_t up);
  // The second's figures and the running totals since start (both programs).
  static void CountSecond(AdapterEntry& e, uint64_t down, uint64_t up);
  void FinishPseudo(AdapterEntry& e, uint64_t down, uint64_t up, const LocalTime& now);
  bool IsTrayAdapter(const AdapterEntry& e) const;
  void Consumers(AdapterEntry& e, uint32_t down, uint32_t up, const LocalTime& now);

  MonitoredList& m_list;
  IAdapterSource& m_source;
  IClock& m_clock;
  ITickHooks& m_hooks;
  IAdapterMenuHook* m_menu;
  TickSettings m_settings;
  LocalTime m_last;
  std::vector<LiveAdapter> m_live;  // reused from tick to tick
};

// The per-second figure of a counter: 0 when it went backwards (a wrap of a 32-bit counter
// or a reset), else the difference.
uint64_t CounterDelta(uint64_t current, uint64_t last);
// A 64-bit figure in a 32-bit field: saturates instead of wrapping.
uint32_t Saturate32(uint64_t v);

}  // namespace vantrel
