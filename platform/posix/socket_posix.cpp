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
#include <vector>

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

  void Abort() override {
    if (m_fd >= 0) {
      linger off;
      off.l_onoff = 1;
      off.l_linger = 0;
      setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &off, sizeof(off));
    }
    Close();
  }

  int Fd() const { return m_fd; }

 private:
  int m_fd;
};

bool MakeNonBlocking(int fd) {
  int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

class PosixListener : public ITcpListener {
 public:
  PosixListener(int fd, uint16_t port) : m_fd(fd), m_port(port) {}
  ~PosixListener() override { close(m_fd); }
  PosixListener(const PosixListener&) = delete;
  PosixListener& operator=(const PosixListener&) = delete;

  std::unique_ptr<ITcpSocket> Accept(uint32_t* peer) override {
    sockaddr_in from;
    socklen_t length = sizeof(from);
    std::memset(&from, 0, sizeof(from));
    int fd = accept(m_fd, reinterpret_cast<sockaddr*>(&from), &length);
    if (fd < 0) return nullptr;
    auto owner = std::make_unique<PosixSocket>(fd);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    if (!MakeNonBlocking(fd)) return nullptr;
    *peer = from.sin_addr.s_addr;
    return owner;
  }
  uint16_t Port() const override { return m_port; }
  int Fd() const { return m_fd; }

 private:
  int m_fd;
  uint16_t m_port;
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

  std::unique_ptr<ITcpListener> Listen(uint32_t address, uint16_t port, ListenResult* result) override {
    *result = ListenResult::Failed;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) return nullptr;
    // Connections an earlier listener left in TIME_WAIT must not keep a restarted server off
    // its port; a socket that still listens there does (the bind fails as in use).
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
    sockaddr_in at;
    std::memset(&at, 0, sizeof(at));
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    at.sin_addr.s_addr = address;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&at), sizeof(at)) != 0) {
      if (errno == EADDRINUSE) *result = ListenResult::InUse;
      close(fd);
      return nullptr;
    }
    socklen_t length = sizeof(at);
    if (listen(fd, SOMAXCONN) != 0 || !MakeNonBlocking(fd) ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&at), &length) != 0) {
      close(fd);
      return nullptr;
    }
    *result = ListenResult::Ok;
    return std::make_unique<PosixListener>(fd, ntohs(at.sin_port));
  }

  bool Wait(ITcpListener* listener, bool* listenerReady, SocketWait* sockets, size_t count,
            uint32_t timeoutMs) override {
    std::vector<pollfd> fds;
    fds.reserve(count + 1);
    auto add = [&fds](int fd, short events) {
      pollfd p;
      p.fd = fd;
      p.events = events;
      p.revents = 0;
      fds.push_back(p);
    };
    auto* posixListener = dynamic_cast<PosixListener*>(listener);
    add(posixListener ? posixListener->Fd() : -1, POLLIN);
    for (size_t i = 0; i < count; ++i) {
      auto* socket = dynamic_cast<PosixSocket*>(sockets[i].socket);
      short events = static_cast<short>((sockets[i].read ? POLLIN : 0) | (sockets[i].write ? POLLOUT : 0));
      add(socket ? socket->Fd() : -1, events);
    }
    Clock::time_point deadline = DeadlineIn(timeoutMs);
    int r = 0;
    do {
      r = poll(fds.data(), static_cast<nfds_t>(fds.size()), RemainingMs(deadline));
    } while (r < 0 && errno == EINTR);
    if (r < 0) return false;
    *listenerReady = (fds[0].revents & POLLIN) != 0;
    for (size_t i = 0; i < count; ++i) {
      short got = fds[i + 1].revents;
      // A hang-up or an error is reported by the receive or send that follows.
      bool broken = (got & (POLLHUP | POLLERR | POLLNVAL)) != 0;
      sockets[i].readable = sockets[i].read && ((got & POLLIN) != 0 || broken);
      sockets[i].writable = sockets[i].write && ((got & POLLOUT) != 0 || broken);
    }
    return true;
  }
};

}  // namespace

ISocketApi& SystemSocketApi() {
  // Never destroyed: detached sender threads may still use it while the process ends.
  static PosixSocketApi* api = new PosixSocketApi;
  return *api;
}

}  // namespace vantrel
