#include "notify/email_message.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

EmailPlaceholders Values(std::wstring b, std::wstring t, std::wstring a, std::wstring p, std::wstring f) {
  EmailPlaceholders v;
  v.threshold = std::move(b);
  v.direction = std::move(t);
  v.adapter = std::move(a);
  v.period = std::move(p);
  v.used = std::move(f);
  return v;
}

EmailPlaceholders AlertValues() {
  return Values(L"10 GB", L"downloaded", L"LAN [10.0.0.10]", L"week (03/02/2008 -- 03/08/2008)", L"11.2 GB");
}

TEST(ExpandEmailTemplate, BuildsHeadersAndTheDefaultBody) {
  EmailSettings s;
  s.mailFrom = L"meter@example.com";
  EXPECT_EQ(ExpandEmailTemplate(s, L"ops@example.com, boss@example.com", AlertValues()),
            L"From: meter@example.com\r\nTo: ops@example.com, boss@example.com\r\n"
            L"Subject: Bandwidth Usage Notification\r\n\r\n"
            L"Hi,\r\n\r\nMore than 10 GB have been downloaded through LAN [10.0.0.10] in last "
            L"week (03/02/2008 -- 03/08/2008).\r\n\r\nBytes downloaded so far: 11.2 GB\r\n\r\n"
            L"The email was sent by Vantrel.\r\n");
}

TEST(ExpandEmailTemplate, ExpandsPlaceholdersInTheSubjectToo) {
  EmailSettings s;
  s.mailFrom = L"m@x.y";
  s.emlTempSubject = L"Over %b in %p";
  s.emlTempBody = L"";
  EXPECT_EQ(ExpandEmailTemplate(s, L"r@x.y", AlertValues()),
            L"From: m@x.y\r\nTo: r@x.y\r\nSubject: Over 10 GB in week (03/02/2008 -- 03/08/2008)\r\n\r\n");
}

struct ExpansionCase {
  const wchar_t* text;
  EmailPlaceholders values;
  const wchar_t* expected;
};

class ExpandPlaceholdersOrder : public ::testing::TestWithParam<ExpansionCase> {};

TEST_P(ExpandPlaceholdersOrder, ReplacesInTheFixedOrderWithoutRescanning) {
  EXPECT_EQ(ExpandPlaceholders(GetParam().text, GetParam().values), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpandPlaceholdersOrder,
    ::testing::Values(
        // Every occurrence, left to right.
        ExpansionCase{L"%b %b%b", Values(L"1", L"", L"", L"", L""), L"1 11"},
        // A value that brings in a later placeholder is expanded by the later pass...
        ExpansionCase{L"%b", Values(L"[%t]", L"down", L"", L"", L""), L"[down]"},
        ExpansionCase{L"%a", Values(L"", L"", L"x%fy", L"", L"9"), L"x9y"},
        // ...but not one that brings in an earlier placeholder or its own.
        ExpansionCase{L"%t", Values(L"B", L"%b", L"", L"", L""), L"%b"},
        ExpansionCase{L"%f", Values(L"", L"", L"", L"", L"%f%f"), L"%f%f"},
        // Two characters that only form a placeholder after a replacement are seen by later passes.
        ExpansionCase{L"%%bp", Values(L"", L"", L"", L"P", L""), L"P"},
        // Text without placeholders, a lone percent sign and unknown tags stay as they are.
        ExpansionCase{L"100% %x %B %", Values(L"b", L"t", L"a", L"p", L"f"), L"100% %x %B %"},
        ExpansionCase{L"", Values(L"b", L"t", L"a", L"p", L"f"), L""}));

TEST(BuildTestEmailMessage, LeavesTheSubjectAsTypedAndExpandsTheBodyWithTheSamples) {
  EmailSettings s;
  s.mailFrom = L"meter@example.com";
  s.emlTempSubject = L"Usage in %p";
  s.emlTempBody = L"%b %t %a %p %f";
  EXPECT_EQ(BuildTestEmailMessage(s, L"me@example.com"),
            L"From: meter@example.com\r\nTo: me@example.com\r\nSubject: [Test Email] Usage in %p\r\n\r\n"
            L"10 GB downloaded LAN [10.0.0.10] week (03/02/2008 -- 03/08/2008) 11.2 GB");
}

TEST(PreviewPlaceholders, AreTheDialogSamples) {
  EmailPlaceholders v = PreviewPlaceholders();
  EXPECT_EQ(v.threshold, L"10 GB");
  EXPECT_EQ(v.direction, L"downloaded");
  EXPECT_EQ(v.adapter, L"LAN [10.0.0.10]");
  EXPECT_EQ(v.period, L"week (03/02/2008 -- 03/08/2008)");
  EXPECT_EQ(v.used, L"11.2 GB");
}

struct SplitCase {
  const wchar_t* text;
  std::vector<std::wstring> pieces;
};

class SplitAddressListCases : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitAddressListCases, CutsAtCommasTrimsSpacesAndDropsEmptyPieces) {
  EXPECT_EQ(SplitAddressList(std::wstring(GetParam().text)), GetParam().pieces);
  std::vector<std::string> narrow;
  for (const std::wstring& p : GetParam().pieces) narrow.emplace_back(p.begin(), p.end());
  std::wstring wide(GetParam().text);
  EXPECT_EQ(SplitAddressList(std::string(wide.begin(), wide.end())), narrow);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitAddressListCases,
    ::testing::Values(SplitCase{L"", {}}, SplitCase{L"   ", {}}, SplitCase{L",,, ,", {}},
                      SplitCase{L"a@b.c", {L"a@b.c"}}, SplitCase{L"  a@b.c  ", {L"a@b.c"}},
                      SplitCase{L"a@b.c,d@e.f", {L"a@b.c", L"d@e.f"}},
                      SplitCase{L" z@y.x , ,a@b.c,", {L"z@y.x", L"a@b.c"}},
                      // Only spaces are stripped; inner spaces and tabs stay.
                      SplitCase{L"a b@c.d,\tx@y.z", {L"a b@c.d", L"\tx@y.z"}},
                      // No other separator is known.
                      SplitCase{L"a@b.c; d@e.f", {L"a@b.c; d@e.f"}}));

