#pragma once
// TLS seam for the SMTP client: a client session over an already connected socket, with the
// server's certificate checked by the system (its trusted roots, the name as typed). Win32:
// SChannel through SSPI. Elsewhere there is no system TLS and every handshake fails; the
// portable tests put a fake behind this seam.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/socket.h"

namespace vantrel {

// How a handshake ended.
enum class TlsResult {
  Ok,            // the session is up and the certificate is good for the name
  TimedOut,      // the server did not answer the handshake within the time-out
  Closed,        // the server closed or reset the connection during the handshake
  Failed,        // the handshake failed (no common protocol, a broken or hostile reply)
  Untrusted,     // the certificate chain does not end in a trusted root (or is otherwise bad)
  NameMismatch,  // the certificate is trusted but not issued for the server name
};

class ITlsApi {
 public:
  virtual ~ITlsApi() = default;
  // Runs a client handshake over `transport` for `serverName` (sent as the server name
  // indication and checked against the certificate), all of it within timeoutMs. On Ok,
  // *secure is the session: its Send and ReceiveByte carry plain text over TLS with the
  // same time-outs as a socket, and its Close sends the TLS close_notify and closes the
  // transport. The session uses `transport`, which must outlive it. On any other result
  // nothing more has been or will be sent and *secure stays empty.
  virtual TlsResult Handshake(ITcpSocket& transport, const std::string& serverName, uint32_t timeoutMs,
                              std::unique_ptr<ITcpSocket>* secure) = 0;
};

// The system's TLS client. Safe to use from several threads at once.
ITlsApi& SystemTlsApi();

}  // namespace vantrel
