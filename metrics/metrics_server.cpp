#include "metrics/metrics_server.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace vantrel {

namespace {

using Clock = std::chrono::steady_clock;

// How long one wait of the server's loop lasts at most: the delay of a stop.
constexpr uint32_t kPollMs = 100;
constexpr size_t kReceiveChunk = 4096;

enum class Stage { Reading, Answering, Lingering };

struct Connection {
  std::unique_ptr<ITcpSocket> socket;
  Stage stage = Stage::Reading;
  Clock::time_point deadline;
  RequestHead head;
  std::string answer;
  size_t sent = 0;
  bool done = false;
};

uint32_t HostOrder(uint32_t networkOrder) {
  const auto* b = reinterpret_cast<const uint8_t*>(&networkOrder);
  return (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
         (static_cast<uint32_t>(b[2]) << 8) | b[3];
}

}  // namespace

MetricsServer::MetricsServer(ISocketApi& sockets, IMetricsRenderer& renderer)
    : m_sockets(sockets), m_renderer(renderer) {}

MetricsServer::~MetricsServer() { Stop(); }

ListenResult MetricsServer::Start(const MetricsServerConfig& config) {
  Stop();
  ListenResult result = ListenResult::Failed;
  if (!m_sockets.Startup()) return result;
  m_listener = m_sockets.Listen(config.address, config.port, &result);
  if (!m_listener) return result;
  m_config = config;
  m_port = m_listener->Port();
  m_stop = false;
  m_thread = std::thread([this] { Run(); });
  return ListenResult::Ok;
}

void MetricsServer::Stop() {
  if (m_thread.joinable()) {
    m_stop = true;
    m_thread.join();
  }
  m_listener.reset();
  m_port = 0;
}

void MetricsServer::Run() {
  std::vector<Connection> connections;
  std::vector<SocketWait> waits;
  char buffer[kReceiveChunk];
  while (!m_stop) {
    Clock::time_point now = Clock::now();
    uint32_t timeout = kPollMs;
    waits.assign(connections.size(), SocketWait{});
    for (size_t i = 0; i < connections.size(); ++i) {
      Connection& c = connections[i];
      waits[i].socket = c.socket.get();
      waits[i].read = c.stage != Stage::Answering;
      waits[i].write = c.stage == Stage::Answering;
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(c.deadline - now).count();
      timeout = static_cast<uint32_t>(std::clamp<long long>(left, 0, timeout));
    }
    // While every place is taken, new clients wait in the system's queue.
    ITcpListener* listener = connections.size() < m_config.maxConnections ? m_listener.get() : nullptr;
    bool listenerReady = false;
    if (!m_sockets.Wait(listener, &listenerReady, waits.data(), waits.size(), timeout)) {
      // Not expected; a pause keeps a failing wait from spinning.
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
      continue;
    }
    now = Clock::now();

    for (size_t i = 0; i < connections.size(); ++i) {
      Connection& c = connections[i];
      if (waits[i].readable) {
        size_t got = 0;
        SocketResult r = c.socket->Receive(buffer, sizeof buffer, 0, &got);
        if (r == SocketResult::Closed || r == SocketResult::Failed) {
          c.done = true;
        } else if (r == SocketResult::Ok && c.stage == Stage::Reading) {
          if (c.head.Feed(buffer, got) != HeadStatus::Incomplete) {
            c.answer = AnswerRequest(c.head, m_renderer);
            c.stage = Stage::Answering;
            c.deadline = now + std::chrono::milliseconds(m_config.requestTimeoutMs);
          }
        }
        // While lingering, whatever still arrives is dropped.
      }
      if (!c.done && waits[i].writable && c.stage == Stage::Answering) {
        size_t sent = 0;
        SocketResult r = c.socket->Send(c.answer.data() + c.sent, c.answer.size() - c.sent, 0, &sent);
        if (r == SocketResult::Ok) {
          c.sent += sent;
          if (c.sent == c.answer.size()) {
            // The client closes first when it has read the answer, so the connection's
            // remains are the client's and not the port's.
            c.stage = Stage::Lingering;
            c.answer.clear();
            c.deadline = now + std::chrono::milliseconds(m_config.lingerMs);
          }
        } else if (r != SocketResult::TimedOut) {
          c.done = true;
        }
      }
      // A head not complete in time is closed without an answer (reset: a client that will
      // not be answered leaves nothing behind on the server's port).
      if (!c.done && now >= c.deadline) {
        if (c.stage != Stage::Lingering) c.socket->Abort();
        c.done = true;
      }
    }
    connections.erase(std::remove_if(connections.begin(), connections.end(),
                                     [](const Connection& c) { return c.done; }),
                      connections.end());

    while (listenerReady && connections.size() < m_config.maxConnections) {
      uint32_t peer = 0;
      std::unique_ptr<ITcpSocket> socket = m_listener->Accept(&peer);
      if (!socket) break;
      if (!m_config.allow.Allows(HostOrder(peer))) {
        socket->Abort();  // closed without an answer
        continue;
      }
      Connection c;
      c.socket = std::move(socket);
      c.deadline = Clock::now() + std::chrono::milliseconds(m_config.requestTimeoutMs);
      connections.push_back(std::move(c));
    }
  }
  for (Connection& c : connections) c.socket->Abort();
}

}  // namespace vantrel
