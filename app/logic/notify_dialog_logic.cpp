#include "app/logic/notify_dialog_logic.h"

#include <cwchar>

namespace vantrel {

std::wstring NotifyDialogCaption() { return L"Notification - Vantrel"; }

bool NextAlertChoiceAccepted(int choice, const std::wstring& minutesText, int* minutes) {
  long value = std::wcstol(minutesText.c_str(), nullptr, 10);
  if (value > kNotifyDlgMaxMinutes) value = kNotifyDlgMaxMinutes;
  *minutes = static_cast<int>(value);
  return choice != 1 || value > 0;
}

}  // namespace vantrel
