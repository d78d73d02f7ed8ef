#include "notify/smtp_client.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "notify/email_message.h"

namespace vantrel {
namespace {

using Clock = std::chrono::steady_clock;

uint32_t RemainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<uint32_t>(std::min<long long>(left, UINT32_MAX)) : 0;
}

// The decimal number at the start of a reply line, read as the C library's atoi reads it.
int ReplyCode(const std::string& line) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || (line[i] >= '\t' && line[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
  int value = 0;
  // Capped: a hostile run of digits must not overflow, and no real code is that long.
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9' && value < 100000000; ++i)
    value = value * 10 + (line[i] - '0');
  return negative ? -value : value;
}

// A failing reply becomes the error text; an empty one must still read as a failure.
std::string ReplyError(const std::string& line) { return line.empty() ? kMailErrorEmptyReply : line; }

bool HasLineBreakOrNul(const std::string& s) {
  return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Whether an EHLO reply line ("250-STARTTLS", "250 starttls") names the STARTTLS extension.
bool NamesStartTls(const std::string& line) {
  static const char kKeyword[] = "STARTTLS";
  size_t i = 4;
  while (i < line.size() && IsSpace(line[i])) ++i;
  for (const char* k = kKeyword; *k != 0; ++k, ++i) {
    if (i >= line.size()) return false;
    char c = line[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != *k) return false;
  }
  return i == line.size() || IsSpace(line[i]);
}

std::string TlsError(TlsResult result) {
  switch (result) {
    case TlsResult::Ok: return std::string();
    case TlsResult::TimedOut:
    case TlsResult::Closed: return kMailErrorTimeOut;
    case TlsResult::Untrusted: return kMailErrorUntrusted;
    case TlsResult::NameMismatch: return kMailErrorWrongName;
    case TlsResult::Failed: break;
  }
  return kMailErrorTls;
}

// One connected dialogue: bounded sends and line reads over the socket, or over the TLS
// session once there is one.
class SmtpSession {
 public:
  SmtpSession(ITcpSocket& transport, const SmtpTimings& timings)
      : m_transport(transport), m_socket(&transport), m_timings(timings) {}

  // Sends data in pieces of at most kSmtpPieceBytes, waiting up to timeoutMs before each;
  // false when not all of it went out.
  bool SendAll(const std::string& data, uint32_t timeoutMs) {
    size_t offset = 0;
    while (offset < data.size()) {
      size_t piece = std::min(kSmtpPieceBytes, data.size() - offset);
      size_t sent = 0;
      if (m_socket->Send(data.data() + offset, piece, timeoutMs, &sent) != SocketResult::Ok || sent == 0)
        return false;
      offset += sent;
    }
    return true;
  }

  // Reads reply lines while they begin with `continuation` (none: one line); the last line
  // goes to *line. The whole reply must arrive within timeoutMs, so that a server dripping
  // bytes or sending continuation lines without end cannot hold the thread. With startTls,
  // it tells whether any line named the STARTTLS extension.
  bool ReadReply(size_t bufferBytes, uint32_t timeoutMs, const char* continuation, std::string* line,
                 bool* startTls = nullptr) {
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      if (!ReadLine(bufferBytes, deadline, line)) return false;
      if (startTls != nullptr && NamesStartTls(*line)) *startTls = true;
      if (continuation == nullptr || line->compare(0, 4, continuation) != 0) return true;
    }
  }

  // Sends a command and reads its one-line reply: "" when the code is the expected one,
  // otherwise the error.
  std::string Command(const std::string& command, int expected) {
    if (!SendAll(command, m_timings.commandTimeoutMs)) return kMailErrorTimeOut;
    std::string line;
    if (!ReadReply(kSmtpReplyBytes, m_timings.replyTimeoutMs, nullptr, &line)) return kMailErrorTimeOut;
    return ReplyCode(line) == expected ? std::string() : ReplyError(line);
  }

  // EHLO and its reply of several lines, which must end with 250.
  std::string Ehlo(bool* startTls) {
    if (!SendAll(std::string("EHLO ") + kSmtpHelloName + "\r\n", m_timings.commandTimeoutMs)) return kMailErrorTimeOut;
    std::string line;
    if (!ReadReply(kSmtpReplyBytes, m_timings.replyTimeoutMs, "250-", &line, startTls)) return kMailErrorTimeOut;
    return ReplyCode(line) == 250 ? std::string() : ReplyError(line);
  }

  // Says goodbye; the outcome does not matter any more.
  void Quit() {
    if (!SendAll("QUIT\r\n", m_timings.commandTimeoutMs)) return;
    std::string line;
    ReadReply(kSmtpReplyBytes, m_timings.replyTimeoutMs, nullptr, &line);
  }

  // The TLS handshake over the connection; from here on everything goes through the session.
  std::string Secure(ITlsApi& tls, const std::string& serverName) {
    std::unique_ptr<ITcpSocket> secure;
    TlsResult result = tls.Handshake(m_transport, serverName, m_timings.replyTimeoutMs, &secure);
    if (result == TlsResult::Ok && !secure) result = TlsResult::Failed;
    if (result != TlsResult::Ok) return TlsError(result);
    m_secure = std::move(secure);
    m_socket = m_secure.get();
    return std::string();
  }

  // The plain part of STARTTLS: EHLO, then STARTTLS only when offered, then the handshake.
  std::string StartTls(ITlsApi& tls, const std::string& serverName) {
    bool offered = false;
    std::string error = Ehlo(&offered);
    if (!error.empty()) return error;
    if (!offered) return kMailErrorNoStartTls;
    if (!SendAll("STARTTLS\r\n", m_timings.commandTimeoutMs)) return kMailErrorTimeOut;
    std::string line;
    if (!ReadReply(kSmtpReplyBytes, m_timings.replyTimeoutMs, nullptr, &line)) return kMailErrorTimeOut;
    if (ReplyCode(line) != 220) return kMailErrorNoStartTls;
    // Plain text that came after the 220 would be taken as if it came over TLS: it is an
    // injection on the path or a broken server.
    uint8_t extra = 0;
    if (m_transport.ReceiveByte(&extra, 0) == SocketResult::Ok) return kMailErrorTls;
    return Secure(tls, serverName);
  }

  std::string Converse(const MailRequest& request, const std::vector<std::string>& addresses, ITlsApi& tls) {
    std::string error;
    if (request.security == SmtpSecurity::Tls && !(error = Secure(tls, request.server)).empty()) return error;

    std::string line;
    if (!ReadReply(kSmtpLongReplyBytes, m_timings.replyTimeoutMs, "220-", &line)) return kMailErrorTimeOut;
    if (ReplyCode(line) != 220) return ReplyError(line);

    if (request.security == SmtpSecurity::StartTls && !(error = StartTls(tls, request.server)).empty()) return error;

    const std::string hello = std::string(" ") + kSmtpHelloName + "\r\n";
    if (request.security != SmtpSecurity::None) {
      // Inside TLS: EHLO once more (the server's extensions may differ now), then AUTH.
      if (!(error = Ehlo(nullptr)).empty()) return error;
      if (request.authentication != 0 && !(error = AuthLogin(request)).empty()) return error;
    } else if (request.authentication != 0) {
      if (!(error = Ehlo(nullptr)).empty()) return error;
      if (!(error = AuthLogin(request)).empty()) return error;
    } else {
      if (!(error = Command("HELO" + hello, 250)).empty()) return error;
    }

    if (!(error = Command("MAIL FROM: <" + request.sender + ">\r\n", 250)).empty()) return error;

    int accepted = 0;
    for (const std::string& address : addresses) {
      if (!SendAll("RCPT TO: <" + address + ">\r\n", m_timings.commandTimeoutMs)) return kMailErrorTimeOut;
      if (!ReadReply(kSmtpLongReplyBytes, m_timings.replyTimeoutMs, nullptr, &line)) return kMailErrorTimeOut;
      int code = ReplyCode(line);
      if (code == 250 || code == 251) ++accepted;
    }
    if (accepted == 0) {
      Quit();
      return kMailErrorNoRelay;
    }

    if (!(error = Command("DATA\r\n", 354)).empty()) return error;
    if (!SendAll(DotStuffMessage(request.message), m_timings.commandTimeoutMs)) return kMailErrorBody;
    if (!SendAll("\r\n.\r\n", m_timings.endTimeoutMs)) return kMailErrorTimeOut;
    if (!ReadReply(kSmtpReplyBytes, m_timings.endTimeoutMs, nullptr, &line)) return kMailErrorTimeOut;
    if (ReplyCode(line) != 250) return ReplyError(line);
    Quit();
    return std::string();
  }

  // Ends the TLS session (close_notify) if there is one, then the connection.
  void Close() {
    if (m_secure) m_secure->Close();
    m_transport.Close();
  }

 private:
  bool ReceiveByte(Clock::time_point deadline, uint8_t* c) {
    uint32_t left = RemainingMs(deadline);
    return left > 0 && m_socket->ReceiveByte(c, left) == SocketResult::Ok;
  }

  // One line, without its line feed and a carriage return before it. A line longer than the
  // buffer holds is cut there and the rest of it, up to its line feed, is dropped, so that it
  // is not taken for the next reply.
  bool ReadLine(size_t bufferBytes, Clock::time_point deadline, std::string* line) {
    const size_t capacity = bufferBytes - 1;  // room for the terminator of the 8-bit text
    line->clear();
    size_t dropped = 0;
    for (;;) {
      uint8_t c = 0;
      // A full line that ends badly is still the line that was received; the failure shows on
      // the next read.
      if (!ReceiveByte(deadline, &c)) return line->size() == capacity;
      if (c == '\n') {
        if (dropped == 0 && !line->empty() && line->back() == '\r') line->pop_back();
        return true;
      }
      if (line->size() < capacity)
        line->push_back(static_cast<char>(c));
      else
        ++dropped;
    }
  }

  std::string AuthLogin(const MailRequest& request) {
    std::string error;
    if (!(error = Command("AUTH LOGIN\r\n", 334)).empty()) return error;
    std::string encoded;
    Base64EncodeLines(request.account.data(), request.account.size(), &encoded);
    if (!(error = Command(encoded + "\r\n", 334)).empty()) return error;
    Base64EncodeLines(request.password.data(), request.password.size(), &encoded);
    return Command(encoded + "\r\n", 235);
  }

  ITcpSocket& m_transport;
  std::unique_ptr<ITcpSocket> m_secure;
  ITcpSocket* m_socket;  // the transport, or the TLS session over it
  const SmtpTimings& m_timings;
};

}  // namespace

std::string ValidateMailRequest(const MailRequest& r) {
  if (r.server.empty() || r.sender.empty() || r.recipients.empty() || r.message.empty())
    return kMailErrorInvalid;
  if (r.authentication != 0 && r.account.empty()) return kMailErrorInvalid;
  if (r.requireReplyWindow && r.replyWindow == 0) return kMailErrorInvalid;
  if (r.server.size() >= kMailServerBytes || r.sender.size() >= kMailSenderBytes ||
      r.recipients.size() >= kMailRecipientsBytes)
    return kMailErrorInvalid;
  if (r.authentication != 0 && (r.account.size() >= kMailAccountBytes || r.password.size() >= kMailPasswordBytes))
    return kMailErrorInvalid;
  if (r.message.size() > static_cast<size_t>(INT32_MAX)) return kMailErrorInvalid;
  if (r.port == 0 || static_cast<uint32_t>(r.security) > static_cast<uint32_t>(SmtpSecurity::Tls))
    return kMailErrorInvalid;
  // A line break inside a value that goes into a command would split that command in two.
  if (HasLineBreakOrNul(r.server) || HasLineBreakOrNul(r.sender) || HasLineBreakOrNul(r.recipients))
    return kMailErrorInvalid;
  std::vector<std::string> addresses = SplitAddressList(r.recipients);
  if (std::none_of(addresses.begin(), addresses.end(),
                   [](const std::string& a) { return IsValidEmailAddress(a); }))
    return kMailErrorInvalid;
  return std::string();
}

std::string DotStuffMessage(const std::string& message) {
  std::string out;
  out.reserve(message.size());
  bool lineStart = true;
  for (char c : message) {
    if (lineStart && c == '.') out.push_back('.');
    out.push_back(c);
    lineStart = c == '\n';
  }
  return out;
}

std::string RunSmtpDialogue(const MailRequest& request, const SmtpTimings& timings, ISocketApi& sockets,
                            ITlsApi& tls) {
  std::string error = ValidateMailRequest(request);
  if (!error.empty()) return error;
  std::vector<std::string> addresses;
  for (std::string& a : SplitAddressList(request.recipients))
    if (IsValidEmailAddress(a)) addresses.push_back(std::move(a));

  std::unique_ptr<ITcpSocket> socket;
  for (int attempt = 0; attempt < kSmtpConnectAttempts && !socket; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(timings.connectPauseMs));
    uint32_t address = 0;
    if (sockets.Resolve(request.server, &address)) socket = sockets.Connect(address, request.port, timings.connectTimeoutMs);
  }
  if (!socket) return kMailErrorConnect;

