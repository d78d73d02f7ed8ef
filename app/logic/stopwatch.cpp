#include "app/logic/stopwatch.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "engine/formatters.h"

namespace vantrel {

namespace {
uint32_t Average(uint64_t total, uint32_t count) {
  if (count == 0) return 0;
  uint64_t a = total / count;
  return a > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max() : static_cast<uint32_t>(a);
}

int64_t AsCount(uint64_t v) {
  return v > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) ? std::numeric_limits<int64_t>::max()
                                                                        : static_cast<int64_t>(v);
}
}  // namespace

void StopwatchCounter::Start(const AdapterEntry& entry) {
  m_figures = StopwatchFigures{};
  m_counted = entry.samplesPushed;
  m_running = true;
}

void StopwatchCounter::Count(const RateSample& s) {
  m_figures.totalDown += s.down;
  m_figures.totalUp += s.up;
  ++m_figures.samples;
  m_figures.maxDown = std::max(m_figures.maxDown, s.down);
  m_figures.maxUp = std::max(m_figures.maxUp, s.up);
  if (!m_figures.minimaSet) {
    m_figures.minimaSet = true;
    m_figures.minDown = s.down;
    m_figures.minUp = s.up;
  } else {
    m_figures.minDown = std::min(m_figures.minDown, s.down);
    m_figures.minUp = std::min(m_figures.minUp, s.up);
  }
}

uint32_t StopwatchCounter::Refresh(const AdapterEntry& entry) {
  uint64_t fresh = entry.samplesPushed >= m_counted ? entry.samplesPushed - m_counted : 0;
  size_t available = std::min<uint64_t>(fresh, entry.history.size());
  // Newest first: the history's front holds the latest second.
  for (size_t i = 0; i < available; ++i) Count(entry.history[i]);
  m_counted = entry.samplesPushed;
  m_figures.avgDown = Average(m_figures.totalDown, m_figures.samples);
  m_figures.avgUp = Average(m_figures.totalUp, m_figures.samples);
  return static_cast<uint32_t>(available);
}

std::wstring ElapsedTimeText(uint32_t seconds) {
  wchar_t buf[40];
  std::swprintf(buf, 40, L"%02u : %02u : %02u", seconds / 3600, seconds % 3600 / 60, seconds % 60);
  return buf;
}

StopwatchTexts StopwatchFieldTexts(const StopwatchFigures& f, bool byteUnits) {
  StopwatchTexts t;
  t.totalDownBytes = FormatByteCount(AsCount(f.totalDown), true);
  t.totalUpBytes = FormatByteCount(AsCount(f.totalUp), true);
  t.totalDownBits = FormatByteCount(AsCount(f.totalDown), false);
  t.totalUpBits = FormatByteCount(AsCount(f.totalUp), false);
  t.maxDown = FormatRate(f.maxDown, byteUnits);
  t.maxUp = FormatRate(f.maxUp, byteUnits);
  t.minDown = FormatRate(f.minimaSet ? f.minDown : 0, byteUnits);
  t.minUp = FormatRate(f.minimaSet ? f.minUp : 0, byteUnits);
  t.avgDown = FormatRate(f.avgDown, byteUnits);
  t.avgUp = FormatRate(f.avgUp, byteUnits);
  return t;
}

}  // namespace vantrel
