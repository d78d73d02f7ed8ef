#include "app/logic/service_apply.h"

namespace vantrel {

ServiceSettings ReadServiceSettings(ISettingsStore& store, SettingsRoot root) {
  ServiceSettings s;
  s.key = ReadServiceKey(store, root);
  s.jobs = ReadReportJobs(store, root);
  return s;
}

bool WriteServiceSettings(ISettingsStore& store, SettingsRoot root, const ServiceSettings& settings) {
  bool ok = WriteServiceKey(store, root, settings.key);
  return WriteReportJobs(store, root, settings.jobs) && ok;
}

ServicePageData PageDataOf(const ServiceSettings& settings) {
  ServicePageData d;
  d.enabled = settings.key.enabled != 0;
  d.notifyInService = settings.key.options[1] != 0;
  d.recordInService = settings.key.options[2] != 0;
  d.jobs = settings.jobs;
  return d;
}

ServiceApplyFailures ApplyServicePage(const ServicePageData& page, bool notificationEnabled, bool programOwnsLog,
                                      ServiceSettings* settings, IServiceApplySteps& steps) {
  ServiceApplyFailures failed;
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
    // While the mode was on but the service did not run, this program owns the log: it keeps
    // it (and its rate files) until it hands it back right before the service starts.
    const bool ownsLog = !wasOn || programOwnsLog;
    bool machine = steps.WriteMachineLogPath();
    machine = steps.WriteServiceKey(SettingsRoot::LocalMachine) && machine;
    steps.SaveMachineOptionGroups();
    steps.SaveMachineAdapters();
    if (notificationEnabled) machine = steps.SaveMachineEmailSettings() && machine;
    failed.machineSettings = !machine;
    if (page.recordInService && !(wasOn && programOwnsLog)) steps.CloseRateFiles();
    if (!wasOn) steps.ReopenLogAsReader();
    int32_t state = steps.QueryServiceState();
    if (state == kServiceStartPending || state == kServiceRunning) return failed;  // keeps its settings until restarted
    if (ownsLog && wasOn) {
      if (page.recordInService) steps.CloseRateFiles();
      steps.ReopenLogAsReader();
    }
    if (state == kServiceNoAnswer || state == kServiceNotInstalled) failed.install = !steps.InstallService();
    if (!failed.install) failed.start = !steps.StartServiceAndWait();
    return failed;
  }
  if (!wasOn) return failed;
  int32_t state = steps.QueryServiceState();
  if (state == kServiceStartPending || state == kServiceRunning) failed.stop = !steps.StopServiceAndWait();
  if (state != kServiceNotInstalled) failed.remove = !steps.RemoveService();
  steps.ReopenLogAsOwner();
  if (notificationEnabled) steps.PrepareNotification();
  steps.PrepareRateRecording();
  return failed;
}

std::wstring ServiceApplyFailureText(const ServiceApplyFailures& failures, bool offerRestart) {
  std::wstring text = L"Vantrel could not change the service:\n";
  if (failures.machineSettings) text += L"\n- The machine-wide settings could not be written.";
  if (failures.install) text += L"\n- Vantrel Service could not be installed.";
  if (failures.stop) text += L"\n- Vantrel Service could not be stopped.";
  if (failures.remove) text += L"\n- Vantrel Service could not be removed.";
  if (failures.start) text += L"\n- Vantrel Service could not be started.";
  text += L"\n\nChanging the service and its settings needs administrator rights.";
  if (offerRestart) text += std::wstring(L"\n\n") + kRestartAsAdminQuestion;
  return text;
}

}  // namespace vantrel
