#pragma once
// CReportJobDlg: one scheduled report of the service (dialog 221): its type, the adapter, the
// interval in seconds and the report file with a save-file dialogue. OK runs the checks in
// their order; the first failure is shown and its control focused.
#include <windows.h>

#include "engine/adapter_entry.h"
#include "service/core/report_jobs.h"
#include "ui/dialog_font.h"
#include "ui/window.h"

namespace vantrel {

class CReportJobDlg : public ui::CDialog {
 public:
  // Edits a copy of `job`; the adapter combo lists the entries of `adapters`.
  CReportJobDlg(const ServiceReportJob& job, const MonitoredList& adapters);

  // True after OK with the checks passed; the edited job is then in Job().
  bool Run(HINSTANCE instance, HWND owner);
  const ServiceReportJob& Job() const { return m_job; }

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  void OnBrowse();
  void OnOk();

  ServiceReportJob m_job;
  const MonitoredList& m_adapters;
};

}  // namespace vantrel
