#include "app/logic/notify_page_logic.h"

#include <cwchar>
#include <cwctype>

#include "notify/email_message.h"

namespace vantrel {

namespace {

// Unit items run from the largest unit down.
constexpr int32_t kUnitOfItem[] = {4, 3, 2, 1, 0};
constexpr int32_t kPeriodOfItem[] = {1, 0, 2};
constexpr int kBeepChoices = 9;

int IndexOf(const int32_t* values, int count, int32_t value) {
  for (int i = 0; i < count; ++i)
    if (values[i] == value) return i;
  return 0;
}

NotifyPageCheck Refuse(std::wstring message, int focus) {
  NotifyPageCheck c;
  c.ok = false;
  c.message = std::move(message);
  c.focus = focus;
  return c;
}

bool OnlyDigitsAndDots(const std::wstring& text) {
  for (wchar_t c : text)
    if (!(c >= L'0' && c <= L'9') && c != L'.') return false;
  return true;
}

// An integer edit's value, as the spin reads it: 0 when it holds no number.
long EditInteger(const std::wstring& text) { return std::wcstol(text.c_str(), nullptr, 10); }

std::wstring Cut(const std::wstring& text, size_t chars) { return text.size() > chars ? text.substr(0, chars) : text; }

}  // namespace

const wchar_t kIncompleteEmailQuestion[] =
    L"You have chosen to send notification email. But settings for email sending aren't set properly.\n"
    L"Do you want to set the settings now?";

std::vector<std::wstring> UnitComboItems() { return {L"TB", L"GB", L"MB", L"KB", L"Bytes"}; }
std::vector<std::wstring> DirectionComboItems() { return {L"downloaded", L"uploaded", L"downloaded & uploaded"}; }
std::vector<std::wstring> PeriodComboItems() { return {L"month", L"week", L"custom"}; }

int UnitComboIndex(int32_t unit) { return IndexOf(kUnitOfItem, 5, unit); }
int DirectionComboIndex(int32_t direction) { return direction >= 0 && direction <= 2 ? direction : 0; }
int PeriodComboIndex(int32_t period) { return IndexOf(kPeriodOfItem, 3, period); }
int32_t UnitOfComboIndex(int index) { return index >= 0 && index < 5 ? kUnitOfItem[index] : -1; }
int32_t DirectionOfComboIndex(int index) { return index >= 0 && index <= 2 ? index : -1; }
int32_t PeriodOfComboIndex(int index) { return index >= 0 && index < 3 ? kPeriodOfItem[index] : -1; }

int EntryComboIndex(const std::vector<NotifyEntryChoice>& entries, const NotificationRule& rule) {
  if (entries.empty()) return -1;
  for (size_t i = 0; i < entries.size(); ++i) {
    const NotifyEntryChoice& e = entries[i];
    if (static_cast<int32_t>(e.kind) != rule.kind) continue;
    if (e.kind == 300 && e.id != rule.id) continue;
    return static_cast<int>(i);
  }
  return 0;
}

NotifyPageValues PageValuesFromRule(bool enabled, const NotificationRule& rule,
                                    const std::vector<NotifyEntryChoice>& entries) {
  NotifyPageValues v;
  v.enabled = enabled;
  v.entry = EntryComboIndex(entries, rule);
  v.number = rule.number;
  v.unit = UnitComboIndex(rule.unit);
  v.direction = DirectionComboIndex(rule.direction);
  v.period = PeriodComboIndex(rule.period);
  v.days = std::to_wstring(rule.days < 1 ? 1 : rule.days);
  v.playSound = rule.playSound != 0;
  v.soundFile = rule.soundFile;
  v.beep = rule.beep != 0;
  v.beepChoice = rule.beepChoice >= 0 && rule.beepChoice < kBeepChoices ? rule.beepChoice : 0;
  v.sendEmail = rule.sendEmail != 0;
  v.recipients = rule.recipients;
  v.runProgram = rule.runProgram != 0;
  v.programPath = rule.programPath;
  return v;
}

NotifyPageEnables NotifyPageEnablesFor(const NotifyPageValues& v) {
  NotifyPageEnables e;
  e.rule = v.enabled;
  e.days = v.enabled && PeriodOfComboIndex(v.period) == 2;
  e.sound = v.enabled && v.playSound;
  e.beep = v.enabled && v.beep;
  e.email = v.enabled && v.sendEmail;
  e.program = v.enabled && v.runProgram;
  return e;
}

std::wstring PathExtension(const std::wstring& path) {
  size_t slash = path.rfind(L'\\');
  if (slash == std::wstring::npos) return {};
  size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos || dot < slash) return {};
  return path.substr(dot);
}

