#pragma once
// The rates recorder's file side: each recording entry appends one line of byte totals per
// interval to its own text or CSV file. Driven by the one-second tick of whichever program
// records; the dialog's checks and its apply rules are plain code over the entries.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/adapter_entry.h"
#include "platform/clock.h"
#include "platform/file.h"

namespace vantrel {

// Opens (creating if absent, appending) the entry's recording file and writes the start
// block in one piece, flushed: a generated-by line when the file is empty, else a blank
// line; then the run block with the entry's title, the date and time of `now`, the interval
// and the unit word, and the column header. Sets the CSV option bit from the extension
// (".csv", ignoring case). False, with no file kept, when it cannot be opened.
bool OpenRecordingFile(AdapterEntry& entry, IFileSystem& fs, const LocalTime& now, bool byteUnits,
                       uint32_t dateFormat, bool showIp);

// One tick for an entry whose file is open: adds the second's bytes, counts down and, on
// the last second of the interval, writes one line stamped with `now` (one write, flushed)
// and starts the next interval. Does nothing without an open file. `showIp` belongs to the
// entry's title, which only the start block carries.
void RecordSecond(AdapterEntry& entry, uint32_t down, uint32_t up, const LocalTime& now, bool byteUnits,
                  uint32_t dateFormat, bool showIp);

// The line RecordSecond writes for interval totals (numbers-only in bit units shows x 8).
std::string RecordLine(uint64_t down, uint64_t up, const LocalTime& now, bool csv, bool numbersOnly,
                       bool byteUnits, uint32_t dateFormat);

// At start-up and after options are applied: clears every entry's accumulators; closes the
// file of an entry whose switch is off, or of every entry when the service records; opens
// the files of recording entries that have none (interval 0 becomes 1, countdown = interval).
void StartRecording(MonitoredList& list, IFileSystem& fs, bool serviceRecords, const LocalTime& now,
                    bool byteUnits, uint32_t dateFormat, bool showIp);

// The recorder values of one entry, as the Traffic Rates Recorder dialog edits them.
struct RecorderSettings {
  bool record = false;
  uint32_t interval = 1;
  bool numbersOnly = false;
  std::wstring file;
  bool operator==(const RecorderSettings&) const = default;
};

// The dialog's copy of every entry's recorder values, in list order.
std::vector<RecorderSettings> RecorderSettingsOf(const MonitoredList& list);

// The first row that fails the OK checks and its message; row -1 when every row passes.
struct RecorderCheck {
  int row = -1;
  std::wstring message;
  bool ok() const { return row < 0; }
};

// The OK checks, row by row in list order over rows whose switch is on, each row's checks in
// order: interval 0; empty file; another switched-on row with the same file (ignoring case);
// the file's folder (with missing parents) cannot be made or the file cannot be opened with
// FileMode::Probe. A file that passes exists afterwards.
RecorderCheck CheckRecorderSettings(const std::vector<RecorderSettings>& rows, IFileSystem& fs);

// Makes a folder and any missing parents; true when it exists afterwards ("" counts as made).
bool MakeFolderPath(IFileSystem& fs, const std::wstring& folder);

// Applies the dialog's edited rows to the live entries (row i to the i-th entry): switched
// off, switched on, staying on (changes close the file for a new start block), staying off;
// then every switched-on entry without a file is opened unless the service records.
// Returns, per entry, whether its recorder values changed (the caller saves them).
std::vector<bool> ApplyRecorderSettings(MonitoredList& list, const std::vector<RecorderSettings>& edited,
                                        IFileSystem& fs, bool serviceRecords, const LocalTime& now,
                                        bool byteUnits, uint32_t dateFormat, bool showIp);

// The information shown after applying while the service records rates.
std::wstring ServiceRecordsNotice();

// Messages of the OK checks.
extern const wchar_t kIntervalTooSmallMessage[];
extern const wchar_t kEmptyRecordFileMessage[];
extern const wchar_t kDuplicateRecordFileMessage[];
// "Failed to create file "%s". Be sure you have write permission or choose another file."
std::wstring RecordFileFailedMessage(const std::wstring& path);

}  // namespace vantrel
