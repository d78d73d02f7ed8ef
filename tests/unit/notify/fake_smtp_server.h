#pragma once
// A scripted SMTP server on 127.0.0.1 for the client's tests: it listens on an ephemeral port,
// serves one connection on a thread of its own following a script of steps, and records every
// byte the client sent. Every wait is bounded; the server gives up by itself.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::test {

// One step of the server's side of the conversation.
struct ServerStep {
  enum class Kind { Send, ReadLine, ReadData, Repeat, Close };
  Kind kind = Kind::Send;
  std::string bytes;     // Send, Repeat: what to send
  int count = 0;         // Repeat: how many times
  uint32_t pauseMs = 0;  // Repeat: pause before each sending
};

// Builds a script step by step.
class ServerScript {
 public:
  // Sends bytes as they stand.
  ServerScript& Send(std::string bytes);
  // Reads one line (up to its line feed) from the client.
  ServerScript& Read();
  // Reads one line, then sends the reply.
  ServerScript& Reply(std::string reply);
  // Reads the message up to and with "\r\n.\r\n", then sends the reply.
  ServerScript& Data(std::string reply);
  // Sends bytes `count` times, pausing before each.
  ServerScript& Repeat(std::string bytes, int count, uint32_t pauseMs);
  // Ends the server's sending side; the rest of what the client sends is still recorded.
  ServerScript& Close();

  std::vector<ServerStep> steps;
};

class FakeSmtpServer {
 public:
  // Starts listening (on `port`, or an ephemeral one for 0) and serving in the background:
  // up to `connections` connections one after another, each with the whole script, for at
  // most `serveLimitMs` in all.
  explicit FakeSmtpServer(ServerScript script, uint16_t port = 0, int connections = 1,
                          uint32_t serveLimitMs = kServeLimitMs);
  ~FakeSmtpServer();
  FakeSmtpServer(const FakeSmtpServer&) = delete;
  FakeSmtpServer& operator=(const FakeSmtpServer&) = delete;

  bool Listening() const { return m_port != 0; }
  uint16_t Port() const { return m_port; }
  // Waits up to timeoutMs for the connection to end (the client closed it, or the server gave
  // up). True when it ended.
  bool WaitFinished(uint32_t timeoutMs);
  // Everything the client sent so far.
  std::string Received();
  // The lines the client sent outside the message, without their CR LF, in order.
  std::vector<std::string> CommandLines();
  // The message as received between "DATA" and the final "\r\n.\r\n" (both excluded); the
  // last one when there were several connections.
  std::string MessageData();
  // Every message received, in order.
  std::vector<std::string> Messages();
  // Waits up to timeoutMs until `count` messages came in; true when they did.
  bool WaitForMessages(size_t count, uint32_t timeoutMs);
  int Connections();

  // How long the server serves at most before it gives up by itself.
  static constexpr uint32_t kServeLimitMs = 20000;

 private:
  void Serve();
  // One connection through the script; false when the server is to give up.
  void ServeConnection(uintptr_t client, const std::function<bool()>& stopping);

  ServerScript m_script;
  int m_maxConnections = 1;
  uint32_t m_serveLimitMs = kServeLimitMs;
  uintptr_t m_listener;
  uint16_t m_port = 0;
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_stop = false;
  bool m_finished = false;
  int m_connections = 0;
  std::string m_received;
  std::vector<std::string> m_lines;
  std::string m_data;
  std::vector<std::string> m_messages;
};

}  // namespace vantrel::test
