#pragma once
// COptServicePage: the Service page of the options sheet (220). The service mode switch, the
// two jobs the service can take over (the notification e-mail, rate recording), the list of
// scheduled reports with Add, Edit and Remove through the report job dialog, and a button
// for the Windows services console. Applying it hands the page's values to the main window
// (UM_APPLY_OPTIONS, page code 205), after checking for administrator rights when the
// service switch changed (without them it offers to restart Vantrel as administrator); a
// status line says what the apply is doing while it waits for the service.
#include <windows.h>

#include <optional>

#include "app/logic/service_apply.h"
#include "app/win32/options_sheet.h"
#include "ui/sort_list.h"

namespace vantrel {

class COptServicePage : public COptionsPage {
 public:
  explicit COptServicePage(COptionsSheet& sheet);

  // The values as the page last handed them over (or as it was opened with).
  const ServicePageData& Values() const { return m_values; }

 protected:
  void InitPage() override;
  PageCheck CheckPage() override;
  bool SendToMain() override;
  bool OnPageMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  const MonitoredList& Adapters() { return OptionsSheet().Data().serviceAdapters; }
  void AddRow(const ServiceReportJob& job);
  void ShowRow(int row);
  void UpdateEnables();
  // The UAC shield on the sheet's Apply while the enable box differs and rights are missing.
  void UpdateShield();
  // No rights to switch the mode: the warning with the offer to restart as administrator.
  void OfferRestartAsAdministrator();
  void OnAdd();
  void OnEdit();
  void OnRemove();

  ServicePageData m_values;
  bool m_enabledAtOpening = false;
  std::optional<bool> m_hasRights;  // whether this process may switch the mode, once asked
  ui::CSortListCtrl m_list;
};

}  // namespace vantrel
