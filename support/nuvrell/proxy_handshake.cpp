#include "support/nuvrell/proxy_handshake.h"

#include <cstdio>
#include <cstring>

#include "support/nuvrell/socket_texts.h"

namespace nuvrell {

namespace {

constexpr std::size_t kMaxHttpReply = 8192;

std::size_t FieldLength(const char* field, std::size_t size) {
  const void* nul = std::memchr(field, 0, size);
  return nul ? static_cast<const char*>(nul) - field : size;
}

void AppendBe16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v >> 8));
  out.push_back(static_cast<char>(v & 0xFF));
}

// Parses a dotted IPv4 address (four decimal parts of 0..255) into network
// byte order.
bool ParseDottedIpv4(const std::string& text, std::uint8_t out[4]) {
  int part = 0;
  unsigned value = 0;
  int digits = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const char c = i < text.size() ? text[i] : '.';
    if (c >= '0' && c <= '9') {
      value = value * 10 + static_cast<unsigned>(c - '0');
      if (++digits > 3 || value > 255) return false;
    } else if (c == '.') {
      if (digits == 0 || part > 3) return false;
      out[part++] = static_cast<std::uint8_t>(value);
      value = 0;
      digits = 0;
    } else {
      return false;
    }
  }
  return part == 4;
}

std::string Socks5ReplyText(int rep) {
  constexpr int known = static_cast<int>(sizeof(texts::kSocks5Replies) / sizeof(texts::kSocks5Replies[0]));
  if (rep > 0 && rep < known) return texts::kSocks5Replies[rep];
  return FormatText(texts::kSocks5Refused, rep);
}

}  // namespace

