#include "notify/email_settings.h"

#include <gtest/gtest.h>

#include "platform/memory_settings_store.h"
#include "platform/text.h"

namespace vantrel {
namespace {

EmailSettings Custom() {
  EmailSettings s;
  s.srvReqAuth = true;
  s.mailFrom = L"meter@example.com";
  s.smtpServer = L"mail.example.com";
  s.authName = L"meter";
  s.authPass = L"p4ss word";
  s.emlTempSubject = L"Usage %b";
  s.emlTempBody = L"Used %f\r\n";
  s.smtpPort = 2587;
  s.smtpSecurity = SmtpSecurity::StartTls;
  return s;
}

TEST(EmailSettings, DefaultsAreTheTabledValues) {
  EmailSettings s;
  EXPECT_FALSE(s.srvReqAuth);
  EXPECT_EQ(s.mailFrom, L"");
  EXPECT_EQ(s.smtpServer, L"");
  EXPECT_EQ(s.authName, L"");
  EXPECT_EQ(s.authPass, L"");
  EXPECT_EQ(s.emlTempSubject, L"Bandwidth Usage Notification");
  EXPECT_EQ(s.emlTempBody,
            L"Hi,\r\n\r\nMore than %b have been %t through %a in last %p.\r\n\r\nBytes %t so far: %f\r\n\r\n"
            L"The email was sent by Vantrel.\r\n");
}

TEST(EmailSettings, ReadsDefaultsWhenNothingIsStored) {
  MemorySettingsStore store;
  EXPECT_EQ(ReadEmailSettings(store, SettingsRoot::CurrentUser), EmailSettings{});
}

TEST(EmailSettings, RoundTripsUnderEitherRootSeparately) {
  MemorySettingsStore store;
  EXPECT_TRUE(WriteEmailSettings(store, SettingsRoot::LocalMachine, Custom()));
  EXPECT_EQ(ReadEmailSettings(store, SettingsRoot::LocalMachine), Custom());
  EXPECT_EQ(ReadEmailSettings(store, SettingsRoot::CurrentUser), EmailSettings{});
}

TEST(EmailSettings, WritesNineValuesUnderTheEmailSettingsKey) {
  MemorySettingsStore store;
  ASSERT_TRUE(WriteEmailSettings(store, SettingsRoot::CurrentUser, Custom()));
  EXPECT_EQ(store.WriteCount(), 9u);
  std::vector<std::pair<std::wstring, StoredValue>> values;
  ASSERT_TRUE(store.EnumValues(SettingsRoot::CurrentUser, L"Software\\Orlix Systems\\Vantrel\\Options\\EmailSettings",
                               &values));
  std::vector<std::wstring> names;
  for (const auto& v : values) names.push_back(v.first);
  EXPECT_EQ(names, (std::vector<std::wstring>{L"SrvReqAuth", L"MailFrom", L"SmtpServer", L"AuthName", L"AuthPass",
                                              L"EmlTempSubject", L"EmlTempBody", L"SmtpPort", L"SmtpSecurity"}));
  EXPECT_EQ(values[0].second.type, ValueType::Dword);
  EXPECT_EQ(values[0].second.data, (std::vector<uint8_t>{1, 0, 0, 0}));
  // Strings carry their terminating NUL.
  EXPECT_EQ(values[1].second.type, ValueType::String);
  EXPECT_EQ(values[1].second.data, EncodeUtf16Le(L"meter@example.com", true));
  EXPECT_EQ(values[7].second.type, ValueType::Dword);
  EXPECT_EQ(values[7].second.data, (std::vector<uint8_t>{0x1b, 0x0a, 0, 0}));
  EXPECT_EQ(values[8].second.data, (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST(EmailSettings, SettingsStoredWithoutPortAndSecurityReadAsPlainPort25) {
  MemorySettingsStore store;
  WriteString(store, SettingsRoot::LocalMachine, kEmailSettingsKey, L"SmtpServer", L"mail.example.com");
  EmailSettings read = ReadEmailSettings(store, SettingsRoot::LocalMachine);
  EXPECT_EQ(read.smtpServer, L"mail.example.com");
  EXPECT_EQ(read.smtpPort, 25u);
  EXPECT_EQ(read.smtpSecurity, SmtpSecurity::None);
}

TEST(EmailSettings, OutOfRangePortAndSecurityReadAsTheDefaults) {
  for (uint32_t port : {0u, 65536u, 0xffffffffu}) {
    for (uint32_t security : {3u, 0x80000001u}) {
      MemorySettingsStore store;
      WriteDword(store, SettingsRoot::CurrentUser, kEmailSettingsKey, L"SmtpPort", port);
      WriteDword(store, SettingsRoot::CurrentUser, kEmailSettingsKey, L"SmtpSecurity", security);
      EmailSettings read = ReadEmailSettings(store, SettingsRoot::CurrentUser);
      EXPECT_EQ(read.smtpPort, 25u) << port;
      EXPECT_EQ(read.smtpSecurity, SmtpSecurity::None) << security;
    }
  }
  MemorySettingsStore edges;
  WriteDword(edges, SettingsRoot::CurrentUser, kEmailSettingsKey, L"SmtpPort", 65535);
  WriteDword(edges, SettingsRoot::CurrentUser, kEmailSettingsKey, L"SmtpSecurity", 2);
  EXPECT_EQ(ReadEmailSettings(edges, SettingsRoot::CurrentUser).smtpPort, 65535u);
  EXPECT_EQ(ReadEmailSettings(edges, SettingsRoot::CurrentUser).smtpSecurity, SmtpSecurity::Tls);
}

TEST(SmtpPortText, TakesOnlyDigitsInRange) {
  EXPECT_EQ(ParseSmtpPort(L"1"), 1u);
  EXPECT_EQ(ParseSmtpPort(L"00587"), 587u);
  EXPECT_EQ(ParseSmtpPort(L"65535"), 65535u);
  EXPECT_EQ(ParseSmtpPort(L""), std::nullopt);
  EXPECT_EQ(ParseSmtpPort(L"0"), std::nullopt);
  EXPECT_EQ(ParseSmtpPort(L"65536"), std::nullopt);
  // 2^32 + 25 would wrap to 25 in 32 bits.
  EXPECT_EQ(ParseSmtpPort(L"4294967321"), std::nullopt);
  EXPECT_EQ(ParseSmtpPort(L" 25"), std::nullopt);
  EXPECT_EQ(ParseSmtpPort(L"-25"), std::nullopt);
  EXPECT_EQ(std::wstring(kSmtpPortRangeError), L"The port must be between 1 and 65535.");
}

TEST(SmtpPortAfterSecurityChange, AUsualPortFollowsTheModeAndAChosenOneStays) {
  EXPECT_EQ(SmtpPortAfterSecurityChange(25, SmtpSecurity::StartTls), 587u);
  EXPECT_EQ(SmtpPortAfterSecurityChange(587, SmtpSecurity::Tls), 465u);
  EXPECT_EQ(SmtpPortAfterSecurityChange(465, SmtpSecurity::None), 25u);
  EXPECT_EQ(SmtpPortAfterSecurityChange(465, SmtpSecurity::Tls), 465u);
  EXPECT_EQ(SmtpPortAfterSecurityChange(2525, SmtpSecurity::StartTls), 2525u);
  EXPECT_EQ(SmtpPortAfterSecurityChange(2525, SmtpSecurity::None), 2525u);
}

TEST(EmailSettings, EmptyStoredTemplatesTakeTheDefaults) {
  MemorySettingsStore store;
  EmailSettings s = Custom();
  s.emlTempSubject.clear();
  s.emlTempBody.clear();
  WriteEmailSettings(store, SettingsRoot::CurrentUser, s);
  EmailSettings read = ReadEmailSettings(store, SettingsRoot::CurrentUser);
  EXPECT_EQ(read.emlTempSubject, kDefaultEmailSubject);
  EXPECT_EQ(read.emlTempBody, kDefaultEmailBody);
  EXPECT_EQ(read.mailFrom, L"meter@example.com");
}

TEST(EmailSettings, ValuesOfTheWrongShapeKeepTheirDefaults) {
  MemorySettingsStore store;
  const std::wstring key = kEmailSettingsKey;
  store.WriteValue(SettingsRoot::CurrentUser, key, L"SrvReqAuth", StringValue(L"1"));
  store.WriteValue(SettingsRoot::CurrentUser, key, L"MailFrom", DwordValue(7));
  store.WriteValue(SettingsRoot::CurrentUser, key, L"EmlTempSubject", BinaryValue("ab", 2));
  EmailSettings read = ReadEmailSettings(store, SettingsRoot::CurrentUser);
  EXPECT_EQ(read, EmailSettings{});
}

TEST(EmailSettings, AnyNonZeroAuthenticationFlagIsOn) {
  MemorySettingsStore store;
  WriteDword(store, SettingsRoot::CurrentUser, kEmailSettingsKey, L"SrvReqAuth", 5);
  EXPECT_TRUE(ReadEmailSettings(store, SettingsRoot::CurrentUser).srvReqAuth);
}

TEST(EmailSettings, AnOversizedTemplateKeepsItsDefault) {
  MemorySettingsStore store;
  WriteString(store, SettingsRoot::CurrentUser, kEmailSettingsKey, L"EmlTempBody", std::wstring(40000, L'x'));
  WriteString(store, SettingsRoot::CurrentUser, kEmailSettingsKey, L"EmlTempSubject", std::wstring(32767, L's'));
  EmailSettings read = ReadEmailSettings(store, SettingsRoot::CurrentUser);
  EXPECT_EQ(read.emlTempBody, kDefaultEmailBody);
  EXPECT_EQ(read.emlTempSubject, std::wstring(32767, L's'));
}

struct CompletenessCase {
  const char* name;
  void (*change)(EmailSettings*);
  bool complete;
};

class EmailSettingsCompleteness : public ::testing::TestWithParam<CompletenessCase> {};

TEST_P(EmailSettingsCompleteness, NeedsServerSenderSomeTemplateAndAnAccountWhenAsked) {
  EmailSettings s = Custom();
  GetParam().change(&s);
  EXPECT_EQ(EmailSettingsComplete(s), GetParam().complete);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EmailSettingsCompleteness,
    ::testing::Values(
        CompletenessCase{"AllThere", [](EmailSettings*) {}, true},
        CompletenessCase{"NoServer", [](EmailSettings* s) { s->smtpServer.clear(); }, false},
        CompletenessCase{"NoSender", [](EmailSettings* s) { s->mailFrom.clear(); }, false},
        CompletenessCase{"NoSubject", [](EmailSettings* s) { s->emlTempSubject.clear(); }, true},
        CompletenessCase{"NoBody", [](EmailSettings* s) { s->emlTempBody.clear(); }, true},
        CompletenessCase{"NoTemplates",
                         [](EmailSettings* s) {
                           s->emlTempSubject.clear();
                           s->emlTempBody.clear();
                         },
                         false},
        CompletenessCase{"AuthenticationWithoutAccount", [](EmailSettings* s) { s->authName.clear(); }, false},
        CompletenessCase{"NoAccountWithoutAuthentication",
                         [](EmailSettings* s) {
                           s->srvReqAuth = false;
                           s->authName.clear();
                         },
                         true},
        CompletenessCase{"NoPassword", [](EmailSettings* s) { s->authPass.clear(); }, true}),
    [](const ::testing::TestParamInfo<CompletenessCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantrel
