#include "platform/socket.h"

#include <gtest/gtest.h>

#include "fake_smtp_server.h"

namespace vantrel {
namespace {

using test::FakeSmtpServer;
using test::ServerScript;

uint32_t Loopback() {
  uint32_t a = 0;
  EXPECT_TRUE(SystemSocketApi().Resolve("127.0.0.1", &a));
  return a;
}

TEST(SocketApi, StartsOnceAndStaysStarted) {
  EXPECT_TRUE(SystemSocketApi().Startup());
  EXPECT_TRUE(SystemSocketApi().Startup());
}

TEST(SocketApi, TakesADottedAddressAsItStands) {
  uint32_t a = 0;
  ASSERT_TRUE(SystemSocketApi().Resolve("127.0.0.1", &a));
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&a);
  EXPECT_EQ(bytes[0], 127);
  EXPECT_EQ(bytes[1], 0);
  EXPECT_EQ(bytes[2], 0);
  EXPECT_EQ(bytes[3], 1);
  ASSERT_TRUE(SystemSocketApi().Resolve("10.20.30.40", &a));
  bytes = reinterpret_cast<const uint8_t*>(&a);
  EXPECT_EQ(bytes[0], 10);
  EXPECT_EQ(bytes[3], 40);
}

TEST(SocketApi, RefusesAnEmptyHost) {
  uint32_t a = 7;
  EXPECT_FALSE(SystemSocketApi().Resolve("", &a));
  EXPECT_EQ(a, 7u);
}

TEST(SocketApi, LooksUpLocalhost) {
  uint32_t a = 0;
  ASSERT_TRUE(SystemSocketApi().Resolve("localhost", &a));
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(&a)[0], 127);
}

TEST(SocketApi, FailsToConnectWhereNobodyListens) {
  uint16_t port = 0;
  {
    FakeSmtpServer probe(ServerScript{});
    port = probe.Port();
  }
  EXPECT_EQ(SystemSocketApi().Connect(Loopback(), port, 2000), nullptr);
}

TEST(TcpSocket, SendsReceivesAndSeesTheServerClose) {
  ServerScript s;
  s.Send("hi").Read().Close();
  FakeSmtpServer server(s);
  std::unique_ptr<ITcpSocket> socket = SystemSocketApi().Connect(Loopback(), server.Port(), 2000);
  ASSERT_NE(socket, nullptr);
  uint8_t c = 0;
  ASSERT_EQ(socket->ReceiveByte(&c, 2000), SocketResult::Ok);
  EXPECT_EQ(c, 'h');
  ASSERT_EQ(socket->ReceiveByte(&c, 2000), SocketResult::Ok);
  EXPECT_EQ(c, 'i');
  size_t sent = 0;
  ASSERT_EQ(socket->Send("line\r\n", 6, 2000, &sent), SocketResult::Ok);
  EXPECT_EQ(sent, 6u);
  EXPECT_EQ(socket->ReceiveByte(&c, 2000), SocketResult::Closed);
  socket->Close();
  socket->Close();
  EXPECT_EQ(socket->ReceiveByte(&c, 10), SocketResult::Failed);
  EXPECT_EQ(socket->Send("x", 1, 10, &sent), SocketResult::Failed);
  ASSERT_TRUE(server.WaitFinished(5000));
  EXPECT_EQ(server.Received(), "line\r\n");
}

TEST(TcpSocket, TimesOutWhenNothingArrives) {
  FakeSmtpServer server(ServerScript{});
  std::unique_ptr<ITcpSocket> socket = SystemSocketApi().Connect(Loopback(), server.Port(), 2000);
  ASSERT_NE(socket, nullptr);
  uint8_t c = 0;
  EXPECT_EQ(socket->ReceiveByte(&c, 100), SocketResult::TimedOut);
}

TEST(TcpSocket, StopsSendingWhenThePeerDoesNotRead) {
  // The server reads nothing: once the buffers between the two are full, a send waits its
  // time-out and gives up instead of blocking.
  ServerScript s;
  s.Repeat("", 1, 3000);
  FakeSmtpServer server(s);
  std::unique_ptr<ITcpSocket> socket = SystemSocketApi().Connect(Loopback(), server.Port(), 2000);
  ASSERT_NE(socket, nullptr);
  const std::string chunk(64 * 1024, 'x');
  SocketResult last = SocketResult::Ok;
  size_t total = 0;
  for (int i = 0; i < 4096 && last == SocketResult::Ok; ++i) {
    size_t sent = 0;
    last = socket->Send(chunk.data(), chunk.size(), 100, &sent);
    total += sent;
  }
  EXPECT_EQ(last, SocketResult::TimedOut);
  EXPECT_GT(total, 0u);
}

}  // namespace
}  // namespace vantrel
