#pragma once
// The adapter with_veth.sh made, found through the IP Helper API as the programs find it.
#include <windows.h>

#include <string>
#include <vector>

#include "engine/adapter_entry.h"
#include "platform/win32/ip_helper.h"

namespace vantrel {

// The identifier the programs store for the adapter holding `address`; empty when none shows
// up within `timeoutMs` (Wine learns of a new adapter a little after it appears).
inline std::string AdapterIdWithAddress(const std::string& address, DWORD timeoutMs) {
  IpHelperSource live;
  if (!live.Load()) return {};
  for (DWORD waited = 0;; waited += 100) {
    std::vector<LiveAdapter> adapters;
    live.GetAdapters(&adapters);
    for (const auto& a : adapters)
      if (a.ipAddress == address) return AdapterIdentifier(a);
    if (waited >= timeoutMs) return {};
    Sleep(100);
  }
}

}  // namespace vantrel
