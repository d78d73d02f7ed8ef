#pragma once
// Sockets seam: IPv4 TCP connections whose every wait is bounded by a time-out, so that a
// silent or stalled peer can never hold a thread for ever (the SMTP client), and a listening
// socket with a wait over several connections at once (the metrics endpoint serves them all
// from one thread). Win32: Winsock. Native: BSD sockets.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vantrel {

// How one bounded socket operation ended.
enum class SocketResult {
  Ok,        // the operation went through
  TimedOut,  // the socket did not become ready within the time-out
  Closed,    // the peer closed the connection
  Failed,    // any other error (reset, not connected, library not started)
};

// One connected TCP socket. Closed when destroyed.
class ITcpSocket {
 public:
  virtual ~ITcpSocket() = default;
  // Waits up to timeoutMs for the socket to accept data, then sends up to n bytes (n > 0).
  // *sent receives the number of bytes taken, at least 1 when the result is Ok.
  virtual SocketResult Send(const void* data, size_t n, uint32_t timeoutMs, size_t* sent) = 0;
  // Waits up to timeoutMs for one byte to arrive, then receives it into *out.
  virtual SocketResult ReceiveByte(uint8_t* out, uint32_t timeoutMs) = 0;
  // Waits up to timeoutMs for data, then receives what has arrived, up to n bytes (n > 0).
  // *received is at least 1 when the result is Ok. The TLS layer reads whole records this way;
  // by default it takes one byte.
  virtual SocketResult Receive(void* data, size_t n, uint32_t timeoutMs, size_t* received) {
    *received = 0;
    SocketResult r = ReceiveByte(static_cast<uint8_t*>(data), timeoutMs);
    if (r == SocketResult::Ok) *received = 1;
    return r;
  }
  // Closes the socket; later calls fail. Closing twice is harmless.
  virtual void Close() = 0;
  // Closes the connection at once with a reset, so that nothing of it stays behind on this
  // side (a server dropping a client it will not answer). Unsent data is lost.
  virtual void Abort() { Close(); }
};

// A listening TCP socket. Closed when destroyed.
class ITcpListener {
 public:
  virtual ~ITcpListener() = default;
  // Takes one waiting connection without waiting; null when none is waiting (or on failure).
  // The connection is non-blocking like every socket of this seam; *peer receives the peer's
  // IPv4 address in network byte order.
  virtual std::unique_ptr<ITcpSocket> Accept(uint32_t* peer) = 0;
  // The port it listens on (the one the system chose when 0 was asked for).
  virtual uint16_t Port() const = 0;
};

// How a Listen ended.
enum class ListenResult {
  Ok,
  InUse,   // another socket holds the address and port
  Failed,  // any other error
};

// One connection of a Wait: what to wait for, and what was found.
struct SocketWait {
  ITcpSocket* socket = nullptr;
  bool read = false;       // wait for data, the peer's close or an error
  bool write = false;      // wait for room to send
  bool readable = false;   // out
  bool writable = false;   // out
};

class ISocketApi {
 public:
  virtual ~ISocketApi() = default;
  // Starts the socket library if it is not started yet (Winsock 2.0, once per process; a
  // success is remembered and the library is never cleaned up). True when it is started.
  virtual bool Startup() = 0;
  // Resolves a host to an IPv4 address in network byte order: a dotted IPv4 text is used as
  // it stands, anything else is looked up and its first address taken. False when that fails.
  virtual bool Resolve(const std::string& host, uint32_t* address) = 0;
  // Creates a TCP socket and connects it to address:port (address in network byte order)
  // within timeoutMs. Null when the connection could not be made.
  virtual std::unique_ptr<ITcpSocket> Connect(uint32_t address, uint16_t port, uint32_t timeoutMs) = 0;
  // Listens on address:port (address in network byte order; 0 for every address, a port of 0
  // for one the system chooses) with the system's largest backlog. The address is this
  // socket's alone: on Windows no other socket may share it (SO_EXCLUSIVEADDRUSE); natively
  // only connections left waiting by an earlier listener may (SO_REUSEADDR). Null, with
  // *result saying why, when it fails.
  virtual std::unique_ptr<ITcpListener> Listen(uint32_t address, uint16_t port, ListenResult* result) {
    *result = ListenResult::Failed;
    return nullptr;
  }
  // Waits up to timeoutMs until the listener (may be null) has a connection waiting or one of
  // the sockets is ready as asked; fills *listenerReady and each item's out fields. Every
  // socket must come from this API. False when the wait itself failed.
  virtual bool Wait(ITcpListener* listener, bool* listenerReady, SocketWait* sockets, size_t count,
                    uint32_t timeoutMs) {
    return false;
  }
};

// The platform's sockets (Winsock on Windows, BSD sockets elsewhere). Safe to use from
// several threads at once.
ISocketApi& SystemSocketApi();

}  // namespace vantrel
