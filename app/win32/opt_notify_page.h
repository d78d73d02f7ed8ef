#pragma once
// COptNotifyPage: the Notification page of the options sheet (208). It edits a copy of the
// notification rule, the notification switch and, through the E-mail Settings dialog, the
// e-mail settings; it tests the sound and the beeps, checks the values when applied and hands
// them to the main window (UM_APPLY_OPTIONS, page code 204).
#include <windows.h>

#include <vector>

#include "app/logic/notify_page_logic.h"
#include "app/win32/options_sheet.h"

namespace vantrel {

class COptNotifyPage : public COptionsPage {
 public:
  // Copies the switch, the rule, the e-mail settings and the entries from the sheet's data.
  explicit COptNotifyPage(COptionsSheet& sheet);
  ~COptNotifyPage() override;

 protected:
  void InitPage() override;
  PageCheck CheckPage() override;
  bool SendToMain() override;
  bool OnPageMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
  bool OnKillActive() override;
  void OnReset() override;

 private:
  NotifyPageValues ReadValues() const;
  void ShowValues(const NotifyPageValues& values);
  void UpdateEnables();
  void Changed();
  void OnSoundBrowse();
  void OnSoundTest();
  void OnBeepTest();
  void OnEmailSettings();
  void OnProgramBrowse();

  NotificationPageData m_data;
  NotifyPageValues m_checked;  // the values the last check passed
  std::vector<NotifyEntryChoice> m_entries;
  bool m_updating = false;
};

}  // namespace vantrel
