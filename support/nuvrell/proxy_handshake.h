// The client side of the proxy handshakes: SOCKS4, SOCKS4A, SOCKS5 (no
// authentication or user name/password) and HTTP CONNECT (1.0 or 1.1, Basic
// authentication). Pure byte work, no socket: the caller sends Request(),
// feeds every received byte to Feed() and sends what Feed() appends, until
// Done or Failed. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/nuvrell/socket_types.h"

namespace nuvrell {

// Standard Base64 (with padding) of a byte string.
std::string Base64Encode(const std::string& bytes);

// True when the settings can be used: a known kind; for a proxy kind a
// non-empty host and a port; every string zero-terminated inside its field;
// for SOCKS5 a user name and password of at most 255 bytes each.
bool IsUsableProxyInfo(const tagProxyInfo& info);

class ProxyHandshake {
 public:
  enum class Status { Continue, Done, Failed };

  // Prepares the handshake with the proxy for the target host and port.
  // targetIpv4 (network byte order) is needed by SOCKS4 only, which cannot
  // carry a name. False when the settings are unusable or the target cannot
  // be expressed (SOCKS4 without an address; a name longer than 255 bytes).
  bool Begin(const tagProxyInfo& info, const std::string& targetHost, std::uint32_t targetIpv4,
             std::uint16_t targetPort);

  // The bytes to send first.
  const std::string& Request() const { return m_request; }

  // Consumes received bytes. Appends any bytes to send to out. Returns
  // Continue (more bytes needed), Done (the tunnel is open; *consumed tells
  // how many of the given bytes belonged to the handshake, the rest is the
  // server's data) or Failed (ErrorCode/ErrorText tell why).
  Status Feed(const std::uint8_t* data, std::size_t len, std::string& out, std::size_t* consumed);

  int ErrorCode() const { return m_nError; }
  // Chinese description of the failure (ANSI code page).
  const std::string& ErrorText() const { return m_strError; }

 private:
  enum class Phase { Idle, Socks4Reply, Socks5Method, Socks5Auth, Socks5Reply, HttpReply, Done, Failed };

  Status Fail(int code, const std::string& text);
  Status FeedSocks4(std::size_t* consumed);
  Status FeedSocks5Method(std::string& out, std::size_t* consumed);
  Status FeedSocks5Auth(std::string& out, std::size_t* consumed);
  Status FeedSocks5Reply(std::size_t* consumed);
  Status FeedHttp(std::size_t* consumed);
  std::string Socks5ConnectRequest() const;

  Phase m_phase = Phase::Idle;
  tagProxyInfo m_info{};
  std::string m_targetHost;
  std::uint32_t m_targetIpv4 = 0;
  std::uint16_t m_targetPort = 0;
  std::string m_request;
  std::string m_in;  // bytes of the current reply received so far
  int m_nError = 0;
  std::string m_strError;
};

}  // namespace nuvrell
