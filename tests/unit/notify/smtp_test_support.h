#pragma once
// Shared helpers of the SMTP tests: quick time-outs, a request that passes the checks, the
// replies of a willing server, a socket layer that counts what is asked of it, and a waiter
// for the sender thread's outcome.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "fake_smtp_server.h"
#include "notify/smtp_client.h"

namespace vantrel::test {

// Short pauses, and time-outs that a busy machine never reaches on a dialogue that goes
// through (a long reply is read a byte at a time); tests of the time-outs set their own.
inline SmtpTimings QuickTimings() {
  SmtpTimings t;
  t.connectTimeoutMs = 5000;
  t.connectPauseMs = 20;
  t.commandTimeoutMs = 15000;
  t.replyTimeoutMs = 15000;
  t.endTimeoutMs = 15000;
  return t;
}

inline MailRequest BasicRequest() {
  MailRequest r;
  r.server = "127.0.0.1";
  r.sender = "meter@example.com";
  r.recipients = "ops@example.com";
  r.message = "From: meter@example.com\r\nTo: ops@example.com\r\nSubject: Usage\r\n\r\nBody line\r\n";
  return r;
}

// A server that accepts a dialogue without authentication and one recipient.
inline ServerScript WillingHeloServer() {
  ServerScript s;
  s.Send("220 fake.example ESMTP\r\n")
      .Reply("250 fake.example\r\n")
      .Reply("250 sender ok\r\n")
      .Reply("250 recipient ok\r\n")
      .Reply("354 go ahead\r\n")
      .Data("250 queued\r\n")
      .Reply("221 bye\r\n");
  return s;
}

// What the client sends to WillingHeloServer for BasicRequest-like requests.
inline std::string HeloDialogueBytes(const MailRequest& r, const std::string& wireMessage) {
  return "HELO vantrel\r\nMAIL FROM: <" + r.sender + ">\r\nRCPT TO: <" + r.recipients + ">\r\nDATA\r\n" +
         wireMessage + "\r\n.\r\nQUIT\r\n";
}

// The system's sockets, counting the calls made through them.
class CountingSocketApi : public ISocketApi {
 public:
  bool Startup() override {
    ++startups;
    startupThread = std::this_thread::get_id();
    return SystemSocketApi().Startup();
  }
  bool Resolve(const std::string& host, uint32_t* address) override {
    ++resolves;
    return !failResolve && SystemSocketApi().Resolve(host, address);
  }
  std::unique_ptr<ITcpSocket> Connect(uint32_t address, uint16_t port, uint32_t timeoutMs) override {
    ++connects;
    return SystemSocketApi().Connect(address, port, timeoutMs);
  }

  bool failResolve = false;  // every lookup fails, as for an unknown host
  std::atomic<int> startups{0};
  std::atomic<int> resolves{0};
  std::atomic<int> connects{0};
  std::thread::id startupThread;
};

// Collects the outcome that a sender thread reports. The state is shared with the callback,
// so a thread that reports late (after a failed test) touches nothing that is gone.
class OutcomeWaiter {
 public:
  MailResultCallback Callback() {
    std::shared_ptr<State> state = m_state;
    return [state](const MailRequest& request, const std::string& error) {
      std::lock_guard<std::mutex> lock(state->mutex);
      state->error = error;
      state->recipients = request.recipients;
      state->thread = std::this_thread::get_id();
      ++state->calls;
      state->changed.notify_all();
    };
  }
  // Waits up to timeoutMs for the outcome; false when none came.
  bool Wait(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_state->mutex);
    return m_state->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                     [this] { return m_state->calls > 0; });
  }
  std::string Error() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->error;
  }
  std::string Recipients() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->recipients;
  }
  std::thread::id Thread() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->thread;
  }
  int Calls() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->calls;
  }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable changed;
    std::string error;
    std::string recipients;
    std::thread::id thread;
    int calls = 0;
  };
  std::shared_ptr<State> m_state = std::make_shared<State>();
};

}  // namespace vantrel::test
