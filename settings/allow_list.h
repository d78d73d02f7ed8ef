#pragma once
// MetricsAllow: which computers may read the metrics endpoint when it listens on every
// address. A comma-separated list of IPv4 addresses ("192.168.1.20") and ranges
// ("192.168.1.0/24"); blanks around the items are allowed. Strict dotted quads only: no
// leading zeros (which some readers take for octal), no missing parts.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// One allowed range, in host byte order: addresses a with (a & mask) == network.
struct AddressRange {
  uint32_t network = 0;
  uint32_t mask = 0;
  bool operator==(const AddressRange&) const = default;
};

// A dotted-quad IPv4 address in host byte order (192.168.1.2 is 0xC0A80102). False for
// anything else: fewer or more than four parts, a part above 255 or with a leading zero,
// signs, blanks.
bool ParseIPv4(std::wstring_view text, uint32_t* address);

class AllowList {
 public:
  // Parses the setting's text. An empty (or blank) text gives the empty list. False, with
  // `out` left as it was, when any item is not an address or a range with a prefix of 0..32.
  // Host bits in a range ("192.168.1.7/24") are ignored.
  static bool Parse(std::wstring_view text, AllowList* out);

  bool Empty() const { return m_ranges.empty(); }
  // An empty list allows every address; otherwise the address (host byte order) must lie in
  // one of the ranges.
  bool Allows(uint32_t address) const;
  const std::vector<AddressRange>& Ranges() const { return m_ranges; }

 private:
  std::vector<AddressRange> m_ranges;
};

}  // namespace vantrel
