#pragma once
// The metrics endpoint's HTTP server: one thread of its own serving at most a few
// connections at once on the socket seam. Every connection is bounded: its request head in
// bytes and time, its answer in time, and after the answer it waits only briefly for the
// client to close first (so no closed connection keeps the port busy). Clients outside the
// allow list are closed without an answer. Whatever a client does, the program's own
// threads never wait for it.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "metrics/http.h"
#include "platform/socket.h"
#include "settings/allow_list.h"

namespace vantrel {

struct MetricsServerConfig {
  uint32_t address = 0;        // network byte order: 127.0.0.1, or 0 for every address
  uint16_t port = 0;           // 0: one the system chooses (tests)
  AllowList allow;             // checked for every client
  size_t maxConnections = 8;   // more wait in the system's queue until one ends
  uint32_t requestTimeoutMs = 5000;  // for the request head, and again for the answer
  uint32_t lingerMs = 1000;    // after the answer, for the client's close
};

class MetricsServer {
 public:
  MetricsServer(ISocketApi& sockets, IMetricsRenderer& renderer);
  ~MetricsServer();
  MetricsServer(const MetricsServer&) = delete;
  MetricsServer& operator=(const MetricsServer&) = delete;

  // Listens (stopping a running server first) and starts the server's thread. The port is
  // taken before this returns: InUse when another socket holds it.
  ListenResult Start(const MetricsServerConfig& config);
  // Stops the thread and closes the listener and every connection; returns when they are.
  void Stop();
  bool Running() const { return m_thread.joinable(); }
  // The port listened on (0 while not running).
  uint16_t Port() const { return m_port; }

 private:
  void Run();

  ISocketApi& m_sockets;
  IMetricsRenderer& m_renderer;
  MetricsServerConfig m_config;
  std::unique_ptr<ITcpListener> m_listener;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
  uint16_t m_port = 0;
};

}  // namespace vantrel
