// The display labels of the proxy kinds.
#include <gtest/gtest.h>

#include "support/nuvrell/socket_types.h"
#include "zavrel/net/proxy_labels.h"

TEST(ProxyLabels, SixLabelsInTheKindsOrder) {
  // GBK bytes of the labels, written out so that the test does not share the
  // library's own literals.
  EXPECT_EQ("\xB2\xBB\xCA\xB9\xD3\xC3\xB4\xFA\xC0\xED", g_strProxyLabels[0]);  // 不使用代理
  EXPECT_EQ("SOCK4 \xB4\xFA\xC0\xED", g_strProxyLabels[ProxyType_Socks4]);
  EXPECT_EQ("SOCK4A \xB4\xFA\xC0\xED", g_strProxyLabels[ProxyType_Socks4A]);
  EXPECT_EQ("SOCK5 \xB4\xFA\xC0\xED", g_strProxyLabels[ProxyType_Socks5]);
  EXPECT_EQ("HTTP1.0 \xB4\xFA\xC0\xED", g_strProxyLabels[ProxyType_Http10]);
  EXPECT_EQ("HTTP1.1 \xB4\xFA\xC0\xED", g_strProxyLabels[ProxyType_Http11]);
  EXPECT_EQ(g_strProxyLabels[5], GetProxyLabel(5));
  EXPECT_EQ("", GetProxyLabel(6));
  EXPECT_EQ("", GetProxyLabel(-1));
}
