// Nuvrell's socket through real proxies on loopback: danted (SOCKS4,
// SOCKS5), microsocks (SOCKS5 with user name and password), tinyproxy (HTTP
// CONNECT, Basic authentication) and the fixture's own SOCKS4A proxy (danted
// does not speak SOCKS4A).
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/nuvrell/socket_sink.h"
#include "tests/zavrel/net/net_lab.h"

using sockettest::RecordingSink;
using sockettest::SocketPtr;

namespace {

tagProxyInfo Proxy(BYTE kind, WORD port, const char* host = "127.0.0.1", const char* user = "", const char* pass = "") {
  tagProxyInfo info{};
  info.cbProxyType = kind;
  info.wProxyPort = port;
  std::strcpy(info.szProxyServer, host);
  std::strcpy(info.szUserName, user);
  std::strcpy(info.szPassword, pass);
  return info;
}

class ProxyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lab.Hall("hall", "send 2 11 12 20\necho\n");
    lab.Closed("closed");
    lab.Dante("dante");
    lab.Microsocks("socks5auth", "zavrel", "pa55word");
    lab.Tinyproxy("http", "zavrel", "pa55word");
    lab.Tinyproxy("httpopen");
    lab.Socks4a("socks4a", "zavrel");
    ASSERT_TRUE(lab.Start()) << lab.Error();
    ASSERT_NE(nullptr, socket.get());
    ASSERT_TRUE(socket->SetSocketSink(&rec));
  }

  // Connects through the proxy to the hall; the outcome code.
  int ConnectThrough(const tagProxyInfo& info, const char* target = "127.0.0.1", WORD port = 0) {
    EXPECT_TRUE(socket->SetProxyInfo(info));
    if (!socket->Connect(target, port ? port : lab.Port("hall"))) return -2;
    return rec.WaitConnect();
  }

  // After a successful connect: the hall's greeting arrives and an echo
  // comes back through the tunnel.
  void ExpectTunnelWorks() {
    ASSERT_EQ(SocketStatus_Connected, socket->GetSocketStatus());
    ASSERT_TRUE(rec.WaitMessages(2));
    EXPECT_EQ(11, rec.messages[0].main);
    EXPECT_EQ(1u, sockettest::SeqOf(rec.messages[1].body));
    ASSERT_TRUE(socket->SendData(21, 22, "ping!", 5));
    ASSERT_TRUE(rec.WaitMessages(3));
    EXPECT_EQ(21, rec.messages[2].main);
    EXPECT_EQ("ping!", rec.messages[2].body);
    // The socket's peer is the proxy.
    EXPECT_EQ(socket->GetServerPort(), lastProxyPort);
    socket->CloseSocket(false);
    rec.messages.clear();
  }

  void ExpectFailure(int code) {
    EXPECT_EQ(code, rec.connects.back());
    EXPECT_FALSE(rec.texts.back().empty());
    EXPECT_EQ(SocketStatus_Idle, socket->GetSocketStatus());
  }

  tagProxyInfo Use(BYTE kind, const char* service, const char* user = "", const char* pass = "") {
    lastProxyPort = lab.Port(service);
    return Proxy(kind, lastProxyPort, "127.0.0.1", user, pass);
  }

  netlab::NetLab lab;
  SocketPtr socket;
  RecordingSink rec;
  WORD lastProxyPort = 0;
};

}  // namespace

TEST_F(ProxyTest, Socks4) {
  ASSERT_EQ(0, ConnectThrough(Use(ProxyType_Socks4, "dante", "anyone")));
  ExpectTunnelWorks();
  // A host name is resolved here, since SOCKS4 carries only an address.
  ASSERT_EQ(0, ConnectThrough(Use(ProxyType_Socks4, "dante"), "localhost"));
  ExpectTunnelWorks();
  // The proxy cannot reach the target.
  ConnectThrough(Use(ProxyType_Socks4, "dante"), "127.0.0.1", lab.Port("closed"));
  ExpectFailure(NUVRELL_ERROR_PROXY_REFUSED);
}

