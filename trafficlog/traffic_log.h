#pragma once
// The open traffic log of one program: where it lives, how it is opened (as the one writer,
// the owner, or as a reader while the service owns it), today's records of every monitored
// entry, and the period totals that notifications count over.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/adapter_entry.h"
#include "platform/adapter_source.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/service_state.h"
#include "platform/settings_store.h"
#include "trafficlog/log_format.h"
#include "trafficlog/periods.h"

namespace vantrel {

constexpr wchar_t kTrafficLogName[] = L"TrafficHistory.log";
constexpr wchar_t kOldSummaryName[] = L"sum.log";
constexpr wchar_t kLogFolderName[] = L"OrlixVantrel";

// How many times the interactive owner stops a service that still holds the log before it
// gives up; a service that keeps coming back must not hang the program.
constexpr int kMaxServiceStopAttempts = 5;

// Records are addressed by signed 32-bit offsets: no record is written that would start
// beyond this offset, so the log never grows past 2 GiB.
constexpr int64_t kMaxRecordOffset = 0x7FFFFFFF - static_cast<int64_t>(kLogRecordSize) + 1;


// Which program uses the log: they locate and open it differently.
enum class LogProgram { Interactive, Service };

enum class LogAccess { None, Owner, Reader };

// Direction of a period total: download, upload, or (any other value) both.
constexpr int kDirectionDown = 0;
constexpr int kDirectionUp = 1;
constexpr int kDirectionBoth = 2;

// Period types of a period total: the week, the accounting month, or (any other value) the
// last n days.
constexpr int kPeriodWeek = 0;
constexpr int kPeriodMonth = 1;
constexpr int kPeriodLastDays = 2;

// The period of the given type that holds `today`; out-of-range start days are read as the
// defaults (Sunday, the 1st).
Period CurrentPeriod(int periodType, int n, const LocalTime& today, int weekStartDay, int monthStartDay);

class TrafficLog {
 public:
  // adapters is needed only by the interactive program (the old summary's import); it may be
  // null for the service.
  TrafficLog(LogProgram program, IFileSystem& files, ISettingsStore& settings, IKnownFolders& folders,
             IAdapterSource* adapters, IServiceState& service = NoServiceState());
  ~TrafficLog();
  TrafficLog(const TrafficLog&) = delete;
  TrafficLog& operator=(const TrafficLog&) = delete;

  // The service mode (ServiceEnabled) of the interactive program: chooses the owner or the
  // reader open and whether the log path is mirrored under the machine hive. Set it before
  // LocateTrafficLog.
  void SetServiceMode(bool on) { m_serviceMode = on; }
  bool ServiceMode() const { return m_serviceMode; }

  // Determines the log path at start-up and returns it. Interactive: TrafficLogFile of the
  // per-user Options (then the path came from the settings), else the documents folder's
  // "OrlixVantrel" folder (made if needed) or the program folder, plus "TrafficHistory.log",
  // stored in TrafficLogFile per user and, in service mode, machine-wide. Service:
  // TrafficLogFile of the machine-wide Options as 8-bit text, else the program folder plus
  // "TrafficHistory.log"; it writes nothing.
  const std::wstring& LocateTrafficLog();

  // Opens the log at Path(), closing any open one first. Interactive in service mode: as
  // reader, refused when the header is bad. Otherwise as owner: an empty file gets a fresh
  // header (and, interactive, the old summary's records); a bad header is replaced by an
  // empty log after the damaged file was copied beside it (refused if that copy fails).
  // Interactive owner: while the service holds the file and runs, it is stopped and the
  // open tried again, at most kMaxServiceStopAttempts times.
  bool OpenTrafficLog();
  // The interactive program becomes the owner whatever the service mode (the service is not
  // running, or was just stopped): the file is opened as owner, and only when that works is
  // the open log (a reader) replaced. A file another program owns fails at once, without
  // touching the service, and leaves the open log as it was.
  bool OpenTrafficLogAsOwner();
  void CloseTrafficLog();

