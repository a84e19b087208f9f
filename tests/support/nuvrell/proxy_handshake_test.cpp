// The proxy handshakes as bytes: requests written and replies read.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/nuvrell/proxy_handshake.h"
#include "support/nuvrell/socket_texts.h"

using namespace nuvrell;

namespace {

tagProxyInfo Proxy(BYTE kind, const char* user = "", const char* pass = "") {
  tagProxyInfo info{};
  info.cbProxyType = kind;
  info.wProxyPort = 1080;
  std::strcpy(info.szProxyServer, "proxy.local");
  std::strcpy(info.szUserName, user);
  std::strcpy(info.szPassword, pass);
  return info;
}

std::string B(const char* bytes, std::size_t n) { return std::string(bytes, n); }

// Feeds a reply; returns the status and what the handshake wants sent.
ProxyHandshake::Status Feed(ProxyHandshake& h, const std::string& reply, std::string* out = nullptr,
                            std::size_t* consumed = nullptr) {
  std::string sent;
  std::size_t used = 0;
  const auto status = h.Feed(reinterpret_cast<const std::uint8_t*>(reply.data()), reply.size(), sent, &used);
  if (out) *out = sent;
  if (consumed) *consumed = used;
  return status;
}

constexpr std::uint32_t kLoopback = 0x0100007F;  // 127.0.0.1 in network order, as stored in memory

}  // namespace

TEST(ProxyHandshake, Base64) {
  EXPECT_EQ("", Base64Encode(""));
  EXPECT_EQ("Zg==", Base64Encode("f"));
  EXPECT_EQ("Zm8=", Base64Encode("fo"));
  EXPECT_EQ("Zm9v", Base64Encode("foo"));
  EXPECT_EQ("dXNlcjpwYXNz", Base64Encode("user:pass"));
  EXPECT_EQ("/w==", Base64Encode("\xFF"));
}

TEST(ProxyHandshake, UsableSettings) {
  EXPECT_TRUE(IsUsableProxyInfo(Proxy(ProxyType_Socks5)));
  tagProxyInfo none{};
  EXPECT_TRUE(IsUsableProxyInfo(none));
  tagProxyInfo bad = Proxy(6);
  EXPECT_FALSE(IsUsableProxyInfo(bad));
  bad = Proxy(ProxyType_Http10);
  bad.wProxyPort = 0;
  EXPECT_FALSE(IsUsableProxyInfo(bad));
  bad = Proxy(ProxyType_Http10);
  bad.szProxyServer[0] = 0;
  EXPECT_FALSE(IsUsableProxyInfo(bad));
  bad = Proxy(ProxyType_Socks4);
  std::memset(bad.szPassword, 'x', sizeof(bad.szPassword));  // no terminating zero
  EXPECT_FALSE(IsUsableProxyInfo(bad));
  ProxyHandshake h;
  EXPECT_FALSE(h.Begin(none, "host", 0, 80));
}

TEST(ProxyHandshake, Socks4SendsTheAddressAndUserId) {
  ProxyHandshake h;
  EXPECT_FALSE(h.Begin(Proxy(ProxyType_Socks4, "bob"), "game.local", 0, 8000));  // needs an address
  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Socks4, "bob"), "game.local", kLoopback, 8000));
  EXPECT_EQ(B("\x04\x01\x1F\x40\x7F\x00\x00\x01"
              "bob\x00",
              12),
            h.Request());
  std::size_t consumed = 0;
  EXPECT_EQ(ProxyHandshake::Status::Continue, Feed(h, B("\x00\x5A\x00", 3)));
  // The rest of the reply, then two bytes of the server's own data.
  EXPECT_EQ(ProxyHandshake::Status::Done, Feed(h,
                                               B("\x00\x00\x00\x00\x00"
                                                 "AB",
                                                 7),
                                               nullptr, &consumed));
  EXPECT_EQ(5u, consumed);

  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Socks4), "1.2.3.4", kLoopback, 80));
  EXPECT_EQ(ProxyHandshake::Status::Failed, Feed(h, B("\x00\x5B\x00\x00\x00\x00\x00\x00", 8)));
  EXPECT_EQ(NUVRELL_ERROR_PROXY_REFUSED, h.ErrorCode());
  EXPECT_FALSE(h.ErrorText().empty());
  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Socks4), "1.2.3.4", kLoopback, 80));
  EXPECT_EQ(ProxyHandshake::Status::Failed, Feed(h, B("\x00\x5D\x00\x00\x00\x00\x00\x00", 8)));
  EXPECT_EQ(NUVRELL_ERROR_PROXY_AUTH, h.ErrorCode());
  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Socks4), "1.2.3.4", kLoopback, 80));
  EXPECT_EQ(ProxyHandshake::Status::Failed, Feed(h, "HTTP/1.0"));
  EXPECT_EQ(NUVRELL_ERROR_PROXY_PROTOCOL, h.ErrorCode());
}

