#include "service/core/service_monitor.h"

#include <exception>
#include <string>

#include "engine/monitored_list_io.h"
#include "platform/text.h"
#include "reports/rates_recorder.h"
#include "reports/service_report.h"

namespace vantrel {

namespace {
const char* ReportWord(ReportKind kind) {
  switch (kind) {
    case ReportKind::Daily: return "daily";
    case ReportKind::Weekly: return "weekly";
    case ReportKind::Monthly: return "monthly";
    default: return "summary";
  }
}
}  // namespace

int RunReportJob(std::unique_ptr<ReportJobBlock> block, IServiceLog& log, IFileSystem& files) {
  const ServiceReportJob& job = block->job;
  const AdapterEntry* entry = block->list.Find(static_cast<uint32_t>(job.kind), job.id);
  if (!entry || (job.kind != 100 && job.kind != 200 && job.kind != 300)) return 1;
  WriteServiceReport(ReportKindFromJobType(job.type), *entry, block->logPath, job.path, block->dateFormat,
                     block->weekStart, block->monthStart, block->lastDays, block->byteUnits,
                     [&log](const std::string& line) { log.Log(line); }, files);
  return 0;
}

void SendServiceMail(IServiceLog& log, const EmailSettings& settings, const std::wstring& recipients,
                     const EmailPlaceholders& values) {
  MailReply reply;
  std::string list = WideToAnsi(recipients);
  reply.onResult = [&log, list](const MailRequest&, const std::string& error) {
    for (const std::string& line : MailOutcomeLogLines(list, error)) log.Log(line);
  };
  SendAlertEmail(settings, recipients, values, reply);
}

ServiceMonitor::ServiceMonitor(ServiceDeps deps)
    : m_deps(std::move(deps)),
      m_options(DefaultOptions(true)),
      m_log(LogProgram::Service, m_deps.files, m_deps.store, m_deps.folders, nullptr),
      m_tick(m_list, m_deps.adapters, m_deps.clock, *this),
      m_metrics(MetricsProgram::Service, m_deps.sockets ? *m_deps.sockets : SystemSocketApi(), m_deps.files) {
  m_tick.settings().serviceVariant = true;
  if (!m_deps.startReport) m_deps.startReport = [](std::function<void()> run) { run(); };
  if (!m_deps.sendMail) {
    IServiceLog* log = &m_deps.log;
    m_deps.sendMail = [log](const EmailSettings& s, const std::wstring& r, const EmailPlaceholders& v) {
      SendServiceMail(*log, s, r, v);
    };
  }
}

ServiceMonitor::~ServiceMonitor() = default;

bool ServiceMonitor::StartUp() {
  const SettingsRoot machine = SettingsRoot::LocalMachine;
  m_serviceKey = ReadServiceKey(m_deps.store, machine);
  m_jobs = ReadReportJobs(m_deps.store, machine);
  if (m_serviceKey.enabled == 0) {
    m_deps.log.Log("Service isn't enabled. You may enable service at \"Options\" -> \"Serice\" -> \"Enable Serice\"");
    return false;
  }
  LoadServiceOptions(m_deps.store, &m_options);
  if (!m_serviceKey.NotifiesInService()) m_options.notificationEnabled = 0;
  m_email = ReadEmailSettings(m_deps.store, machine);
  // The key may have been written by an older program that left it readable by every user.
  ProtectMachineEmailSettings(m_deps.store);
  LoadMonitoredList(m_deps.store, machine, m_deps.adapters, ListOwner::Service, &m_list);
  m_tick.settings().showIPInTitle = m_options.showIPInTitle != 0;

  // Only one program writes the rate files: while the service records, the interactive
  // program keeps its own closed.
  LocalTime now = m_deps.clock.Now();
  for (auto& e : m_list) {
    e.intervalDown = e.intervalUp = 0;
    if (m_serviceKey.RecordsInService() && e.recordRates) {
      if (e.recordInterval == 0) e.recordInterval = 1;
      e.recordCountdown = e.recordInterval;
      OpenRecordingFile(e, m_deps.files, now, m_options.displayUnitByte != 0, m_options.dateFormat,
                        m_options.showIPInTitle != 0);
    } else {
      e.recordRates = false;
      e.rateFile.reset();
      e.recordCountdown = 0;
    }
  }

  const std::wstring& path = m_log.LocateTrafficLog();
  m_deps.log.Log("Traffic log file: " + WideToAnsi(path));
  if (!m_log.OpenTrafficLog()) {
    m_deps.log.Log("Failed to create traffic file");
    return false;
  }
  m_log.LoadTodayTotals(m_list, m_tick.LastTickTime());
  if (notificationEnabled()) PrepareNotification();
  m_quotaRule = notificationEnabled();
  StartMetrics();
  return true;
}

void ServiceMonitor::Tick() { m_tick.Run(); }

void ServiceMonitor::ShutDown() {
  // Nobody reads the figures of a log that is about to change hands.
  m_metrics.Stop();
  m_log.WriteTodayRecords(m_list, m_tick.LastTickTime());
  m_log.CloseTrafficLog();
  for (auto& e : m_list) e.rateFile.reset();
  m_list = MonitoredList{};
}

void ServiceMonitor::WriteTodayRecords(const LocalTime& date) {
  if (m_log.WriteTodayRecords(m_list, date)) m_metrics.NoteLogWritten(UnixMillisecondsNow());
}

void ServiceMonitor::LoadTodayTotals(const LocalTime& newDate) { m_log.LoadTodayTotals(m_list, newDate); }

void ServiceMonitor::DayChanged(const LocalTime&) {
  // After its one alert the rule is no longer checked, but the endpoint still shows its
  // figures for the new day.
  if (notificationEnabled() || m_quotaRule) PrepareNotification();
}

void ServiceMonitor::RecordSecond(AdapterEntry& entry, uint32_t down, uint32_t up, const LocalTime& now) {
  vantrel::RecordSecond(entry, down, up, now, m_options.displayUnitByte != 0, m_options.dateFormat,
                        m_options.showIPInTitle != 0);
}

void ServiceMonitor::AfterSampling(const LocalTime& now) {
  if (notificationEnabled()) CheckNotification();
  if (!m_jobs.empty()) RunScheduler();
  PublishMetrics(now);
}

void ServiceMonitor::PrepareNotification() {
  LocalTime today = m_tick.LastTickTime();
  int weekStart = static_cast<int>(m_options.weekStartDay);
  int monthStart = static_cast<int>(m_options.monthStartDay);
  m_prepared = PrepareRule(m_options.notification, m_list,
                           [&](uint32_t kind, std::string_view id, int periodType, int direction, int days) {
                             return m_log.PeriodTotal(kind, id, periodType, direction, days, today, weekStart,
                                                      monthStart);
                           });
}

void ServiceMonitor::CheckNotification() {
  if (!m_prepared.watched) return;
  const NotificationRule& rule = m_options.notification;
  uint64_t used = UsedTotal(m_prepared, rule.direction);
  if (used <= m_prepared.threshold) return;
  // One alert per run of the service, also across midnight.
  m_deps.log.Log("Bandwidth usage exceeds limit.");
  m_options.notificationEnabled = 0;
  m_quotaFiring.Exceeded(true, QuotaPeriod());
  if (rule.sendEmail && !rule.recipients.empty()) {
    m_deps.log.Log("Send a notification email to " + WideToAnsi(rule.recipients));
    EmailPlaceholders values =
        AlertPlaceholders(rule, *m_prepared.watched, used, m_tick.LastTickTime(),
                          static_cast<int>(m_options.weekStartDay), static_cast<int>(m_options.monthStartDay),
                          m_options.dateFormat, m_options.showIPInTitle != 0);
    m_deps.sendMail(m_email, rule.recipients, values);
  }
}

void ServiceMonitor::RunScheduler() {
  for (size_t i : AdvanceReportJobs(&m_jobs)) {
    auto block = std::make_unique<ReportJobBlock>();
    block->job = m_jobs[i];
    block->list = m_list.DataCopy();
    block->monthStart = static_cast<int32_t>(m_options.monthStartDay);
    block->weekStart = static_cast<int32_t>(m_options.weekStartDay);
    block->dateFormat = m_options.dateFormat;
    block->lastDays = m_options.sumLastDays;
    block->byteUnits = m_options.displayUnitByte != 0;
    block->logPath = m_log.Path();
    IServiceLog* log = &m_deps.log;
    IFileSystem* files = &m_deps.files;
    // The block moves into the thread, which owns and releases it.
    auto shared = std::make_shared<std::unique_ptr<ReportJobBlock>>(std::move(block));
    try {
      m_deps.startReport([shared, log, files] { RunReportJob(std::move(*shared), *log, *files); });
    } catch (const std::exception& e) {
      // No thread for this report (out of resources): it is skipped this time round and the
      // service goes on counting; it must not end without its final records.
      m_deps.log.Log(std::string("Failed to start the ") + ReportWord(ReportKindFromJobType(m_jobs[i].type)) +
                     " report: " + e.what());
    }
  }
}

void ServiceMonitor::StartMetrics() {
  MetricsSettings settings = MetricsSettingsOf(m_options);
  if (!settings.enabled) return;
  ListenResult r = m_metrics.Serve(settings);
  // A port in use is not fatal: the service counts on without the endpoint.
  if (r == ListenResult::InUse)
    m_deps.log.Log(PortInUseText(settings.port));
  else if (r == ListenResult::Failed)
    m_deps.log.Log("Metrics: cannot listen on port " + std::to_string(settings.port) + ".");
}

Period ServiceMonitor::QuotaPeriod() const {
  return RulePeriod(m_options.notification, m_tick.LastTickTime(), static_cast<int>(m_options.weekStartDay),
                    static_cast<int>(m_options.monthStartDay));
}

void ServiceMonitor::PublishMetrics(const LocalTime& now) {
  if (!m_metrics.Serving()) return;
  PublishContext context;
  context.sampleTime = now;
  context.unixMs = UnixMillisecondsNow();
  context.options = &m_options;
  context.logPath = m_log.Path();
  if (m_quotaRule)
    context.quota = QuotaOf(m_options.notification, m_prepared, m_list, m_quotaFiring.Exceeded(false, QuotaPeriod()));
  m_metrics.Publish(m_list, context);
}

}  // namespace vantrel
