#include "support/nuvrell/client_socket_impl.h"

#include <ws2tcpip.h>

#include <cstring>
#include <vector>

#include "base/component_base.h"
#include "base/query_rule.h"
#include "support/nuvrell/socket_texts.h"

namespace nuvrell {

namespace {

const char kWindowClass[] = "NuvrellSocketWindow";
constexpr UINT kMsgResolved = WM_APP + 1;
constexpr UINT kMsgDeferredDrop = WM_APP + 2;
constexpr UINT kMsgEventBase = WM_APP + 0x100;  // + generation & 0xFFF
constexpr UINT_PTR kTimerConnect = 1;
constexpr UINT_PTR kTimerKeepAlive = 2;
constexpr DWORD kConnectTimeoutMs = 10000;
constexpr std::size_t kMaxSendQueue = 1024 * 1024;
constexpr int kReadsPerEvent = 32;

LONG g_nextSocketID = 0;
bool g_classRegistered = false;
DWORD g_connectTimeoutMs = kConnectTimeoutMs;

HMODULE ThisModule() {
  HMODULE h = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &h);
  return h;
}

// Dotted IPv4 address to network byte order; false for anything else.
bool ParseAddress(const std::string& text, std::uint32_t* out) {
  in_addr addr{};
  if (inet_pton(AF_INET, text.c_str(), &addr) != 1) return false;
  *out = addr.s_addr;
  return true;
}

}  // namespace

// A host-name lookup shared by the socket and its worker thread; whichever
// lets go last frees it, so a socket closed or destroyed meanwhile is safe.
struct ResolveRequest {
  HWND hWnd = nullptr;
  WPARAM id = 0;
  std::vector<std::string> names;
  std::vector<std::uint32_t> addrs;  // network byte order, 0 when not found
};

namespace {

WPARAM g_nextResolveId = 0;

// The result list of getaddrinfo.
using UniqueAddrInfo = UniqueOwner<CloseWith<addrinfo*, ::freeaddrinfo>>;

void ResolveNames(std::unique_ptr<std::shared_ptr<ResolveRequest>> holder) {
  const std::shared_ptr<ResolveRequest> req(std::move(*holder));
  holder.reset();
  for (const std::string& name : req->names) {
    std::uint32_t addr = 0;
    if (!ParseAddress(name, &addr)) {
      addrinfo hints{};
      hints.ai_family = AF_INET;
      hints.ai_socktype = SOCK_STREAM;
      UniqueAddrInfo result;
      if (getaddrinfo(name.c_str(), nullptr, &hints, result.put()) == 0 && result)
        addr = reinterpret_cast<sockaddr_in*>(result.get()->ai_addr)->sin_addr.s_addr;
    }
    req->addrs.push_back(addr);
  }
  // A destroyed window simply loses the message.
  PostMessageA(req->hWnd, kMsgResolved, req->id, 0);
}

// Keeps the module loaded while the lookup runs, so that unloading Nuvrell
// never pulls the code from under a running thread.
DWORD WINAPI ResolveThreadProc(LPVOID param) {
  ResolveNames(std::unique_ptr<std::shared_ptr<ResolveRequest>>(static_cast<std::shared_ptr<ResolveRequest>*>(param)));
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ResolveThreadProc), &self);
  FreeLibraryAndExitThread(self, 0);
}

bool StartResolveThread(const std::shared_ptr<ResolveRequest>& req) {
  UniqueModule pin;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&ResolveThreadProc),
                          pin.put()))
    return false;
  auto holder = std::make_unique<std::shared_ptr<ResolveRequest>>(req);
  const UniqueHandle thread(CreateThread(nullptr, 0, ResolveThreadProc, holder.get(), 0, nullptr));
  if (!thread) return false;
  // The thread owns both now: it frees the holder and unpins the module.
  holder.release();
  pin.release();
  return true;
}

}  // namespace

