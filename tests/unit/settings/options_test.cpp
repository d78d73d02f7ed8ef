#include "settings/options.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/memory_settings_store.h"
#include "platform/text.h"
#include "settings/settings_keys.h"

namespace vantrel {
namespace {

constexpr SettingsRoot kUser = SettingsRoot::CurrentUser;
constexpr SettingsRoot kMachine = SettingsRoot::LocalMachine;

class OptionsTest : public ::testing::Test {
 protected:
  void Put(const wchar_t* name, uint32_t v) { WriteDword(m_store, kUser, keys::kOptions, name, v); }
  Options Load() {
    Options o = DefaultOptions(true);
    LoadOptions(m_store, kUser, &o);
    return o;
  }
  std::set<std::wstring> ValueNames(SettingsRoot root) {
    std::vector<std::pair<std::wstring, StoredValue>> values;
    m_store.EnumValues(root, keys::kOptions, &values);
    std::set<std::wstring> names;
    for (auto& v : values) names.insert(v.first);
    return names;
  }
  MemorySettingsStore m_store;
};

TEST_F(OptionsTest, MissingValuesKeepTheirDefaults) {
  Options o = Load();
  EXPECT_EQ(o.weekStartDay, 0u);
  EXPECT_EQ(o.monthStartDay, 1u);
  EXPECT_EQ(o.dateFormat, 17u);
  EXPECT_EQ(o.displayUnitByte, 0u);
  EXPECT_EQ(o.hotkeyChar, 78u);
  EXPECT_EQ(o.sumLastDays, 30);
  EXPECT_EQ(o.reportChartRange, 0u);
  EXPECT_EQ(o.nextAlertMin, 5);
  EXPECT_EQ(o.graphBkgColor, 0xDEDBADu);
  EXPECT_EQ(o.timeTextColor, 0x3C3C3Cu);
  EXPECT_EQ(o.stIfType, 100u);
  EXPECT_EQ(o.titleFont, MakeLogFont(L"Tahoma", 13, 700));
  EXPECT_EQ(o.timeTextFont, MakeLogFont(L"Tahoma", 12, 700));
  EXPECT_TRUE(o.wndPosition.IsEmpty());
  EXPECT_EQ(o.transparentPercent, 10);
  EXPECT_EQ(o.semiTransparent, 1u);
  Options noLayered = DefaultOptions(false);
  EXPECT_EQ(noLayered.semiTransparent, 0u);
  EXPECT_EQ(noLayered.transparentPercent, 0);
}

TEST_F(OptionsTest, RangeRulesReplaceValuesOutsideTheirRange) {
  Put(L"WeekStartDay", 7);
  Put(L"MonthStartDay", 0);
  Put(L"TransparentPercent", 5);
  Put(L"RateViewMargins", static_cast<uint32_t>(-3));
  Put(L"NextAlertType", 2);
  Put(L"NextAlertMin", 0);
  Put(L"ReportChartRange", 3);
  Options o = Load();
  EXPECT_EQ(o.weekStartDay, 0u);
  EXPECT_EQ(o.monthStartDay, 1u);
  EXPECT_EQ(o.transparentPercent, 10);
  EXPECT_EQ(o.rateViewMargins, 2);
  EXPECT_EQ(o.nextAlertType, 0u);
  EXPECT_EQ(o.nextAlertMin, 1);
  EXPECT_EQ(o.reportChartRange, 0u);

  Put(L"MonthStartDay", 32);
  Put(L"ReportChartRange", 2);
  Put(L"TransparentPercent", 95);
  Put(L"WeekStartDay", 6);
  o = Load();
  EXPECT_EQ(o.monthStartDay, 1u);
  EXPECT_EQ(o.transparentPercent, 90);
  EXPECT_EQ(o.weekStartDay, 6u);
  EXPECT_EQ(o.reportChartRange, 2u);
}

TEST_F(OptionsTest, MetricsValuesOutsideTheirRangeReadAsDefaultsAndNeverWidenAccess) {
  Options o = Load();
  EXPECT_EQ(o.metricsEnabled, 0u);
  EXPECT_EQ(o.metricsPort, 9713u);
  EXPECT_EQ(o.metricsRemote, 0u);
  EXPECT_EQ(o.metricsAllow, L"");

  Put(L"MetricsEnabled", 1);
  Put(L"MetricsPort", 65535);
  Put(L"MetricsRemote", 1);
  m_store.WriteValue(kUser, keys::kOptions, L"MetricsAllow", StringValue(L" 192.168.1.0/24, 10.0.0.7 "));
  o = Load();
  EXPECT_EQ(o.metricsEnabled, 1u);
  EXPECT_EQ(o.metricsPort, 65535u);
  EXPECT_EQ(o.metricsRemote, 1u);
  EXPECT_EQ(o.metricsAllow, L" 192.168.1.0/24, 10.0.0.7 ");

  Put(L"MetricsEnabled", 2);
  Put(L"MetricsPort", 65536);
  o = Load();
  EXPECT_EQ(o.metricsEnabled, 0u);
  EXPECT_EQ(o.metricsPort, 9713u);
  Put(L"MetricsPort", 0);
  EXPECT_EQ(Load().metricsPort, 9713u);

  // A damaged allow list must not open the port to everyone: remote access goes off too.
  for (const StoredValue& bad : {StringValue(L"192.168.1.0/24, 192.168.1.300"), DwordValue(7),
                                 StringValue(L"10.0.0.1," + std::wstring(5000, L' '))}) {
    Put(L"MetricsRemote", 1);
    m_store.WriteValue(kUser, keys::kOptions, L"MetricsAllow", bad);
    o = Load();
    EXPECT_EQ(o.metricsRemote, 0u);
    EXPECT_EQ(o.metricsAllow, L"");
  }
  Put(L"MetricsRemote", 3);
  m_store.WriteValue(kUser, keys::kOptions, L"MetricsAllow", StringValue(L"10.0.0.1"));
  EXPECT_EQ(Load().metricsRemote, 0u);
}

TEST_F(OptionsTest, GraphAndTextBothOffReadAsBothOn) {
  Put(L"DisplayGraph", 0);
  Put(L"DisplayText", 0);
  Options o = Load();
  EXPECT_EQ(o.displayGraph, 1u);
  EXPECT_EQ(o.displayText, 1u);
  Put(L"DisplayText", 1);
  EXPECT_EQ(Load().displayGraph, 0u);
}

TEST_F(OptionsTest, ValuesOfTheWrongSizeOrTypeAreIgnoredOneByOne) {
  m_store.WriteValue(kUser, keys::kOptions, L"DateFormat", BinaryValue("\x44\0\0\0\0\0\0\0", 8));
  m_store.WriteValue(kUser, keys::kOptions, L"HotkeyChar", BinaryValue("\x41", 1));
  m_store.WriteValue(kUser, keys::kOptions, L"PulseWidth", StringValue(L"5"));
  std::vector<uint8_t> shortFont(91, 0);
  WriteBinary(m_store, kUser, keys::kOptions, L"RateFontU", shortFont.data(), shortFont.size());
  WriteBinary(m_store, kUser, keys::kOptions, L"WndPosition", "\1\0\0\0\2\0\0\0", 8);
  m_store.WriteValue(kUser, keys::kOptions, L"STAdpID", StringValue(std::wstring(1500, L'a')));
  Put(L"PulseSpace", 4);
  Options o = Load();
  EXPECT_EQ(o.dateFormat, 17u);
  EXPECT_EQ(o.hotkeyChar, 78u);
  EXPECT_EQ(o.pulseWidth, 3u);
  EXPECT_EQ(o.rateFont, MakeLogFont(L"Tahoma", 13, 0));
  EXPECT_TRUE(o.wndPosition.IsEmpty());
  EXPECT_EQ(o.stAdpID, "");  // larger than its 2048-byte buffer
  EXPECT_EQ(o.pulseSpace, 4u);
}

TEST_F(OptionsTest, TrayAdapterIdentifierIsUpperCasedAndCut) {
  m_store.WriteValue(kUser, keys::kOptions, L"STAdpID", StringValue(L"{abc-" + std::wstring(300, L'd') + L"}"));
  Options o = Load();
  EXPECT_EQ(o.stAdpID.size(), 259u);
  EXPECT_EQ(o.stAdpID.substr(0, 6), "{ABC-D");
}

TEST_F(OptionsTest, ANotificationRuleOfAnUnknownVersionIsDiscardedAndSwitchesNotificationOff) {
  NotificationRule rule;
  rule.kind = 100;
  rule.number = L"10";
  auto bytes = SerializeNotificationRule(rule);
  bytes[0] = 1;
  WriteBinary(m_store, kUser, keys::kOptions, L"NotificationEx2U", bytes.data(), bytes.size());
  Put(L"NotificationEnabled", 1);
  Options o = Load();
  EXPECT_EQ(o.notificationEnabled, 0u);
  EXPECT_EQ(o.notification, NotificationRule{});

  bytes[0] = 2;
  WriteBinary(m_store, kUser, keys::kOptions, L"NotificationEx2U", bytes.data(), bytes.size());
  o = Load();
  EXPECT_EQ(o.notificationEnabled, 1u);
  EXPECT_EQ(o.notification.number, L"10");

  WriteBinary(m_store, kUser, keys::kOptions, L"NotificationEx2U", bytes.data(), bytes.size() - 1);
  EXPECT_EQ(Load().notificationEnabled, 0u);
}

TEST_F(OptionsTest, EachSaveGroupWritesExactlyItsValues) {
  Options o = DefaultOptions(true);
  struct Case {
    uint32_t group;
    std::set<std::wstring> names;
  };
  const Case cases[] = {
      {kGroupHandle, {L"HWND"}},
      {kGroupNotification, {L"NotificationEnabled", L"NotificationEx2U"}},
      {kGroupWindow, {L"WndPosition", L"StopwatchResetAdapterGraph", L"StopwatchAlwaysOnTop"}},
      {kGroupTray,
       {L"DispIconSystray", L"ShowGraphInSystray", L"ShowAdapterNameInSystrayTips", L"ShowAdapterIPInSystrayTips",
        L"STIfType", L"STAdpID"}},
      {kGroupSumLastDays, {L"SumLastDays"}},
      {kGroupReportChart, {L"ReportChartRange"}},
      {kGroupNextAlert, {L"NextAlertType", L"NextAlertMin"}},
      {kGroupFonts, {L"TitleFontU", L"RateFontU", L"ScaleFontU", L"TimeTextFontU"}},
      {kGroupStyle,
       {L"PulseSpace", L"PulseWidth", L"ScaleGridLineStyle", L"TimeGridLineStyle", L"TimeGridIntervalSec",
        L"TimeFormat", L"RateHeightPercent", L"GraphStyle"}},
      {kGroupGeneral,
       {L"WeekStartDay", L"MonthStartDay", L"RateViewMargins", L"TransparentPercent", L"StartMinimized",
        L"StartWithWindows", L"HotkeyEnabled", L"HotkeyChar", L"DateFormat", L"SemiTransparent",
        L"EnableClickThrough", L"ShowIPInTitle", L"AlwaysOnTop", L"ShowCaption", L"DisplayUnitByte",
        L"MetricsEnabled", L"MetricsPort", L"MetricsRemote", L"MetricsAllow"}},
  };
  for (const Case& c : cases) {
    MemorySettingsStore store;
    SaveOptions(store, kUser, o, c.group);
    std::vector<std::pair<std::wstring, StoredValue>> values;
    store.EnumValues(kUser, keys::kOptions, &values);
    std::set<std::wstring> names;
    for (auto& v : values) names.insert(v.first);
    EXPECT_EQ(names, c.names) << "group 0x" << std::hex << c.group;
  }
  MemorySettingsStore display, colours;
  SaveOptions(display, kUser, o, kGroupDisplay);
  SaveOptions(colours, kUser, o, kGroupColours);
  EXPECT_EQ(display.WriteCount(), 15u);
  EXPECT_EQ(colours.WriteCount(), 15u);
  MemorySettingsStore none;
  SaveOptions(none, kUser, o, 0);
  EXPECT_EQ(none.WriteCount(), 0u);
}

TEST_F(OptionsTest, SavedValuesReadBackUnchanged) {
  Options o = DefaultOptions(true);
  o.weekStartDay = 3;
  o.dateFormat = 68;
  o.rateViewMargins = 5;
  o.downColor = 0x123456;
  o.scaleFont = MakeLogFont(L"Courier New", -15, 400);
  o.wndPosition = WindowRect{-10, 20, 300, 400};
  o.stAdpID = "{GUID}";
  o.reportChartRange = 1;
  o.notificationEnabled = 1;
  o.notification.kind = 300;
  o.notification.id = "{GUID}";
  o.notification.number = L"1.5";
  o.notification.days = 7;
  o.notification.recipients = L"a@b.com, c@d.org";
  SaveOptions(m_store, kUser, o, kAllGroups);
  Options back = DefaultOptions(true);
  LoadOptions(m_store, kUser, &back);
  EXPECT_EQ(back.weekStartDay, 3u);
  EXPECT_EQ(back.dateFormat, 68u);
  EXPECT_EQ(back.rateViewMargins, 5);
  EXPECT_EQ(back.downColor, 0x123456u);
  EXPECT_EQ(back.scaleFont, o.scaleFont);
  EXPECT_EQ(back.wndPosition, o.wndPosition);
  EXPECT_EQ(back.stAdpID, "{GUID}");
  EXPECT_EQ(back.reportChartRange, 1u);
  EXPECT_EQ(back.notificationEnabled, 1u);
  NotificationRule expected = o.notification;
  expected.version = 3;
  EXPECT_EQ(back.notification, expected);
}

TEST_F(OptionsTest, ServiceModeMirrorsOnlyTheMachineGroups) {
  Options o = DefaultOptions(true);
  SaveOptionsEverywhere(m_store, o, kGroupDisplay | kGroupGeneral | kGroupNextAlert, true);
  auto machine = ValueNames(kMachine);
  EXPECT_TRUE(machine.count(L"WeekStartDay"));
  EXPECT_FALSE(machine.count(L"DisplayTitle"));
  EXPECT_FALSE(machine.count(L"NextAlertType"));
  EXPECT_TRUE(ValueNames(kUser).count(L"DisplayTitle"));
  MemorySettingsStore off;
  SaveOptionsEverywhere(off, o, kGroupGeneral, false);
  EXPECT_FALSE(off.KeyExists(kMachine, keys::kOptions));
}

TEST_F(OptionsTest, TheServiceReadsOnlyItsSubsetFromTheMachineHive) {
  WriteDword(m_store, kMachine, keys::kOptions, L"WeekStartDay", 9);
  WriteDword(m_store, kMachine, keys::kOptions, L"MonthStartDay", 40);
  WriteDword(m_store, kMachine, keys::kOptions, L"DateFormat", 85);
  WriteDword(m_store, kMachine, keys::kOptions, L"SumLastDays", 7);
  WriteDword(m_store, kMachine, keys::kOptions, L"PulseWidth", 9);
  WriteDword(m_store, kUser, keys::kOptions, L"DateFormat", 34);
  WriteDword(m_store, kMachine, keys::kOptions, L"MetricsEnabled", 1);
  WriteDword(m_store, kMachine, keys::kOptions, L"MetricsPort", 19100);
  WriteDword(m_store, kMachine, keys::kOptions, L"MetricsRemote", 1);
  WriteString(m_store, kMachine, keys::kOptions, L"MetricsAllow", L"10.1.0.0/16");
  Options o = DefaultOptions(true);
  LoadServiceOptions(m_store, &o);
  EXPECT_EQ(o.weekStartDay, 0u);
  EXPECT_EQ(o.monthStartDay, 1u);
  EXPECT_EQ(o.dateFormat, 85u);
  EXPECT_EQ(o.sumLastDays, 7);
  EXPECT_EQ(o.pulseWidth, 3u);
  EXPECT_EQ(o.metricsEnabled, 1u);
  EXPECT_EQ(o.metricsPort, 19100u);
  EXPECT_EQ(o.metricsRemote, 1u);
  EXPECT_EQ(o.metricsAllow, L"10.1.0.0/16");
}

TEST_F(OptionsTest, StartWithWindowsFollowsTheRunValue) {
  EXPECT_FALSE(IsStartWithWindows(m_store));
  SetStartWithWindows(m_store, true, L"C:\\Program Files\\Vantrel\\OrlixVantrel.exe");
  EXPECT_TRUE(IsStartWithWindows(m_store));
  std::wstring path;
  ReadString(m_store, kUser, keys::kRun, L"Vantrel", 1024, &path);
  EXPECT_EQ(path, L"C:\\Program Files\\Vantrel\\OrlixVantrel.exe");
  // Deleted outside the program: the option reads as off whatever StartWithWindows says.
  m_store.DeleteValue(kUser, keys::kRun, L"Vantrel");
  WriteDword(m_store, kUser, keys::kRun, L"VANTREL", 1);
  EXPECT_TRUE(IsStartWithWindows(m_store));
  SetStartWithWindows(m_store, false, L"");
  EXPECT_FALSE(IsStartWithWindows(m_store));
}

TEST_F(OptionsTest, FirstRunHappensOnce) {
  EXPECT_TRUE(HandleFirstRun(m_store));
  EXPECT_FALSE(HandleFirstRun(m_store));
  Put(L"FirstRun", 5);
  EXPECT_TRUE(HandleFirstRun(m_store));
}

TEST_F(OptionsTest, ServiceKeyRoundTrips) {
  ServiceKeyValues v;
  EXPECT_EQ(ReadServiceKey(m_store, kMachine).enabled, 0u);
  v.enabled = 1;
  v.options[0] = 1;
  v.options[2] = 1;
  WriteServiceKey(m_store, kMachine, v);
  ServiceKeyValues back = ReadServiceKey(m_store, kMachine);
  EXPECT_EQ(back.enabled, 1u);
  EXPECT_FALSE(back.NotifiesInService());
  EXPECT_TRUE(back.RecordsInService());
}

TEST(NotificationRuleRecord, HasTheStoredLayout) {
  NotificationRule r;
  r.kind = 300;
  r.id = "ETH";
  r.number = L"10";
  r.unit = 3;
  r.days = 0;
  r.recipients = L"x@y.z";
  r.programPath = std::wstring(400, L'p');
  auto b = SerializeNotificationRule(r);
  ASSERT_EQ(b.size(), 1992u);
  EXPECT_EQ(b[0], 3);
  EXPECT_EQ(b[4], 0x2C);
  EXPECT_EQ(b[8], 'E');
  EXPECT_EQ(b[268], '1');
  EXPECT_EQ(b[270], '0');
  EXPECT_EQ(b[396], 3);
  EXPECT_EQ(b[948], 'x');
  EXPECT_EQ(b[1472], 'p');
  EXPECT_EQ(b[1472 + 518], 0);  // cut to 259 characters and terminated
  NotificationRule back;
  ASSERT_TRUE(ParseNotificationRule(b.data(), b.size(), &back));
  EXPECT_EQ(back.days, 1);  // D below 1 reads as 1
  EXPECT_EQ(back.programPath.size(), 259u);
  EXPECT_EQ(back.recipients, L"x@y.z");
  EXPECT_FALSE(ParseNotificationRule(b.data(), 1991, &back));
}

TEST(LogFontRecord, Is92BytesWithTheFaceNameInUtf16) {
  auto b = SerializeLogFont(MakeLogFont(L"Tahoma", -11, 700));
  EXPECT_EQ(b[0], 0xF5);
  EXPECT_EQ(b[3], 0xFF);
  EXPECT_EQ(b[16], 0xBC);
  EXPECT_EQ(b[17], 0x02);
  EXPECT_EQ(b[28], 'T');
  EXPECT_EQ(b[29], 0);
  EXPECT_EQ(b[30], 'a');
  LogFontRecord f;
  ASSERT_TRUE(ParseLogFont(b.data(), b.size(), &f));
  EXPECT_EQ(f, MakeLogFont(L"Tahoma", -11, 700));
}

}  // namespace
}  // namespace vantrel
