#pragma once
// The interactive program's own message texts (English, as the user sees them), and the
// dialogue that follows a traffic log that cannot be opened. Texts live here so that tests
// hold them to the letter.
#include <string>

namespace vantrel {

inline constexpr wchar_t kAppCaption[] = L"Vantrel";
inline constexpr wchar_t kServiceDisplayName[] = L"Vantrel Service";
inline constexpr wchar_t kInitFailedText[] = L"Failed to initialize! Vantrel will exit.";
// Our contact line after the start-up failure.
inline constexpr wchar_t kSupportLine[] = L"If this keeps happening, please write to support@orlixsystems.com.";
inline constexpr wchar_t kGraphOrTextText[] = L"At least either graph or text should be displayed.";
inline constexpr wchar_t kLastAdapterText[] = L"At least one adapter should be monitored.";
inline constexpr wchar_t kGaveUpLogText[] =
    L"Dear user, you've given up to choose a file for traffic log, which means all traffic information will be "
    L"lost when the software restarts.";
inline constexpr wchar_t kLogFileFilter[] = L"Log File (*.log)";
inline constexpr wchar_t kLogFilePattern[] = L"*.log";

// The start-up failure message with the contact line.
std::wstring InitFailedMessage();
// Service mode: the log is the service's and could not be opened for reading.
std::wstring LogOpenFailedInServiceText(const std::wstring& path);
// Owner mode: the question after a failed create.
std::wstring LogCreateFailedQuestion(const std::wstring& path);
// A failed notification e-mail, with the sender's error text.
std::wstring EmailFailedText(const std::wstring& error);

// The steps of the dialogue after a failed log open, provided by the window.
class ILogFailureDialogue {
 public:
  virtual ~ILogFailureDialogue() = default;
  virtual void ShowWarning(const std::wstring& text) = 0;      // warning icon, OK
  virtual bool AskYesNo(const std::wstring& text) = 0;         // warning icon, Yes and No
  virtual void ShowInformation(const std::wstring& text) = 0;  // information icon, OK
  // The save-file dialogue for a custom log file; false when cancelled.
  virtual bool ChooseLogFile(std::wstring* path) = 0;
  // Stores the chosen path as TrafficLogFile (per user) and makes it the log path.
  virtual void UseLogPath(const std::wstring& path) = 0;
  // Opens the log at the current path; true on success.
  virtual bool OpenLog() = 0;
  virtual void LoadTodayTotals() = 0;
};

enum class LogFailureOutcome { ServiceModeReported, Opened, GaveUp };

// ReportLogOpenFailure: in service mode one warning; otherwise the question, the file
// dialogue and a new open until a file opens or the user gives up (then the information
// message). `path` is the log path that failed.
LogFailureOutcome ReportLogOpenFailure(ILogFailureDialogue& ui, bool serviceMode, const std::wstring& path);

}  // namespace vantrel
