#pragma once
// The service settings the main window keeps (the Service key and the scheduled report jobs)
// and what applying the Service page does with them: which settings go to which hive, when
// the traffic log changes hands, and which service control steps run for the old and new
// mode and the state the service is in, and what the user is told when steps fail. The
// steps themselves are the main window's; here is only their order, so that it is tested
// without a window or a service.
#include <cstdint>
#include <string>
#include <vector>

#include "app/logic/main_messages.h"
#include "platform/service_state.h"
#include "platform/settings_store.h"
#include "service/core/report_jobs.h"
#include "settings/options.h"

namespace vantrel {

constexpr wchar_t kServiceName[] = L"VantrelService";

// ServiceEnabled, the three ServiceOptions values and the report jobs in list order.
struct ServiceSettings {
  ServiceKeyValues key;
  std::vector<ServiceReportJob> jobs;
  bool Enabled() const { return key.enabled != 0; }
};

// What the Service page hands to the main window when it is applied.
struct ServicePageData {
  bool enabled = false;
  bool notifyInService = false;   // the second ServiceOptions value
  bool recordInService = false;   // the third ServiceOptions value
  std::vector<ServiceReportJob> jobs;  // in row order
  uintptr_t statusWindow = 0;     // where the apply says what it is doing (a window handle), 0: none
};

// The Service key of a hive with its Reports; missing keys leave 0 and no jobs.
ServiceSettings ReadServiceSettings(ISettingsStore& store, SettingsRoot root);
// ServiceEnabled, ServiceOptions (first value 1), then Reports deleted and, when there are
// jobs, written again as "Report1", "Report2", ...; true when everything was written.
bool WriteServiceSettings(ISettingsStore& store, SettingsRoot root, const ServiceSettings& settings);

// The page's values as the main window keeps them.
ServicePageData PageDataOf(const ServiceSettings& settings);

// The steps of an apply, carried out by the main window. Writes and service control steps
// say whether they succeeded.
class IServiceApplySteps {
 public:
  virtual ~IServiceApplySteps() = default;
  // Today's records, while this program still owns the log.
  virtual void WriteTodayRecords() = 0;
  virtual bool WriteServiceKey(SettingsRoot root) = 0;
  // What the service reads, machine-wide: the log path, the Options groups it reads, the
  // monitored list (identity and recording parts), and the e-mail settings.
  virtual bool WriteMachineLogPath() = 0;
  virtual void SaveMachineOptionGroups() = 0;
  virtual void SaveMachineAdapters() = 0;
  virtual bool SaveMachineEmailSettings() = 0;
  // This program's rate files are closed; the service records instead.
  virtual void CloseRateFiles() = 0;
  // The log handed to the service: today's records written while still owner, then the log
  // opened again as reader; today's totals stay.
  virtual void ReopenLogAsReader() = 0;
  // The service's state; kServiceNotInstalled when the SCM has no such service.
  virtual int32_t QueryServiceState() = 0;
  virtual bool InstallService() = 0;
  virtual bool StartServiceAndWait() = 0;
  virtual bool StopServiceAndWait() = 0;
  virtual bool RemoveService() = 0;
  // The log taken back as owner; today's totals taken from it (never counted twice).
  virtual void ReopenLogAsOwner() = 0;
  // The notification rule's threshold, period total and watched entry, re-armed.
  virtual void PrepareNotification() = 0;
  // This program's rate recording again (files of recording entries reopened).
  virtual void PrepareRateRecording() = 0;
};

// What an apply could not do; the mode is recorded as chosen all the same.
struct ServiceApplyFailures {
  bool machineSettings = false;  // the machine-wide settings could not be written
  bool install = false;
  bool start = false;            // refused, or the service did not reach running in time
  bool stop = false;             // refused, or the service did not stop in time
  bool remove = false;
  bool Any() const { return machineSettings || install || start || stop || remove; }
};

// Applies the page to `settings` and runs the steps in their order. `notificationEnabled` is
// NotificationEnabled of the options; `programOwnsLog`: this program owns the log although
// the mode was on (the service did not run), so it hands the log back before it starts the
// service. Returns what failed.
ServiceApplyFailures ApplyServicePage(const ServicePageData& page, bool notificationEnabled, bool programOwnsLog,
                                      ServiceSettings* settings, IServiceApplySteps& steps);

// The one message after a failed apply: each thing that failed, and that administrator rights
// are needed; with `offerRestart`, the question whether to restart Vantrel as administrator
// (Yes/No).
std::wstring ServiceApplyFailureText(const ServiceApplyFailures& failures, bool offerRestart);

// The question added to a message when Vantrel can restart itself as administrator.
inline constexpr wchar_t kRestartAsAdminQuestion[] = L"Do you want to restart Vantrel as administrator?";

}  // namespace vantrel
