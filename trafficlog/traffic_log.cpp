#include "trafficlog/traffic_log.h"

#include <cstring>
#include <vector>

#include "platform/little_endian.h"
#include "platform/text.h"
#include "settings/settings_keys.h"

namespace vantrel {

namespace {

constexpr wchar_t kServiceName[] = L"VantrelService";

// TrafficLogFile: a wide string of at most 520 bytes per user; the service reads it as
// 8-bit text of at most 260 bytes, terminator included.
constexpr size_t kMaxWidePathBytes = 520;
constexpr size_t kMaxAnsiPathBytes = 260;

constexpr size_t kOldRecordSize = 40;
constexpr size_t kCopyChunk = 64 * 1024;
// The damaged copy is "<log>.damaged", or "<log>.damaged.N" when that name is taken.
constexpr int kMaxDamagedNames = 1000;
// Records appended together while importing the old summary.
constexpr size_t kImportBatchRecords = 128;
// One past the last byte a record may occupy.
constexpr int64_t kLogLimit = kMaxRecordOffset + static_cast<int64_t>(kLogRecordSize);

Date DateOf(const LocalTime& t) { return Date{t.year, t.month, t.day}; }

bool IsSeparator(wchar_t c) {
#ifdef _WIN32
  return c == L'\\';
#else
  return c == L'\\' || c == L'/';
#endif
}


// "sum.log" in place of the log's file name, or "" when the log is not named
// "TrafficHistory.log" (a path of the user's own choosing has no old summary beside it).
std::wstring OldSummaryPath(const std::wstring& logPath) {
  std::wstring name = kTrafficLogName;
  if (logPath.size() < name.size()) return {};
  size_t at = logPath.size() - name.size();
  if (!EqualsIgnoreCase(logPath.substr(at), name)) return {};
  if (at > 0 && !IsSeparator(logPath[at - 1])) return {};
  return logPath.substr(0, at) + kOldSummaryName;
}

}  // namespace

Period CurrentPeriod(int periodType, int n, const LocalTime& today, int weekStartDay, int monthStartDay) {
  if (weekStartDay < 0 || weekStartDay > 6) weekStartDay = 0;
  if (monthStartDay < 1 || monthStartDay > 31) monthStartDay = 1;
  Date d = DateOf(today);
  switch (periodType) {
    case kPeriodWeek: return WeekPeriod(d, today.dayOfWeek, weekStartDay);
    case kPeriodMonth: return MonthPeriod(d, monthStartDay);
    default: return LastDaysPeriod(d, n);
  }
}

TrafficLog::TrafficLog(LogProgram program, IFileSystem& files, ISettingsStore& settings, IKnownFolders& folders,
                       IAdapterSource* adapters, IServiceState& service)
    : m_program(program),
      m_files(files),
      m_settings(settings),
      m_folders(folders),
      m_adapters(adapters),
      m_service(service) {}

TrafficLog::~TrafficLog() = default;

const std::wstring& TrafficLog::LocateTrafficLog() {
  m_pathFromSettings = false;
  m_storedPath.clear();
  std::wstring value;
  if (m_program == LogProgram::Service) {
    ReadStatus st = ReadString(m_settings, SettingsRoot::LocalMachine, keys::kOptions, keys::kTrafficLogFile,
                               kMaxWidePathBytes, &value);
    if (st == ReadStatus::Ok) {
      // The service works in 8-bit text: what does not fit its buffer there is not a path.
      std::string ansi = WideToAnsi(value);
      if (!ansi.empty() && ansi.size() + 1 <= kMaxAnsiPathBytes) {
        m_path = AnsiToWide(ansi);
        m_pathFromSettings = true;
        return m_path;
      }
    }
    m_path = m_folders.ProgramFolder() + kTrafficLogName;
    return m_path;
  }

  ReadStatus st = ReadString(m_settings, SettingsRoot::CurrentUser, keys::kOptions, keys::kTrafficLogFile,
                             kMaxWidePathBytes, &value);
  if (st == ReadStatus::Ok && !value.empty()) {
    m_path = value;
    m_pathFromSettings = true;
    return m_path;
  }

  std::wstring folder;
  std::wstring documents;
  if (m_folders.DocumentsFolder(&documents)) {
    while (!documents.empty() && IsSeparator(documents.back())) documents.pop_back();
    std::wstring dir = documents + L"\\" + kLogFolderName;
    if (m_files.IsDirectory(dir) || m_files.MakeDirectory(dir)) folder = dir + L"\\";
  }
  if (folder.empty()) folder = m_folders.ProgramFolder();
  m_path = folder + kTrafficLogName;
  WriteString(m_settings, SettingsRoot::CurrentUser, keys::kOptions, keys::kTrafficLogFile, m_path);
  if (m_serviceMode) WriteMachineLogPath();
  return m_path;
}

bool TrafficLog::ChangeLogPath(const std::wstring& path) {
  m_storedPath = path;
  if (!IsOpen()) {
    m_path = path;
    m_pathFromSettings = true;
  }
  bool ok = WriteString(m_settings, SettingsRoot::CurrentUser, keys::kOptions, keys::kTrafficLogFile, path);
  if (m_serviceMode)
    ok = WriteString(m_settings, SettingsRoot::LocalMachine, keys::kOptions, keys::kTrafficLogFile, path) && ok;
  return ok;
}

bool TrafficLog::WriteMachineLogPath() {
  return WriteString(m_settings, SettingsRoot::LocalMachine, keys::kOptions, keys::kTrafficLogFile, m_path);
}

bool TrafficLog::RetryWithCustomPath(const std::wstring& path, MonitoredList& list, const LocalTime& today) {
  ChangeLogPath(path);
  if (!OpenTrafficLog()) return false;
  LoadTodayTotals(list, today);
  return true;
}

void TrafficLog::CloseTrafficLog() {
  m_file.reset();
  m_access = LogAccess::None;
}

bool TrafficLog::OpenTrafficLog() {
  CloseTrafficLog();
  m_damagedCopy.clear();
  if (m_path.empty()) return false;
  if (m_program == LogProgram::Interactive && m_serviceMode) return OpenAsReader();
  return OpenAsOwner();
}

bool TrafficLog::OpenAsReader() {
  std::unique_ptr<IFile> f = m_files.Open(m_path, FileMode::Reader);
  if (!f) return false;
  uint8_t header[kLogHeaderSize];
  size_t got = f->Seek(0) ? ReadUpTo(*f, header, sizeof header) : 0;
  // A reader never repairs: the owner decides what happens to a damaged file.
  if (!IsValidLogHeader(header, got)) return false;
  m_file = std::move(f);
  m_access = LogAccess::Reader;
  return true;
}

std::unique_ptr<IFile> TrafficLog::OpenOwnerHandle() {
  std::unique_ptr<IFile> f = m_files.Open(m_path, FileMode::Owner);
  if (f || m_program == LogProgram::Service) return f;
  // The service may still hold the log (service mode was switched off, or it was started
  // by hand): stop it and try again, a bounded number of times.
  for (int attempt = 0; attempt < kMaxServiceStopAttempts; ++attempt) {
    int32_t state = m_service.QueryServiceState(kServiceName);
    if (state != kServiceStartPending && state != kServiceRunning) return nullptr;
    m_service.StopServiceAndWait(kServiceName);
    f = m_files.Open(m_path, FileMode::Owner);
    if (f) return f;
  }
  return nullptr;
}

bool TrafficLog::OpenTrafficLogAsOwner() {
  if (m_path.empty()) return false;
  std::unique_ptr<IFile> f = m_files.Open(m_path, FileMode::Owner);
  if (!f) return false;
  CloseTrafficLog();
  m_damagedCopy.clear();
  return AdoptOwnerHandle(std::move(f));
}

bool TrafficLog::OpenAsOwner() {
  std::unique_ptr<IFile> f = OpenOwnerHandle();
  if (!f) return false;
  return AdoptOwnerHandle(std::move(f));
}

bool TrafficLog::AdoptOwnerHandle(std::unique_ptr<IFile> f) {
  m_file = std::move(f);
  m_access = LogAccess::Owner;
  bool freshHeader = false;
  if (!PrepareOwnerFile(&freshHeader)) {
    CloseTrafficLog();
    return false;
  }
  if (freshHeader && m_program == LogProgram::Interactive && !m_pathFromSettings) ImportOldSummary();
  return true;
}

bool TrafficLog::PrepareOwnerFile(bool* freshHeader) {
  uint8_t header[kLogHeaderSize];
  size_t got = m_file->Seek(0) ? ReadUpTo(*m_file, header, sizeof header) : 0;
  int64_t size = m_file->Size();
  if (got == 0 && size == 0) {
    if (!WriteFreshHeader()) return false;
    m_file->Flush();
    *freshHeader = true;
    return true;
  }
  if (IsValidLogHeader(header, got)) return true;
  if (got == 0 && size < 0) return false;  // unreadable: do not take it for empty
  // A bad header: the file becomes an empty log, but only once its old bytes are kept
  // beside it; a file that cannot be kept is not destroyed and the open fails.
  if (!PreserveDamagedFile()) return false;
  if (!WriteFreshHeader()) return false;
  m_file->Flush();
  return true;
}

bool TrafficLog::PreserveDamagedFile() {
  std::wstring base = m_path + L".damaged";
  std::wstring target;
  for (int i = 0; i < kMaxDamagedNames && target.empty(); ++i) {
    std::wstring candidate = i == 0 ? base : base + L"." + std::to_wstring(i);
    if (!m_files.Exists(candidate)) target = candidate;
  }
  if (target.empty()) return false;
  std::unique_ptr<IFile> out = m_files.Open(target, FileMode::Replace);
  if (!out) return false;
  bool ok = m_file->Seek(0);
  std::vector<uint8_t> buf(kCopyChunk);
  while (ok) {
    size_t got = 0;
    if (!m_file->Read(buf.data(), buf.size(), &got)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    ok = WriteAll(*out, buf.data(), got);
  }
  ok = ok && out->Flush();
  out.reset();
  if (!ok) {
    m_files.Remove(target);
    return false;
  }
  m_damagedCopy = target;
  return true;
}

bool TrafficLog::WriteFreshHeader() {
  uint8_t header[kLogHeaderSize];
  WriteLogHeader(header);
  return m_file->Seek(0) && m_file->SetEnd() && WriteAll(*m_file, header, sizeof header);
}

bool TrafficLog::PrepareAppend(int64_t* end) {
  if (!m_file->SeekEnd(end)) return false;
  if (*end < static_cast<int64_t>(kLogHeaderSize)) {
    // A cut or header write failed earlier: the file must begin with a header again before
    // any record goes in.
    if (!WriteFreshHeader()) return false;
    *end = kLogHeaderSize;
  }
  int64_t partial = (*end - static_cast<int64_t>(kLogHeaderSize)) % static_cast<int64_t>(kLogRecordSize);
  if (partial != 0) {
    // A partial record at the end (an interrupted write) is ignored by every pass; a record
    // appended behind it would not be, so the tail is cut first.
    int64_t aligned = *end - partial;
    if (!m_file->Seek(aligned) || !m_file->SetEnd()) return false;
    *end = aligned;
  }
  return true;
}

bool TrafficLog::AppendRecord(const uint8_t* image, size_t bytes, int64_t* offset) {
  int64_t end = 0;
  if (!PrepareAppend(&end)) return false;
  if (end + static_cast<int64_t>(bytes) > kLogLimit) return false;  // beyond a 32-bit offset
  if (!m_file->Seek(end)) return false;
  if (WriteAll(*m_file, image, bytes)) {
    *offset = end;
    return true;
  }
  // Cut what part of the records reached the file, so the next append starts on a record
  // boundary; if the cut fails too, PrepareAppend cuts it next time.
  if (m_file->Seek(end)) m_file->SetEnd();
  return false;
}

void TrafficLog::ResetTotals(MonitoredList& list) {
  for (AdapterEntry& e : list) {
    e.todayDown = 0;
    e.todayUp = 0;
    e.todayOffset = -1;
  }
}

void TrafficLog::LoadTodayTotals(MonitoredList& list, const LocalTime& today) {
  Date d = DateOf(today);
  if (m_access == LogAccess::None) {
    // Without a log the totals are in memory only; they still belong to one day.
    if (m_totalsDate && !(*m_totalsDate == d)) ResetTotals(list);
    m_totalsDate = d;
    return;
  }
  ResetTotals(list);
  m_totalsDate = d;
  LogRecordScanner scanner(*m_file);
  TrafficLogRecord r;
  int64_t offset = 0;
  int64_t firstOfToday = -1;
  int64_t end = kLogHeaderSize;
  std::string id;
  while (scanner.Next(&r, &offset)) {
    end = offset + static_cast<int64_t>(kLogRecordSize);
    if (!(r.date() == d)) continue;
    if (firstOfToday < 0) firstOfToday = offset;
    id.assign(r.Id());
    AdapterEntry* e = list.Find(r.kind, id);
    if (!e) continue;
    e->todayDown = r.down;
    e->todayUp = r.up;
    // A record beyond what a 32-bit offset reaches is read but cannot be rewritten.
    e->todayOffset = offset <= kMaxRecordOffset ? static_cast<int32_t>(offset) : -1;
  }
  m_todayFrom = firstOfToday >= 0 ? firstOfToday : end;
}

bool TrafficLog::ReadTodayTotals(const MonitoredList& list, const LocalTime& today,
                                 std::vector<std::pair<uint64_t, uint64_t>>* totals) {
  totals->assign(list.size(), {0, 0});
  if (m_access == LogAccess::None) return false;
  Date d = DateOf(today);
  // A log cut shorter since (or another day's start) is read whole.
  int64_t size = m_file->Size();
  int64_t from = m_totalsDate && *m_totalsDate == d && m_todayFrom <= size ? m_todayFrom : kLogHeaderSize;
  LogRecordScanner scanner(*m_file, 64 * 1024, from);
  TrafficLogRecord r;
  std::string id;
  while (scanner.Next(&r)) {
    if (!(r.date() == d)) continue;
    id.assign(r.Id());
    size_t i = 0;
    for (const AdapterEntry& e : list) {
      if (e.Matches(r.kind, id)) {
        (*totals)[i] = {r.down, r.up};
        break;
      }
      ++i;
    }
  }
  return true;
}

bool TrafficLog::WriteTodayRecords(MonitoredList& list, const LocalTime& today) {
  m_totalsDate = DateOf(today);
  if (m_access != LogAccess::Owner) return false;
  TrafficLogRecord r;
  r.year = today.year;
  r.month = today.month;
  r.day = today.day;
  r.dayOfWeek = today.dayOfWeek;
  uint8_t image[kLogRecordSize];
  bool all = true;
  for (AdapterEntry& e : list) {
    r.kind = e.kind;
    r.SetId(e.id);
    r.down = e.todayDown;
    r.up = e.todayUp;
    SerializeLogRecord(r, image);
    if (e.todayOffset >= 0) {
      if (!m_file->Seek(e.todayOffset) || !WriteAll(*m_file, image, sizeof image)) all = false;
    } else {
      int64_t offset = 0;
      if (AppendRecord(image, sizeof image, &offset))
        e.todayOffset = static_cast<int32_t>(offset);
      else
        all = false;
    }
  }
  if (!m_file->Flush()) all = false;
  return all;
}

bool TrafficLog::ClearTrafficLog(MonitoredList& list) {
  if (m_access != LogAccess::Owner) return false;
  if (!m_file->Seek(0) || !m_file->SetEnd()) return false;
  // The records are gone now, whatever happens to the header: the next write appends anew
  // (and writes the header first if it is missing).
  ResetTotals(list);
  uint8_t header[kLogHeaderSize];
  WriteLogHeader(header);
  bool ok = WriteAll(*m_file, header, sizeof header);
  m_file->Flush();
  return ok;
}

void TrafficLog::ImportOldSummary() {
  std::wstring oldPath = OldSummaryPath(m_path);
  if (oldPath.empty() || !m_adapters) return;
  std::unique_ptr<IFile> old = m_files.Open(oldPath, FileMode::ReadShared);
  if (!old) return;

  struct Current {
    uint8_t address[8];
    std::string id;
  };
  std::vector<LiveAdapter> live;
  if (!m_adapters->GetAdapters(&live)) return;
  std::vector<Current> current;
  current.reserve(live.size());
  for (const LiveAdapter& a : live) {
    Current c;
    std::memcpy(c.address, a.address, sizeof c.address);
    c.id = AdapterIdentifier(a);
    current.push_back(std::move(c));
  }

  std::vector<uint8_t> input(kOldRecordSize * 1024);
  size_t have = 0;
  std::vector<uint8_t> batch;
  batch.reserve(kImportBatchRecords * kLogRecordSize);
  bool writing = true;
  auto flushBatch = [&]() {
    if (!batch.empty() && writing) {
      int64_t offset = 0;
      // An import cut short by a write failure keeps what was written before it.
      writing = AppendRecord(batch.data(), batch.size(), &offset);
    }
    batch.clear();
  };

  bool more = true;
  while (more && writing) {
    while (have < input.size()) {
      size_t got = 0;
      if (!old->Read(input.data() + have, input.size() - have, &got) || got == 0) {
        more = false;
        break;
      }
      have += got;
    }
    size_t whole = have / kOldRecordSize * kOldRecordSize;
    for (size_t pos = 0; pos < whole; pos += kOldRecordSize) {
      const uint8_t* p = input.data() + pos;
      TrafficLogRecord r;
      r.year = LoadU16(p + 0);
      r.month = LoadU16(p + 2);
      r.day = LoadU16(p + 4);
      r.dayOfWeek = LoadU16(p + 8);
      uint32_t kind = LoadU32(p + 12);
      if (kind == kKindAllConnections || kind == kKindDialUp) {
        r.kind = kind;
      } else {
        const Current* match = nullptr;
        for (const Current& c : current) {
          if (std::memcmp(c.address, p + 16, sizeof c.address) == 0) {
            match = &c;
            break;
          }
        }
        if (!match) continue;  // an adapter that is no longer there cannot be named
        r.kind = kKindAdapter;
        r.SetId(match->id);
      }
      r.down = LoadU64(p + 24);
      r.up = LoadU64(p + 32);
      batch.resize(batch.size() + kLogRecordSize);
      SerializeLogRecord(r, batch.data() + batch.size() - kLogRecordSize);
      if (batch.size() >= kImportBatchRecords * kLogRecordSize) flushBatch();
    }
    // A trailing partial old record (fewer than 40 bytes at the end) is dropped.
    std::memmove(input.data(), input.data() + whole, have - whole);
    have -= whole;
  }
  flushBatch();
  m_file->Flush();
}

uint64_t TrafficLog::PeriodTotal(uint32_t kind, std::string_view id, int periodType, int direction, int n,
                                 const LocalTime& today, int weekStartDay, int monthStartDay) {
  if (m_access == LogAccess::None) return 0;
  Period period = CurrentPeriod(periodType, n, today, weekStartDay, monthStartDay);
  if (CompareDates(period.first, period.last) >= 0) return 0;
  Date d = DateOf(today);
  // A stored identifier holds at most 259 characters: a longer one matches no record.
  bool idFits = id.size() < kLogIdBytes && id.find('\0') == std::string_view::npos;
  uint64_t total = 0;
  LogRecordScanner scanner(*m_file);
  const uint8_t* p = nullptr;
  // Every record of years of history passes here, so only the fields that decide are
  // looked at, cheapest first: the date, the kind, then the identifier.
  while (scanner.NextBytes(&p)) {
    Date rd{LoadU16(p + 0), LoadU16(p + 2), LoadU16(p + 4)};
    if (rd == d || CompareDates(rd, period.first) < 0 || CompareDates(rd, period.last) > 0) continue;
    if (LoadU32(p + 12) != kind) continue;
    if (kind == kKindAdapter) {
      const uint8_t* field = p + 16;
      if (!idFits || std::memcmp(field, id.data(), id.size()) != 0) continue;
      if (id.size() < kLogIdBytes - 1 && field[id.size()] != 0) continue;
    }
    uint64_t down = LoadU64(p + 280);
    uint64_t up = LoadU64(p + 288);
    if (direction == kDirectionDown)
      total += down;
    else if (direction == kDirectionUp)
      total += up;
    else
      total += down + up;
  }
  return total;
}

}  // namespace vantrel
