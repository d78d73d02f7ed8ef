#pragma once
// The monitored list: one entry per adapter ever seen plus the two pseudo-adapters that sum
// several adapters (All Connections, Dial-Up Connections). Entries are the unit of counting,
// logging, display, rate recording and notification.
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/adapter_source.h"
#include "platform/file.h"

namespace vantrel {

constexpr uint32_t kKindAllConnections = 100;
constexpr uint32_t kKindDialUp = 200;
constexpr uint32_t kKindAdapter = 300;

// Interface types that make an adapter a dial-up adapter.
constexpr uint32_t kIfTypePpp = 23;
constexpr uint32_t kIfTypeSlip = 28;

constexpr size_t kMaxIdentifierChars = 259;
constexpr size_t kMaxIpChars = 15;
constexpr uint32_t kAdapterMenuFirstId = 9000;
constexpr uint32_t kResetMenuFirstId = 9300;
constexpr size_t kMinHistoryCapacity = 2048;

// Record option bits of an entry.
constexpr uint32_t kRecordNumberOnly = 0x1;
constexpr uint32_t kRecordCsv = 0x2;

// One second of one entry.
struct RateSample {
  uint32_t down = 0;     // bytes downloaded in that second
  uint32_t up = 0;       // bytes uploaded in that second
  uint32_t avgDown = 0;  // average download rate so far, bytes per second
  uint32_t avgUp = 0;    // average upload rate so far, bytes per second
  bool operator==(const RateSample&) const = default;
};

// What the sampling tick needs of an entry's rate view (the interactive program's CRateView).
class IRateView {
 public:
  virtual ~IRateView() = default;
  // The entry's history has just been extended by `sample` at its front.
  virtual void PushSample(const RateSample& sample) = 0;
  virtual void SetCaption(const std::wstring& caption) = 0;
};

struct AdapterEntry {
  uint32_t kind = 0;            // 100, 200 or 300
  uint32_t ifType = 0;          // interface type, 0 for pseudo-adapters
  std::string id;               // identifier (upper case, at most 259 characters), empty for pseudo-adapters
  std::string ip;               // first IP address, empty while absent
  uint32_t connRateBps = 0;     // ConnRatebps, for the view's fixed scale
  // Previous counters. 64-bit because the counters themselves are 64-bit where the system
  // offers them; with 32-bit counters the values simply stay below 2^32.
  uint64_t lastDown = 0;
  uint64_t lastUp = 0;
  bool countersValid = false;
  uint32_t adapterCmdId = 0;    // Adapters menu command, 9000 onward
  bool monitored = false;       // has its own rate view in the main window
  IRateView* view = nullptr;    // owned by the main window; null while not displayed
  float size = 0.0f;            // view height / client height
  std::deque<RateSample> history;  // newest first
  int32_t todayOffset = -1;     // file offset of today's log record, -1 while none
  uint64_t todayDown = 0;
  uint64_t todayUp = 0;
  std::wstring displayName;     // AdapterName
  std::wstring description;     // as last reported
  bool recordRates = false;     // RecordTrafficRates
  uint32_t recordInterval = 1;  // RecordInterval, seconds
  uint32_t recordOptions = 0;   // kRecordNumberOnly, kRecordCsv
  std::wstring recordFile;      // RecordFile
  uint32_t recordCountdown = 0; // seconds left until the next rate record
  std::unique_ptr<IFile> rateFile;  // open rate-recording file, null when none
  uint64_t intervalDown = 0;    // bytes since the last rate record
  uint64_t intervalUp = 0;
  bool seen = false;            // answered in the current tick
  uint32_t resetCmdId = 0;      // Reset Rates menu command, 9300 onward
  uint64_t downSum = 0;         // sums of rates and count of samples since the last reset
  uint64_t upSum = 0;
  uint64_t sampleCount = 0;
  // Samples ever put into the history; never reset, so a reader that remembers it knows
  // which of the history's samples came after (the stopwatch).
  uint64_t samplesPushed = 0;
  // The last second's bytes and the bytes counted since the program started, unsaturated
  // (the metrics endpoint reports them in both programs; neither is ever reset).
  uint64_t lastSecondDown = 0;
  uint64_t lastSecondUp = 0;
  uint64_t countedDown = 0;
  uint64_t countedUp = 0;

