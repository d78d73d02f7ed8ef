#pragma once
// The Notification options page without a window: how its combos show the stored rule, which
// controls are enabled, the checks of an apply in their order (the first failure names its
// message and the control to focus), the incomplete e-mail settings question, and the rule the
// page hands to the main window.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "notify/email_settings.h"
#include "settings/notification_rule.h"

namespace vantrel {

// Control ids of the page (template 208).
enum NotifyPageControl : int {
  kNotifyEnable = 1053,
  kNotifyNumber = 1044,
  kNotifyNumberSpin = 1054,
  kNotifyUnit = 1056,
  kNotifyDirection = 1055,
  kNotifyPeriod = 1136,
  kNotifyDays = 1131,
  kNotifyDaysSpin = 1135,
  kNotifyDaysLabel = 1121,
  kNotifyEntry = 1043,
  kNotifyPlaySound = 1046,
  kNotifySoundFile = 1047,
  kNotifySoundBrowse = 1049,
  kNotifySoundTest = 1050,
  kNotifyBeep = 1048,
  kNotifyBeepChoice = 1110,
  kNotifyBeepTest = 1051,
  kNotifySendEmail = 1169,
  kNotifyRecipients = 1171,
  kNotifyEmailSettings = 1172,
  kNotifyRunProgram = 1052,
  kNotifyProgramPath = 1165,
  kNotifyProgramBrowse = 1058,
};

inline constexpr size_t kNotifyNumberChars = 63;
inline constexpr size_t kNotifyPathChars = 259;

// The combos' item texts, in their order.
std::vector<std::wstring> UnitComboItems();       // "TB", "GB", "MB", "KB", "Bytes"
std::vector<std::wstring> DirectionComboItems();  // "downloaded", "uploaded", "downloaded & uploaded"
std::vector<std::wstring> PeriodComboItems();     // "month", "week", "custom"

// The item showing a stored value; the first item when none matches.
int UnitComboIndex(int32_t unit);
int DirectionComboIndex(int32_t direction);
int PeriodComboIndex(int32_t period);
// The stored value of an item; -1 for no selection.
int32_t UnitOfComboIndex(int index);
int32_t DirectionOfComboIndex(int index);
int32_t PeriodOfComboIndex(int index);

// One entry of the watched-entry combo.
struct NotifyEntryChoice {
  uint32_t kind = 0;
  std::string id;
  std::wstring displayName;
};
// The combo's item for the rule's entry (same kind and, for real adapters, identifier); the
// first item when none matches, -1 for an empty list.
int EntryComboIndex(const std::vector<NotifyEntryChoice>& entries, const NotificationRule& rule);

// What the page's controls hold, as the page reads them.
struct NotifyPageValues {
  bool enabled = false;
  int entry = -1;  // combo selections, -1 for none
  std::wstring number;
  int unit = -1;
  int direction = -1;
  int period = -1;
  std::wstring days;
  bool playSound = false;
  std::wstring soundFile;
  bool beep = false;
  int beepChoice = -1;
  bool sendEmail = false;
  std::wstring recipients;
  bool runProgram = false;
  std::wstring programPath;
};

// The page's controls for the stored rule.
NotifyPageValues PageValuesFromRule(bool enabled, const NotificationRule& rule,
                                    const std::vector<NotifyEntryChoice>& entries);

// Which controls are enabled.
struct NotifyPageEnables {
  bool rule = false;     // number, unit, direction, period, entry, the four switches
  bool days = false;     // D edit, spin and label: period "custom"
  bool sound = false;    // sound file, browse, test
  bool beep = false;     // beep choice, test
  bool email = false;    // recipients, e-mail settings button
  bool program = false;  // program path, browse
};
NotifyPageEnables NotifyPageEnablesFor(const NotifyPageValues& values);

// A file the page may use: it exists with the archive attribute and is not a folder.
using FileAvailableFn = std::function<bool(const std::wstring& path)>;

// The text from the last "." after the last backslash; empty for a path without a backslash.
std::wstring PathExtension(const std::wstring& path);
// True when the extension is ".wav", ignoring case.
bool HasWavExtension(const std::wstring& path);

struct NotifyPageCheck {
  bool ok = true;
  std::wstring message;
  int focus = 0;
};
// The apply's checks in order; with notification off everything passes unchecked.
NotifyPageCheck CheckNotifyPage(const NotifyPageValues& values, const FileAvailableFn& available);

// "File '%s' isn't available or isn't a WAV file.", also for the sound test button.
std::wstring SoundFileRefusedText(const std::wstring& path);
// The sound test button: nothing for an empty path, else whether the file can be played.
enum class SoundTestAction { Nothing, Play, Refuse };
SoundTestAction SoundTestFor(const std::wstring& path, const FileAvailableFn& available);

// The question after the checks when e-mail is on and the settings cannot send it.
bool AskForEmailSettings(const NotifyPageValues& values, const EmailSettings& email);
extern const wchar_t kIncompleteEmailQuestion[];

// What page code 204 carries: the switch, the rule and the e-mail settings.
struct NotificationPageData {
  uint32_t enabled = 0;
  NotificationRule rule;
  EmailSettings email;
};

// The rule from the page's controls over the stored one (texts cut to their fields); the
// version is set to 3.
NotificationRule RuleFromPageValues(const NotifyPageValues& values, const std::vector<NotifyEntryChoice>& entries,
                                    const NotificationRule& stored);

}  // namespace vantrel
