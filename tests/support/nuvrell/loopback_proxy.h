// LoopbackProxy: a proxy played by the test itself on a loopback address of
// its choice, for what the fixture's real proxies cannot show: which target
// address a request carries, and a proxy that never answers. A thread of the
// test accepts on the address and records what each connection sends.
// Windows only.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/nuvrell/client_socket.h"
#include "support/nuvrell/socket_owner.h"

namespace sockettest {

class LoopbackProxy {
 public:
  enum class Mode {
    Silent,        // accepts, reads, never answers
    Socks4Refuse,  // answers a complete SOCKS4 request with "refused" (91)
  };

  // Listens on address (dotted, e.g. "127.0.0.2") at a free port.
  LoopbackProxy(const char* address, Mode mode);
  LoopbackProxy(const LoopbackProxy&) = delete;
  LoopbackProxy& operator=(const LoopbackProxy&) = delete;
  // Stops the thread and closes every connection.
  ~LoopbackProxy();

  // False when the listener could not be made (Error() tells why).
  bool Listening() const { return m_Listener.valid(); }
  const std::string& Error() const { return m_strError; }
  WORD Port() const { return m_wPort; }

  // The bytes received on each connection so far, in accept order.
  std::vector<std::string> Received() const;
  // Pumps the caller's messages until n connections have sent something.
  bool WaitRequests(std::size_t n, DWORD timeoutMs = 10000) const;

 private:
  void Run();

  Mode m_Mode;
  bool m_bWinsock = false;
  UniqueSocket m_Listener;
  WORD m_wPort = 0;
  std::string m_strError;
  std::atomic<bool> m_bStop{false};
  mutable std::mutex m_Lock;
  std::vector<std::string> m_Received;
  std::thread m_Thread;
};

// Sets Nuvrell's connect timeout for the scope, then restores the default.
class ConnectTimeoutScope {
 public:
  explicit ConnectTimeoutScope(DWORD ms);
  ConnectTimeoutScope(const ConnectTimeoutScope&) = delete;
  ConnectTimeoutScope& operator=(const ConnectTimeoutScope&) = delete;
  ~ConnectTimeoutScope();
  bool Set() const { return m_pSet != nullptr; }

 private:
  SetConnectTimeoutProc m_pSet = nullptr;
};

}  // namespace sockettest
