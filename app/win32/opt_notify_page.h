#pragma once
// COptNotifyPage: the Notification page of the options sheet (208). It edits a copy of the
// notification rule, the notification switch and, through the E-mail Settings dialog, the
// e-mail settings; it tests the sound and the beeps, checks the values when applied and hands
// them to the main window (UM_APPLY_OPTIONS, page code 204).
#include <windows.h>

#include <vector>

#include "app/logic/notify_page_logic.h"
#include "ui/dialog_font.h"
#include "ui/property_sheet.h"

namespace vantrel {

class COptNotifyPage : public ui::CPropertyPage {
 public:
  // `data` is the page's copy (kept by the caller while the sheet runs); `entries` the
  // monitored list's entries in list order; `mainWindow` receives the apply.
  COptNotifyPage(HINSTANCE instance, HWND mainWindow, NotificationPageData* data,
                 std::vector<NotifyEntryChoice> entries);
  ~COptNotifyPage() override;

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
  bool OnKillActive() override;
  bool OnApply() override;
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

  HINSTANCE m_instanceHandle;
  HWND m_main;
  NotificationPageData* m_data;
  std::vector<NotifyEntryChoice> m_entries;
  ui::CFont m_font;
  bool m_updating = false;
  bool m_modified = false;
};

}  // namespace vantrel
