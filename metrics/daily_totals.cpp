#include "metrics/daily_totals.h"

#include <algorithm>
#include <cstring>

#include "platform/little_endian.h"

namespace vantrel {

namespace {

// Orders dates as CompareDates does: year, then month, then day, each as a number.
uint64_t DateKey(uint16_t year, uint16_t month, uint16_t day) {
  return (static_cast<uint64_t>(year) << 32) | (static_cast<uint64_t>(month) << 16) | day;
}
uint64_t DateKey(const Date& d) { return DateKey(d.year, d.month, d.day); }
uint64_t RecordDateKey(const uint8_t* record) {
  return DateKey(LoadU16(record + 0), LoadU16(record + 2), LoadU16(record + 4));
}

constexpr size_t kChunkRecords = 256;

}  // namespace

void DailyTotals::Reset() {
  m_valid = false;
  m_readEnd = kLogHeaderSize;
  m_open.clear();
  m_entries.clear();
  m_first.clear();
}

bool DailyTotals::Refresh(const std::wstring& path, const Date& today) {
  if (path != m_path) {
    Reset();
    m_path = path;
  }
  std::unique_ptr<IFile> file = path.empty() ? nullptr : m_files.Open(path, FileMode::Reader);
  int64_t size = file ? file->Size() : -1;
  // A log that changed under an update (cut meanwhile) is read once more from the start.
  for (int attempt = 0; attempt < 2 && size >= static_cast<int64_t>(kLogHeaderSize); ++attempt) {
    if (Update(*file, size, DateKey(today))) return true;
    Reset();
    size = file->Size();
  }
  Reset();
  return false;
}

bool DailyTotals::Update(IFile& file, int64_t size, uint64_t todayKey) {
  if (m_valid) {
    // A cut log, a changed first record or a clock gone back: everything is read again.
    bool same = size >= m_readEnd && todayKey >= m_today;
    if (same && !m_first.empty()) {
      uint8_t first[kLogRecordSize];
      same = file.Seek(kLogHeaderSize) && ReadUpTo(file, first, sizeof first) == sizeof first &&
             std::memcmp(first, m_first.data(), sizeof first) == 0;
      m_bytesRead += kLogRecordSize;
    }
    if (!same) Reset();
  }
  if (!m_valid) {
    uint8_t header[kLogHeaderSize];
    if (!file.Seek(0) || ReadUpTo(file, header, sizeof header) != sizeof header ||
        !IsValidLogHeader(header, sizeof header))
      return false;
    m_bytesRead += kLogHeaderSize;
    m_valid = true;
    m_today = todayKey;
  }
  if (todayKey != m_today) {
    // The owner wrote the old day's records last at the change of day; from now on they stay.
    uint64_t oldToday = m_today;
    m_today = todayKey;
    if (!ReReadDay(file, oldToday)) return false;
    for (auto it = m_open.begin(); it != m_open.end();) {
      if (it->first < todayKey)
        it = m_open.erase(it);
      else
        ++it;
    }
  }
  if (!ReadFrom(file, m_readEnd, size)) return false;
  // Remember the first record unless it is today's (which the owner still rewrites).
  m_first.clear();
  if (size >= static_cast<int64_t>(kLogHeaderSize + kLogRecordSize)) {
    std::vector<uint8_t> first(kLogRecordSize);
    if (file.Seek(kLogHeaderSize) && ReadUpTo(file, first.data(), first.size()) == first.size() &&
        RecordDateKey(first.data()) != m_today)
      m_first = std::move(first);
    m_bytesRead += kLogRecordSize;
  }
  return true;
}

bool DailyTotals::ReadFrom(IFile& file, int64_t from, int64_t end) {
  // Whole records only: one still being appended is read by a later refresh.
  int64_t records = (end - from) / static_cast<int64_t>(kLogRecordSize);
  if (records <= 0) return true;
  if (!file.Seek(from)) return false;
  std::vector<uint8_t> buffer(kChunkRecords * kLogRecordSize);
  int64_t offset = from;
  TrafficLogRecord r;
  while (records > 0) {
    size_t want = static_cast<size_t>(std::min<int64_t>(records, kChunkRecords)) * kLogRecordSize;
    size_t got = ReadUpTo(file, buffer.data(), want);
    m_bytesRead += static_cast<int64_t>(got);
    size_t whole = got / kLogRecordSize;
    for (size_t i = 0; i < whole; ++i) {
      ParseLogRecord(buffer.data() + i * kLogRecordSize, &r);
      Take(r, offset);
      offset += kLogRecordSize;
    }
    m_readEnd = offset;
    if (got < want) break;  // the file ended sooner than its size said
    records -= static_cast<int64_t>(whole);
  }
  return true;
}

bool DailyTotals::ReReadDay(IFile& file, uint64_t key) {
  for (auto& [name, entry] : m_entries) {
    auto it = std::lower_bound(entry.days.begin(), entry.days.end(), key,
                               [](const Day& d, uint64_t k) { return d.key < k; });
    if (it != entry.days.end() && it->key == key) {
      it->counts = ByteCounts{};
      entry.dirty = true;
    }
  }
  auto open = m_open.find(key);
  if (open == m_open.end()) return true;
  std::vector<int64_t> offsets = std::move(open->second);
  m_open.erase(open);
  uint8_t image[kLogRecordSize];
  TrafficLogRecord r;
  for (int64_t offset : offsets) {
    if (!file.Seek(offset) || ReadUpTo(file, image, sizeof image) != sizeof image) return false;
    m_bytesRead += kLogRecordSize;
    ParseLogRecord(image, &r);
    Take(r, offset);
  }
  return true;
}

void DailyTotals::Take(const TrafficLogRecord& r, int64_t offset) {
  uint64_t key = DateKey(r.date());
  if (key >= m_today) m_open[key].push_back(offset);
  if (key != m_today) Add(DaysOf(r.kind, r.Id()), key, ByteCounts{r.down, r.up});
}

DailyTotals::EntryDays& DailyTotals::DaysOf(uint32_t kind, std::string_view id) {
  m_keyBuffer.assign(reinterpret_cast<const char*>(&kind), sizeof kind);
  if (kind == kKindAdapter) m_keyBuffer.append(id);
  return m_entries[m_keyBuffer];
}

void DailyTotals::Add(EntryDays& e, uint64_t key, const ByteCounts& c) {
  e.dirty = true;
  if (e.days.empty() || e.days.back().key < key) {
    e.days.push_back(Day{key, c});
    return;
  }
  auto it = std::lower_bound(e.days.begin(), e.days.end(), key, [](const Day& d, uint64_t k) { return d.key < k; });
  if (it != e.days.end() && it->key == key) {
    it->counts.receive += c.receive;
    it->counts.transmit += c.transmit;
  } else {
    e.days.insert(it, Day{key, c});
  }
}

ByteCounts DailyTotals::Sum(uint32_t kind, std::string_view id, const Period& period) {
  m_keyBuffer.assign(reinterpret_cast<const char*>(&kind), sizeof kind);
  if (kind == kKindAdapter) m_keyBuffer.append(id);
  auto found = m_entries.find(m_keyBuffer);
  if (found == m_entries.end()) return ByteCounts{};
  EntryDays& e = found->second;
  if (e.dirty) {
    e.prefix.assign(e.days.size() + 1, ByteCounts{});
    for (size_t i = 0; i < e.days.size(); ++i) {
      e.prefix[i + 1].receive = e.prefix[i].receive + e.days[i].counts.receive;
      e.prefix[i + 1].transmit = e.prefix[i].transmit + e.days[i].counts.transmit;
    }
    e.dirty = false;
  }
  uint64_t first = DateKey(period.first), last = DateKey(period.last);
  if (first > last) return ByteCounts{};
  auto less = [](const Day& d, uint64_t k) { return d.key < k; };
  size_t lo = static_cast<size_t>(std::lower_bound(e.days.begin(), e.days.end(), first, less) - e.days.begin());
  size_t hi = static_cast<size_t>(std::upper_bound(e.days.begin(), e.days.end(), last,
                                                   [](uint64_t k, const Day& d) { return k < d.key; }) -
                                  e.days.begin());
  ByteCounts sum{e.prefix[hi].receive - e.prefix[lo].receive, e.prefix[hi].transmit - e.prefix[lo].transmit};
  // Records that were dated in the future when read and have become today's: left out too.
  if (m_today >= first && m_today <= last) {
    auto at = std::lower_bound(e.days.begin(), e.days.end(), m_today, less);
    if (at != e.days.end() && at->key == m_today) {
      sum.receive -= at->counts.receive;
      sum.transmit -= at->counts.transmit;
    }
  }
  return sum;
}

std::vector<EntryPeriods> PeriodsOf(const MetricsSnapshot& s, DailyTotals& totals) {
  const LocalTime& t = s.sampleTime;
  Date today{t.year, t.month, t.day};
  bool haveLog = totals.Refresh(s.logPath, today);
  Period week = WeekPeriod(today, t.dayOfWeek, s.weekStartDay);
  Period month = MonthPeriod(today, s.monthStartDay);
  Period lastDays{LastDaysStart(today, s.sumLastDays), today};
  std::vector<EntryPeriods> out;
  out.reserve(s.entries.size());
  for (const MetricsEntry& e : s.entries) {
    EntryPeriods p;
    if (haveLog) {
      p.week = totals.Sum(e.kind, e.logId, week);
      p.month = totals.Sum(e.kind, e.logId, month);
      // The summary's Last 1 Day is today alone.
      if (s.sumLastDays > 1) p.lastDays = totals.Sum(e.kind, e.logId, lastDays);
    }
    for (ByteCounts* c : {&p.week, &p.month, &p.lastDays}) {
      c->receive += e.today.receive;
      c->transmit += e.today.transmit;
    }
    out.push_back(p);
  }
  return out;
}

}  // namespace vantrel
