#include "metrics/metrics_endpoint.h"

#include <cstdio>

#include "metrics/exposition.h"

namespace vantrel {

namespace {

uint32_t NetworkOrder(uint32_t hostOrder) {
  uint32_t out = 0;
  auto* b = reinterpret_cast<uint8_t*>(&out);
  b[0] = static_cast<uint8_t>(hostOrder >> 24);
  b[1] = static_cast<uint8_t>(hostOrder >> 16);
  b[2] = static_cast<uint8_t>(hostOrder >> 8);
  b[3] = static_cast<uint8_t>(hostOrder);
  return out;
}

constexpr uint32_t kLoopback = 0x7F000001;

}  // namespace

MetricsSettings MetricsSettingsOf(const Options& o) {
  MetricsSettings s;
  s.enabled = o.metricsEnabled == 1;
  s.port = o.metricsPort >= 1 && o.metricsPort <= 65535 ? static_cast<uint16_t>(o.metricsPort) : kDefaultMetricsPort;
  s.remote = o.metricsRemote == 1;
  s.allow = o.metricsAllow;
  return s;
}

MetricsServerConfig ServerConfigOf(const MetricsSettings& settings) {
  MetricsServerConfig c;
  c.port = settings.port;
  c.address = NetworkOrder(kLoopback);
  AllowList allow;
  if (settings.remote && AllowList::Parse(settings.allow, &allow)) {
    c.address = 0;
    c.allow = allow;
  }
  return c;
}

std::string PortInUseText(uint16_t port) {
  char text[64];
  std::snprintf(text, sizeof text, "Metrics: port %d is in use.", static_cast<int>(port));
  return text;
}

bool QuotaFiring::Exceeded(bool firedNow, const Period& current) {
  if (firedNow) {
    m_known = true;
    m_firedIn = current;
  }
  return m_known && m_firedIn == current;
}

std::optional<MetricsQuota> QuotaOf(const NotificationRule& rule, const PreparedRule& prepared,
                                    const MonitoredList& list, bool exceeded) {
  if (!prepared.watched) return std::nullopt;
  MetricsQuota q;
  size_t index = 0;
  bool found = false;
  for (const AdapterEntry& e : list) {
    if (&e == prepared.watched) {
      found = true;
      break;
    }
    ++index;
  }
  if (!found) return std::nullopt;
  q.entry = index;
  q.direction = rule.direction;
  q.period = rule.period;
  q.days = rule.days < 1 ? 1 : rule.days;
  q.limit = prepared.threshold;
  q.used = UsedTotal(prepared, rule.direction);
  q.exceeded = exceeded;
  return q;
}

MetricsEndpoint::MetricsEndpoint(MetricsProgram program, ISocketApi& sockets, IFileSystem& files)
    : m_program(program), m_totals(files), m_server(sockets, *this) {}

MetricsEndpoint::~MetricsEndpoint() { Stop(); }

ListenResult MetricsEndpoint::Serve(const MetricsSettings& settings) {
  if (!settings.enabled) {
    Stop();
    return ListenResult::Ok;
  }
  if (Serving() && settings == m_settings) return ListenResult::Ok;
  m_settings = settings;
  return m_server.Start(ServerConfigOf(settings));
}

void MetricsEndpoint::Stop() {
  m_server.Stop();
  std::lock_guard<std::mutex> lock(m_mutex);
  m_latest.reset();
}

void MetricsEndpoint::Publish(const MonitoredList& list, const PublishContext& context) {
  if (!Serving()) return;
  auto s = std::make_shared<MetricsSnapshot>();
  s->program = m_program;
  s->sampleTime = context.sampleTime;
  s->sampleUnixMs = context.unixMs;
  s->utcOffsetMinutes = UtcOffsetMinutes(context.sampleTime, context.unixMs);
  s->logWriteUnixMs = m_logWriteUnixMs;
  if (context.options) {
    s->weekStartDay = static_cast<int>(context.options->weekStartDay);
    s->monthStartDay = static_cast<int>(context.options->monthStartDay);
    s->sumLastDays = context.options->sumLastDays;
  }
  s->logPath = context.logPath;
  s->entries = MetricsEntriesOf(list);
  s->quota = context.quota;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_latest = std::move(s);
}

std::string MetricsEndpoint::Render(MetricsResource resource, std::string* contentType) {
  std::shared_ptr<const MetricsSnapshot> latest;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    latest = m_latest;
  }
  // Before the first tick the program still says who it is.
  MetricsSnapshot empty;
  empty.program = m_program;
  const MetricsSnapshot& s = latest ? *latest : empty;
  if (resource == MetricsResource::Index) {
    *contentType = "text/plain; charset=utf-8";
    return std::string("Vantrel ") + kMetricsVersion + " build " + kMetricsBuild + " (" + ProgramLabel(s.program) +
           ")\n\n/metrics       the figures in the Prometheus text format\n/status.json   the same figures as "
           "JSON\n";
  }
  std::lock_guard<std::mutex> lock(m_renderMutex);
  std::vector<EntryPeriods> periods = PeriodsOf(s, m_totals);
  if (resource == MetricsResource::Status) {
    *contentType = kJsonContentType;
    return RenderStatusJson(s, periods);
  }
  *contentType = kExpositionContentType;
  return RenderExposition(s, periods);
}

}  // namespace vantrel
