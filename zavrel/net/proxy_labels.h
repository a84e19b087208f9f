// Display labels of the proxy kinds, in the order of the kinds' numbers
// (enProxyServerType of the socket library): position 0 is "no proxy".
// Built when Zavrel loads; portable.
#pragma once

#include <string>

#include "zavrel/zavrel_api.h"

constexpr int PROXY_LABEL_COUNT = 6;

// "不使用代理", "SOCK4 代理", "SOCK4A 代理", "SOCK5 代理", "HTTP1.0 代理",
// "HTTP1.1 代理" (ANSI code page).
ZAVREL_API extern const std::string g_strProxyLabels[PROXY_LABEL_COUNT];

// The label of a kind; empty for a number outside 0..5.
ZAVREL_API std::string GetProxyLabel(int nProxyType);