  SmtpSession session(*socket, timings);
  error = session.Converse(request, addresses, tls);
  session.Close();
  return error;
}

std::string RunSmtpDialogue(const MailRequest& request, const SmtpTimings& timings, ISocketApi& sockets) {
  return RunSmtpDialogue(request, timings, sockets, SystemTlsApi());
}

std::string RunSmtpDialogue(const MailRequest& request, const SmtpTimings& timings) {
  return RunSmtpDialogue(request, timings, SystemSocketApi(), SystemTlsApi());
}

bool SendMailThread(std::unique_ptr<MailRequest> request, MailResultCallback onResult,
                    const SmtpTimings& timings, ISocketApi& sockets, ITlsApi& tls) {
  if (!request) return false;
  sockets.Startup();
  try {
    std::thread worker([owned = std::move(request), onResult = std::move(onResult), timings, &sockets,
                        &tls]() mutable {
      std::string error = RunSmtpDialogue(*owned, timings, sockets, tls);
      if (onResult) {
        try {
          onResult(*owned, error);
        } catch (...) {
          // The outcome had nowhere to go; the thread still ends and releases its request.
        }
      }
      owned.reset();
    });
    worker.detach();
  } catch (...) {
    return false;
  }
  return true;
}

bool SendMailThread(std::unique_ptr<MailRequest> request, MailResultCallback onResult,
                    const SmtpTimings& timings, ISocketApi& sockets) {
  return SendMailThread(std::move(request), std::move(onResult), timings, sockets, SystemTlsApi());
}

bool SendMailThread(std::unique_ptr<MailRequest> request, MailResultCallback onResult, const SmtpTimings& timings) {
  return SendMailThread(std::move(request), std::move(onResult), timings, SystemSocketApi(), SystemTlsApi());
}

std::vector<std::string> MailOutcomeLogLines(const std::string& recipients, const std::string& error) {
  if (error.empty()) return {"Successfully sent bandwidth usage notification email to " + recipients + "."};
  return {"Failed send bandwidth usage notification email to " + recipients + ".", "Error: " + error,
          "Please check your email settings at Options -> Notification -> Email Settings."};
}

}  // namespace vantrel
