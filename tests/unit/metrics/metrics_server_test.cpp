#include "metrics/metrics_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// The server on real loopback sockets: what a well-behaved client gets, and what the hostile
// ones get. Every client wait is bounded.
struct FixedRenderer : IMetricsRenderer {
  std::string Render(MetricsResource, std::string* contentType) override {
    *contentType = "text/plain; version=0.0.4; charset=utf-8";
    return "vantrel_up 1\n";
  }
};

uint32_t Loopback() {
  uint32_t a = 0;
  SystemSocketApi().Resolve("127.0.0.1", &a);
  return a;
}

class Client {
 public:
  explicit Client(uint16_t port) : m_socket(SystemSocketApi().Connect(Loopback(), port, 5000)) {}
  bool Connected() const { return m_socket != nullptr; }
  bool Send(const std::string& bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
      size_t sent = 0;
      if (m_socket->Send(bytes.data() + at, bytes.size() - at, 5000, &sent) != SocketResult::Ok) return false;
      at += sent;
    }
    return true;
  }
  // One answer: its head and as many bytes as its Content-Length says (or all until the
  // server closes). False when nothing came for `quietMs`.
  bool ReadAnswer(std::string* out, uint32_t quietMs = 8000) {
    char buf[4096];
    for (;;) {
      size_t end = out->find("\r\n\r\n");
      size_t length = out->find("Content-Length: ");
      if (end != std::string::npos && length != std::string::npos &&
          out->size() >= end + 4 + std::stoul(out->substr(length + 16)))
        return true;
      size_t got = 0;
      SocketResult r = m_socket->Receive(buf, sizeof buf, quietMs, &got);
      if (r != SocketResult::Ok) return r == SocketResult::Closed;
      out->append(buf, got);
    }
  }
  // Everything until the server closes (true) or nothing came for `quietMs` (false).
  bool ReadToClose(std::string* out, uint32_t quietMs = 8000) {
    char buf[4096];
    for (;;) {
      size_t got = 0;
      SocketResult r = m_socket->Receive(buf, sizeof buf, quietMs, &got);
      if (r == SocketResult::Ok) {
        out->append(buf, got);
        continue;
      }
      return r == SocketResult::Closed || r == SocketResult::Failed;
    }
  }
  void Close() { m_socket.reset(); }

 private:
  std::unique_ptr<ITcpSocket> m_socket;
};

class MetricsServerTest : public ::testing::Test {
 protected:
  uint16_t Start(MetricsServerConfig config = {}) {
    config.address = Loopback();
    EXPECT_EQ(m_server.Start(config), ListenResult::Ok);
    return m_server.Port();
  }
  FixedRenderer m_renderer;
  MetricsServer m_server{SystemSocketApi(), m_renderer};
};

TEST_F(MetricsServerTest, AnswersAndClosesTheConnection) {
  uint16_t port = Start();
  ASSERT_NE(port, 0);
  // A client that reads the answer and closes, and one that waits for the server to close.
  for (bool waitForClose : {false, true}) {
    Client c(port);
    ASSERT_TRUE(c.Connected());
    ASSERT_TRUE(c.Send("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n"));
    std::string answer;
    EXPECT_TRUE(waitForClose ? c.ReadToClose(&answer) : c.ReadAnswer(&answer));
    EXPECT_EQ(answer,
              "HTTP/1.1 200 OK\r\nContent-Type: text/plain; version=0.0.4; charset=utf-8\r\nContent-Length: 13\r\n"
              "Cache-Control: no-store\r\nConnection: close\r\n\r\nvantrel_up 1\n");
  }
}

TEST_F(MetricsServerTest, HostileClientsGetBoundedAnswersOrCloses) {
  MetricsServerConfig config;
  config.requestTimeoutMs = 3000;
  config.lingerMs = 200;
  uint16_t port = Start(config);

  // Rubbish and a request line of a megabyte: answered at once, and closed.
  Client garbage(port);
  ASSERT_TRUE(garbage.Send(std::string("\x16\x03\x01\x00\xa5\x01\x00\x00\xa1\x03\x03", 11)));
  std::string answer;
  EXPECT_TRUE(garbage.ReadToClose(&answer));
  EXPECT_EQ(answer.substr(0, 25), "HTTP/1.1 400 Bad Request\r");
  Client huge(port);
  ASSERT_TRUE(huge.Send("GET /" + std::string(1 << 20, 'a')));
  answer.clear();
  EXPECT_TRUE(huge.ReadToClose(&answer));
  EXPECT_EQ(answer.substr(0, 44), "HTTP/1.1 431 Request Header Fields Too Large");

  // Eight clients that send a byte and then nothing fill every place: a ninth waits in the
  // queue, unanswered, until places free up.
  std::vector<std::unique_ptr<Client>> idle;
  for (int i = 0; i < 8; ++i) {
    idle.push_back(std::make_unique<Client>(port));
    ASSERT_TRUE(idle.back()->Send("G"));
  }
  Client ninth(port);
  ASSERT_TRUE(ninth.Connected());
  ASSERT_TRUE(ninth.Send("GET / HTTP/1.1\r\n\r\n"));
  answer.clear();
  EXPECT_FALSE(ninth.ReadToClose(&answer, 500)) << "a ninth connection was served: " << answer;
  EXPECT_EQ(answer, "");
  // The slow ones are closed without an answer once their time is up; then the ninth is served.
  for (auto& c : idle) {
    std::string none;
    EXPECT_TRUE(c->ReadToClose(&none));
    EXPECT_EQ(none, "");
  }
  EXPECT_TRUE(ninth.ReadToClose(&answer));
  EXPECT_EQ(answer.substr(0, 15), "HTTP/1.1 200 OK");
}

TEST_F(MetricsServerTest, ClientsOutsideTheAllowListAreClosedWithoutAnAnswer) {
  MetricsServerConfig config;
  ASSERT_TRUE(AllowList::Parse(L"192.168.1.0/24, 127.0.0.2", &config.allow));
  uint16_t port = Start(config);
  Client c(port);
  ASSERT_TRUE(c.Connected());
  c.Send("GET /metrics HTTP/1.1\r\n\r\n");
  std::string answer;
  EXPECT_TRUE(c.ReadToClose(&answer));
  EXPECT_EQ(answer, "");
}

TEST_F(MetricsServerTest, APortInUseIsReportedAndFreedAtOnceByAStop) {
  uint16_t port = Start();
  FixedRenderer other;
  MetricsServer second(SystemSocketApi(), other);
  MetricsServerConfig config;
  config.address = Loopback();
  config.port = port;
  EXPECT_EQ(second.Start(config), ListenResult::InUse);
  config.address = 0;  // every address includes the one in use
  EXPECT_EQ(second.Start(config), ListenResult::InUse);
  EXPECT_FALSE(second.Running());

  // After serving, a stopped server leaves the port to the next one at once, also when it
  // closed a connection itself (the client waited for it).
  Client c(port);
  ASSERT_TRUE(c.Send("GET / HTTP/1.1\r\n\r\n"));
  std::string answer;
  EXPECT_TRUE(c.ReadToClose(&answer));
  c.Close();
  m_server.Stop();
  EXPECT_FALSE(m_server.Running());
  config.address = Loopback();
  EXPECT_EQ(second.Start(config), ListenResult::Ok);
  EXPECT_EQ(second.Port(), port);
}

}  // namespace
}  // namespace vantrel
