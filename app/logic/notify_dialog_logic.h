#pragma once
// The notification dialog without a window: its control ids, its caption, and the check of
// the next-alert choice when it closes.
#include <string>

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

// Closing with choice 1 needs minutes above 0; the minutes edit's text is read as the spin
// reads it (no number is 0). True when the dialog may close; *minutes gets the value.
bool NextAlertChoiceAccepted(int choice, const std::wstring& minutesText, int* minutes);

}  // namespace vantrel
