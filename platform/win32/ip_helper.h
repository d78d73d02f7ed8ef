#pragma once
// The live adapter source over IP Helper, loaded at run time from "iphlpapi.dll".
#include "platform/adapter_source.h"

namespace vantrel {

class IpHelperSource : public IAdapterSource {
 public:
  IpHelperSource();
  ~IpHelperSource() override;
  IpHelperSource(const IpHelperSource&) = delete;
  IpHelperSource& operator=(const IpHelperSource&) = delete;

  // Loads the library and looks up GetAdaptersInfo and GetIfEntry, which must both exist, and
  // GetIfEntry2 (64-bit counters), used where the system has it. False when a required one is
  // missing; the source then reports failure for every call.
  bool Load();
  bool Loaded() const { return m_getAdaptersInfo != nullptr && m_getIfEntry != nullptr; }
  bool Has64BitCounters() const { return m_getIfEntry2 != nullptr; }

  bool GetAdapters(std::vector<LiveAdapter>* out) override;
  bool GetInterfaceRow(uint32_t index, InterfaceRow* out) override;

 private:
  void* m_module = nullptr;
  void* m_getAdaptersInfo = nullptr;
  void* m_getIfEntry = nullptr;
  void* m_getIfEntry2 = nullptr;
};

}  // namespace vantrel