bool HasWavExtension(const std::wstring& path) {
  std::wstring ext = PathExtension(path);
  if (ext.size() != 4) return false;
  for (size_t i = 0; i < 4; ++i)
    if (std::towlower(ext[i]) != L".wav"[i]) return false;
  return true;
}

std::wstring SoundFileRefusedText(const std::wstring& path) {
  return L"File '" + path + L"' isn't available or isn't a WAV file.";
}

SoundTestAction SoundTestFor(const std::wstring& path, const FileAvailableFn& available) {
  if (path.empty()) return SoundTestAction::Nothing;
  return available(path) && HasWavExtension(path) ? SoundTestAction::Play : SoundTestAction::Refuse;
}

NotifyPageCheck CheckNotifyPage(const NotifyPageValues& v, const FileAvailableFn& available) {
  if (!v.enabled) return {};
  if (v.entry < 0) return Refuse(L"Please select an adapter.", kNotifyEntry);
  if (v.number.empty() || !OnlyDigitsAndDots(v.number) || std::wcstod(v.number.c_str(), nullptr) < 0.000001)
    return Refuse(L"Please enter a valid transfer number.", kNotifyNumber);
  if (v.unit < 0) return Refuse(L"Please select a transfer unit (Bytes, KB, MB, GB, or TB).", kNotifyUnit);
  if (v.direction < 0)
    return Refuse(L"Please select the transfer type (downloaded, uploaded or both).", kNotifyDirection);
  if (v.period < 0) return Refuse(L"Please select a period.", kNotifyPeriod);
  if (PeriodOfComboIndex(v.period) == 2 && EditInteger(v.days) < 1)
    return Refuse(L"The last day number should be greater than or equal to 1.", kNotifyDays);
  if (v.playSound) {
    if (v.soundFile.empty()) return Refuse(L"Please choose a sound file.", kNotifySoundFile);
    if (!available(v.soundFile) || !HasWavExtension(v.soundFile))
      return Refuse(SoundFileRefusedText(v.soundFile), kNotifySoundFile);
  }
  if (v.beepChoice < 0) return Refuse(L"Please select a beep sound.", kNotifyBeepChoice);
  if (v.sendEmail) {
    if (v.recipients.empty()) return Refuse(L"Please input email address.", kNotifyRecipients);
    std::vector<std::wstring> addresses = SplitAddressList(v.recipients);
    for (const std::wstring& a : addresses)
      if (!IsValidEmailAddress(a)) return Refuse(L"Invalid email address '" + a + L"'.", kNotifyRecipients);
    if (addresses.empty()) return Refuse(L"Please input email address.", kNotifyRecipients);
  }
  if (v.runProgram) {
    if (v.programPath.empty()) return Refuse(L"Please choose an executable file.", kNotifyProgramPath);
    if (!available(v.programPath)) return Refuse(L"File '" + v.programPath + L"' isn't available.", kNotifyProgramPath);
  }
  return {};
}

bool AskForEmailSettings(const NotifyPageValues& v, const EmailSettings& email) {
  return v.enabled && v.sendEmail && !EmailSettingsComplete(email);
}

NotificationRule RuleFromPageValues(const NotifyPageValues& v, const std::vector<NotifyEntryChoice>& entries,
                                    const NotificationRule& stored) {
  NotificationRule r = stored;
  r.version = kNotificationRuleVersion;
  if (v.entry >= 0 && static_cast<size_t>(v.entry) < entries.size()) {
    const NotifyEntryChoice& e = entries[static_cast<size_t>(v.entry)];
    r.kind = static_cast<int32_t>(e.kind);
    r.id = e.kind == 300 ? e.id : std::string();
  }
  r.number = Cut(v.number, kNotifyNumberChars);
  if (UnitOfComboIndex(v.unit) >= 0) r.unit = UnitOfComboIndex(v.unit);
  if (DirectionOfComboIndex(v.direction) >= 0) r.direction = DirectionOfComboIndex(v.direction);
  if (PeriodOfComboIndex(v.period) >= 0) r.period = PeriodOfComboIndex(v.period);
  long days = EditInteger(v.days);
  r.days = days < 1 ? 1 : (days > 32767 ? 32767 : static_cast<int32_t>(days));
  r.playSound = v.playSound ? 1 : 0;
  r.soundFile = Cut(v.soundFile, kNotifyPathChars);
  r.beep = v.beep ? 1 : 0;
  if (v.beepChoice >= 0) r.beepChoice = v.beepChoice;
  r.sendEmail = v.sendEmail ? 1 : 0;
  r.recipients = Cut(v.recipients, kNotifyPathChars);
  r.runProgram = v.runProgram ? 1 : 0;
  r.programPath = Cut(v.programPath, kNotifyPathChars);
  return r;
}

}  // namespace vantrel
