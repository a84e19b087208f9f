// The texts of the socket's failed connect outcomes (the description handed
// to OnSocketConnect), each written once here. Chinese, stored in the ANSI
// code page; a text with a format directive takes the value named beside it
// (see FormatText). Portable.
#pragma once

#include <cstdio>
#include <string>

namespace nuvrell {
namespace texts {

// Connecting, directly or to the proxy.
inline constexpr char kResolveFailed[] = "无法解析服务器地址：%s";                     // the name
inline constexpr char kServerConnectFailed[] = "无法连接到服务器（错误代码：%d）";     // Winsock code
inline constexpr char kProxyConnectFailed[] = "无法连接到代理服务器（错误代码：%d）";  // Winsock code
inline constexpr char kTimeout[] = "连接服务器超时";

// The proxy's handshake.
inline constexpr char kProxySettingsInvalid[] = "代理服务器设置无效";
inline constexpr char kProxyClosed[] = "代理服务器在握手过程中关闭了连接";
inline constexpr char kProxyProtocol[] = "代理服务器返回了无法识别的应答";
inline constexpr char kProxyNoMethod[] = "代理服务器不接受本程序支持的任何验证方式";
inline constexpr char kProxyAuth[] = "代理服务器身份验证失败，请检查用户名和密码";
inline constexpr char kSocks4Refused[] = "代理服务器拒绝了连接请求，或无法连接目标服务器";
inline constexpr char kSocks4Identity[] = "代理服务器无法确认用户身份";
inline constexpr char kHttpRefused[] = "HTTP 代理服务器拒绝了连接请求（状态 %d）";  // HTTP status

// SOCKS5 reply codes 1 to 6; any other failure code takes kSocks5Refused.
inline constexpr const char* kSocks5Replies[] = {
    nullptr,
    "代理服务器发生故障，无法连接目标服务器",
    "代理服务器的规则不允许连接目标服务器",
    "代理服务器报告网络不可达",
    "代理服务器报告目标主机不可达",
    "目标服务器拒绝了代理服务器的连接",
    "代理服务器连接目标服务器超时",
};
inline constexpr char kSocks5Refused[] = "代理服务器拒绝了连接请求（应答代码 %d）";  // reply code

}  // namespace texts

// A text with its one value filled in.
inline std::string FormatText(const char* format, int value) {
  char buffer[256];
  std::snprintf(buffer, sizeof(buffer), format, value);
  return buffer;
}

inline std::string FormatText(const char* format, const char* text) {
  char buffer[512];
  std::snprintf(buffer, sizeof(buffer), format, text);
  return buffer;
}

}  // namespace nuvrell