TEST(ProxyHandshake, Socks4aSendsTheNameForTheProxyToResolve) {
  ProxyHandshake h;
  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Socks4A, "u"), "game.local", 0, 80));
  EXPECT_EQ(B("\x04\x01\x00\x50\x00\x00\x00\x01u\x00game.local\x00", 21), h.Request());
  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Socks4A), "10.0.0.2", 0, 80));  // an address goes as SOCKS4
  EXPECT_EQ(B("\x04\x01\x00\x50\x0A\x00\x00\x02\x00", 9), h.Request());
  EXPECT_FALSE(h.Begin(Proxy(ProxyType_Socks4A), std::string(256, 'n'), 0, 80));
}

TEST(ProxyHandshake, Socks5WithoutAuthentication) {
  ProxyHandshake h;
  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Socks5), "game.local", 0, 443));
  EXPECT_EQ(B("\x05\x01\x00", 3), h.Request());
  std::string out;
  ASSERT_EQ(ProxyHandshake::Status::Continue, Feed(h, B("\x05\x00", 2), &out));
  EXPECT_EQ(B("\x05\x01\x00\x03\x0Agame.local\x01\xBB", 17), out);
  // Reply with a domain address, split, with server data behind it.
  ASSERT_EQ(ProxyHandshake::Status::Continue, Feed(h, B("\x05\x00\x00\x03\x03", 5)));
  std::size_t consumed = 0;
  EXPECT_EQ(ProxyHandshake::Status::Done, Feed(h, B("abc\x00\x50Z", 6), &out, &consumed));
  EXPECT_EQ(5u, consumed);

  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Socks5), "127.0.0.1", 0, 80));
  ASSERT_EQ(ProxyHandshake::Status::Continue, Feed(h, B("\x05\x00", 2), &out));
  EXPECT_EQ(B("\x05\x01\x00\x01\x7F\x00\x00\x01\x00\x50", 10), out);
  EXPECT_EQ(ProxyHandshake::Status::Failed, Feed(h, B("\x05\x05\x00\x01\x7F\x00\x00\x01\x00\x50", 10)));
  EXPECT_EQ(NUVRELL_ERROR_PROXY_REFUSED, h.ErrorCode());

  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Socks5), "127.0.0.1", 0, 80));
  EXPECT_EQ(ProxyHandshake::Status::Failed, Feed(h, B("\x05\xFF", 2)));
  EXPECT_EQ(NUVRELL_ERROR_PROXY_AUTH, h.ErrorCode());
  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Socks5), "127.0.0.1", 0, 80));
  EXPECT_EQ(ProxyHandshake::Status::Failed, Feed(h, B("\x05\x02", 2)));  // asks for a password we do not have
  EXPECT_EQ(NUVRELL_ERROR_PROXY_PROTOCOL, h.ErrorCode());
}

TEST(ProxyHandshake, Socks5WithUserNameAndPassword) {
  ProxyHandshake h;
  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Socks5, "alice", "s3cret"), "127.0.0.1", 0, 80));
  EXPECT_EQ(B("\x05\x02\x00\x02", 4), h.Request());
  std::string out;
  ASSERT_EQ(ProxyHandshake::Status::Continue, Feed(h, B("\x05\x02", 2), &out));
  EXPECT_EQ(B("\x01\x05"
              "alice\x06s3cret",
              14),
            out);
  ASSERT_EQ(ProxyHandshake::Status::Continue, Feed(h, B("\x01\x00", 2), &out));
  EXPECT_EQ(B("\x05\x01\x00\x01\x7F\x00\x00\x01\x00\x50", 10), out);
  EXPECT_EQ(ProxyHandshake::Status::Done, Feed(h, B("\x05\x00\x00\x01\x00\x00\x00\x00\x00\x00", 10)));

  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Socks5, "alice", "wrong"), "127.0.0.1", 0, 80));
  ASSERT_EQ(ProxyHandshake::Status::Continue, Feed(h, B("\x05\x02", 2), &out));
  EXPECT_EQ(ProxyHandshake::Status::Failed, Feed(h, B("\x01\x01", 2)));
  EXPECT_EQ(NUVRELL_ERROR_PROXY_AUTH, h.ErrorCode());
}