CClientSocket::CClientSocket()
    : m_wSocketID(static_cast<WORD>(InterlockedIncrement(&g_nextSocketID))),
      m_pAlive(std::make_shared<bool>(true)),
      m_pReader(new FrameReader()) {}

CClientSocket::~CClientSocket() {
  *m_pAlive = false;
  Reset();
  m_Window.reset();
  if (m_bWinsock) WSACleanup();
}

bool CClientSocket::Init() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  m_bWinsock = true;
  HINSTANCE hInstance = ThisModule();
  if (!g_classRegistered) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &CClientSocket::WndProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    g_classRegistered = true;
  }
  m_Window.reset(CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, hInstance, this));
  return m_Window.get() != nullptr;
}

void CClientSocket::UnregisterWindowClass() {
  if (g_classRegistered) UnregisterClassA(kWindowClass, ThisModule());
  g_classRegistered = false;
}

DWORD CClientSocket::SetConnectTimeout(DWORD dwMilliseconds) {
  const DWORD previous = g_connectTimeoutMs;
  g_connectTimeoutMs = dwMilliseconds ? dwMilliseconds : kConnectTimeoutMs;
  return previous;
}

bool CClientSocket::IsValid() { return ComponentIsValid(this); }

bool CClientSocket::Release() { return ComponentRelease(this); }

void* CClientSocket::QueryInterface(const IID& Guid, DWORD dwQueryVer) {
  IClientSocket* self = this;
  const InterfaceEntry table[] = {{&IID_IClientSocket, self}, {&IID_IUnknownEx, self}};
  return QueryInterfaceByTable(Guid, dwQueryVer, table);
}

bool CClientSocket::SetProxyInfo(const tagProxyInfo& ProxyInfo) {
  if (!IsUsableProxyInfo(ProxyInfo)) return false;
  m_ProxyInfo = ProxyInfo;
  return true;
}

bool CClientSocket::SetSocketSink(IUnknownEx* pIUnknownEx) {
  m_pSinkObject = nullptr;
  m_pSink = nullptr;
  if (!pIUnknownEx) return true;
  void* sink = pIUnknownEx->QueryInterface(IID_IClientSocketSink, MakeInterfaceVersion(1, 1, 1, 0));
  if (!sink) return false;
  m_pSinkObject = pIUnknownEx;
  m_pSink = static_cast<IClientSocketSink*>(sink);
  return true;
}

bool CClientSocket::SetKeepAlive(DWORD dwIntervalMs) {
  m_dwKeepAlive = dwIntervalMs;
  if (m_Phase == Phase::Connected) {
    if (m_dwKeepAlive)
      SetTimer(m_Window.get(), kTimerKeepAlive, m_dwKeepAlive, nullptr);
    else
      KillTimer(m_Window.get(), kTimerKeepAlive);
  }
  return true;
}

DWORD CClientSocket::GetClientAddr() {
  if (m_Phase != Phase::Connected) return 0;
  sockaddr_in local{};
  int len = sizeof(local);
  if (getsockname(m_Socket.get(), reinterpret_cast<sockaddr*>(&local), &len) != 0) return 0;
  return local.sin_addr.s_addr;
}

DWORD CClientSocket::GetServerAddr() { return m_Phase == Phase::Connected ? m_dwPeerAddr : 0; }

WORD CClientSocket::GetServerPort() { return m_Phase == Phase::Connected ? m_wPeerPort : 0; }

int CClientSocket::GetSocketStatus() {
  switch (m_Phase) {
    case Phase::Idle:
      return SocketStatus_Idle;
    case Phase::Connected:
      return SocketStatus_Connected;
    default:
      return SocketStatus_Connecting;
  }
}

UINT CClientSocket::EventMessage() const { return kMsgEventBase + (m_nGeneration & 0xFFF); }