  bool IsReal() const { return kind == kKindAdapter; }
  // Same adapter: equal kind and, for real adapters, equal identifier (exact comparison).
  bool Matches(uint32_t k, const std::string& identifier) const {
    return kind == k && (k != kKindAdapter || id == identifier);
  }
};

// A copy of everything but the handles (rate file, view): what a report thread works on.
AdapterEntry CopyEntryData(const AdapterEntry& e);

// The ordered list. Invariants (kept by LoadMonitoredList and AppendAdapter): the first entry
// is All Connections, the second Dial-Up Connections, real adapters follow, one entry per
// real identifier; entries are never removed while running, so references stay valid.
class MonitoredList {
 public:
  using Entries = std::list<AdapterEntry>;

  Entries& entries() { return m_entries; }
  const Entries& entries() const { return m_entries; }
  Entries::iterator begin() { return m_entries.begin(); }
  Entries::iterator end() { return m_entries.end(); }
  Entries::const_iterator begin() const { return m_entries.begin(); }
  Entries::const_iterator end() const { return m_entries.end(); }
  size_t size() const { return m_entries.size(); }
  bool empty() const { return m_entries.empty(); }

  // The pseudo-adapters (the list must hold them).
  AdapterEntry& All() { return m_entries.front(); }
  AdapterEntry& DialUp() { return *std::next(m_entries.begin()); }

  // First entry of that kind and, for kind 300, that identifier; null if none.
  AdapterEntry* Find(uint32_t kind, const std::string& id);
  const AdapterEntry* Find(uint32_t kind, const std::string& id) const;
  // First real entry (from the third on) with that identifier. Called for every adapter
  // every second, so found entries are remembered by identifier; a remembered entry is
  // checked on every use, and entries are never removed, so it cannot be a wrong one.
  AdapterEntry* FindReal(const std::string& id);
  AdapterEntry* FindByAdapterCmd(uint32_t cmd);
  AdapterEntry* FindByResetCmd(uint32_t cmd);

  AdapterEntry& PushBack(AdapterEntry e);
  AdapterEntry& PushFront(AdapterEntry e);
  AdapterEntry& InsertAfterFirst(AdapterEntry e);

  // A copy of every entry's data, without handles.
  MonitoredList DataCopy() const;

 private:
  Entries m_entries;
  std::unordered_map<std::string, AdapterEntry*> m_realById;
};

// The identifier of a live adapter: its name in upper case, or, when the name has 10
// characters or fewer, 16 upper-case hex digits of the 8-byte hardware address (bytes
// beyond the reported length taken as zero). Cut to 259 characters.
std::string AdapterIdentifier(const LiveAdapter& adapter);
// "WAN" for point-to-point and serial-line adapters, else "Unknown Connection".
std::wstring DefaultAdapterName(uint32_t ifType);
bool IsDialUpType(uint32_t ifType);
// The title of an entry's view: the display name; for a real adapter with showIp on, the
// name followed by " [" address "]", or the address alone when the name is empty.
std::wstring EntryTitle(const AdapterEntry& e, bool showIp);

// A live adapter as both programs see it on each pass over the table.
struct NormalisedAdapter {
  LiveAdapter info;
  InterfaceRow row;
  std::string id;
  std::wstring description;  // trimmed, or DefaultAdapterName when empty
};
// Queries the interface row and fills `out`; false when the row query fails (the adapter
// then counts as absent in this pass).
bool NormaliseAdapter(IAdapterSource& source, const LiveAdapter& adapter, NormalisedAdapter* out);

}  // namespace vantrel
