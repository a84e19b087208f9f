// The display labels of the proxy kinds.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "support/nuvrell/socket_types.h"
#include "zavrel/net/proxy_labels.h"

TEST(ProxyLabels, OneLabelPerKindAndNoneOutside) {
  // Position 0 is "no proxy" (GBK bytes of 不使用代理, written out so that the
  // test does not share the library's literal); every kind has a label of
  // its own, and a number outside the kinds has none.
  EXPECT_EQ("\xB2\xBB\xCA\xB9\xD3\xC3\xB4\xFA\xC0\xED", GetProxyLabel(ProxyType_None));
  std::set<std::string> seen;
  for (int kind = ProxyType_None; kind <= ProxyType_Http11; ++kind) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(g_strProxyLabels[kind], GetProxyLabel(kind));
    EXPECT_FALSE(GetProxyLabel(kind).empty());
    seen.insert(GetProxyLabel(kind));
  }
  EXPECT_EQ(6u, seen.size());
  for (int outside : {PROXY_LABEL_COUNT, -1, INT_MIN, INT_MAX}) EXPECT_EQ("", GetProxyLabel(outside));
}
