#include <windows.h>

#include <gtest/gtest.h>

#include "engine/adapter_entry.h"
#include "platform/win32/ip_helper.h"

namespace vantrel {
namespace {

TEST(IpHelperSource, LoadsTheLibraryAndReadsTheHostsAdapters) {
  IpHelperSource source;
  ASSERT_TRUE(source.Load());
  std::vector<LiveAdapter> adapters;
  ASSERT_TRUE(source.GetAdapters(&adapters));
  ASSERT_FALSE(adapters.empty()) << "the test host has no network adapter";
  for (const auto& a : adapters) {
    InterfaceRow row;
    ASSERT_TRUE(source.GetInterfaceRow(a.index, &row)) << a.name;
    EXPECT_FALSE(AdapterIdentifier(a).empty());
  }
}

TEST(IpHelperSource, CountersArePresentAndDoNotGoBackwards) {
  IpHelperSource source;
  ASSERT_TRUE(source.Load());
  std::vector<LiveAdapter> adapters;
  ASSERT_TRUE(source.GetAdapters(&adapters));
  ASSERT_FALSE(adapters.empty());
  std::vector<InterfaceRow> first(adapters.size());
  for (size_t i = 0; i < adapters.size(); ++i) ASSERT_TRUE(source.GetInterfaceRow(adapters[i].index, &first[i]));
  Sleep(300);
  for (size_t i = 0; i < adapters.size(); ++i) {
    InterfaceRow second;
    ASSERT_TRUE(source.GetInterfaceRow(adapters[i].index, &second));
    EXPECT_GE(second.inOctets, first[i].inOctets) << adapters[i].name;
    EXPECT_GE(second.outOctets, first[i].outOctets) << adapters[i].name;
  }
}

TEST(IpHelperSource, UsesSixtyFourBitCountersWhereTheSystemHasThem) {
  IpHelperSource source;
  ASSERT_TRUE(source.Load());
  HMODULE mod = GetModuleHandleW(L"iphlpapi.dll");
  ASSERT_NE(mod, nullptr);
  EXPECT_EQ(source.Has64BitCounters(), GetProcAddress(mod, "GetIfEntry2") != nullptr);
}

}  // namespace
}  // namespace vantrel
