#include "app/logic/main_messages.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrel {
namespace {

TEST(MainMessages, SayExactlyWhatTheUserReads) {
  EXPECT_EQ(LogOpenFailedInServiceText(L"C:\\t.log"),
            L"Failed to open traffic log file (C:\\t.log), or the file was corrupted by other programs.\n\n"
            L"Please stop Vantrel Service and disable service on Options, and then try again.");
  EXPECT_EQ(LogCreateFailedQuestion(L"D:\\x\\TrafficHistory.log"),
            L"Failed to create traffic log file \"D:\\x\\TrafficHistory.log\". Please make sure you have permission "
            L"to create and write file at the folder.\n\nDo you want to choose a custom log file?");
  EXPECT_EQ(EmailFailedText(L"550 no such user"),
            L"Failed to send the notification email.\n\nError: 550 no such user\n\nPlease check your email settings "
            L"at Options -> Notification -> Email Settings.");
  EXPECT_EQ(InitFailedMessage().rfind(L"Failed to initialize! Vantrel will exit.\n\n", 0), 0u);
}

// Records the dialogue and answers from a script.
class ScriptedDialogue : public ILogFailureDialogue {
 public:
  std::vector<bool> answers;          // AskYesNo, in order
  std::vector<std::wstring> files;    // ChooseLogFile, empty = cancelled
  std::vector<bool> opens;            // OpenLog, in order
  std::vector<std::wstring> events;

  void ShowWarning(const std::wstring& text) override { events.push_back(L"warning:" + text); }
  bool AskYesNo(const std::wstring& text) override {
    events.push_back(L"ask:" + text);
    bool a = !answers.empty() && answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return a;
  }
  void ShowInformation(const std::wstring& text) override { events.push_back(L"info:" + text); }
  bool ChooseLogFile(std::wstring* path) override {
    std::wstring f = files.empty() ? L"" : files.front();
    if (!files.empty()) files.erase(files.begin());
    events.push_back(L"choose:" + f);
    *path = f;
    return !f.empty();
  }
  void UseLogPath(const std::wstring& path) override { events.push_back(L"use:" + path); }
  bool OpenLog() override {
    bool ok = !opens.empty() && opens.front();
    if (!opens.empty()) opens.erase(opens.begin());
    events.push_back(ok ? L"open:ok" : L"open:fail");
    return ok;
  }
  void LoadTodayTotals() override { events.push_back(L"load"); }
};

TEST(ReportLogOpenFailure, WarnsOnceInServiceMode) {
  ScriptedDialogue ui;
  EXPECT_EQ(ReportLogOpenFailure(ui, true, L"C:\\a.log"), LogFailureOutcome::ServiceModeReported);
  ASSERT_EQ(ui.events.size(), 1u);
  EXPECT_EQ(ui.events[0], L"warning:" + LogOpenFailedInServiceText(L"C:\\a.log"));
}

TEST(ReportLogOpenFailure, OpensTheChosenFileAndLoadsTodaysTotals) {
  ScriptedDialogue ui;
  ui.answers = {true};
  ui.files = {L"E:\\mine.log"};
  ui.opens = {true};
  EXPECT_EQ(ReportLogOpenFailure(ui, false, L"C:\\a.log"), LogFailureOutcome::Opened);
  std::vector<std::wstring> want = {L"ask:" + LogCreateFailedQuestion(L"C:\\a.log"), L"choose:E:\\mine.log",
                                    L"use:E:\\mine.log", L"open:ok", L"load"};
  EXPECT_EQ(ui.events, want);
}

TEST(ReportLogOpenFailure, AsksAgainWithTheNewPathWhenTheChosenFileFails) {
  ScriptedDialogue ui;
  ui.answers = {true, true};
  ui.files = {L"E:\\bad.log", L"E:\\good.log"};
  ui.opens = {false, true};
  EXPECT_EQ(ReportLogOpenFailure(ui, false, L"C:\\a.log"), LogFailureOutcome::Opened);
  ASSERT_GE(ui.events.size(), 5u);
  EXPECT_EQ(ui.events[4], L"ask:" + LogCreateFailedQuestion(L"E:\\bad.log"));
  EXPECT_EQ(ui.events.back(), L"load");
}

TEST(ReportLogOpenFailure, TellsTheUserWhatIsLostWhenTheyGiveUp) {
  for (bool cancelDialogue : {false, true}) {
    ScriptedDialogue ui;
    ui.answers = {cancelDialogue};
    EXPECT_EQ(ReportLogOpenFailure(ui, false, L"C:\\a.log"), LogFailureOutcome::GaveUp);
    EXPECT_EQ(ui.events.back(), std::wstring(L"info:") + kGaveUpLogText);
    for (const auto& e : ui.events) EXPECT_NE(e, L"load");
  }
}

}  // namespace
}  // namespace vantrel