TEST_F(ProxyTest, Socks4a) {
  ASSERT_EQ(0, ConnectThrough(Use(ProxyType_Socks4A, "socks4a", "zavrel"), "localhost"));
  ExpectTunnelWorks();
  ConnectThrough(Use(ProxyType_Socks4A, "socks4a", "zavrel"), "localhost", lab.Port("closed"));
  ExpectFailure(NUVRELL_ERROR_PROXY_REFUSED);
  ConnectThrough(Use(ProxyType_Socks4A, "socks4a", "intruder"), "localhost");
  ExpectFailure(NUVRELL_ERROR_PROXY_AUTH);
}

TEST_F(ProxyTest, Socks5WithoutAuthentication) {
  ASSERT_EQ(0, ConnectThrough(Use(ProxyType_Socks5, "dante")));
  ExpectTunnelWorks();
  ConnectThrough(Use(ProxyType_Socks5, "dante"), "127.0.0.1", lab.Port("closed"));
  ExpectFailure(NUVRELL_ERROR_PROXY_REFUSED);
  // A proxy that insists on a password we were not given.
  ConnectThrough(Use(ProxyType_Socks5, "socks5auth"));
  ExpectFailure(NUVRELL_ERROR_PROXY_AUTH);
}

TEST_F(ProxyTest, Socks5WithUserNameAndPassword) {
  ASSERT_EQ(0, ConnectThrough(Use(ProxyType_Socks5, "socks5auth", "zavrel", "pa55word")));
  ExpectTunnelWorks();
  ASSERT_EQ(0, ConnectThrough(Use(ProxyType_Socks5, "socks5auth", "zavrel", "pa55word"), "localhost"));
  ExpectTunnelWorks();
  ConnectThrough(Use(ProxyType_Socks5, "socks5auth", "zavrel", "wrong"));
  ExpectFailure(NUVRELL_ERROR_PROXY_AUTH);
  ConnectThrough(Use(ProxyType_Socks5, "socks5auth", "zavrel", "pa55word"), "127.0.0.1", lab.Port("closed"));
  ExpectFailure(NUVRELL_ERROR_PROXY_REFUSED);
}

TEST_F(ProxyTest, Http10) {
  ASSERT_EQ(0, ConnectThrough(Use(ProxyType_Http10, "httpopen")));
  ExpectTunnelWorks();
  ASSERT_EQ(0, ConnectThrough(Use(ProxyType_Http10, "http", "zavrel", "pa55word")));
  ExpectTunnelWorks();
  ConnectThrough(Use(ProxyType_Http10, "http", "zavrel", "wrong"));
  ExpectFailure(NUVRELL_ERROR_PROXY_AUTH);
  ConnectThrough(Use(ProxyType_Http10, "httpopen"), "127.0.0.1", lab.Port("closed"));
  ExpectFailure(NUVRELL_ERROR_PROXY_REFUSED);
}

TEST_F(ProxyTest, Http11) {
  ASSERT_EQ(0, ConnectThrough(Use(ProxyType_Http11, "http", "zavrel", "pa55word"), "localhost"));
  ExpectTunnelWorks();
  ConnectThrough(Use(ProxyType_Http11, "http"));
  ExpectFailure(NUVRELL_ERROR_PROXY_AUTH);
  ConnectThrough(Use(ProxyType_Http11, "http", "zavrel", "pa55word"), "127.0.0.1", lab.Port("closed"));
  ExpectFailure(NUVRELL_ERROR_PROXY_REFUSED);
}

TEST_F(ProxyTest, UnreachableProxyAndBadSettings) {
  // Nothing listens on the proxy's port.
  ConnectThrough(Use(ProxyType_Socks5, "closed"));
  ExpectFailure(WSAECONNREFUSED);
  // Settings that cannot work are refused and the old ones kept.
  tagProxyInfo bad = Proxy(ProxyType_Http11, 0);
  EXPECT_FALSE(socket->SetProxyInfo(bad));
  bad = Proxy(9, 8080);
  EXPECT_FALSE(socket->SetProxyInfo(bad));
  tagProxyInfo none{};
  ASSERT_TRUE(socket->SetProxyInfo(none));
  lastProxyPort = lab.Port("hall");
  ASSERT_TRUE(socket->Connect("127.0.0.1", lab.Port("hall")));
  ASSERT_EQ(0, rec.WaitConnect());
  ExpectTunnelWorks();
}
