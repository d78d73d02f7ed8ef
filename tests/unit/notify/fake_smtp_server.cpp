#include "fake_smtp_server.h"

#include <chrono>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace vantrel::test {
namespace {

#ifdef _WIN32
using Handle = SOCKET;
const Handle kNoSocket = INVALID_SOCKET;
void CloseHandleOf(Handle s) { closesocket(s); }
void ShutdownSending(Handle s) { shutdown(s, SD_SEND); }
constexpr int kSendFlags = 0;
using Length = int;
#else
using Handle = int;
const Handle kNoSocket = -1;
void CloseHandleOf(Handle s) { close(s); }
void ShutdownSending(Handle s) { shutdown(s, SHUT_WR); }
constexpr int kSendFlags = MSG_NOSIGNAL;
using Length = socklen_t;
#endif

using Clock = std::chrono::steady_clock;

Handle ToHandle(uintptr_t v) { return static_cast<Handle>(v); }

// 1 readable, 0 not yet, -1 failed.
int WaitReadable(Handle s, uint32_t ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval tv;
  tv.tv_sec = static_cast<long>(ms / 1000);
  tv.tv_usec = static_cast<long>((ms % 1000) * 1000);
  int r = select(static_cast<int>(s) + 1, &set, nullptr, nullptr, &tv);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

bool SendAll(Handle s, const std::string& bytes) {
  size_t offset = 0;
  while (offset < bytes.size()) {
    int n = send(s, bytes.data() + offset, static_cast<int>(bytes.size() - offset), kSendFlags);
    if (n <= 0) return false;
    offset += static_cast<size_t>(n);
  }
  return true;
}

ServerStep Step(ServerStep::Kind kind, std::string bytes = {}) {
  ServerStep s;
  s.kind = kind;
  s.bytes = std::move(bytes);
  return s;
}

}  // namespace

ServerScript& ServerScript::Send(std::string bytes) {
  steps.push_back(Step(ServerStep::Kind::Send, std::move(bytes)));
  return *this;
}
ServerScript& ServerScript::Read() {
  steps.push_back(Step(ServerStep::Kind::ReadLine));
  return *this;
}
ServerScript& ServerScript::Reply(std::string reply) { return Read().Send(std::move(reply)); }
ServerScript& ServerScript::Data(std::string reply) {
  steps.push_back(Step(ServerStep::Kind::ReadData));
  return Send(std::move(reply));
}
ServerScript& ServerScript::Repeat(std::string bytes, int count, uint32_t pauseMs) {
  ServerStep s = Step(ServerStep::Kind::Repeat, std::move(bytes));
  s.count = count;
  s.pauseMs = pauseMs;
  steps.push_back(s);
  return *this;
}
ServerScript& ServerScript::Close() {
  steps.push_back(Step(ServerStep::Kind::Close));
  return *this;
}

FakeSmtpServer::FakeSmtpServer(ServerScript script, uint16_t port, int connections, uint32_t serveLimitMs)
    : m_script(std::move(script)),
      m_maxConnections(connections < 1 ? 1 : connections),
      m_serveLimitMs(serveLimitMs),
      m_listener(static_cast<uintptr_t>(kNoSocket)) {
#ifdef _WIN32
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return;
#endif
  Handle s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == kNoSocket) return;
  m_listener = static_cast<uintptr_t>(s);
  sockaddr_in at;
  std::memset(&at, 0, sizeof(at));
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  at.sin_port = htons(port);
  Length length = sizeof(at);
  if (bind(s, reinterpret_cast<sockaddr*>(&at), sizeof(at)) != 0 || listen(s, 4) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&at), &length) != 0)
    return;
  m_port = ntohs(at.sin_port);
  m_thread = std::thread([this] { Serve(); });
}

FakeSmtpServer::~FakeSmtpServer() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  if (m_thread.joinable()) m_thread.join();
  if (ToHandle(m_listener) != kNoSocket) CloseHandleOf(ToHandle(m_listener));
}

