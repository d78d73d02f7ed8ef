#include "engine/adapter_entry.h"

#include <cstdio>

#include "platform/text.h"

namespace vantrel {

AdapterEntry CopyEntryData(const AdapterEntry& e) {
  AdapterEntry c;
  c.kind = e.kind;
  c.ifType = e.ifType;
  c.id = e.id;
  c.ip = e.ip;
  c.connRateBps = e.connRateBps;
  c.lastDown = e.lastDown;
  c.lastUp = e.lastUp;
  c.countersValid = e.countersValid;
  c.adapterCmdId = e.adapterCmdId;
  c.monitored = e.monitored;
  c.size = e.size;
  c.history = e.history;
  c.todayOffset = e.todayOffset;
  c.todayDown = e.todayDown;
  c.todayUp = e.todayUp;
  c.displayName = e.displayName;
  c.description = e.description;
  c.recordRates = e.recordRates;
  c.recordInterval = e.recordInterval;
  c.recordOptions = e.recordOptions;
  c.recordFile = e.recordFile;
  c.recordCountdown = e.recordCountdown;
  c.intervalDown = e.intervalDown;
  c.intervalUp = e.intervalUp;
  c.seen = e.seen;
  c.resetCmdId = e.resetCmdId;
  c.downSum = e.downSum;
  c.upSum = e.upSum;
  c.sampleCount = e.sampleCount;
  c.lastSecondDown = e.lastSecondDown;
  c.lastSecondUp = e.lastSecondUp;
  c.countedDown = e.countedDown;
  c.countedUp = e.countedUp;
  c.samplesPushed = e.samplesPushed;
  return c;
}

AdapterEntry* MonitoredList::Find(uint32_t kind, const std::string& id) {
  for (auto& e : m_entries)
    if (e.Matches(kind, id)) return &e;
  return nullptr;
}

const AdapterEntry* MonitoredList::Find(uint32_t kind, const std::string& id) const {
  for (auto& e : m_entries)
    if (e.Matches(kind, id)) return &e;
  return nullptr;
}

AdapterEntry* MonitoredList::FindReal(const std::string& id) {
  auto known = m_realById.find(id);
  if (known != m_realById.end() && known->second->IsReal() && known->second->id == id) return known->second;
  size_t n = 0;
  for (auto& e : m_entries) {
    if (n++ < 2) continue;
    if (e.kind == kKindAdapter && e.id == id) {
      m_realById[id] = &e;
      return &e;
    }
  }
  if (known != m_realById.end()) m_realById.erase(known);
  return nullptr;
}

AdapterEntry* MonitoredList::FindByAdapterCmd(uint32_t cmd) {
  for (auto& e : m_entries)
    if (e.adapterCmdId == cmd && cmd != 0) return &e;
  return nullptr;
}

AdapterEntry* MonitoredList::FindByResetCmd(uint32_t cmd) {
  for (auto& e : m_entries)
    if (e.resetCmdId == cmd && cmd != 0) return &e;
  return nullptr;
}

AdapterEntry& MonitoredList::PushBack(AdapterEntry e) {
  m_entries.push_back(std::move(e));
  return m_entries.back();
}

AdapterEntry& MonitoredList::PushFront(AdapterEntry e) {
  m_entries.push_front(std::move(e));
  return m_entries.front();
}

AdapterEntry& MonitoredList::InsertAfterFirst(AdapterEntry e) {
  auto pos = m_entries.empty() ? m_entries.end() : std::next(m_entries.begin());
  return *m_entries.insert(pos, std::move(e));
}

MonitoredList MonitoredList::DataCopy() const {
  MonitoredList copy;
  for (const auto& e : m_entries) copy.m_entries.push_back(CopyEntryData(e));
  return copy;
}

std::string AdapterIdentifier(const LiveAdapter& adapter) {
  if (adapter.name.size() <= 10) {
    uint8_t a[8] = {};
    for (uint32_t i = 0; i < 8 && i < adapter.addressLength; ++i) a[i] = adapter.address[i];
    char buf[17];
    std::snprintf(buf, sizeof buf, "%02X%02X%02X%02X%02X%02X%02X%02X", a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
    return buf;
  }
  std::string id = ToUpperAscii(adapter.name);
  if (id.size() > kMaxIdentifierChars) id.resize(kMaxIdentifierChars);
  return id;
}

bool IsDialUpType(uint32_t ifType) { return ifType == kIfTypePpp || ifType == kIfTypeSlip; }

std::wstring DefaultAdapterName(uint32_t ifType) { return IsDialUpType(ifType) ? L"WAN" : L"Unknown Connection"; }

std::wstring EntryTitle(const AdapterEntry& e, bool showIp) {
  if (e.kind != kKindAdapter || !showIp) return e.displayName;
  std::wstring ip = AsciiToWide(e.ip);
  if (e.displayName.empty()) return ip;
  return e.displayName + L" [" + ip + L"]";
}

bool NormaliseAdapter(IAdapterSource& source, const LiveAdapter& adapter, NormalisedAdapter* out) {
  InterfaceRow row;
  if (!source.GetInterfaceRow(adapter.index, &row)) return false;
  out->info = adapter;
  if (out->info.ipAddress.size() > kMaxIpChars) out->info.ipAddress.resize(kMaxIpChars);
  out->row = row;
  out->id = AdapterIdentifier(adapter);
  out->description = TrimWhite(row.description);
  if (out->description.empty()) out->description = DefaultAdapterName(row.type);
  return true;
}

}  // namespace vantrel