std::string Base64Encode(const std::string& bytes) {
  static const char table[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const unsigned v = (static_cast<std::uint8_t>(bytes[i]) << 16) | (static_cast<std::uint8_t>(bytes[i + 1]) << 8) |
                       static_cast<std::uint8_t>(bytes[i + 2]);
    out.push_back(table[(v >> 18) & 63]);
    out.push_back(table[(v >> 12) & 63]);
    out.push_back(table[(v >> 6) & 63]);
    out.push_back(table[v & 63]);
  }
  const std::size_t rest = bytes.size() - i;
  if (rest) {
    unsigned v = static_cast<std::uint8_t>(bytes[i]) << 16;
    if (rest == 2) v |= static_cast<std::uint8_t>(bytes[i + 1]) << 8;
    out.push_back(table[(v >> 18) & 63]);
    out.push_back(table[(v >> 12) & 63]);
    out.push_back(rest == 2 ? table[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

bool IsUsableProxyInfo(const tagProxyInfo& info) {
  if (info.cbProxyType >= PROXY_TYPE_COUNT) return false;
  const std::size_t host = FieldLength(info.szProxyServer, sizeof(info.szProxyServer));
  const std::size_t user = FieldLength(info.szUserName, sizeof(info.szUserName));
  const std::size_t pass = FieldLength(info.szPassword, sizeof(info.szPassword));
  if (host == sizeof(info.szProxyServer) || user == sizeof(info.szUserName) || pass == sizeof(info.szPassword))
    return false;
  if (info.cbProxyType == ProxyType_None) return true;
  return host > 0 && info.wProxyPort != 0;
}

ProxyHandshake::Status ProxyHandshake::Fail(int code, const std::string& text) {
  m_phase = Phase::Failed;
  m_nError = code;
  m_strError = text;
  m_in.clear();
  return Status::Failed;
}

bool ProxyHandshake::Begin(const tagProxyInfo& info, const std::string& targetHost, std::uint32_t targetIpv4,
                           std::uint16_t targetPort) {
  m_phase = Phase::Idle;
  m_request.clear();
  m_in.clear();
  m_nError = 0;
  m_strError.clear();
  if (!IsUsableProxyInfo(info) || info.cbProxyType == ProxyType_None) return false;
  if (targetHost.empty() || targetHost.size() > 255 || targetHost.find('\0') != std::string::npos) return false;
  m_info = info;
  m_targetHost = targetHost;
  m_targetIpv4 = targetIpv4;
  m_targetPort = targetPort;
  const std::string user(m_info.szUserName);
  const std::string pass(m_info.szPassword);

  switch (m_info.cbProxyType) {
    case ProxyType_Socks4:
    case ProxyType_Socks4A: {
      std::uint8_t ip[4];
      bool withName = false;
      if (m_info.cbProxyType == ProxyType_Socks4) {
        if (targetIpv4 == 0) return false;
        std::memcpy(ip, &targetIpv4, 4);
      } else if (ParseDottedIpv4(targetHost, ip)) {
        // SOCKS4A with an address: plain SOCKS4 request.
      } else {
        // 0.0.0.x with x non-zero tells the proxy that a name follows.
        ip[0] = ip[1] = ip[2] = 0;
        ip[3] = 1;
        withName = true;
      }
      m_request.push_back(4);
      m_request.push_back(1);  // CONNECT
      AppendBe16(m_request, targetPort);
      m_request.append(reinterpret_cast<const char*>(ip), 4);
      m_request += user;
      m_request.push_back('\0');
      if (withName) {
        m_request += targetHost;
        m_request.push_back('\0');
      }
      m_phase = Phase::Socks4Reply;
      return true;
    }
    case ProxyType_Socks5:
      if (user.size() > 255 || pass.size() > 255) return false;
      m_request.push_back(5);
      if (user.empty()) {
        m_request.push_back(1);
        m_request.push_back(0);  // no authentication
      } else {
        m_request.push_back(2);
        m_request.push_back(0);
        m_request.push_back(2);  // user name/password
      }
      m_phase = Phase::Socks5Method;
      return true;
    case ProxyType_Http10:
    case ProxyType_Http11: {
      char port[8];
      std::snprintf(port, sizeof(port), "%u", static_cast<unsigned>(targetPort));
      const std::string authority = targetHost + ":" + port;
      const bool http11 = m_info.cbProxyType == ProxyType_Http11;
      m_request = "CONNECT " + authority + (http11 ? " HTTP/1.1\r\n" : " HTTP/1.0\r\n");
      if (http11) m_request += "Host: " + authority + "\r\n";
      if (!user.empty()) m_request += "Proxy-Authorization: Basic " + Base64Encode(user + ":" + pass) + "\r\n";
      m_request += "\r\n";
      m_phase = Phase::HttpReply;
      return true;
    }
    default:
      return false;
  }
}

std::string ProxyHandshake::Socks5ConnectRequest() const {
  std::string req;
  req.push_back(5);
  req.push_back(1);  // CONNECT
  req.push_back(0);
  std::uint8_t ip[4];
  if (ParseDottedIpv4(m_targetHost, ip)) {
    req.push_back(1);
    req.append(reinterpret_cast<const char*>(ip), 4);
  } else {
    req.push_back(3);
    req.push_back(static_cast<char>(m_targetHost.size()));
    req += m_targetHost;
  }
  AppendBe16(req, m_targetPort);
  return req;
}

ProxyHandshake::Status ProxyHandshake::FeedSocks4(std::size_t* used) {
  if (m_in.size() < 8) return Status::Continue;
  const std::uint8_t vn = static_cast<std::uint8_t>(m_in[0]);
  const std::uint8_t cd = static_cast<std::uint8_t>(m_in[1]);
  *used = 8;
  if (vn != 0 && vn != 4) return Fail(NUVRELL_ERROR_PROXY_PROTOCOL, texts::kProxyProtocol);
  switch (cd) {
    case 90:
      m_phase = Phase::Done;
      return Status::Done;
    case 91:
      return Fail(NUVRELL_ERROR_PROXY_REFUSED, texts::kSocks4Refused);
    case 92:
    case 93:
      return Fail(NUVRELL_ERROR_PROXY_AUTH, texts::kSocks4Identity);
    default:
      return Fail(NUVRELL_ERROR_PROXY_PROTOCOL, texts::kProxyProtocol);
  }
}

ProxyHandshake::Status ProxyHandshake::FeedSocks5Method(std::string& out, std::size_t* used) {
  if (m_in.size() < 2) return Status::Continue;
  *used = 2;
  if (m_in[0] != 5) return Fail(NUVRELL_ERROR_PROXY_PROTOCOL, texts::kProxyProtocol);
  const std::uint8_t method = static_cast<std::uint8_t>(m_in[1]);
  const std::string user(m_info.szUserName);
  if (method == 0) {
    out += Socks5ConnectRequest();
    m_phase = Phase::Socks5Reply;
    return Status::Continue;
  }
  if (method == 2 && !user.empty()) {
    const std::string pass(m_info.szPassword);
    out.push_back(1);
    out.push_back(static_cast<char>(user.size()));
    out += user;
    out.push_back(static_cast<char>(pass.size()));
    out += pass;
    m_phase = Phase::Socks5Auth;
    return Status::Continue;
  }
  if (method == 0xFF) return Fail(NUVRELL_ERROR_PROXY_AUTH, texts::kProxyNoMethod);
  return Fail(NUVRELL_ERROR_PROXY_PROTOCOL, texts::kProxyProtocol);
}

ProxyHandshake::Status ProxyHandshake::FeedSocks5Auth(std::string& out, std::size_t* used) {
  if (m_in.size() < 2) return Status::Continue;
  *used = 2;
  if (m_in[1] != 0) return Fail(NUVRELL_ERROR_PROXY_AUTH, texts::kProxyAuth);
  out += Socks5ConnectRequest();
  m_phase = Phase::Socks5Reply;
  return Status::Continue;
}

ProxyHandshake::Status ProxyHandshake::FeedSocks5Reply(std::size_t* used) {
  if (m_in.size() < 5) return Status::Continue;
  if (m_in[0] != 5) return Fail(NUVRELL_ERROR_PROXY_PROTOCOL, texts::kProxyProtocol);
  const int rep = static_cast<std::uint8_t>(m_in[1]);
  std::size_t addrLen = 0;
  switch (static_cast<std::uint8_t>(m_in[3])) {
    case 1:
      addrLen = 4;
      break;
    case 3:
      addrLen = 1 + static_cast<std::uint8_t>(m_in[4]);
      break;
    case 4:
      addrLen = 16;
      break;
    default:
      // Some proxies end a failure reply early; the code is still readable.
      if (rep != 0) return Fail(NUVRELL_ERROR_PROXY_REFUSED, Socks5ReplyText(rep));
      return Fail(NUVRELL_ERROR_PROXY_PROTOCOL, texts::kProxyProtocol);
  }
  const std::size_t total = 4 + addrLen + 2;
  if (m_in.size() < total) return Status::Continue;
  *used = total;
  if (rep != 0) return Fail(NUVRELL_ERROR_PROXY_REFUSED, Socks5ReplyText(rep));
  m_phase = Phase::Done;
  return Status::Done;
}

ProxyHandshake::Status ProxyHandshake::FeedHttp(std::size_t* used) {
  const std::size_t end = m_in.find("\r\n\r\n");
  if (end == std::string::npos) {
    if (m_in.size() > kMaxHttpReply) return Fail(NUVRELL_ERROR_PROXY_PROTOCOL, texts::kProxyProtocol);
    return Status::Continue;
  }
  *used = end + 4;
  // Status line: HTTP/1.x <code> <reason>
  const std::string line = m_in.substr(0, m_in.find("\r\n"));
  int code = 0;
  char version[16] = {};
  if (line.compare(0, 5, "HTTP/") != 0 || std::sscanf(line.c_str(), "%15s %d", version, &code) != 2)
    return Fail(NUVRELL_ERROR_PROXY_PROTOCOL, texts::kProxyProtocol);
  if (code >= 200 && code < 300) {
    m_phase = Phase::Done;
    return Status::Done;
  }
  // 407 is the standard answer; some proxies (tinyproxy) answer 401.
  if (code == 407 || code == 401) return Fail(NUVRELL_ERROR_PROXY_AUTH, texts::kProxyAuth);
  return Fail(NUVRELL_ERROR_PROXY_REFUSED, FormatText(texts::kHttpRefused, code));
}

ProxyHandshake::Status ProxyHandshake::Feed(const std::uint8_t* data, std::size_t len, std::string& out,
                                            std::size_t* consumed) {
  if (consumed) *consumed = len;
  if (m_phase == Phase::Done || m_phase == Phase::Failed || m_phase == Phase::Idle) {
    if (consumed) *consumed = 0;
    return m_phase == Phase::Done ? Status::Done : Status::Failed;
  }
  m_in.append(reinterpret_cast<const char*>(data), len);
  for (;;) {
    std::size_t used = 0;
    Status status = Status::Continue;
    switch (m_phase) {
      case Phase::Socks4Reply:
        status = FeedSocks4(&used);
        break;
      case Phase::Socks5Method:
        status = FeedSocks5Method(out, &used);
        break;
      case Phase::Socks5Auth:
        status = FeedSocks5Auth(out, &used);
        break;
      case Phase::Socks5Reply:
        status = FeedSocks5Reply(&used);
        break;
      case Phase::HttpReply:
        status = FeedHttp(&used);
        break;
      default:
        return Status::Failed;
    }
    if (status == Status::Failed) return status;
    if (used == 0) return Status::Continue;  // this reply needs more bytes
    m_in.erase(0, used);
    if (status == Status::Done) {
      // What is left belongs to the server behind the proxy.
      if (consumed) *consumed = m_in.size() <= len ? len - m_in.size() : 0;
      m_in.clear();
      return Status::Done;
    }
  }
}

}  // namespace nuvrell
