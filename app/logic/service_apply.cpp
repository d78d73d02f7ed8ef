#include "app/logic/service_apply.h"

namespace vantrel {

ServiceSettings ReadServiceSettings(ISettingsStore& store, SettingsRoot root) {
  ServiceSettings s;
  s.key = ReadServiceKey(store, root);
  s.jobs = ReadReportJobs(store, root);
  return s;
}

void WriteServiceSettings(ISettingsStore& store, SettingsRoot root, const ServiceSettings& settings) {
  WriteServiceKey(store, root, settings.key);
  WriteReportJobs(store, root, settings.jobs);
}

ServicePageData PageDataOf(const ServiceSettings& settings) {
  ServicePageData d;
  d.enabled = settings.key.enabled != 0;
  d.notifyInService = settings.key.options[1] != 0;
  d.recordInService = settings.key.options[2] != 0;
  d.jobs = settings.jobs;
  return d;
}

void ApplyServicePage(const ServicePageData& page, bool notificationEnabled, ServiceSettings* settings,
                      IServiceApplySteps& steps) {
  const bool wasOn = settings->Enabled();
  if (!wasOn && page.enabled) steps.WriteTodayRecords();

  settings->key.enabled = page.enabled ? 1 : 0;
  settings->key.options[0] = 1;
  settings->key.options[1] = page.notifyInService ? 1 : 0;
  settings->key.options[2] = page.recordInService ? 1 : 0;
  settings->jobs = page.jobs;
  for (ServiceReportJob& job : settings->jobs) job.secondsLeft = 0;

  steps.WriteServiceKey(SettingsRoot::CurrentUser);

  if (page.enabled) {
    steps.WriteMachineLogPath();
    steps.WriteServiceKey(SettingsRoot::LocalMachine);
    steps.SaveMachineOptionGroups();
    steps.SaveMachineAdapters();
    if (notificationEnabled) steps.SaveMachineEmailSettings();
    if (page.recordInService) steps.CloseRateFiles();
    if (!wasOn) steps.ReopenLogAsReader();
    int32_t state = steps.QueryServiceState();
    if (state == kServiceStartPending || state == kServiceRunning) return;  // keeps its settings until restarted
    if (state == kServiceNoAnswer) steps.InstallService();
    steps.StartServiceAndWait();
    return;
  }
  if (!wasOn) return;
  int32_t state = steps.QueryServiceState();
  if (state == kServiceStartPending || state == kServiceRunning) steps.StopServiceAndWait();
  steps.RemoveService();
  steps.ReopenLogAsOwner();
  if (notificationEnabled) steps.PrepareNotification();
  steps.PrepareRateRecording();
}

}  // namespace vantrel
