#include "tests/support/nuvrell/loopback_proxy.h"

#include <ws2tcpip.h>

#include "tests/support/nuvrell/socket_sink.h"

namespace sockettest {

namespace {

struct Connection {
  UniqueSocket socket;
  std::size_t index;  // into the received list
  bool answered = false;
};

// A SOCKS4 request is complete once the user id after its 8 fixed bytes
// has its terminating zero.
bool IsCompleteSocks4(const std::string& bytes) { return bytes.size() > 8 && bytes.find('\0', 8) != std::string::npos; }

}  // namespace

LoopbackProxy::LoopbackProxy(const char* address, Mode mode) : m_Mode(mode) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
    m_strError = "WSAStartup failed";
    return;
  }
  m_bWinsock = true;
  UniqueSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  if (!listener || inet_pton(AF_INET, address, &addr.sin_addr) != 1) {
    m_strError = "no socket or bad address";
    return;
  }
  int len = sizeof(addr);
  if (bind(listener.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) != 0 ||
      listen(listener.get(), 8) != 0 || getsockname(listener.get(), reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    m_strError = "cannot listen on " + std::string(address) + ", error " + std::to_string(WSAGetLastError());
    return;
  }
  m_wPort = ntohs(addr.sin_port);
  m_Listener = std::move(listener);
  m_Thread = std::thread(&LoopbackProxy::Run, this);
}

LoopbackProxy::~LoopbackProxy() {
  m_bStop = true;
  if (m_Thread.joinable()) m_Thread.join();
  m_Listener.reset();
  if (m_bWinsock) WSACleanup();
}

std::vector<std::string> LoopbackProxy::Received() const {
  std::lock_guard<std::mutex> guard(m_Lock);
  return m_Received;
}

bool LoopbackProxy::WaitRequests(std::size_t n, DWORD timeoutMs) const {
  return testkit::PumpMessagesUntil(
      [&] {
        std::size_t withBytes = 0;
        for (const std::string& bytes : Received()) withBytes += !bytes.empty();
        return withBytes >= n;
      },
      timeoutMs);
}

void LoopbackProxy::Run() {
  std::vector<Connection> connections;
  while (!m_bStop) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_Listener.get(), &readable);
    for (const Connection& c : connections)
      if (c.socket) FD_SET(c.socket.get(), &readable);
    timeval wait{0, 20000};
    if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
    if (FD_ISSET(m_Listener.get(), &readable)) {
      UniqueSocket accepted(accept(m_Listener.get(), nullptr, nullptr));
      if (accepted) {
        std::lock_guard<std::mutex> guard(m_Lock);
        connections.push_back({std::move(accepted), m_Received.size()});
        m_Received.emplace_back();
      }
    }
    for (Connection& c : connections) {
      if (!c.socket || !FD_ISSET(c.socket.get(), &readable)) continue;
      char buffer[512];
      const int n = recv(c.socket.get(), buffer, sizeof(buffer), 0);
      if (n <= 0) {
        c.socket.reset();
        continue;
      }
      std::string bytes;
      {
        std::lock_guard<std::mutex> guard(m_Lock);
        m_Received[c.index].append(buffer, static_cast<std::size_t>(n));
        bytes = m_Received[c.index];
      }
      if (m_Mode == Mode::Socks4Refuse && !c.answered && IsCompleteSocks4(bytes)) {
        static const char refused[8] = {0, 91, 0, 0, 0, 0, 0, 0};
        send(c.socket.get(), refused, sizeof(refused), 0);
        c.answered = true;
      }
    }
  }
}

ConnectTimeoutScope::ConnectTimeoutScope(DWORD ms) {
  HMODULE module = LoadLibraryA("Nuvrell.dll");
  if (!module) return;
  m_pSet = reinterpret_cast<SetConnectTimeoutProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "SetConnectTimeout")));
  if (m_pSet) m_pSet(ms);
}

ConnectTimeoutScope::~ConnectTimeoutScope() {
  if (m_pSet) m_pSet(0);
}

}  // namespace sockettest
