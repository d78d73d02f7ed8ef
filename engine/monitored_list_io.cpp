#include "engine/monitored_list_io.h"

#include <bit>
#include <cstdio>

#include "platform/little_endian.h"
#include "platform/text.h"
#include "settings/settings_keys.h"

namespace vantrel {

namespace {

constexpr size_t kStringValueBytes = 2048;

AdapterEntry PseudoEntry(uint32_t kind) {
  AdapterEntry e;
  e.kind = kind;
  e.displayName = kind == kKindAllConnections ? L"All Connections" : L"Dial-Up Connections";
  return e;
}

// Reads one subkey's values into a fresh entry; false when it has no AdapterID.
bool ReadEntry(ISettingsStore& store, SettingsRoot root, const std::wstring& key, uint32_t kind, ListOwner owner,
               AdapterEntry* out) {
  AdapterEntry e = kind == kKindAdapter ? AdapterEntry{} : PseudoEntry(kind);
  e.kind = kind;
  std::wstring id;
  if (ReadString(store, root, key, L"AdapterID", kStringValueBytes, &id) != ReadStatus::Ok) return false;
  e.id = ToUpperAscii(WideToAnsi(id));
  if (e.id.size() > kMaxIdentifierChars) e.id.resize(kMaxIdentifierChars);
  if (kind != kKindAdapter) e.id.clear();
  std::wstring name;
  if (ReadString(store, root, key, L"AdapterName", kStringValueBytes, &name) == ReadStatus::Ok && !name.empty())
    e.displayName = name;
  uint32_t v = 0;
  if (owner == ListOwner::Interactive) {
    if (ReadDword(store, root, key, L"ConnRatebps", &v) == ReadStatus::Ok) e.connRateBps = v;
    if (ReadDword(store, root, key, L"Monitored", &v) == ReadStatus::Ok) e.monitored = v != 0;
    std::vector<uint8_t> size;
    if (ReadBinaryExact(store, root, key, L"Size", 4, &size) == ReadStatus::Ok) {
      float f = std::bit_cast<float>(LoadU32(size.data()));
      if (f == f && f >= 0.0f && f <= 1.0f) e.size = f;  // a damaged fraction is not taken
    }
  }
  if (ReadDword(store, root, key, L"RecordTrafficRates", &v) == ReadStatus::Ok) e.recordRates = v != 0;
  if (ReadDword(store, root, key, L"RecordNumberOnly", &v) == ReadStatus::Ok && v != 0) e.recordOptions |= kRecordNumberOnly;
  if (ReadDword(store, root, key, L"RecordInterval", &v) == ReadStatus::Ok) e.recordInterval = v;
  std::wstring file;
  if (ReadString(store, root, key, L"RecordFile", kStringValueBytes, &file) == ReadStatus::Ok) e.recordFile = file;
  *out = std::move(e);
  return true;
}

void TakeLiveState(AdapterEntry& e, const NormalisedAdapter& a) {
  e.ifType = a.row.type;
  e.lastDown = a.row.inOctets;
  e.lastUp = a.row.outOctets;
  e.countersValid = true;
  e.ip = a.info.ipAddress;
  e.description = a.description;
}

}  // namespace

void LoadMonitoredList(ISettingsStore& store, SettingsRoot root, IAdapterSource& source, ListOwner owner,
                       MonitoredList* list) {
  *list = MonitoredList{};
  std::vector<std::wstring> names;
  store.EnumSubkeys(root, keys::kAdaptersEx, &names);

  AdapterEntry all, dialUp;
  bool haveAll = false, haveDialUp = false;
  std::vector<AdapterEntry> reals;
  bool anyMonitored = false;
  for (const auto& name : names) {
    if (name.size() > 1024) continue;
    uint32_t kind = 0;
    if (name.rfind(L"100", 0) == 0) kind = kKindAllConnections;
    else if (name.rfind(L"200", 0) == 0) kind = kKindDialUp;
    else if (name.rfind(L"300", 0) == 0) kind = kKindAdapter;
    else continue;
    AdapterEntry e;
    if (!ReadEntry(store, root, std::wstring(keys::kAdaptersEx) + L"\\" + name, kind, owner, &e)) continue;
    // One entry per pseudo-adapter and per identifier: later duplicates are ignored.
    if (kind == kKindAllConnections) {
      if (haveAll) continue;
      haveAll = true;
      anyMonitored |= e.monitored;
      all = std::move(e);
    } else if (kind == kKindDialUp) {
      if (haveDialUp) continue;
      haveDialUp = true;
      anyMonitored |= e.monitored;
      dialUp = std::move(e);
    } else {
      bool dup = false;
      for (const auto& r : reals) dup |= r.id == e.id;
      if (dup) continue;
      anyMonitored |= e.monitored;
      reals.push_back(std::move(e));
    }
  }
  list->PushBack(haveAll ? std::move(all) : PseudoEntry(kKindAllConnections));
  list->PushBack(haveDialUp ? std::move(dialUp) : PseudoEntry(kKindDialUp));
  for (auto& r : reals) list->PushBack(std::move(r));

  RefreshFromLiveAdapters(source, list);

  if (owner == ListOwner::Interactive && !anyMonitored) list->All().monitored = true;
}

void RefreshFromLiveAdapters(IAdapterSource& source, MonitoredList* list) {
  std::vector<LiveAdapter> live;
  if (!source.GetAdapters(&live)) return;
  for (const auto& a : live) {
    NormalisedAdapter n;
    if (!NormaliseAdapter(source, a, &n)) continue;
    AdapterEntry* e = list->FindReal(n.id);
    if (!e) {
      AddLiveAdapter(list, n, nullptr);
      continue;
    }
    TakeLiveState(*e, n);
    // An entry kept in the settings without a name of its own is called by its description.
    if (e->displayName.empty()) e->displayName = n.description;
  }
}

AdapterEntry& AddLiveAdapter(MonitoredList* list, const NormalisedAdapter& adapter, IAdapterMenuHook* menu) {
  AdapterEntry e;
  e.kind = kKindAdapter;
  e.id = adapter.id;
  TakeLiveState(e, adapter);
  e.displayName = adapter.description;
  AdapterEntry& added = list->PushBack(std::move(e));
  if (menu) menu->AdapterAdded(added);
  return added;
}

void SaveMonitoredList(ISettingsStore& store, SettingsRoot root, const MonitoredList& list, uint32_t parts) {
  for (const auto& e : list) {
    std::wstring key = std::wstring(keys::kAdaptersEx) + L"\\" + std::to_wstring(e.kind) + L"-" + AnsiToWide(e.id);
    if (parts & kSaveIdentity) {
      WriteString(store, root, key, L"AdapterID", AnsiToWide(e.id));
      WriteString(store, root, key, L"AdapterName", e.displayName);
      WriteDword(store, root, key, L"ConnRatebps", e.connRateBps);
      WriteDword(store, root, key, L"Monitored", e.monitored ? 1 : 0);
      if (e.view) {
        uint8_t d[4];
        StoreU32(d, std::bit_cast<uint32_t>(e.size));
        WriteBinary(store, root, key, L"Size", d, sizeof d);
      }
    }
    if (parts & kSaveRecording) {
      WriteDword(store, root, key, L"RecordTrafficRates", e.recordRates ? 1 : 0);
      WriteDword(store, root, key, L"RecordNumberOnly", (e.recordOptions & kRecordNumberOnly) ? 1 : 0);
      WriteDword(store, root, key, L"RecordInterval", e.recordInterval);
      WriteString(store, root, key, L"RecordFile", e.recordFile);
    }
  }
}

}  // namespace vantrel