void CClientSocket::Reset() {
  // A new generation: events and lookups of the old connection are ignored.
  ++m_nGeneration;
  if (m_Socket) {
    WSAAsyncSelect(m_Socket.get(), m_Window.get(), 0, 0);
    m_Socket.reset();
  }
  if (m_Window.get()) {
    KillTimer(m_Window.get(), kTimerConnect);
    KillTimer(m_Window.get(), kTimerKeepAlive);
  }
  m_pResolve.reset();
  m_Phase = Phase::Idle;
  m_dwPeerAddr = 0;
  m_wPeerPort = 0;
  m_pReader->Reset();
  m_SendQueue.clear();
  m_nSendOffset = 0;
}

bool CClientSocket::Connect(LPCSTR pszServer, WORD wPort) {
  if (!m_pSink || !pszServer || wPort == 0 || !m_Window.get()) return false;
  const std::size_t len = strnlen(pszServer, 256);
  if (len == 0 || len > 255) return false;
  Reset();
  m_strServer.assign(pszServer, len);
  m_wServerPort = wPort;

  const std::string connectHost = UsesProxy() ? std::string(m_ProxyInfo.szProxyServer) : m_strServer;
  const WORD connectPort = UsesProxy() ? m_ProxyInfo.wProxyPort : wPort;
  auto req = std::make_shared<ResolveRequest>();
  req->hWnd = m_Window.get();
  req->id = ++g_nextResolveId;
  req->names.push_back(connectHost);
  if (m_ProxyInfo.cbProxyType == ProxyType_Socks4) req->names.push_back(m_strServer);

  // Addresses given as dotted text need no lookup. The request's own list
  // stays empty: a lookup fills it in the order of the names.
  std::vector<std::uint32_t> dotted;
  for (const std::string& name : req->names) {
    std::uint32_t addr = 0;
    if (!ParseAddress(name, &addr)) break;
    dotted.push_back(addr);
  }

  if (dotted.size() == req->names.size()) {
    if (UsesProxy() && !m_Handshake.Begin(m_ProxyInfo, m_strServer, dotted.size() > 1 ? dotted[1] : 0, m_wServerPort)) {
      Reset();
      return false;
    }
    m_Phase = Phase::Connecting;
    if (StartTcp(dotted[0], connectPort) != 0) {
      Reset();
      return false;
    }
  } else {
    m_Phase = Phase::Resolving;
    m_pResolve = req;
    if (!StartResolveThread(req)) {
      Reset();
      return false;
    }
  }
  SetTimer(m_Window.get(), kTimerConnect, g_connectTimeoutMs, nullptr);
  return true;
}

int CClientSocket::StartTcp(std::uint32_t ipv4, std::uint16_t port) {
  UniqueSocket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!s) return WSAGetLastError();
  BOOL noDelay = TRUE;
  setsockopt(s.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
  if (WSAAsyncSelect(s.get(), m_Window.get(), EventMessage(), FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) != 0)
    return WSAGetLastError();
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = ipv4;
  addr.sin_port = htons(port);
  if (connect(s.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) != 0) {
    const int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK) return error;
  }
  m_Socket = std::move(s);
  m_dwPeerAddr = ipv4;
  m_wPeerPort = port;
  m_Phase = Phase::Connecting;
  return 0;
}

void CClientSocket::OnResolved(WPARAM id) {
  if (m_Phase != Phase::Resolving || !m_pResolve || m_pResolve->id != id) return;
  const std::shared_ptr<ResolveRequest> req = std::move(m_pResolve);
  for (std::size_t i = 0; i < req->names.size(); ++i) {
    if (i >= req->addrs.size() || req->addrs[i] == 0) {
      FailConnect(NUVRELL_ERROR_RESOLVE, FormatText(texts::kResolveFailed, req->names[i].c_str()));
      return;
    }
  }
  if (UsesProxy() &&
      !m_Handshake.Begin(m_ProxyInfo, m_strServer, req->addrs.size() > 1 ? req->addrs[1] : 0, m_wServerPort)) {
    FailConnect(NUVRELL_ERROR_PROXY_PROTOCOL, texts::kProxySettingsInvalid);
    return;
  }
  const WORD port = UsesProxy() ? m_ProxyInfo.wProxyPort : m_wServerPort;
  const int error = StartTcp(req->addrs[0], port);
  if (error != 0) FailConnect(error, FormatText(texts::kServerConnectFailed, error));
}

