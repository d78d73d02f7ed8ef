#pragma once
// COptServicePage: the Service page of the options sheet (220). The service mode switch, the
// two jobs the service can take over (the notification e-mail, rate recording), the list of
// scheduled reports with Add, Edit and Remove through the report job dialog, and a button
// for the Windows services console. Applying it hands the page's values to the main window
// (UM_APPLY_OPTIONS, page code 205), after checking for administrator rights when the
// service switch changed.
#include <windows.h>

#include "app/logic/options_apply.h"
#include "app/logic/service_apply.h"
#include "engine/adapter_entry.h"
#include "ui/dialog_font.h"
#include "ui/property_sheet.h"
#include "ui/sort_list.h"

namespace vantrel {


class COptServicePage : public ui::CPropertyPage {
 public:
  // `values`: the main window's service settings at opening; `adapters`: the monitored list
  // the rows and the job dialog name entries from (kept alive by the caller).
  COptServicePage(HINSTANCE instance, HWND mainWindow, const ServicePageData& values, const MonitoredList& adapters);

  // The values as the page last applied them (or as it was opened with).
  const ServicePageData& Data() const { return m_data; }

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
  bool OnApply() override;

 private:
  void AddRow(const ServiceReportJob& job, int at);
  void ShowRow(int row);
  void UpdateEnables();
  void Modified();
  void OnAdd();
  void OnEdit();
  void OnRemove();

  HWND m_main;
  ServicePageData m_data;
  const MonitoredList& m_adapters;
  bool m_enabledAtOpening = false;
  bool m_modified = false;
  ui::CSortListCtrl m_list;
  ui::CFont m_font;
};

}  // namespace vantrel
