#pragma once
// The stopwatch's counting over an adapter's rate history: it counts no traffic of its own,
// it walks the samples the tick added to the history since it last looked.
#include <cstdint>
#include <string>

#include "engine/adapter_entry.h"

namespace vantrel {

struct StopwatchFigures {
  uint32_t elapsedSeconds = 0;
  uint64_t totalDown = 0;  // bytes: sums of the per-second figures
  uint64_t totalUp = 0;
  uint32_t samples = 0;
  uint32_t maxDown = 0;
  uint32_t maxUp = 0;
  bool minimaSet = false;  // no sample yet: the minima read as 0
  uint32_t minDown = 0;
  uint32_t minUp = 0;
  uint32_t avgDown = 0;
  uint32_t avgUp = 0;
};

class StopwatchCounter {
 public:
  // Zeroes every figure and remembers how far the entry's history goes: samples that exist
  // at Start are not counted.
  void Start(const AdapterEntry& entry);
  // Values stay as they are.
  void Stop() { m_running = false; }
  bool Running() const { return m_running; }
  // One second of the stopwatch's own timer.
  void AddSecond() { ++m_figures.elapsedSeconds; }
  // Counts the samples the entry's history gained since Start or the last Refresh. Samples
  // the history no longer holds (a reset of the adapter's rates, the capacity) are gone and
  // not counted. Returns how many were counted.
  uint32_t Refresh(const AdapterEntry& entry);
  const StopwatchFigures& Figures() const { return m_figures; }

 private:
  void Count(const RateSample& s);

  bool m_running = false;
  uint64_t m_counted = 0;  // the entry's samplesPushed when last looked
  StopwatchFigures m_figures;
};

// "%02d : %02d : %02d": hours, minutes, seconds.
std::wstring ElapsedTimeText(uint32_t seconds);

// The texts of the value fields.
struct StopwatchTexts {
  std::wstring totalDownBytes, totalUpBytes;  // byte units
  std::wstring totalDownBits, totalUpBits;    // bit units
  std::wstring maxDown, maxUp, minDown, minUp, avgDown, avgUp;  // the main window's unit
};
StopwatchTexts StopwatchFieldTexts(const StopwatchFigures& f, bool byteUnits);

}  // namespace vantrel
