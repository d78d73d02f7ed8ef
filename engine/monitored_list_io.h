#pragma once
// Building the monitored list from the settings and the live adapter table, and writing it
// back under AdaptersEx.
#include "engine/adapter_entry.h"
#include "platform/settings_store.h"

namespace vantrel {

// Parts of an entry's settings that SaveMonitoredList writes.
constexpr uint32_t kSaveIdentity = 0x1;   // AdapterID, AdapterName, ConnRatebps, Monitored, Size
constexpr uint32_t kSaveRecording = 0x4;  // RecordTrafficRates, RecordNumberOnly, RecordInterval, RecordFile

// Called when the tick appends an adapter it has never seen, so the interactive program can
// add its menu items and store their command ids in the entry.
class IAdapterMenuHook {
 public:
  virtual ~IAdapterMenuHook() = default;
  virtual void AdapterAdded(AdapterEntry& entry) = 0;
};

enum class ListOwner { Interactive, Service };

// Builds the list: the settings' entries (All Connections first, Dial-Up Connections second,
// real adapters in enumeration order; missing pseudo-adapters created), then the live table
// through RefreshFromLiveAdapters. The interactive program reads every value and makes All
// Connections monitored when no entry is; the service reads only identity and recording.
void LoadMonitoredList(ISettingsStore& store, SettingsRoot root, IAdapterSource& source, ListOwner owner,
                       MonitoredList* list);

// Matches the live table against the list: known adapters take their type, counters (as the
// previous sample), address and description; unknown ones are appended without menu items.
// A failing table leaves the list unchanged.
void RefreshFromLiveAdapters(IAdapterSource& source, MonitoredList* list);

// Appends an entry for a live adapter that has none; `menu` (may be null) adds menu items.
AdapterEntry& AddLiveAdapter(MonitoredList* list, const NormalisedAdapter& adapter, IAdapterMenuHook* menu);

// Writes every entry under `root`\...\AdaptersEx\<kind>-<identifier>; `parts` is a mask of
// kSaveIdentity and kSaveRecording. Size is written only for entries that have a view.
void SaveMonitoredList(ISettingsStore& store, SettingsRoot root, const MonitoredList& list, uint32_t parts);

}  // namespace vantrel
