// Sockets seam on Winsock. Sockets are switched to non-blocking mode so that connect, accept,
// send and receive all wait through select with the caller's time-out and never block beyond
// it.
#define _WINSOCK_DEPRECATED_NO_WARNINGS
#include <winsock2.h>
#include <windows.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <mutex>

#include "platform/socket.h"

namespace vantrel {
namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until the deadline, 0 once it has passed.
uint32_t RemainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<uint32_t>(left) : 0;
}

timeval ToTimeval(uint32_t ms) {
  timeval tv;
  tv.tv_sec = static_cast<long>(ms / 1000);
  tv.tv_usec = static_cast<long>((ms % 1000) * 1000);
  return tv;
}

// Waits until the socket can be written (forWrite) or read; 1 ready, 0 timed out, -1 failed.
// A closed or reset connection counts as ready: the send or receive then reports it.
int WaitReady(SOCKET s, bool forWrite, uint32_t timeoutMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval tv = ToTimeval(timeoutMs);
  int r = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, nullptr, &tv);
  if (r == SOCKET_ERROR) return -1;
  return r == 0 ? 0 : 1;
}

SocketResult FromError(int error) {
  switch (error) {
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAESHUTDOWN:
    case WSAENOTCONN:
      return SocketResult::Closed;
    default:
      return SocketResult::Failed;
  }
}

class WinsockSocket : public ITcpSocket {
 public:
  explicit WinsockSocket(SOCKET s) : m_socket(s) {}
  ~WinsockSocket() override { Close(); }
  WinsockSocket(const WinsockSocket&) = delete;
  WinsockSocket& operator=(const WinsockSocket&) = delete;

  SocketResult Send(const void* data, size_t n, uint32_t timeoutMs, size_t* sent) override {
    *sent = 0;
    if (m_socket == INVALID_SOCKET) return SocketResult::Failed;
    if (n == 0) return SocketResult::Ok;
    int chunk = n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      int ready = WaitReady(m_socket, true, RemainingMs(deadline));
      if (ready < 0) return SocketResult::Failed;
      if (ready == 0) return SocketResult::TimedOut;
      int r = send(m_socket, static_cast<const char*>(data), chunk, 0);
      if (r > 0) {
        *sent = static_cast<size_t>(r);
        return SocketResult::Ok;
      }
      int error = WSAGetLastError();
      if (r == 0 || error != WSAEWOULDBLOCK) return FromError(error);
      if (RemainingMs(deadline) == 0) return SocketResult::TimedOut;
    }
  }

  SocketResult ReceiveByte(uint8_t* out, uint32_t timeoutMs) override {
    size_t received = 0;
    return Receive(out, 1, timeoutMs, &received);
  }

  SocketResult Receive(void* data, size_t n, uint32_t timeoutMs, size_t* received) override {
    *received = 0;
    if (m_socket == INVALID_SOCKET || n == 0) return SocketResult::Failed;
    int chunk = n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      int ready = WaitReady(m_socket, false, RemainingMs(deadline));
      if (ready < 0) return SocketResult::Failed;
      if (ready == 0) return SocketResult::TimedOut;
      int r = recv(m_socket, static_cast<char*>(data), chunk, 0);
      if (r > 0) {
        *received = static_cast<size_t>(r);
        return SocketResult::Ok;
      }
      if (r == 0) return SocketResult::Closed;
      int error = WSAGetLastError();
      if (error != WSAEWOULDBLOCK) return FromError(error);
      if (RemainingMs(deadline) == 0) return SocketResult::TimedOut;
    }
  }

  void Close() override {
    if (m_socket != INVALID_SOCKET) {
      closesocket(m_socket);
      m_socket = INVALID_SOCKET;
    }
  }

  void Abort() override {
    if (m_socket != INVALID_SOCKET) {
      linger off;
      off.l_onoff = 1;
      off.l_linger = 0;
      setsockopt(m_socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&off), sizeof(off));
    }
    Close();
  }

  SOCKET Handle() const { return m_socket; }

 private:
  SOCKET m_socket;
};

class WinsockListener : public ITcpListener {
 public:
  WinsockListener(SOCKET s, uint16_t port) : m_socket(s), m_port(port) {}
  ~WinsockListener() override { closesocket(m_socket); }
  WinsockListener(const WinsockListener&) = delete;
  WinsockListener& operator=(const WinsockListener&) = delete;

  std::unique_ptr<ITcpSocket> Accept(uint32_t* peer) override {
    sockaddr_in from;
    std::memset(&from, 0, sizeof(from));
    int length = sizeof(from);
    // The accepted socket inherits the listener's non-blocking mode.
    SOCKET s = accept(m_socket, reinterpret_cast<sockaddr*>(&from), &length);
    if (s == INVALID_SOCKET) return nullptr;
    *peer = from.sin_addr.s_addr;
    return std::make_unique<WinsockSocket>(s);
  }
  uint16_t Port() const override { return m_port; }
  SOCKET Handle() const { return m_socket; }

 private:
  SOCKET m_socket;
  uint16_t m_port;
};

