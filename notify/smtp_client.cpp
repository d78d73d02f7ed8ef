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

// One connected dialogue: bounded sends and line reads over the socket.
class SmtpSession {
 public:
  SmtpSession(ITcpSocket& socket, const SmtpTimings& timings) : m_socket(socket), m_timings(timings) {}

  // Sends data in pieces of at most kSmtpPieceBytes, waiting up to timeoutMs before each;
  // false when not all of it went out.
  bool SendAll(const std::string& data, uint32_t timeoutMs) {
    size_t offset = 0;
    while (offset < data.size()) {
      size_t piece = std::min(kSmtpPieceBytes, data.size() - offset);
      size_t sent = 0;
      if (m_socket.Send(data.data() + offset, piece, timeoutMs, &sent) != SocketResult::Ok || sent == 0)
        return false;
      offset += sent;
    }
    return true;
  }

  // Reads reply lines while they begin with `continuation` (none: one line); the last line
  // goes to *line. The whole reply must arrive within timeoutMs, so that a server dripping
  // bytes or sending continuation lines without end cannot hold the thread.
  bool ReadReply(size_t bufferBytes, uint32_t timeoutMs, const char* continuation, std::string* line) {
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      if (!ReadLine(bufferBytes, deadline, line)) return false;
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

  // Says goodbye; the outcome does not matter any more.
  void Quit() {
    if (!SendAll("QUIT\r\n", m_timings.commandTimeoutMs)) return;
    std::string line;
    ReadReply(kSmtpReplyBytes, m_timings.replyTimeoutMs, nullptr, &line);
  }

  std::string Converse(const MailRequest& request, const std::vector<std::string>& addresses) {
    std::string line;
    if (!ReadReply(kSmtpLongReplyBytes, m_timings.replyTimeoutMs, "220-", &line)) return kMailErrorTimeOut;
    if (ReplyCode(line) != 220) return ReplyError(line);

    const std::string hello = std::string(" ") + kSmtpHelloName + "\r\n";
    std::string error;
    if (request.authentication != 0) {
      if (!SendAll("EHLO" + hello, m_timings.commandTimeoutMs)) return kMailErrorTimeOut;
      if (!ReadReply(kSmtpReplyBytes, m_timings.replyTimeoutMs, "250-", &line)) return kMailErrorTimeOut;
      if (ReplyCode(line) != 250) return ReplyError(line);
      if (!(error = Command("AUTH LOGIN\r\n", 334)).empty()) return error;
      std::string encoded;
      Base64EncodeLines(request.account.data(), request.account.size(), &encoded);
      if (!(error = Command(encoded + "\r\n", 334)).empty()) return error;
      Base64EncodeLines(request.password.data(), request.password.size(), &encoded);
      if (!(error = Command(encoded + "\r\n", 235)).empty()) return error;
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

 private:
  bool ReceiveByte(Clock::time_point deadline, uint8_t* c) {
    uint32_t left = RemainingMs(deadline);
    return left > 0 && m_socket.ReceiveByte(c, left) == SocketResult::Ok;
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

  ITcpSocket& m_socket;
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

std::string RunSmtpDialogue(const MailRequest& request, const SmtpTimings& timings, ISocketApi& sockets) {
  std::string error = ValidateMailRequest(request);
  if (!error.empty()) return error;
  std::vector<std::string> addresses;
  for (std::string& a : SplitAddressList(request.recipients))
    if (IsValidEmailAddress(a)) addresses.push_back(std::move(a));

  std::unique_ptr<ITcpSocket> socket;
  for (int attempt = 0; attempt < kSmtpConnectAttempts && !socket; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(timings.connectPauseMs));
    uint32_t address = 0;
    if (sockets.Resolve(request.server, &address)) socket = sockets.Connect(address, timings.port, timings.connectTimeoutMs);
  }
  if (!socket) return kMailErrorConnect;

  SmtpSession session(*socket, timings);
  error = session.Converse(request, addresses);
  socket->Close();
  return error;
}

std::string RunSmtpDialogue(const MailRequest& request, const SmtpTimings& timings) {
  return RunSmtpDialogue(request, timings, SystemSocketApi());
}

bool SendMailThread(std::unique_ptr<MailRequest> request, MailResultCallback onResult,
                    const SmtpTimings& timings, ISocketApi& sockets) {
  if (!request) return false;
  sockets.Startup();
  try {
    std::thread worker([owned = std::move(request), onResult = std::move(onResult), timings, &sockets]() mutable {
      std::string error = RunSmtpDialogue(*owned, timings, sockets);
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

bool SendMailThread(std::unique_ptr<MailRequest> request, MailResultCallback onResult, const SmtpTimings& timings) {
  return SendMailThread(std::move(request), std::move(onResult), timings, SystemSocketApi());
}

std::vector<std::string> MailOutcomeLogLines(const std::string& recipients, const std::string& error) {
  if (error.empty()) return {"Successfully sent bandwidth usage notification email to " + recipients + "."};
  return {"Failed send bandwidth usage notification email to " + recipients + ".", "Error: " + error,
          "Please check your email settings at Options -> Notification -> Email Settings."};
}

}  // namespace vantrel
