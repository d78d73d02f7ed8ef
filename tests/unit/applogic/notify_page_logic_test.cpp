#include "app/logic/notify_page_logic.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/logic/email_settings_logic.h"
#include "app/logic/notify_dialog_logic.h"

namespace vantrel {
namespace {

// A page as a user leaves it: every switch on and every value good.
NotifyPageValues GoodPage() {
  NotifyPageValues v;
  v.enabled = true;
  v.entry = 0;
  v.number = L"1.5";
  v.unit = 1;
  v.direction = 2;
  v.period = 2;
  v.days = L"3";
  v.playSound = true;
  v.soundFile = L"C:\\sounds\\Alarm.WAV";
  v.beep = true;
  v.beepChoice = 4;
  v.sendEmail = true;
  v.recipients = L"a@b.com, c@d.org";
  v.runProgram = true;
  v.programPath = L"C:\\tools\\run.exe";
  return v;
}

std::set<std::wstring> g_files;
bool Available(const std::wstring& path) { return g_files.count(path) != 0; }

class NotifyPageChecks : public ::testing::Test {
 protected:
  void SetUp() override { g_files = {L"C:\\sounds\\Alarm.WAV", L"C:\\tools\\run.exe", L"C:\\sounds\\song.mp3"}; }
  static NotifyPageCheck Check(const NotifyPageValues& v) { return CheckNotifyPage(v, Available); }
};

TEST_F(NotifyPageChecks, AGoodPagePassesAndAnUncheckedPagePassesWhateverItHolds) {
  EXPECT_TRUE(Check(GoodPage()).ok);
  NotifyPageValues v;  // nothing selected, nothing typed
  v.playSound = v.sendEmail = v.runProgram = true;
  EXPECT_TRUE(Check(v).ok);
}

TEST_F(NotifyPageChecks, TheFirstFailureInTheFixedOrderWins) {
  // Everything wrong at once: each fix reveals the next check in order.
  NotifyPageValues v = GoodPage();
  v.entry = -1;
  v.number = L"1,5";
  v.unit = -1;
  v.direction = -1;
  v.period = -1;
  v.soundFile = L"";
  v.beepChoice = -1;
  v.recipients = L"";
  v.programPath = L"";
  struct Step {
    const wchar_t* message;
    int focus;
    std::function<void(NotifyPageValues&)> fix;
  };
  const Step steps[] = {
      {L"Please select an adapter.", kNotifyEntry, [](auto& p) { p.entry = 1; }},
      {L"Please enter a valid transfer number.", kNotifyNumber, [](auto& p) { p.number = L"0.0000001"; }},
      {L"Please enter a valid transfer number.", kNotifyNumber, [](auto& p) { p.number = L"1.2.3"; }},
      {L"Please select a transfer unit (Bytes, KB, MB, GB, or TB).", kNotifyUnit, [](auto& p) { p.unit = 4; }},
      {L"Please select the transfer type (downloaded, uploaded or both).", kNotifyDirection,
       [](auto& p) { p.direction = 0; p.days = L"0"; }},
      {L"Please select a period.", kNotifyPeriod, [](auto& p) { p.period = 2; }},
      {L"The last day number should be greater than or equal to 1.", kNotifyDays, [](auto& p) { p.days = L"1"; }},
      {L"Please choose a sound file.", kNotifySoundFile, [](auto& p) { p.soundFile = L"C:\\sounds\\song.mp3"; }},
      {L"File 'C:\\sounds\\song.mp3' isn't available or isn't a WAV file.", kNotifySoundFile,
       [](auto& p) { p.soundFile = L"C:\\sounds\\gone.wav"; }},
      {L"File 'C:\\sounds\\gone.wav' isn't available or isn't a WAV file.", kNotifySoundFile,
       [](auto& p) { p.soundFile = L"C:\\sounds\\Alarm.WAV"; }},
      {L"Please select a beep sound.", kNotifyBeepChoice, [](auto& p) { p.beepChoice = 0; }},
      {L"Please input email address.", kNotifyRecipients, [](auto& p) { p.recipients = L"ok@a.com, x@y..com"; }},
      {L"Invalid email address 'x@y..com'.", kNotifyRecipients, [](auto& p) { p.recipients = L" , ,"; }},
      {L"Please input email address.", kNotifyRecipients, [](auto& p) { p.recipients = L"ok@a.com,b@c.de"; }},
      {L"Please choose an executable file.", kNotifyProgramPath, [](auto& p) { p.programPath = L"C:\\gone.exe"; }},
      {L"File 'C:\\gone.exe' isn't available.", kNotifyProgramPath,
       [](auto& p) { p.programPath = L"C:\\tools\\run.exe"; }},
  };
  for (const Step& s : steps) {
    NotifyPageCheck c = Check(v);
    ASSERT_FALSE(c.ok) << "expected: " << std::string(s.message, s.message + wcslen(s.message)).c_str();
    EXPECT_EQ(c.message, s.message);
    EXPECT_EQ(c.focus, s.focus);
    s.fix(v);
  }
  EXPECT_TRUE(Check(v).ok);
}

TEST_F(NotifyPageChecks, DaysAreCheckedOnlyForTheCustomPeriodAndSoundOnlyWhenOn) {
  NotifyPageValues v = GoodPage();
  v.days = L"0";
  v.period = 0;  // month
  v.playSound = false;
  v.soundFile = L"C:\\no.txt";
  EXPECT_TRUE(Check(v).ok);
}

TEST(NotifyPageFiles, TheExtensionFollowsTheLastBackslash) {
  EXPECT_TRUE(HasWavExtension(L"C:\\a.b\\ring.WaV"));
  EXPECT_FALSE(HasWavExtension(L"C:\\a.wav\\ring"));
  EXPECT_FALSE(HasWavExtension(L"ring.wav"));  // no backslash: no extension
  EXPECT_FALSE(HasWavExtension(L"C:\\ring.wave"));
  EXPECT_EQ(SoundTestFor(L"", Available), SoundTestAction::Nothing);
  g_files = {L"C:\\x\\a.wav"};
  EXPECT_EQ(SoundTestFor(L"C:\\x\\a.wav", Available), SoundTestAction::Play);
  EXPECT_EQ(SoundTestFor(L"C:\\x\\b.wav", Available), SoundTestAction::Refuse);
}

TEST(NotifyPageFill, CombosShowTheStoredValueOrTheirFirstItem) {
  std::vector<NotifyEntryChoice> entries = {{100, "", L"All Connections"}, {200, "", L"Dial-Up"},
                                            {300, "ETH0", L"LAN"}, {300, "ETH1", L"WLAN"}};
  NotificationRule r;
  r.kind = 300;
  r.id = "ETH1";
  r.unit = 0;
  r.direction = 1;
  r.period = 0;
  r.days = 0;
  r.beepChoice = 12;
  NotifyPageValues v = PageValuesFromRule(true, r, entries);
  EXPECT_EQ(v.entry, 3);
  EXPECT_EQ(UnitComboItems()[static_cast<size_t>(v.unit)], L"Bytes");
  EXPECT_EQ(DirectionComboItems()[static_cast<size_t>(v.direction)], L"uploaded");
  EXPECT_EQ(PeriodComboItems()[static_cast<size_t>(v.period)], L"week");
  EXPECT_EQ(v.days, L"1");
  EXPECT_EQ(v.beepChoice, 0);
  r.id = "GONE";
  r.unit = 7;
  r.period = 9;
  v = PageValuesFromRule(true, r, entries);
  EXPECT_EQ(v.entry, 0);
  EXPECT_EQ(v.unit, 0);
  EXPECT_EQ(v.period, 0);
  EXPECT_EQ(EntryComboIndex({}, r), -1);

  // And back: the page's items become the stored codes.
  v = PageValuesFromRule(true, r, entries);
  v.entry = 2;
  v.unit = 1;       // GB
  v.period = 2;     // custom
  v.days = L"40000";
  NotificationRule back = RuleFromPageValues(v, entries, r);
  EXPECT_EQ(back.version, 3u);
  EXPECT_EQ(back.kind, 300);
  EXPECT_EQ(back.id, "ETH0");
  EXPECT_EQ(back.unit, 3);
  EXPECT_EQ(back.period, 2);
  EXPECT_EQ(back.days, 32767);
  v.entry = 0;
  EXPECT_EQ(RuleFromPageValues(v, entries, back).id, "");
}

TEST(NotifyPageEnabling, EachSwitchEnablesItsOwnControlsOnlyWhileNotificationIsOn) {
  NotifyPageValues v = GoodPage();
  v.beep = false;
  NotifyPageEnables e = NotifyPageEnablesFor(v);
  EXPECT_TRUE(e.rule && e.days && e.sound && e.email && e.program);
  EXPECT_FALSE(e.beep);
  v.period = 1;  // week
  EXPECT_FALSE(NotifyPageEnablesFor(v).days);
  v.enabled = false;
  e = NotifyPageEnablesFor(v);
  EXPECT_FALSE(e.rule || e.days || e.sound || e.beep || e.email || e.program);
}

TEST(NotifyPageEmail, AsksOnlyWhenSendingWithSettingsThatCannotSend) {
  NotifyPageValues v = GoodPage();
  EmailSettings s;
  EXPECT_TRUE(AskForEmailSettings(v, s));
  s.smtpServer = L"mail";
  s.mailFrom = L"me@x.com";
  EXPECT_FALSE(AskForEmailSettings(v, s));
  s.srvReqAuth = true;
  EXPECT_TRUE(AskForEmailSettings(v, s));
  v.sendEmail = false;
  EXPECT_FALSE(AskForEmailSettings(v, s));
}

TEST(EmailSettingsDialog, ChecksItsFieldsInOrder) {
  EmailSettings f;
  f.emlTempSubject.clear();
  f.emlTempBody.clear();
  f.srvReqAuth = true;
  const std::pair<const wchar_t*, int> expected[] = {
      {L"Please input SMTP server name or IP.", kEmailServer},
      {L"Please input \"Mail From.\"", kEmailFrom},
      {L"Please input SMTP server authentication account name.", kEmailAccount},
      {L"Please input email template subject.", kEmailSubject},
      {L"Please input email template body.", kEmailBody},
  };
  std::function<void()> fixes[] = {[&] { f.smtpServer = L"s"; }, [&] { f.mailFrom = L"f"; },
                                   [&] { f.authName = L"n"; }, [&] { f.emlTempSubject = L"x"; },
                                   [&] { f.emlTempBody = L"y"; }};
  for (size_t i = 0; i < 5; ++i) {
    EmailDialogCheck c = CheckEmailFields(f, L"25");
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.message, expected[i].first);
    EXPECT_EQ(c.focus, expected[i].second);
    fixes[i]();
  }
  EXPECT_TRUE(CheckEmailFields(f, L"587").ok);  // the sender's form and the password are not checked
  for (const wchar_t* port : {L"", L"0", L"65536", L"2a"}) {
    EmailDialogCheck c = CheckEmailFields(f, port);
    EXPECT_EQ(c.message, L"The port must be between 1 and 65535.");
    EXPECT_EQ(c.focus, kEmailPort);
  }
  f.smtpServer.clear();  // the server comes before the port
  EXPECT_EQ(CheckEmailFields(f, L"0").focus, kEmailServer);
  EXPECT_FALSE(CheckTestAddress(L"").ok);
  EXPECT_EQ(CheckTestAddress(L"a@b").focus, kEmailTestAddress);
  EXPECT_TRUE(CheckTestAddress(L"a@b.c").ok);
}

TEST(EmailSettingsDialog, PreviewsTheBodyAloneWithTheSampleValues) {
  EmailSettings f;
  f.emlTempSubject = L"Over %b";
  f.emlTempBody = L"%a: %t %f in %p, more than %b";
  EXPECT_EQ(EmailPreviewText(f), L"LAN [10.0.0.10]: downloaded 11.2 GB in week (03/02/2008 -- 03/08/2008), more than "
                                 L"10 GB");
}

TEST(NotificationDialog, ClosingKeepsTheMinutesWhateverTheChoiceAndARemindChoiceNeedsSome) {
  EXPECT_FALSE(ReadNextAlertChoice(1, L"0").accepted);
  EXPECT_FALSE(ReadNextAlertChoice(1, L"").accepted);
  NextAlertChoice remind = ReadNextAlertChoice(1, L"99999");
  EXPECT_TRUE(remind.accepted);
  EXPECT_EQ(remind.choice, 1u);
  EXPECT_EQ(remind.minutes, 32767);
  // "Never again" with minutes typed: the minutes are kept for the next time.
  NextAlertChoice never = ReadNextAlertChoice(0, L"15");
  EXPECT_TRUE(never.accepted);
  EXPECT_EQ(never.choice, 0u);
  EXPECT_EQ(never.minutes, 15);
  EXPECT_TRUE(ReadNextAlertChoice(0, L"").accepted);
}

TEST(NotificationDialog, TheStopButtonIsForASoundOrBeepThatReallyStarted) {
  NotificationRule rule;
  rule.playSound = 1;
  rule.soundFile = L"C:\\alert.wav";
  rule.beep = 1;
  rule.beepChoice = 4;
  std::vector<std::wstring> played;
  std::vector<int32_t> beeped;
  auto play = [&](bool ok) {
    return [&played, ok](const std::wstring& file) {
      played.push_back(file);
      return ok;
    };
  };
  auto beep = [&](bool ok) {
    return [&beeped, ok](int32_t choice) {
      beeped.push_back(choice);
      return ok;
    };
  };
  EXPECT_FALSE(StartAlertSounds(rule, play(false), beep(false)));
  EXPECT_EQ(played, std::vector<std::wstring>{L"C:\\alert.wav"});
  EXPECT_EQ(beeped, std::vector<int32_t>{4});
  EXPECT_TRUE(StartAlertSounds(rule, play(false), beep(true)));
  EXPECT_TRUE(StartAlertSounds(rule, play(true), beep(false)));
  // A sound switched on without a file, and no beeps: nothing to start, nothing to stop.
  played.clear();
  rule.soundFile.clear();
  rule.beep = 0;
  EXPECT_FALSE(StartAlertSounds(rule, play(true), beep(true)));
  EXPECT_TRUE(played.empty());
}

}  // namespace
}  // namespace vantrel