struct AddressCase {
  const char* address;
  bool valid;
};

class IsValidEmailAddressCases : public ::testing::TestWithParam<AddressCase> {};

TEST_P(IsValidEmailAddressCases, FollowsTheProgramsRules) {
  std::string a = GetParam().address;
  EXPECT_EQ(IsValidEmailAddress(a), GetParam().valid) << a;
  EXPECT_EQ(IsValidEmailAddress(std::wstring(a.begin(), a.end())), GetParam().valid) << a;
}

INSTANTIATE_TEST_SUITE_P(Cases, IsValidEmailAddressCases,
                         ::testing::Values(AddressCase{"ops@example.com", true}, AddressCase{"a@b.c", true},
                                           AddressCase{"a@b.c.d", true}, AddressCase{"", false},
                                           AddressCase{"example.com", false}, AddressCase{"a@b", false},
                                           AddressCase{"a@@b.c", false}, AddressCase{"a@b@c.d", false},
                                           AddressCase{"a@.b.c", false}, AddressCase{"a@b..c", false},
                                           AddressCase{"a@b.c.", false}, AddressCase{"a@b.", false},
                                           AddressCase{"@", false}, AddressCase{"@.", false},
                                           // The part before the "@" is not examined.
                                           AddressCase{"@b.c", true}, AddressCase{"a..b@c.d", true},
                                           AddressCase{".@c.d", true}, AddressCase{"a b@c.d", true},
                                           AddressCase{"a.@b.c", true}, AddressCase{"a@b.c d", true}));

struct Base64Case {
  std::string input;
  std::string expected;
};

class Base64EncodeLinesCases : public ::testing::TestWithParam<Base64Case> {};

TEST_P(Base64EncodeLinesCases, EncodesAndBreaksLinesAfter76Characters) {
  std::string out = "left over";
  size_t n = Base64EncodeLines(GetParam().input.data(), GetParam().input.size(), &out);
  EXPECT_EQ(out, GetParam().expected);
  EXPECT_EQ(n, GetParam().expected.size());
  EXPECT_EQ(Base64EncodedLength(GetParam().input.size()), GetParam().expected.size());
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Base64EncodeLinesCases,
    ::testing::Values(Base64Case{"", ""}, Base64Case{"M", "TQ=="}, Base64Case{"Ma", "TWE="},
                      Base64Case{"Man", "TWFu"}, Base64Case{"user@example.com", "dXNlckBleGFtcGxlLmNvbQ=="},
                      Base64Case{std::string("\x00\xff\xfe", 3), "AP/+"},
                      Base64Case{std::string("\xfb\xff", 2), "+/8="},
                      // 56 bytes: 72 characters and the last two bytes make 76, without a break.
                      Base64Case{std::string(56, 'a'), Repeat("YWFh", 18) + "YWE="},
                      // 57 bytes: exactly 76 characters, then CR LF.
                      Base64Case{std::string(57, 'a'), Repeat("YWFh", 19) + "\r\n"},
                      Base64Case{std::string(58, 'a'), Repeat("YWFh", 19) + "\r\nYQ=="},
                      Base64Case{std::string(114, 'a'), Repeat("YWFh", 19) + "\r\n" + Repeat("YWFh", 19) + "\r\n"},
                      Base64Case{std::string(116, 'a'),
                                 Repeat("YWFh", 19) + "\r\n" + Repeat("YWFh", 19) + "\r\nYWE="}));

}  // namespace
}  // namespace vantrel
