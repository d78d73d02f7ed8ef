#pragma once
// The Service page and the report job dialog without windows: a job row's texts, which
// controls the page enables, where the job dialog's combos start, and the dialog's OK checks
// in their order with the first failure's message and control.
#include <cstdint>
#include <string>

#include "app/res/service_page_ids.h"
#include "engine/adapter_entry.h"
#include "service/core/report_jobs.h"

namespace vantrel {

constexpr int kJobIntervalMin = 1;
constexpr int kJobIntervalMax = 32767;
constexpr int32_t kNewJobInterval = 60;

constexpr wchar_t kServiceRightsText[] =
    L"Failed to enable/disable service.\n\nPlease ensure you log in Windows as administrator or the program runs "
    L"as administrator";

// The job list's cells: "Report Type", "Adapter", "Interval", "Report File". A job whose
// adapter is not in the monitored list gives four empty cells.
struct JobRowTexts {
  std::wstring type, adapter, interval, file;
};
JobRowTexts JobRowTextsOf(const ServiceReportJob& job, const MonitoredList& list);

// The page's enable rules: 1190, 1191, 1183, 1189 and 1184 follow the enable box; 1185 and
// 1186 also need a selected row.
struct ServicePageEnables {
  bool options = false;
  bool editRemove = false;
};
ServicePageEnables ServicePageEnablesOf(bool serviceEnabled, bool rowSelected);

// The job dialog's type combo lists "Summary report" (0), "Daily report" (1), "Weekly
// report" (2), "Monthly report" (3); a job of another type starts with no type selected.
int JobTypeComboIndex(int32_t type);
// The adapter combo lists every monitored-list entry: the job's entry, else the first.
int JobAdapterComboIndex(const ServiceReportJob& job, const MonitoredList& list);

// The OK checks: what the dialog's controls hold.
struct JobDialogInput {
  int typeIndex = -1;     // -1: none selected
  int adapterIndex = -1;  // -1: none selected
  std::wstring intervalText;
  std::wstring file;
};
struct JobDialogCheck {
  bool ok = true;
  std::wstring message;
  int focusControl = 0;
};
// First failure wins: no type, no adapter, an interval below 1 (or not a number), an empty
// file name.
JobDialogCheck CheckJobDialog(const JobDialogInput& input);
// The interval the edit holds: its leading decimal number, saturated to 32-bit; 0 when none.
int32_t ParseJobInterval(const std::wstring& text);
// Fills the job from checked input: type, the chosen entry's kind and identifier, interval,
// file. Seconds left start at 0.
void TakeJobDialog(const JobDialogInput& input, const MonitoredList& list, ServiceReportJob* job);

}  // namespace vantrel