  // Sets every entry's today totals and record offset from the records dated `today` (the
  // last one per entry wins). Without a log the totals stay, unless the day has changed
  // since the totals were last loaded or written: then they start again at 0.
  void LoadTodayTotals(MonitoredList& list, const LocalTime& today);
  // Today's totals as the open log holds them now, in list order (0 for an entry without a
  // record), the entries left as they are: for a reader that follows what the writer wrote.
  // Only the part of the log from the first record of `today` seen by LoadTodayTotals on is
  // read. False without an open log.
  bool ReadTodayTotals(const MonitoredList& list, const LocalTime& today,
                       std::vector<std::pair<uint64_t, uint64_t>>* totals);
  // Writes every entry's today totals to its record dated `today`, appending a record for an
  // entry that has none yet, then flushes. Nothing while no log is open or as reader. An
  // entry whose write fails keeps its totals (and an offset of -1 if it had none) for the
  // next write. True when every record was written and flushed.
  bool WriteTodayRecords(MonitoredList& list, const LocalTime& today);
  // Empties the owner's log to a fresh header and resets every entry's today totals and
  // offset. False (and nothing reset) without a log, as reader, or when the file cannot
  // be cut.
  bool ClearTrafficLog(MonitoredList& list);

  // Bytes of one entry in the current period of the given type, from the records before
  // today (today's traffic is in the entry's in-memory totals). 0 without a log and for a
  // one-day period.
  uint64_t PeriodTotal(uint32_t kind, std::string_view id, int periodType, int direction, int n,
                       const LocalTime& today, int weekStartDay, int monthStartDay);

  // A path chosen by the user (the open-failure dialogue, the Traffic Reports window): stored
  // in TrafficLogFile per user and, in service mode, machine-wide (StoredPath). An open log
  // is not switched: until the next start every read, write, copy and reopen (the hand-over
  // to and from the service) goes to the log that is open, Path(). Without an open log the
  // new path is also the one OpenTrafficLog opens. False when the setting could not be stored.
  bool ChangeLogPath(const std::wstring& path);
  // Stores Path() as TrafficLogFile machine-wide (the service mode is switched on: the
  // service takes over the log this program has open).
  bool WriteMachineLogPath();
  // The open-failure dialogue's retry: ChangeLogPath, OpenTrafficLog, and on success
  // LoadTodayTotals for `today`. True when the log is open.
  bool RetryWithCustomPath(const std::wstring& path, MonitoredList& list, const LocalTime& today);

  // The open log for reading passes (the Traffic Reports window's tables), null while no log
  // is open. A pass may leave the handle anywhere: every write positions it first.
  IFile* ReadHandle() const { return m_file.get(); }
  // The log that is open, or the one OpenTrafficLog opens.
  const std::wstring& Path() const { return m_path; }
  // TrafficLogFile as located at the start or changed since: the log of the next start.
  const std::wstring& StoredPath() const { return m_storedPath.empty() ? m_path : m_storedPath; }
  bool PathFromSettings() const { return m_pathFromSettings; }
  bool IsOpen() const { return m_access != LogAccess::None; }
  LogAccess Access() const { return m_access; }
  // Where the damaged file was kept by the last repair, empty when none was needed.
  const std::wstring& DamagedCopyPath() const { return m_damagedCopy; }

 private:
  bool OpenAsReader();
  bool OpenAsOwner();
  bool AdoptOwnerHandle(std::unique_ptr<IFile> file);
  std::unique_ptr<IFile> OpenOwnerHandle();
  bool PrepareOwnerFile(bool* freshHeader);
  bool PreserveDamagedFile();
  void ImportOldSummary();
  bool WriteFreshHeader();
  bool AppendRecord(const uint8_t* image, size_t bytes, int64_t* offset);
  bool PrepareAppend(int64_t* end);
  void ResetTotals(MonitoredList& list);

  LogProgram m_program;
  IFileSystem& m_files;
  ISettingsStore& m_settings;
  IKnownFolders& m_folders;
  IAdapterSource* m_adapters;
  IServiceState& m_service;

  std::unique_ptr<IFile> m_file;
  LogAccess m_access = LogAccess::None;
  std::wstring m_path;
  std::wstring m_storedPath;  // empty while it is Path()
  bool m_pathFromSettings = false;
  bool m_serviceMode = false;
  std::wstring m_damagedCopy;
  // The day the entries' today totals belong to, once known.
  std::optional<Date> m_totalsDate;
  // Where today's records begin (the first found by LoadTodayTotals, else the end of the log
  // then): records of today are only ever appended behind it.
  int64_t m_todayFrom = kLogHeaderSize;
};

}  // namespace vantrel
