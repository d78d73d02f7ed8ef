#pragma once
// The metrics endpoint as the program that owns the traffic log runs it: the settings it
// serves with, the figures the tick publishes after every second (under a lock, as copies),
// and the server that renders them on its own thread. Both programs use it; neither the tick
// nor a window formats metrics.
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "metrics/daily_totals.h"
#include "metrics/http.h"
#include "metrics/metrics_server.h"
#include "metrics/metrics_snapshot.h"
#include "notify/notification.h"
#include "platform/file.h"
#include "platform/socket.h"
#include "settings/allow_list.h"
#include "settings/options.h"

namespace vantrel {

// Where and for whom the endpoint serves, from the Options values.
struct MetricsSettings {
  bool enabled = false;
  uint16_t port = kDefaultMetricsPort;
  bool remote = false;   // every IPv4 address instead of 127.0.0.1 alone
  std::wstring allow;    // the allow list's text (used only when remote)
  bool operator==(const MetricsSettings&) const = default;
};
MetricsSettings MetricsSettingsOf(const Options& options);
// The server's listening address and allow list for the settings: 127.0.0.1 and everyone
// (that is, this computer) when not remote; every address and the list when remote. A list
// that does not parse keeps the server on 127.0.0.1.
MetricsServerConfig ServerConfigOf(const MetricsSettings& settings);

// "Metrics: port %d is in use."
std::string PortInUseText(uint16_t port);

// Whether the notification rule has fired in its current period: fired now (the alert is
// out), or fired earlier in the same period (re-arming at a new day does not clear it; a new
// period does).
class QuotaFiring {
 public:
  bool Exceeded(bool firedNow, const Period& current);

 private:
  bool m_known = false;
  Period m_firedIn;
};

// The quota figures of a prepared rule, or none when it watches no entry of the list.
std::optional<MetricsQuota> QuotaOf(const NotificationRule& rule, const PreparedRule& prepared,
                                    const MonitoredList& list, bool exceeded);

// What the owner knows at the end of a tick, besides its list.
struct PublishContext {
  LocalTime sampleTime;      // the tick's time (today's date)
  int64_t unixMs = 0;        // the wall clock at the same moment
  const Options* options = nullptr;  // week and month start days, SumLastDays
  std::wstring logPath;      // the owner's log
  std::optional<MetricsQuota> quota;
};

class MetricsEndpoint : private IMetricsRenderer {
 public:
  MetricsEndpoint(MetricsProgram program, ISocketApi& sockets, IFileSystem& files);
  ~MetricsEndpoint() override;
  MetricsEndpoint(const MetricsEndpoint&) = delete;
  MetricsEndpoint& operator=(const MetricsEndpoint&) = delete;

  // Serves with the settings: a server running with the same settings goes on, one with
  // other settings is restarted, and disabled settings stop it. Ok when it serves (or, for
  // disabled settings, when it stopped); InUse when the port is another socket's.
  ListenResult Serve(const MetricsSettings& settings);
  void Stop();
  bool Serving() const { return m_server.Running(); }
  uint16_t Port() const { return m_server.Port(); }

  // After every tick, while serving: this second's figures. Cheap; nothing while stopped.
  void Publish(const MonitoredList& list, const PublishContext& context);
  // The owner wrote the log at this moment (Unix milliseconds).
  void NoteLogWritten(int64_t unixMs) { m_logWriteUnixMs = unixMs; }

  // The figures as the server would render them now (tests, the benchmark).
  std::string RenderNow(MetricsResource resource, std::string* contentType) { return Render(resource, contentType); }

 private:
  std::string Render(MetricsResource resource, std::string* contentType) override;

  MetricsProgram m_program;
  std::optional<int64_t> m_logWriteUnixMs;
  mutable std::mutex m_mutex;
  std::shared_ptr<const MetricsSnapshot> m_latest;
  std::mutex m_renderMutex;  // one rendering at a time (the server's thread, RenderNow)
  DailyTotals m_totals;
  MetricsSettings m_settings;
  MetricsServer m_server;
};

}  // namespace vantrel
