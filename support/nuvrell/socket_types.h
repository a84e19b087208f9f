// Plain records of the socket library: the command header of a message, the
// proxy settings, the socket states and the error codes of connect outcomes.
// Portable: no Windows header.
#pragma once

#include "afx/afx_port.h"

// The command header of one network message: main and sub command.
struct CMD_Command {
  WORD wMainCmdID;
  WORD wSubCmdID;
};
static_assert(sizeof(CMD_Command) == 4, "CMD_Command is 4 bytes");

// Proxy kinds. The numbers are also the positions of the kinds' display
// labels kept by the client library.
enum enProxyServerType : BYTE {
  ProxyType_None = 0,     // connect directly
  ProxyType_Socks4 = 1,   // SOCKS4: the target is resolved here, user id sent
  ProxyType_Socks4A = 2,  // SOCKS4A: the proxy resolves the target's name
  ProxyType_Socks5 = 3,   // SOCKS5: no authentication, or user name/password
  ProxyType_Http10 = 4,   // HTTP/1.0 CONNECT, Basic authentication
  ProxyType_Http11 = 5,   // HTTP/1.1 CONNECT (with Host), Basic authentication
};
constexpr int PROXY_TYPE_COUNT = 6;

// Field sizes of tagProxyInfo, terminating zero included. 255 characters is
// the longest name and credential that SOCKS5 can carry.
constexpr int PROXY_HOST_LEN = 256;
constexpr int PROXY_USER_LEN = 256;
constexpr int PROXY_PASS_LEN = 256;

// Proxy settings. Strings are zero-terminated byte strings (ANSI code page).
// An empty user name means no authentication; SOCKS4/4A send the user name as
// their user id and ignore the password.
struct tagProxyInfo {
  BYTE cbProxyType;                    // enProxyServerType
  WORD wProxyPort;                     // proxy's TCP port
  char szProxyServer[PROXY_HOST_LEN];  // host name or dotted address
  char szUserName[PROXY_USER_LEN];
  char szPassword[PROXY_PASS_LEN];
};

// States answered by IClientSocket::GetSocketStatus.
enum enSocketStatus : int {
  SocketStatus_Idle = 0,        // not connected
  SocketStatus_Connecting = 1,  // resolving, connecting or talking to a proxy
  SocketStatus_Connected = 2,   // connected: messages flow
};

// Error codes of OnSocketConnect besides Winsock's own (WSAECONNREFUSED,
// WSAETIMEDOUT, WSAHOST_NOT_FOUND, ...). Each comes with a Chinese text.
enum : int {
  NUVRELL_ERROR_PROXY_PROTOCOL = 20001,  // the proxy answered something unreadable
  NUVRELL_ERROR_PROXY_AUTH = 20002,      // the proxy refused the credentials or offered no usable method
  NUVRELL_ERROR_PROXY_REFUSED = 20003,   // the proxy refused or could not reach the target
  NUVRELL_ERROR_PROXY_CLOSED = 20004,    // the proxy closed the connection during the handshake
  NUVRELL_ERROR_TIMEOUT = 20005,         // no connection within the connect timeout
  NUVRELL_ERROR_RESOLVE = 20006,         // a host name could not be resolved
};
