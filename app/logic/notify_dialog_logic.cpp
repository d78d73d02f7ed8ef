#include "app/logic/notify_dialog_logic.h"

#include <cwchar>

namespace vantrel {

std::wstring NotifyDialogCaption() { return L"Notification - Vantrel"; }

NextAlertChoice ReadNextAlertChoice(int choice, const std::wstring& minutesText) {
  long value = std::wcstol(minutesText.c_str(), nullptr, 10);
  if (value > kNotifyDlgMaxMinutes) value = kNotifyDlgMaxMinutes;
  if (value < 0) value = 0;
  NextAlertChoice c;
  c.choice = choice == 1 ? 1 : 0;
  c.minutes = static_cast<int32_t>(value);
  c.accepted = c.choice != 1 || c.minutes > 0;
  return c;
}

bool StartAlertSounds(const NotificationRule& rule, const std::function<bool(const std::wstring& file)>& playLoop,
                      const std::function<bool(int32_t beepChoice)>& startBeeps) {
  bool started = false;
  if (rule.playSound && !rule.soundFile.empty()) started = playLoop(rule.soundFile);
  if (rule.beep && startBeeps(rule.beepChoice)) started = true;
  return started;
}

}  // namespace vantrel
