#pragma once
// The service's monitoring: what its worker thread does between start-up and stop. It reads
// the settings the interactive program mirrored under HKEY_LOCAL_MACHINE, builds the
// monitored list, owns the traffic log, runs the one-second tick, records rates, sends at
// most one notification e-mail per run and starts the scheduled reports. The shell around it
// (service control manager, events, threads) is the host's.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/sampling_tick.h"
#include "metrics/metrics_endpoint.h"
#include "notify/email_sender.h"
#include "notify/email_settings.h"
#include "notify/notification.h"
#include "platform/paths.h"
#include "service/core/report_jobs.h"
#include "service/core/service_log.h"
#include "settings/options.h"
#include "trafficlog/traffic_log.h"

namespace vantrel {

// Everything a scheduled report works on: copies, owned by the report's thread.
struct ReportJobBlock {
  ServiceReportJob job;
  MonitoredList list;  // a copy of every entry as it was when the report was due
  int32_t monthStart = 1;
  int32_t weekStart = 0;
  uint32_t dateFormat = 17;
  int32_t lastDays = 30;
  bool byteUnits = false;
  std::wstring logPath;
};

// The report thread's routine: 1 when the job's entry is not in the copied list (nothing is
// written or logged), else 0 after the report was written or its failure logged.
int RunReportJob(std::unique_ptr<ReportJobBlock> block, IServiceLog& log, IFileSystem& files);

struct ServiceDeps {
  ISettingsStore& store;
  IAdapterSource& adapters;
  IClock& clock;
  IFileSystem& files;
  IKnownFolders& folders;
  IServiceLog& log;
  // Runs a due report on a thread of its own.
  std::function<void(std::function<void()>)> startReport;
  // Hands the notification e-mail to a sender thread; it reports its outcome itself.
  std::function<void(const EmailSettings&, const std::wstring& recipients, const EmailPlaceholders&)> sendMail;
  // The sockets the metrics endpoint listens on; null: the system's.
  ISocketApi* sockets = nullptr;
};

// The default way to send: a sender thread whose outcome goes to the service's log.
void SendServiceMail(IServiceLog& log, const EmailSettings& settings, const std::wstring& recipients,
                     const EmailPlaceholders& values);

class ServiceMonitor : private ITickHooks {
 public:
  explicit ServiceMonitor(ServiceDeps deps);
  ~ServiceMonitor() override;

  // Monitoring start-up, in its order; false (with the reason logged) when the service is
  // not enabled or the traffic log cannot be opened as owner.
  bool StartUp();
  // One tick (the worker's one-second wait timed out).
  void Tick();
  // The metrics endpoint stopped, final records written, the log and the rate files
  // closed, the list released.
  void ShutDown();

  const Options& options() const { return m_options; }
  const ServiceKeyValues& serviceKey() const { return m_serviceKey; }
  MonitoredList& list() { return m_list; }
  const std::vector<ServiceReportJob>& jobs() const { return m_jobs; }
  bool notificationEnabled() const { return m_options.notificationEnabled != 0; }
  const PreparedRule& prepared() const { return m_prepared; }
  TrafficLog& trafficLog() { return m_log; }
  SamplingTick& tick() { return m_tick; }
  MetricsEndpoint& metrics() { return m_metrics; }

 private:
  void WriteTodayRecords(const LocalTime& date) override;
  void LoadTodayTotals(const LocalTime& newDate) override;
  void DayChanged(const LocalTime& newDate) override;
  void RecordSecond(AdapterEntry& entry, uint32_t down, uint32_t up, const LocalTime& now) override;
  void AfterSampling(const LocalTime& now) override;

  void PrepareNotification();
  void CheckNotification();
  void RunScheduler();
  // The metrics endpoint (MetricsEnabled): started once the log is the service's, fed after
  // every tick.
  void StartMetrics();
  void PublishMetrics(const LocalTime& now);
  Period QuotaPeriod() const;

  ServiceDeps m_deps;
  Options m_options;
  ServiceKeyValues m_serviceKey;
  EmailSettings m_email;
  std::vector<ServiceReportJob> m_jobs;
  MonitoredList m_list;
  TrafficLog m_log;
  SamplingTick m_tick;
  PreparedRule m_prepared;
  // The rule as it was armed at start-up; it stays on the endpoint after its one alert.
  bool m_quotaRule = false;
  QuotaFiring m_quotaFiring;
  MetricsEndpoint m_metrics;
};

}  // namespace vantrel