void CClientSocket::OnNetEvent(WORD wEvent, WORD wError) {
  switch (wEvent) {
    case FD_CONNECT:
      if (m_Phase != Phase::Connecting) return;
      if (wError != 0) {
        FailConnect(wError, FormatText(UsesProxy() ? texts::kProxyConnectFailed : texts::kServerConnectFailed, wError));
        return;
      }
      if (UsesProxy()) {
        m_Phase = Phase::Handshake;
        m_SendQueue = m_Handshake.Request();
        m_nSendOffset = 0;
        if (const int error = Flush()) FailConnect(error, FormatText(texts::kProxyConnectFailed, error));
      } else {
        Established(nullptr, 0);
      }
      return;
    case FD_READ:
      if (m_Phase == Phase::Handshake)
        ReadHandshake();
      else if (m_Phase == Phase::Connected)
        ReadFrames(false);
      return;
    case FD_WRITE:
      if (m_Phase == Phase::Handshake || m_Phase == Phase::Connected) {
        if (const int error = Flush()) {
          if (m_Phase == Phase::Connected)
            Drop();
          else
            FailConnect(error, FormatText(texts::kProxyConnectFailed, error));
        }
      }
      return;
    case FD_CLOSE: {
      const unsigned generation = m_nGeneration;
      const std::shared_ptr<bool> alive = m_pAlive;
      if (m_Phase == Phase::Handshake) {
        ReadHandshake();
        if (*alive && generation == m_nGeneration && m_Phase == Phase::Handshake)
          FailConnect(NUVRELL_ERROR_PROXY_CLOSED, texts::kProxyClosed);
      } else if (m_Phase == Phase::Connected) {
        ReadFrames(true);  // what arrived before the close is still delivered
        if (*alive && generation == m_nGeneration && m_Phase == Phase::Connected) Drop();
      } else if (m_Phase == Phase::Connecting) {
        FailConnect(wError ? wError : WSAECONNRESET,
                    FormatText(texts::kServerConnectFailed, wError ? wError : WSAECONNRESET));
      }
      return;
    }
    default:
      return;
  }
}

void CClientSocket::ReadHandshake() {
  for (;;) {
    std::uint8_t buffer[2048];
    const int n = recv(m_Socket.get(), reinterpret_cast<char*>(buffer), sizeof(buffer), 0);
    if (n == 0) return;  // FD_CLOSE reports it
    if (n < 0) {
      const int error = WSAGetLastError();
      if (error == WSAEWOULDBLOCK) return;
      FailConnect(NUVRELL_ERROR_PROXY_CLOSED, texts::kProxyClosed);
      return;
    }
    std::string reply;
    std::size_t consumed = 0;
    switch (m_Handshake.Feed(buffer, static_cast<std::size_t>(n), reply, &consumed)) {
      case ProxyHandshake::Status::Failed:
        FailConnect(m_Handshake.ErrorCode(), m_Handshake.ErrorText());
        return;
      case ProxyHandshake::Status::Done:
        Established(buffer + consumed, static_cast<std::size_t>(n) - consumed);
        return;
      case ProxyHandshake::Status::Continue:
        if (!reply.empty()) {
          m_SendQueue.append(reply);
          if (const int error = Flush()) {
            FailConnect(error, FormatText(texts::kProxyConnectFailed, error));
            return;
          }
        }
        break;
    }
  }
}