class WinsockApi : public ISocketApi {
 public:
  bool Startup() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_started) {
      WSADATA data;
      m_started = WSAStartup(MAKEWORD(2, 0), &data) == 0;
    }
    return m_started;
  }

  bool Resolve(const std::string& host, uint32_t* address) override {
    if (host.empty() || !Startup()) return false;
    unsigned long dotted = inet_addr(host.c_str());
    if (dotted != INADDR_NONE) {
      *address = static_cast<uint32_t>(dotted);
      return true;
    }
    // gethostbyname keeps its result per thread, so concurrent senders do not collide.
    hostent* h = gethostbyname(host.c_str());
    if (h == nullptr || h->h_addrtype != AF_INET || h->h_length != 4 || h->h_addr_list == nullptr ||
        h->h_addr_list[0] == nullptr)
      return false;
    uint32_t first = 0;
    std::memcpy(&first, h->h_addr_list[0], 4);
    *address = first;
    return true;
  }

  std::unique_ptr<ITcpSocket> Connect(uint32_t address, uint16_t port, uint32_t timeoutMs) override {
    if (!Startup()) return nullptr;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return nullptr;
    auto owner = std::make_unique<WinsockSocket>(s);
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return nullptr;
    sockaddr_in to;
    std::memset(&to, 0, sizeof(to));
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = address;
    if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof(to)) == 0) return owner;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return nullptr;
    // A non-blocking connect reports success as writable and failure as an exception.
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(s, &writable);
    fd_set failed;
    FD_ZERO(&failed);
    FD_SET(s, &failed);
    timeval tv = ToTimeval(timeoutMs);
    int r = select(0, nullptr, &writable, &failed, &tv);
    if (r <= 0 || FD_ISSET(s, &failed) || !FD_ISSET(s, &writable)) return nullptr;
    int error = 0;
    int length = sizeof(error);
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 || error != 0)
      return nullptr;
    return owner;
  }

  std::unique_ptr<ITcpListener> Listen(uint32_t address, uint16_t port, ListenResult* result) override {
    *result = ListenResult::Failed;
    if (!Startup()) return nullptr;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return nullptr;
    // No other socket may take the address over (SO_REUSEADDR would let one on Windows).
    BOOL exclusive = TRUE;
    setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof(exclusive));
    sockaddr_in at;
    std::memset(&at, 0, sizeof(at));
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    at.sin_addr.s_addr = address;
    if (bind(s, reinterpret_cast<const sockaddr*>(&at), sizeof(at)) == SOCKET_ERROR) {
      // A port held by another program: WSAEADDRINUSE, or WSAEACCES where that one is
      // exclusive (and under Wine when an option asked for sharing).
      int error = WSAGetLastError();
      if (error == WSAEADDRINUSE || error == WSAEACCES) *result = ListenResult::InUse;
      closesocket(s);
      return nullptr;
    }
    u_long nonBlocking = 1;
    int length = sizeof(at);
    if (listen(s, SOMAXCONN) == SOCKET_ERROR || ioctlsocket(s, FIONBIO, &nonBlocking) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&at), &length) == SOCKET_ERROR) {
      closesocket(s);
      return nullptr;
    }
    *result = ListenResult::Ok;
    return std::make_unique<WinsockListener>(s, ntohs(at.sin_port));
  }

  bool Wait(ITcpListener* listener, bool* listenerReady, SocketWait* sockets, size_t count,
            uint32_t timeoutMs) override {
    // select takes at most FD_SETSIZE sockets per set (64 here); callers wait on a handful.
    if (count + 1 > FD_SETSIZE) return false;
    fd_set readable, writable, failed;
    FD_ZERO(&readable);
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    int watched = 0;
    auto* winsockListener = dynamic_cast<WinsockListener*>(listener);
    if (winsockListener) {
      FD_SET(winsockListener->Handle(), &readable);
      ++watched;
    }
    for (size_t i = 0; i < count; ++i) {
      auto* socket = dynamic_cast<WinsockSocket*>(sockets[i].socket);
      if (!socket || socket->Handle() == INVALID_SOCKET) continue;
      if (sockets[i].read) FD_SET(socket->Handle(), &readable);
      if (sockets[i].write) FD_SET(socket->Handle(), &writable);
      if (sockets[i].read || sockets[i].write) {
        FD_SET(socket->Handle(), &failed);
        ++watched;
      }
    }
    timeval tv = ToTimeval(timeoutMs);
    if (watched == 0) {
      // select refuses empty sets: the wait is only a pause then.
      Sleep(timeoutMs);
      *listenerReady = false;
      for (size_t i = 0; i < count; ++i) sockets[i].readable = sockets[i].writable = false;
      return true;
    }
    if (select(0, &readable, &writable, &failed, &tv) == SOCKET_ERROR) return false;
    *listenerReady = winsockListener && FD_ISSET(winsockListener->Handle(), &readable);
    for (size_t i = 0; i < count; ++i) {
      auto* socket = dynamic_cast<WinsockSocket*>(sockets[i].socket);
      SOCKET h = socket ? socket->Handle() : INVALID_SOCKET;
      bool broken = h != INVALID_SOCKET && FD_ISSET(h, &failed);
      sockets[i].readable = sockets[i].read && h != INVALID_SOCKET && (FD_ISSET(h, &readable) || broken);
      sockets[i].writable = sockets[i].write && h != INVALID_SOCKET && (FD_ISSET(h, &writable) || broken);
    }
    return true;
  }

 private:
  std::mutex m_mutex;
  bool m_started = false;
};

}  // namespace

ISocketApi& SystemSocketApi() {
  // Never destroyed: detached sender threads may still use it while the process ends.
  static WinsockApi* api = new WinsockApi;
  return *api;
}

}  // namespace vantrel