TEST(ProxyHandshake, HttpConnect) {
  ProxyHandshake h;
  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Http10), "game.local", 0, 9000));
  EXPECT_EQ("CONNECT game.local:9000 HTTP/1.0\r\n\r\n", h.Request());
  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Http11, "user", "pass"), "game.local", 0, 9000));
  EXPECT_EQ(
      "CONNECT game.local:9000 HTTP/1.1\r\nHost: game.local:9000\r\n"
      "Proxy-Authorization: Basic dXNlcjpwYXNz\r\n\r\n",
      h.Request());
  std::size_t consumed = 0;
  EXPECT_EQ(ProxyHandshake::Status::Continue, Feed(h, "HTTP/1.1 200 Connection established\r\n"));
  EXPECT_EQ(ProxyHandshake::Status::Done, Feed(h, "Proxy-agent: x\r\n\r\nDATA", nullptr, &consumed));
  EXPECT_EQ(18u, consumed);

  const struct {
    const char* reply;
    int code;
  } failures[] = {
      {"HTTP/1.0 407 Proxy Authentication Required\r\n\r\n", NUVRELL_ERROR_PROXY_AUTH},
      {"HTTP/1.0 401 Unauthorized\r\n\r\n", NUVRELL_ERROR_PROXY_AUTH},
      {"HTTP/1.0 500 Unable to connect\r\n\r\n", NUVRELL_ERROR_PROXY_REFUSED},
      {"HTTP/1.0 403 Forbidden\r\n\r\n", NUVRELL_ERROR_PROXY_REFUSED},
      {"SSH-2.0-OpenSSH\r\n\r\n", NUVRELL_ERROR_PROXY_PROTOCOL},
  };
  for (const auto& f : failures) {
    SCOPED_TRACE(f.reply);
    ASSERT_TRUE(h.Begin(Proxy(ProxyType_Http10), "game.local", 0, 9000));
    EXPECT_EQ(ProxyHandshake::Status::Failed, Feed(h, f.reply));
    EXPECT_EQ(f.code, h.ErrorCode());
  }
  // A reply that never ends its header is refused, not stored without end.
  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Http10), "game.local", 0, 9000));
  ProxyHandshake::Status status = ProxyHandshake::Status::Continue;
  for (int i = 0; i < 100 && status == ProxyHandshake::Status::Continue; ++i) status = Feed(h, std::string(1000, 'h'));
  EXPECT_EQ(ProxyHandshake::Status::Failed, status);
  EXPECT_EQ(NUVRELL_ERROR_PROXY_PROTOCOL, h.ErrorCode());
}

TEST(ProxyHandshake, FailureTextsNameTheReason) {
  ProxyHandshake h;
  // SOCKS5 reply codes 1..6 each have their text; others carry the code.
  for (int rep = 1; rep <= 9; ++rep) {
    SCOPED_TRACE(rep);
    ASSERT_TRUE(h.Begin(Proxy(ProxyType_Socks5), "127.0.0.1", 0, 80));
    ASSERT_EQ(ProxyHandshake::Status::Continue, Feed(h, B("\x05\x00", 2)));
    std::string reply = B("\x05\x00\x00\x01\x7F\x00\x00\x01\x00\x50", 10);
    reply[1] = static_cast<char>(rep);
    ASSERT_EQ(ProxyHandshake::Status::Failed, Feed(h, reply));
    EXPECT_EQ(rep <= 6 ? std::string(texts::kSocks5Replies[rep]) : FormatText(texts::kSocks5Refused, rep),
              h.ErrorText());
  }
  EXPECT_NE(std::string::npos, h.ErrorText().find('9'));
  // "目标服务器拒绝了代理服务器的连接" (GBK) for code 5.
  EXPECT_EQ(
      "\xC4\xBF\xB1\xEA\xB7\xFE\xCE\xF1\xC6\xF7\xBE\xDC\xBE\xF8\xC1\xCB\xB4\xFA\xC0\xED\xB7\xFE\xCE\xF1\xC6\xF7\xB5\xC4"
      "\xC1\xAC\xBD\xD3",
      std::string(texts::kSocks5Replies[5]));

  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Socks4), "1.2.3.4", kLoopback, 80));
  ASSERT_EQ(ProxyHandshake::Status::Failed, Feed(h, B("\x00\x5B\x00\x00\x00\x00\x00\x00", 8)));
  EXPECT_EQ(texts::kSocks4Refused, h.ErrorText());
  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Http11), "game.local", 0, 80));
  ASSERT_EQ(ProxyHandshake::Status::Failed, Feed(h, "HTTP/1.1 403 Forbidden\r\n\r\n"));
  EXPECT_EQ(FormatText(texts::kHttpRefused, 403), h.ErrorText());
  ASSERT_TRUE(h.Begin(Proxy(ProxyType_Http11), "game.local", 0, 80));
  ASSERT_EQ(ProxyHandshake::Status::Failed, Feed(h, "HTTP/1.1 407 Proxy Authentication Required\r\n\r\n"));
  EXPECT_EQ(texts::kProxyAuth, h.ErrorText());
}
