#pragma once
// The SMTP client that delivers alert and test e-mails: one dialogue per message, on a
// thread of its own that owns the request, with optional AUTH LOGIN. Both programs use it;
// only the way the outcome comes back differs (a window message or service log lines).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "notify/email_settings.h"
#include "platform/socket.h"
#include "platform/tls.h"

namespace vantrel {

// Field widths of a request, in bytes, terminator included: a value must be shorter.
inline constexpr size_t kMailServerBytes = 64;
inline constexpr size_t kMailSenderBytes = 64;
inline constexpr size_t kMailRecipientsBytes = 256;
inline constexpr size_t kMailAccountBytes = 64;
inline constexpr size_t kMailPasswordBytes = 32;

// The name we introduce ourselves with after EHLO and HELO.
inline constexpr char kSmtpHelloName[] = "vantrel";

// Error texts of the dialogue (a failing reply's own line is the fourth kind).
inline constexpr char kMailErrorInvalid[] = "Invalid parameters.";
inline constexpr char kMailErrorConnect[] = "Failed to connect to SMTP server.";
inline constexpr char kMailErrorTimeOut[] = "Time out.";
inline constexpr char kMailErrorNoRelay[] = "SMTP Server didn't relay email.";
inline constexpr char kMailErrorBody[] = "Failed to send email body.";
// Given instead of a failing reply line that is empty, so that a failure never reads as the
// empty text of success.
inline constexpr char kMailErrorEmptyReply[] = "Empty reply from SMTP server.";
// With security on: no STARTTLS offered, or anything but 220 to it.
inline constexpr char kMailErrorNoStartTls[] = "SMTP server does not support STARTTLS.";
inline constexpr char kMailErrorUntrusted[] = "The SMTP server's certificate is not trusted.";
inline constexpr char kMailErrorWrongName[] = "The SMTP server's certificate does not match the server name.";
// The TLS handshake itself failed (no common protocol, a broken or hostile server).
inline constexpr char kMailErrorTls[] = "Failed to make a secure connection to the SMTP server.";

// One message for the sender thread. All texts are 8-bit (system code page). Each field must
// be shorter than its width; a longer one is refused, never cut.
struct MailRequest {
  std::string server;      // SMTP server, < kMailServerBytes
  std::string sender;      // MailFrom, < kMailSenderBytes
  std::string recipients;  // the recipient list as typed, < kMailRecipientsBytes
  int32_t authentication = 0;  // SrvReqAuth: non-zero for AUTH LOGIN
  std::string account;     // AuthName (authentication only), < kMailAccountBytes
  std::string password;    // AuthPass (authentication only), < kMailPasswordBytes
  std::string message;     // headers and body, ready to send; its size is the message length
  uint16_t port = kDefaultSmtpPort;                // SmtpPort
  SmtpSecurity security = SmtpSecurity::None;      // SmtpSecurity
  uintptr_t replyWindow = 0;       // the window that receives the outcome; 0 in the service
  bool requireReplyWindow = false;  // the interactive program: no reply window is invalid
};

// Time-outs and pauses of the dialogue; the defaults are the programs' values. The TLS
// handshake has the reply time-out.
struct SmtpTimings {
  uint32_t connectTimeoutMs = 60000;  // one connection attempt
  uint32_t connectPauseMs = 5000;     // between connection attempts
  uint32_t commandTimeoutMs = 60000;  // sending a command or the message
  uint32_t replyTimeoutMs = 60000;    // one reply (all its lines)
  uint32_t endTimeoutMs = 120000;     // sending "\r\n.\r\n" and reading its reply
};

inline constexpr int kSmtpConnectAttempts = 4;
inline constexpr size_t kSmtpPieceBytes = 1400;
inline constexpr size_t kSmtpReplyBytes = 1024;
inline constexpr size_t kSmtpLongReplyBytes = 2048;  // the greeting and RCPT replies

// Checks the request as the dialogue's first step; "" when it may be sent, else the error.
std::string ValidateMailRequest(const MailRequest& request);

// The message as it goes on the wire: a "." that begins a line is doubled, so that a body
// line of a single "." cannot end the message early. Anything else passes unchanged.
std::string DotStuffMessage(const std::string& message);

// Runs the whole SMTP dialogue for one request over the given sockets (and TLS, when the
// request's security asks for it) and returns the error text, "" when the message was
// accepted. The socket is closed in every case. With security on nothing but EHLO and
// STARTTLS ever goes out in plain text.
std::string RunSmtpDialogue(const MailRequest& request, const SmtpTimings& timings, ISocketApi& sockets,
                            ITlsApi& tls);
std::string RunSmtpDialogue(const MailRequest& request, const SmtpTimings& timings, ISocketApi& sockets);
std::string RunSmtpDialogue(const MailRequest& request, const SmtpTimings& timings = {});

// Receives the outcome on the sender thread: the request and its error text ("" = sent).
// Runs on the sender thread itself, so the interactive program takes the thread id for
// UM_EMAIL_RESULT there. Must not throw.
using MailResultCallback = std::function<void(const MailRequest& request, const std::string& error)>;

// Starts the socket library on the calling thread, then runs RunSmtpDialogue on a new
// detached thread that owns the request, calls onResult with the outcome and then releases
// the request. False (and no callback) when the thread could not be started.
bool SendMailThread(std::unique_ptr<MailRequest> request, MailResultCallback onResult,
                    const SmtpTimings& timings = {});
bool SendMailThread(std::unique_ptr<MailRequest> request, MailResultCallback onResult,
                    const SmtpTimings& timings, ISocketApi& sockets);
bool SendMailThread(std::unique_ptr<MailRequest> request, MailResultCallback onResult,
                    const SmtpTimings& timings, ISocketApi& sockets, ITlsApi& tls);

// The service's log lines for an outcome: one on success; on failure the recipient list, the
// error and where to check the settings.
std::vector<std::string> MailOutcomeLogLines(const std::string& recipients, const std::string& error);

}  // namespace vantrel
