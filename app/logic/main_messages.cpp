#include "app/logic/main_messages.h"

namespace vantrel {

std::wstring InitFailedMessage() { return std::wstring(kInitFailedText) + L"\n\n" + kSupportLine; }

std::wstring LogOpenFailedInServiceText(const std::wstring& path) {
  return L"Failed to open traffic log file (" + path +
         L"), or the file was corrupted by other programs.\n\nPlease stop " + kServiceDisplayName +
         L" and disable service on Options, and then try again.";
}

std::wstring LogCreateFailedQuestion(const std::wstring& path) {
  return L"Failed to create traffic log file \"" + path +
         L"\". Please make sure you have permission to create and write file at the folder.\n\n"
         L"Do you want to choose a custom log file?";
}

std::wstring EmailFailedText(const std::wstring& error) {
  return L"Failed to send the notification email.\n\nError: " + error +
         L"\n\nPlease check your email settings at Options -> Notification -> Email Settings.";
}

LogFailureOutcome ReportLogOpenFailure(ILogFailureDialogue& ui, bool serviceMode, const std::wstring& path) {
  if (serviceMode) {
    ui.ShowWarning(LogOpenFailedInServiceText(path));
    return LogFailureOutcome::ServiceModeReported;
  }
  std::wstring current = path;
  while (ui.AskYesNo(LogCreateFailedQuestion(current))) {
    std::wstring chosen;
    if (!ui.ChooseLogFile(&chosen) || chosen.empty()) break;
    ui.UseLogPath(chosen);
    if (ui.OpenLog()) {
      ui.LoadTodayTotals();
      return LogFailureOutcome::Opened;
    }
    current = chosen;
  }
  ui.ShowInformation(kGaveUpLogText);
  return LogFailureOutcome::GaveUp;
}

}  // namespace vantrel
