#include "zavrel/net/proxy_labels.h"

#include "support/nuvrell/socket_types.h"

static_assert(PROXY_LABEL_COUNT == PROXY_TYPE_COUNT, "one label per proxy kind");
static_assert(ProxyType_None == 0 && ProxyType_Socks4 == 1 && ProxyType_Socks4A == 2 && ProxyType_Socks5 == 3 &&
                  ProxyType_Http10 == 4 && ProxyType_Http11 == 5,
              "labels stand at the kinds' numbers");

const std::string g_strProxyLabels[PROXY_LABEL_COUNT] = {
    "不使用代理", "SOCK4 代理", "SOCK4A 代理", "SOCK5 代理", "HTTP1.0 代理", "HTTP1.1 代理",
};

std::string GetProxyLabel(int nProxyType) {
  if (nProxyType < 0 || nProxyType >= PROXY_LABEL_COUNT) return std::string();
  return g_strProxyLabels[nProxyType];
}
