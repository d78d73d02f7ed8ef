#pragma once
// Sockets seam for the SMTP client: IPv4 TCP connections whose every wait is bounded by a
// time-out, so that a silent or stalled server can never hold a sender thread for ever.
// Win32: Winsock. Native: BSD sockets.
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
};

// The platform's sockets (Winsock on Windows, BSD sockets elsewhere). Safe to use from
// several threads at once.
ISocketApi& SystemSocketApi();

}  // namespace vantrel
