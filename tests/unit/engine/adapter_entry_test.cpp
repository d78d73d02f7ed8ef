#include "engine/adapter_entry.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

LiveAdapter Adapter(const std::string& name, std::initializer_list<uint8_t> mac) {
  LiveAdapter a;
  a.name = name;
  uint32_t i = 0;
  for (uint8_t b : mac) a.address[i++] = b;
  a.addressLength = i;
  return a;
}

TEST(AdapterIdentifier, ShortNameUsesHardwareAddressPaddedToEightBytes) {
  EXPECT_EQ(AdapterIdentifier(Adapter("0000", {0x00, 0x0C, 0x29, 0x12, 0x34, 0x56})), "000C291234560000");
  EXPECT_EQ(AdapterIdentifier(Adapter("abcdefghij", {0xAB, 0xCD})), "ABCD000000000000");
}

TEST(AdapterIdentifier, AddressBytesBeyondTheReportedLengthCountAsZero) {
  LiveAdapter a = Adapter("eth0", {1, 2, 3, 4, 5, 6, 7, 8});
  a.addressLength = 2;
  EXPECT_EQ(AdapterIdentifier(a), "0102000000000000");
}

TEST(AdapterIdentifier, LongNameIsUpperCasedWhateverTheAddress) {
  EXPECT_EQ(AdapterIdentifier(Adapter("{4d36e972-e325-11ce}", {1, 2, 3, 4, 5, 6})), "{4D36E972-E325-11CE}");
  EXPECT_EQ(AdapterIdentifier(Adapter("abcdefghijk", {})), "ABCDEFGHIJK");
}

TEST(AdapterIdentifier, OverlongNameIsCutTo259Characters) {
  EXPECT_EQ(AdapterIdentifier(Adapter(std::string(300, 'x'), {})).size(), 259u);
}

TEST(EntryTitle, AddsTheAddressOnlyForRealAdaptersWhenAsked) {
  AdapterEntry e;
  e.kind = kKindAdapter;
  e.displayName = L"LAN";
  e.ip = "10.0.0.10";
  EXPECT_EQ(EntryTitle(e, true), L"LAN [10.0.0.10]");
  EXPECT_EQ(EntryTitle(e, false), L"LAN");
  e.ip.clear();
  EXPECT_EQ(EntryTitle(e, true), L"LAN []");
  e.displayName.clear();
  e.ip = "1.2.3.4";
  EXPECT_EQ(EntryTitle(e, true), L"1.2.3.4");
  AdapterEntry all;
  all.kind = kKindAllConnections;
  all.displayName = L"All Connections";
  EXPECT_EQ(EntryTitle(all, true), L"All Connections");
}

TEST(DefaultAdapterName, DialUpTypesAreWan) {
  EXPECT_EQ(DefaultAdapterName(23), L"WAN");
  EXPECT_EQ(DefaultAdapterName(28), L"WAN");
  EXPECT_EQ(DefaultAdapterName(6), L"Unknown Connection");
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

TEST(MonitoredList, FindRealStaysRightWhenAnIdentifierChangesAndAfterAMove) {
  MonitoredList list;
  AdapterEntry all, dial, a, b;
  all.kind = kKindAllConnections;
  dial.kind = kKindDialUp;
  a.kind = b.kind = kKindAdapter;
  a.id = "A";
  b.id = "B";
  list.PushBack(std::move(all));
  list.PushBack(std::move(dial));
  AdapterEntry& ea = list.PushBack(std::move(a));
  list.PushBack(std::move(b));
  EXPECT_EQ(list.FindReal("A"), &ea);
  ea.id = "C";
  EXPECT_EQ(list.FindReal("A"), nullptr);
  EXPECT_EQ(list.FindReal("C"), &ea);
  EXPECT_EQ(list.FindReal("B")->id, "B");
  EXPECT_EQ(list.FindReal(""), nullptr);  // the pseudo-adapters are never found as real ones
  MonitoredList moved = std::move(list);
  EXPECT_EQ(moved.FindReal("C"), &ea);
  MonitoredList copy = moved.DataCopy();
  EXPECT_NE(copy.FindReal("C"), &ea);
  EXPECT_EQ(copy.FindReal("C")->id, "C");
}

}  // namespace
}  // namespace vantrel
