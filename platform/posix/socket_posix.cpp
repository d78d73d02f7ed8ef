// Sockets seam on BSD sockets. Sockets are non-blocking and every wait goes through poll with
// the caller's time-out; sends never raise SIGPIPE.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#include "platform/socket.h"

namespace vantrel {
namespace {

using Clock = std::chrono::steady_clock;

#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
constexpr int kSendFlags = 0;
#endif

int RemainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  if (left <= 0) return 0;
  return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

// Waits for the events until the deadline; 1 ready, 0 timed out, -1 failed.
int WaitReady(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p;
    p.fd = fd;
    p.events = events;
    p.revents = 0;
    int r = poll(&p, 1, RemainingMs(deadline));
    if (r > 0) return 1;
    if (r == 0) return 0;
    if (errno != EINTR) return -1;
  }
}

SocketResult FromErrno(int error) {
  switch (error) {
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
    case ENOTCONN:
      return SocketResult::Closed;
    default:
      return SocketResult::Failed;
  }
}

Clock::time_point DeadlineIn(uint32_t timeoutMs) { return Clock::now() + std::chrono::milliseconds(timeoutMs); }

class PosixSocket : public ITcpSocket {
 public:
  explicit PosixSocket(int fd) : m_fd(fd) {}
  ~PosixSocket() override { Close(); }
  PosixSocket(const PosixSocket&) = delete;
  PosixSocket& operator=(const PosixSocket&) = delete;

  SocketResult Send(const void* data, size_t n, uint32_t timeoutMs, size_t* sent) override {
    *sent = 0;
    if (m_fd < 0) return SocketResult::Failed;
    if (n == 0) return SocketResult::Ok;
    Clock::time_point deadline = DeadlineIn(timeoutMs);
    for (;;) {
      int ready = WaitReady(m_fd, POLLOUT, deadline);
      if (ready < 0) return SocketResult::Failed;
      if (ready == 0) return SocketResult::TimedOut;
      ssize_t r = send(m_fd, data, n, kSendFlags);
      if (r > 0) {
        *sent = static_cast<size_t>(r);
        return SocketResult::Ok;
      }
      if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return FromErrno(errno);
      if (RemainingMs(deadline) == 0) return SocketResult::TimedOut;
    }
  }

  SocketResult ReceiveByte(uint8_t* out, uint32_t timeoutMs) override {
    size_t received = 0;
    return Receive(out, 1, timeoutMs, &received);
  }

  SocketResult Receive(void* data, size_t n, uint32_t timeoutMs, size_t* received) override {
    *received = 0;
    if (m_fd < 0 || n == 0) return SocketResult::Failed;
    Clock::time_point deadline = DeadlineIn(timeoutMs);
    for (;;) {
      int ready = WaitReady(m_fd, POLLIN, deadline);
      if (ready < 0) return SocketResult::Failed;
      if (ready == 0) return SocketResult::TimedOut;
      ssize_t r = recv(m_fd, data, n, 0);
      if (r > 0) {
        *received = static_cast<size_t>(r);
        return SocketResult::Ok;
      }
      if (r == 0) return SocketResult::Closed;
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return FromErrno(errno);
      if (RemainingMs(deadline) == 0) return SocketResult::TimedOut;
    }
  }

  void Close() override {
    if (m_fd >= 0) {
      close(m_fd);
      m_fd = -1;
    }
  }

 private:
  int m_fd;
};

class PosixSocketApi : public ISocketApi {
 public:
  bool Startup() override { return true; }

  bool Resolve(const std::string& host, uint32_t* address) override {
    if (host.empty()) return false;
    in_addr_t dotted = inet_addr(host.c_str());
    if (dotted != INADDR_NONE) {
      *address = static_cast<uint32_t>(dotted);
      return true;
    }
    addrinfo hints;
    std::memset(&hints, 0, sizeof(hints));
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
    bool ok = false;
    if (found->ai_family == AF_INET && found->ai_addr != nullptr && found->ai_addrlen >= sizeof(sockaddr_in)) {
      sockaddr_in first;
      std::memcpy(&first, found->ai_addr, sizeof(first));
      *address = first.sin_addr.s_addr;
      ok = true;
    }
    freeaddrinfo(found);
    return ok;
  }

  std::unique_ptr<ITcpSocket> Connect(uint32_t address, uint16_t port, uint32_t timeoutMs) override {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) return nullptr;
    auto owner = std::make_unique<PosixSocket>(fd);
    int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return nullptr;
    sockaddr_in to;
    std::memset(&to, 0, sizeof(to));
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = address;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof(to)) == 0) return owner;
    if (errno != EINPROGRESS && errno != EINTR) return nullptr;
    if (WaitReady(fd, POLLOUT, DeadlineIn(timeoutMs)) != 1) return nullptr;
    int error = 0;
    socklen_t length = sizeof(error);
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) return nullptr;
    return owner;
  }
};

}  // namespace

ISocketApi& SystemSocketApi() {
  // Never destroyed: detached sender threads may still use it while the process ends.
  static PosixSocketApi* api = new PosixSocketApi;
  return *api;
}

}  // namespace vantrel
