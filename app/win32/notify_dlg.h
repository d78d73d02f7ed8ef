#pragma once
// CNotifyDlg: the notification dialog (218). It says which rule was passed, shows the running
// total once a second, loops the rule's WAV file or beeps until stopped, and asks when to
// remind again. The main window runs it modally while its tick goes on.
#include <windows.h>

#include <cstdint>
#include <string>

#include "notify/notification.h"
#include "platform/clock.h"
#include "ui/dialog_font.h"
#include "ui/window.h"

namespace vantrel {

// What the dialog is given: copies, apart from the watched entry whose live figures it reads.
struct NotifyDialogInput {
  NotificationRule rule;
  int weekStart = 0;
  int monthStart = 1;
  uint32_t dateFormat = 0;
  LocalTime today;
  std::wstring displayName;    // the watched entry's display name, without its address
  PreparedRule prepared;       // period total before today and the watched entry
  uint32_t choice = 0;         // NextAlertType: 0 never again, 1 after the minutes
  int32_t minutes = 1;         // NextAlertMin
  HICON icon = nullptr;
  HICON smallIcon = nullptr;
};

class CNotifyDlg : public ui::CDialog {
 public:
  explicit CNotifyDlg(NotifyDialogInput input) : m_in(std::move(input)) {}

  // Runs the dialog modally over `owner`; the choice and minutes are read when it closes.
  void Run(HINSTANCE instance, HWND owner);
  // The end of the session while the dialog runs: its timer and sounds stop, it forgets the
  // watched entry (whose list is about to go) and closes, keeping the choice shown if it is
  // acceptable.
  void CloseForShutdown();
  uint32_t Choice() const { return m_choice; }
  int32_t Minutes() const { return m_minutes; }

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  int SelectedChoice() const;
  void EnableMinutes(bool focus);
  void UpdateRunningTotal();
  void StopSound();
  void OnClose();

  NotifyDialogInput m_in;
  uint32_t m_choice = 0;
  int32_t m_minutes = 1;
  bool m_soundStarted = false;
  std::wstring m_runningTotal;
};

}  // namespace vantrel
