#pragma once
// Live adapters seam: one snapshot of the adapter table and each adapter's interface row.
// Win32: IP Helper loaded at run time from "iphlpapi.dll". Tests: a scripted source.
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// One adapter of the table (GetAdaptersInfo).
struct LiveAdapter {
  std::string name;          // AdapterName as reported
  uint8_t address[8] = {};   // hardware address; bytes beyond addressLength are zero
  uint32_t addressLength = 0;
  uint32_t index = 0;        // interface index for the row query
  std::string ipAddress;     // first IP address as dotted text
};

// An adapter's interface row (GetIfEntry2 where the system has it, else GetIfEntry).
struct InterfaceRow {
  uint32_t type = 0;         // interface type (23 PPP, 28 serial line, ...)
  uint64_t inOctets = 0;     // received bytes counter
  uint64_t outOctets = 0;    // sent bytes counter
  std::wstring description;  // as reported, cut at its length, not trimmed
};

class IAdapterSource {
 public:
  virtual ~IAdapterSource() = default;
  // The adapter table; false when it cannot be read this time.
  virtual bool GetAdapters(std::vector<LiveAdapter>* out) = 0;
  // The interface row of one adapter; false skips that adapter for this pass.
  virtual bool GetInterfaceRow(uint32_t index, InterfaceRow* out) = 0;
};

}  // namespace vantrel