void CClientSocket::Established(const std::uint8_t* leftover, std::size_t size) {
  KillTimer(m_Window.get(), kTimerConnect);
  m_Phase = Phase::Connected;
  m_dwLastRecv = m_dwLastSend = GetTickCount();
  if (m_dwKeepAlive) SetTimer(m_Window.get(), kTimerKeepAlive, m_dwKeepAlive, nullptr);
  // Data the server sent right behind the proxy's answer comes first.
  if (size) m_pReader->Append(leftover, size);
  if (!NotifyConnect(0, std::string())) return;
  if (size) DeliverFrames();
}

void CClientSocket::ReadFrames(bool bDrain) {
  const unsigned generation = m_nGeneration;
  for (int i = 0; bDrain || i < kReadsPerEvent; ++i) {
    const std::size_t space = m_pReader->WriteSpace();
    if (space == 0) {
      Drop();
      return;
    }
    const int n = recv(m_Socket.get(), reinterpret_cast<char*>(m_pReader->WritePtr()), static_cast<int>(space), 0);
    if (n > 0) {
      m_pReader->Commit(static_cast<std::size_t>(n));
      m_dwLastRecv = GetTickCount();
      if (!DeliverFrames() || generation != m_nGeneration) return;
      continue;
    }
    if (n == 0) {
      if (!bDrain) Drop();  // peer closed; anything partial is lost with it
      return;
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) Drop();
    return;
  }
}

bool CClientSocket::DeliverFrames() {
  const unsigned generation = m_nGeneration;
  FrameReader::Frame frame;
  for (;;) {
    switch (m_pReader->Next(frame)) {
      case FrameReader::Status::NeedMore:
        return true;
      case FrameReader::Status::Malformed:
        Drop();
        return false;
      case FrameReader::Status::Frame:
        break;
    }
    if (frame.header.mainCmd == LINK_MAIN_CMD) {
      if (frame.header.subCmd == LINK_SUB_PING) {
        if (!QueueFrame(LINK_MAIN_CMD, LINK_SUB_PONG, nullptr, 0)) return true;
      }
      continue;
    }
    CMD_Command command{frame.header.mainCmd, frame.header.subCmd};
    std::shared_ptr<bool> alive = m_pAlive;
    if (m_pSink)
      m_pSink->OnSocketRead(command, const_cast<std::uint8_t*>(frame.body), static_cast<WORD>(frame.bodySize), this);
    if (!*alive || generation != m_nGeneration) return false;
  }
}

void CClientSocket::OnTimer(UINT_PTR id) {
  if (id == kTimerConnect) {
    // Stopped before the sink hears of it: the sink may start a new attempt
    // (with its own timeout) or release this object inside the call, so
    // nothing of this object is touched after it.
    KillTimer(m_Window.get(), kTimerConnect);
    if (m_Phase != Phase::Idle && m_Phase != Phase::Connected) FailConnect(NUVRELL_ERROR_TIMEOUT, texts::kTimeout);
    return;
  }
  if (id == kTimerKeepAlive) {
    if (m_Phase != Phase::Connected || !m_dwKeepAlive) return;
    const DWORD now = GetTickCount();
    if (now - m_dwLastRecv >= 3 * m_dwKeepAlive) {
      Drop();
      return;
    }
    if (now - m_dwLastSend >= m_dwKeepAlive) QueueFrame(LINK_MAIN_CMD, LINK_SUB_PING, nullptr, 0);
  }
}

void CClientSocket::FailConnect(int code, const std::string& text) {
  Reset();
  NotifyConnect(code, text);
}

void CClientSocket::Drop() {
  Reset();
  NotifyClose(true);
}

bool CClientSocket::NotifyConnect(int code, const std::string& text) {
  const unsigned generation = m_nGeneration;
  std::shared_ptr<bool> alive = m_pAlive;
  if (m_pSink) m_pSink->OnSocketConnect(code, text.c_str(), this);
  return *alive && generation == m_nGeneration;
}

