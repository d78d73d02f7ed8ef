#include "settings/allow_list.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(AllowList, TakesAddressesAndRangesAndNothingElse) {
  struct Case {
    const wchar_t* text;
    bool ok;
  };
  const Case cases[] = {
      {L"", true},
      {L"   ", true},
      {L"192.168.1.20", true},
      {L"192.168.1.0/24,10.0.0.1", true},
      {L" 192.168.1.0/24 ,\t10.0.0.0/8 ", true},
      {L"0.0.0.0/0", true},
      {L"255.255.255.255/32", true},
      {L"192.168.1.7/24", true},  // host bits are ignored
      {L"192.168.1.256", false},
      {L"192.168.1", false},
      {L"192.168.1.1.1", false},
      {L"192.168.01.1", false},  // a leading zero (octal to some readers)
      {L"192.168.1.1/33", false},
      {L"192.168.1.1/", false},
      {L"192.168.1.1/024", false},
      {L"192.168.1.1,", false},
      {L",192.168.1.1", false},
      {L"192.168.1.1,,10.0.0.1", false},
      {L"192.168.1.1 10.0.0.1", false},
      {L"+1.2.3.4", false},
      {L"1.2.3.-4", false},
      {L"host.example", false},
      {L"::1", false},
      {L"1.2.3.4\x0661", false},  // a digit of another script
  };
  for (const Case& c : cases) {
    AllowList list;
    EXPECT_EQ(AllowList::Parse(c.text, &list), c.ok) << std::wstring(c.text).size();
  }
}

TEST(AllowList, AllowsAddressesInItsRangesOrEveryoneWhenEmpty) {
  AllowList list;
  ASSERT_TRUE(AllowList::Parse(L"192.168.1.77/24, 10.0.0.5, 172.16.0.0/12", &list));
  EXPECT_TRUE(list.Allows(0xC0A80100));   // 192.168.1.0
  EXPECT_TRUE(list.Allows(0xC0A801FF));   // 192.168.1.255
  EXPECT_FALSE(list.Allows(0xC0A80200));  // 192.168.2.0
  EXPECT_TRUE(list.Allows(0x0A000005));
  EXPECT_FALSE(list.Allows(0x0A000006));
  EXPECT_TRUE(list.Allows(0xAC1FFFFF));   // 172.31.255.255
  EXPECT_FALSE(list.Allows(0xAC200000));  // 172.32.0.0
  EXPECT_FALSE(list.Allows(0x7F000001));  // this computer is not listed either

  AllowList everyone;
  ASSERT_TRUE(AllowList::Parse(L"", &everyone));
  EXPECT_TRUE(everyone.Allows(0x01020304));
  AllowList all;
  ASSERT_TRUE(AllowList::Parse(L"0.0.0.0/0", &all));
  EXPECT_TRUE(all.Allows(0xFFFFFFFF));
  // A list that does not parse leaves the old one as it was.
  EXPECT_FALSE(AllowList::Parse(L"10.0.0.5, nonsense", &list));
  EXPECT_TRUE(list.Allows(0x0A000005));
  EXPECT_FALSE(list.Allows(0x01020304));
}

}  // namespace
}  // namespace vantrel
