// Nuvrell's socket against proxies played by the test: the target address
// a SOCKS4 request carries, and connect timeouts whose sink reconnects or
// releases the socket inside the callback.
#include <gtest/gtest.h>

#include <cstring>

#include "support/nuvrell/socket_texts.h"
#include "tests/support/nuvrell/loopback_proxy.h"
#include "tests/support/nuvrell/socket_sink.h"

using sockettest::ConnectTimeoutScope;
using sockettest::LoopbackProxy;
using sockettest::RecordingSink;
using sockettest::SocketPtr;

namespace {

tagProxyInfo ProxyAt(BYTE kind, const char* host, WORD port) {
  tagProxyInfo info{};
  info.cbProxyType = kind;
  info.wProxyPort = port;
  std::strcpy(info.szProxyServer, host);
  return info;
}

}  // namespace

// With the proxy given as an address and the target as a name, the request
// must carry the target's address (127.0.0.1), not the proxy's (127.0.0.2).
TEST(LoopbackProxy, Socks4RequestCarriesTheResolvedTargetNotTheProxy) {
  LoopbackProxy proxy("127.0.0.2", LoopbackProxy::Mode::Socks4Refuse);
  ASSERT_TRUE(proxy.Listening()) << proxy.Error();
  SocketPtr socket;
  RecordingSink rec;
  ASSERT_TRUE(socket->SetSocketSink(&rec));
  ASSERT_TRUE(socket->SetProxyInfo(ProxyAt(ProxyType_Socks4, "127.0.0.2", proxy.Port())));
  ASSERT_TRUE(socket->Connect("localhost", 0x1234));
  EXPECT_EQ(NUVRELL_ERROR_PROXY_REFUSED, rec.WaitConnect());
  EXPECT_EQ(nuvrell::texts::kSocks4Refused, rec.texts.back());
  ASSERT_TRUE(proxy.WaitRequests(1));
  const std::string request = proxy.Received().at(0);
  ASSERT_GE(request.size(), 9u);
  const std::string head("\x04\x01\x12\x34\x7F\x00\x00\x01", 8);
  EXPECT_EQ(head, request.substr(0, 8));

  // Both given as addresses: the target's address too.
  ASSERT_TRUE(socket->Connect("127.0.0.1", 0x1234));
  EXPECT_EQ(NUVRELL_ERROR_PROXY_REFUSED, rec.WaitConnect());
  ASSERT_TRUE(proxy.WaitRequests(2));
  EXPECT_EQ(head, proxy.Received().at(1).substr(0, 8));
}

// The proxy never answers the handshake, so only the timeout ends the
// attempt. A sink that starts a new attempt inside that outcome must get
// the new attempt's own timeout.
TEST(LoopbackProxy, ReconnectInsideTheTimeoutKeepsTheNewAttemptsTimeout) {
  ConnectTimeoutScope timeout(200);
  ASSERT_TRUE(timeout.Set());
  LoopbackProxy proxy("127.0.0.1", LoopbackProxy::Mode::Silent);
  ASSERT_TRUE(proxy.Listening()) << proxy.Error();
  SocketPtr socket;
  RecordingSink rec;
  ASSERT_TRUE(socket->SetSocketSink(&rec));
  ASSERT_TRUE(socket->SetProxyInfo(ProxyAt(ProxyType_Socks5, "127.0.0.1", proxy.Port())));
  bool reconnected = false;
  rec.onConnect = [&](int code) {
    if (code == NUVRELL_ERROR_TIMEOUT && !reconnected) reconnected = socket->Connect("127.0.0.1", 4000);
  };
  ASSERT_TRUE(socket->Connect("127.0.0.1", 4000));
  ASSERT_EQ(NUVRELL_ERROR_TIMEOUT, rec.WaitConnect(5000));
  EXPECT_EQ(nuvrell::texts::kTimeout, rec.texts.back());
  ASSERT_TRUE(reconnected);
  EXPECT_EQ(SocketStatus_Connecting, socket->GetSocketStatus());
  EXPECT_EQ(NUVRELL_ERROR_TIMEOUT, rec.WaitConnect(5000));
  EXPECT_EQ(SocketStatus_Idle, socket->GetSocketStatus());
  EXPECT_EQ(2u, proxy.Received().size());
}

// A sink that releases the socket inside the timeout and makes a new one
// (which the heap may place where the old one was): the old socket touches
// nothing after the call, so the new socket's attempt keeps its timeout.
TEST(LoopbackProxy, ReleaseAndReplaceInsideTheTimeout) {
  ConnectTimeoutScope timeout(200);
  ASSERT_TRUE(timeout.Set());
  LoopbackProxy proxy("127.0.0.1", LoopbackProxy::Mode::Silent);
  ASSERT_TRUE(proxy.Listening()) << proxy.Error();
  const tagProxyInfo info = ProxyAt(ProxyType_Socks5, "127.0.0.1", proxy.Port());
  RecordingSink first;
  RecordingSink second;
  IClientSocket* socket = sockettest::NewSocket();
  ASSERT_NE(nullptr, socket);
  IClientSocket* replacement = nullptr;
  int rounds = 0;
  // Each round releases the socket that timed out and starts a new one.
  std::function<void(int)> replace = [&](int code) {
    if (code != NUVRELL_ERROR_TIMEOUT) return;
    socket->Release();
    socket = replacement = sockettest::NewSocket();
    if (!socket) return;
    ++rounds;
    RecordingSink& next = rounds % 2 ? second : first;
    next.onConnect = rounds < 4 ? replace : nullptr;
    socket->SetSocketSink(&next);
    socket->SetProxyInfo(info);
    socket->Connect("127.0.0.1", 4000);
  };
  first.onConnect = replace;
  ASSERT_TRUE(socket->SetSocketSink(&first));
  ASSERT_TRUE(socket->SetProxyInfo(info));
  ASSERT_TRUE(socket->Connect("127.0.0.1", 4000));
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return rounds == 4 && first.connects.size() == 3; }, 10000))
      << "rounds " << rounds << ", outcomes " << first.connects.size() << "+" << second.connects.size();
  EXPECT_EQ(std::vector<int>(3, NUVRELL_ERROR_TIMEOUT), first.connects);
  EXPECT_EQ(std::vector<int>(2, NUVRELL_ERROR_TIMEOUT), second.connects);
  ASSERT_NE(nullptr, replacement);
  EXPECT_EQ(SocketStatus_Idle, replacement->GetSocketStatus());
  replacement->Release();
}