bool CClientSocket::NotifyClose(bool bCloseByServer) {
  const unsigned generation = m_nGeneration;
  std::shared_ptr<bool> alive = m_pAlive;
  if (m_pSink) m_pSink->OnSocketClose(this, bCloseByServer);
  return *alive && generation == m_nGeneration;
}

int CClientSocket::Flush() {
  while (m_nSendOffset < m_SendQueue.size()) {
    const std::size_t left = m_SendQueue.size() - m_nSendOffset;
    const int chunk = left > 65536 ? 65536 : static_cast<int>(left);
    const int n = send(m_Socket.get(), m_SendQueue.data() + m_nSendOffset, chunk, 0);
    if (n > 0) {
      m_nSendOffset += static_cast<std::size_t>(n);
      m_dwLastSend = GetTickCount();
      continue;
    }
    const int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK) break;  // FD_WRITE resumes
    return error;
  }
  if (m_nSendOffset == m_SendQueue.size()) {
    m_SendQueue.clear();
    m_nSendOffset = 0;
  } else if (m_nSendOffset > m_SendQueue.size() / 2) {
    m_SendQueue.erase(0, m_nSendOffset);
    m_nSendOffset = 0;
  }
  return 0;
}

bool CClientSocket::QueueFrame(WORD wMainCmdID, WORD wSubCmdID, const void* pData, std::size_t size) {
  if (m_Phase != Phase::Connected) return false;
  if (size > FRAME_MAX_BODY || (size && !pData)) return false;
  if (m_SendQueue.size() - m_nSendOffset + FRAME_HEADER_SIZE + size > kMaxSendQueue) return false;
  if (!AppendFrame(m_SendQueue, wMainCmdID, wSubCmdID, pData, size)) return false;
  if (Flush() != 0) {
    // Reported from the message loop, not from inside the caller's send.
    Reset();
    PostMessageA(m_Window.get(), kMsgDeferredDrop, m_nGeneration, 0);
    return false;
  }
  return true;
}

bool CClientSocket::SendData(WORD wMainCmdID, WORD wSubCmdID) { return QueueFrame(wMainCmdID, wSubCmdID, nullptr, 0); }

bool CClientSocket::SendData(WORD wMainCmdID, WORD wSubCmdID, const void* pData, WORD wDataSize) {
  return QueueFrame(wMainCmdID, wSubCmdID, pData, wDataSize);
}

DWORD CClientSocket::GetPendingSendSize() { return static_cast<DWORD>(m_SendQueue.size() - m_nSendOffset); }

bool CClientSocket::CloseSocket(bool bNotify) {
  const bool had = m_Phase != Phase::Idle;
  Reset();
  if (had && bNotify) NotifyClose(false);
  return had;
}

void CClientSocket::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == EventMessage()) {
    if (m_Socket && static_cast<SOCKET>(wParam) == m_Socket.get())
      OnNetEvent(WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
  } else if (uMsg == kMsgResolved) {
    OnResolved(wParam);
  } else if (uMsg == WM_TIMER) {
    OnTimer(wParam);
  } else if (uMsg == kMsgDeferredDrop) {
    // The connection broke inside SendData; it was reset there. Report it
    // unless the owner has moved on to another attempt since.
    if (static_cast<unsigned>(wParam) == m_nGeneration && m_Phase == Phase::Idle) NotifyClose(true);
  }
}

LRESULT CALLBACK CClientSocket::WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    return TRUE;
  }
  auto* self = reinterpret_cast<CClientSocket*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
  if (uMsg == WM_NCDESTROY) {
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
  }
  if (self && uMsg >= WM_APP) {
    self->HandleMessage(uMsg, wParam, lParam);  // may destroy self
    return 0;
  }
  if (self && uMsg == WM_TIMER) {
    self->HandleMessage(uMsg, wParam, lParam);
    return 0;
  }
  return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

}  // namespace nuvrell