bool FakeSmtpServer::WaitFinished(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(m_mutex);
  return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_finished; });
}

std::string FakeSmtpServer::Received() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_received;
}

std::vector<std::string> FakeSmtpServer::CommandLines() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_lines;
}

std::string FakeSmtpServer::MessageData() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_data;
}

std::vector<std::string> FakeSmtpServer::Messages() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_messages;
}

bool FakeSmtpServer::WaitForMessages(size_t count, uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(m_mutex);
  return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_messages.size() >= count; });
}

int FakeSmtpServer::Connections() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_connections;
}

void FakeSmtpServer::Serve() {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(m_serveLimitMs);
  std::function<bool()> stopping = [&] {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stop || Clock::now() >= deadline;
  };
  for (int served = 0; served < m_maxConnections && !stopping(); ++served) {
    Handle client = kNoSocket;
    while (!stopping()) {
      int r = WaitReadable(ToHandle(m_listener), 20);
      if (r < 0) break;
      if (r == 0) continue;
      client = accept(ToHandle(m_listener), nullptr, nullptr);
      break;
    }
    if (client == kNoSocket) break;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      ++m_connections;
    }
    ServeConnection(static_cast<uintptr_t>(client), stopping);
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  m_finished = true;
  m_changed.notify_all();
}

void FakeSmtpServer::ServeConnection(uintptr_t clientValue, const std::function<bool()>& stopping) {
  Handle client = ToHandle(clientValue);

  std::string pending;
  // Reads what the client sent next; false once it closed, failed or the server gives up.
  auto fill = [&]() -> bool {
    while (!stopping()) {
      int r = WaitReadable(client, 20);
      if (r < 0) return false;
      if (r == 0) continue;
      char buf[4096];
      int n = static_cast<int>(recv(client, buf, sizeof(buf), 0));
      if (n <= 0) return false;
      pending.append(buf, static_cast<size_t>(n));
      std::lock_guard<std::mutex> lock(m_mutex);
      m_received.append(buf, static_cast<size_t>(n));
      return true;
    }
    return false;
  };
  auto takeLines = [&](bool all) {
    std::lock_guard<std::mutex> lock(m_mutex);
    size_t lf;
    while ((lf = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, lf);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      m_lines.push_back(line);
      pending.erase(0, lf + 1);
    }
    if (all && !pending.empty()) {
      m_lines.push_back(pending);
      pending.clear();
    }
  };

  bool open = true;
  for (const ServerStep& step : m_script.steps) {
    if (!open) break;
    bool closed = false;
    switch (step.kind) {
      case ServerStep::Kind::Send:
        SendAll(client, step.bytes);
        break;
      case ServerStep::Kind::ReadLine: {
        while (open && pending.find('\n') == std::string::npos) open = fill();
        if (!open) break;
        size_t lf = pending.find('\n');
        std::string line = pending.substr(0, lf);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        pending.erase(0, lf + 1);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(line);
        break;
      }
      case ServerStep::Kind::ReadData: {
        static const std::string kEnd = "\r\n.\r\n";
        while (open && pending.find(kEnd) == std::string::npos) open = fill();
        if (!open) break;
        size_t end = pending.find(kEnd);
        {
          std::lock_guard<std::mutex> lock(m_mutex);
          m_data = pending.substr(0, end);
          m_messages.push_back(m_data);
          m_changed.notify_all();
        }
        pending.erase(0, end + kEnd.size());
        break;
      }
      case ServerStep::Kind::Repeat:
        for (int i = 0; i < step.count && !stopping(); ++i) {
          Clock::time_point until = Clock::now() + std::chrono::milliseconds(step.pauseMs);
          while (Clock::now() < until && !stopping()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
          if (!SendAll(client, step.bytes)) break;
        }
        break;
      case ServerStep::Kind::Close:
        ShutdownSending(client);
        closed = true;
        break;
    }
    if (closed) break;
  }
  takeLines(false);
  while (open && (open = fill())) takeLines(false);
  takeLines(true);
  CloseHandleOf(client);
}

}  // namespace vantrel::test
