#pragma once
// The notification dialog without a window: its control ids, its caption, which sounds it
// started, and the check of the next-alert choice when it closes.
#include <cstdint>
#include <functional>
#include <string>

#include "settings/notification_rule.h"

namespace vantrel {

// Control ids of the dialog (template 218).
enum NotifyDialogControl : int {
  kNotifyDlgSentence = 1108,
  kNotifyDlgRunningTotal = 1109,
  kNotifyDlgNever = 1106,
  kNotifyDlgAgain = 1107,
  kNotifyDlgMinutes = 1104,
  kNotifyDlgMinutesSpin = 1105,
  kNotifyDlgStopSound = 1101,
  kNotifyDlgClose = 1086,
};
// The one-second timer of the running-total line.
inline constexpr unsigned kNotifyDlgTimer = 1;
inline constexpr int kNotifyDlgMinMinutes = 1;
inline constexpr int kNotifyDlgMaxMinutes = 32767;

// "Notification - Vantrel".
std::wstring NotifyDialogCaption();

inline constexpr wchar_t kMinutesRefusedText[] = L"Minutes up to next alert should be greater than 0.";

// What closing the dialog keeps: the choice and the minutes edit's number (as the spin reads
// it: no number is 0, at most 32767), the minutes whatever the choice. Choice 1 needs minutes
// above 0: `accepted` is false otherwise and the dialog stays open.
struct NextAlertChoice {
  bool accepted = true;
  uint32_t choice = 0;
  int32_t minutes = 0;
};
NextAlertChoice ReadNextAlertChoice(int choice, const std::wstring& minutesText);

// Starts the rule's alert sounds: its WAV file looped (when on and named) and its beeps (when
// on). Each starter says whether it really started. True when either did: the stop button is
// enabled only then.
bool StartAlertSounds(const NotificationRule& rule, const std::function<bool(const std::wstring& file)>& playLoop,
                      const std::function<bool(int32_t beepChoice)>& startBeeps);

}  // namespace vantrel
