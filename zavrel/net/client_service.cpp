#include "zavrel/net/client_service.h"

#include <exception>
#include <map>
#include <mutex>

#include "afx/afx_thread.h"
#include "afx/afx_wnd.h"
#include "base/no_throw.h"
#include "support/ormlace/skin_message_box.h"
#include "zavrel/component/component_base.h"
#include "zavrel/component/query_rule.h"

// The member is StartService whatever <windows.h> maps that name to (see
// the header); a header pulled in here may have defined the macro again.
#undef StartService

namespace {

const char kSocketModule[] = "Nuvrell.dll";
const char kSocketCreateProc[] = "CreateClientSocket";
const char kBoxCaption[] = "客户端服务";
const char kTextConnectRefused[] = "没能联接上服务器，请检查你的系统是否成功连接上网络,或防火墙设置！";
const char kTextUnknownError[] = "连接服务器的时候发生了未知错误!";
constexpr UINT kNoTimer = 0xFFFFFFFF;

// The services alive in the process, each with the serial number of its
// construction. A restart can end its service (a derived restart, or the
// host's code run by the message loop of the error box), so the service
// checks that it is still the same one before it touches itself again; the
// serial tells a new service at the same address from the old one.
struct LiveServices {
  std::mutex lock;
  std::map<const CClientService*, unsigned> serials;
  unsigned next = 0;
};

LiveServices& Live() {
  static LiveServices live;
  return live;
}

// The serial of a live service, 0 when there is none at that address.
unsigned SerialOf(const CClientService* service) {
  LiveServices& live = Live();
  std::lock_guard<std::mutex> guard(live.lock);
  const auto it = live.serials.find(service);
  return it == live.serials.end() ? 0 : it->second;
}

// The main window of the calling thread's framework thread object, or null.
HWND MainWindowOfThread() {
  CWinThread* thread = AfxGetThread();
  CWnd* window = thread ? thread->GetMainWnd() : nullptr;
  return window ? window->GetSafeHwnd() : nullptr;
}

}  // namespace

CClientService::CClientService()
    : m_SocketLoader(IID_IClientSocket, ZAVREL_INTERFACE_VERSION, kSocketModule, kSocketCreateProc),
      m_nReconnectTimerID(kNoTimer),
      m_bEnableReconnect(false),
      m_nReconnectInterval(30000),
      m_nReconnectCount(0),
      m_nMaxReconnectCount(5),
      m_bEnableProxy(true),
      m_bLogin(false),
      m_wServerPort(0),
      m_strClassName("CClientService") {
  m_ReconnectTimer.RegisterListener(this);
  m_SocketLoader.Create();  // throws the loader's message
  Socket()->SetSocketSink(static_cast<IClientSocketSink*>(this));
  m_strClassName = "CClientService";
  // Without memory for its entry the service is not told apart from a new
  // one at its address after a restart; it works otherwise.
  NoThrowVoid([&] {
    LiveServices& live = Live();
    std::lock_guard<std::mutex> guard(live.lock);
    if (++live.next == 0) ++live.next;
    live.serials[this] = live.next;
  });
}

CClientService::~CClientService() {
  {
    LiveServices& live = Live();
    std::lock_guard<std::mutex> guard(live.lock);
    live.serials.erase(this);
  }
  m_bLogin = false;
  if (IClientSocket* socket = Socket()) socket->CloseSocket(false);
  // Members go in reverse order: the strings, the timer (which stops its
  // timers), then the loader (which releases the socket).
}

bool CClientService::IsValid() { return ComponentIsValid(this); }

bool CClientService::Release() { return ComponentRelease(this); }

void* CClientService::QueryInterface(const IID& Guid, DWORD dwQueryVer) {
  IClientSocketSink* self = this;
  const InterfaceEntry table[] = {{&IID_IClientSocketSink, self}, {&IID_IUnknownEx, self}};
  return QueryInterfaceByTable(Guid, dwQueryVer, table);
}

// The socket's calls: no exception of the hooks (overridden by the host)
// unwinds into the socket module; the call answers false instead.
bool CClientService::OnSocketConnect(int iErrorCode, LPCSTR pszErrorDesc, IClientSocket*) {
  return NoThrow(false, [&] {
    StopReconnectTimer();
    if (iErrorCode != 0) return OnConnectFailed(pszErrorDesc ? pszErrorDesc : "");
    return OnConnectSucced();
  });
}

bool CClientService::OnSocketRead(CMD_Command& Command, void* pBuffer, WORD wDataSize, IClientSocket*) {
  return NoThrow(false, [&] { return OnNetMessage(Command, pBuffer, wDataSize); });
}

bool CClientService::OnSocketClose(IClientSocket*, bool) {
  NoThrowVoid([&] {
    if (m_bEnableReconnect) StartReconnectTimer();
  });
  return true;
}

bool CClientService::StartService(const std::string& strAddress, WORD wPort) {
  if (Socket()->GetSocketStatus() == SocketStatus_Connected) return false;
  // Out of memory for the address: false, nothing stored, no connect.
  if (!NoThrow(false, [&] {
        m_strServerAddress = strAddress;
        return true;
      })) {
    return false;
  }
  m_bLogin = false;
  m_wServerPort = wPort;
  return ConnectToServer(strAddress, wPort);
}

bool CClientService::StopService() {
  m_bLogin = false;
  return Socket()->CloseSocket(false);
}

bool CClientService::RestartService() {
  StopService();
  return NoThrow(false, [&] {
    // Copies: a derived StartService may store new values while using these.
    const std::string address = m_strServerAddress;
    StartService(address, m_wServerPort);
    return true;
  });
}

void CClientService::SetServerAddress(const std::string& strAddress, WORD wPort) {
  NoThrowVoid([&] {
    m_strServerAddress = strAddress;
    m_wServerPort = wPort;
  });
}

bool CClientService::IsConnected() { return Socket()->GetSocketStatus() == SocketStatus_Connected; }

bool CClientService::IsDisconnect() { return Socket()->GetSocketStatus() == SocketStatus_Idle; }

void CClientService::SetProxy(tagProxyInfo& ProxyInfo) { Socket()->SetProxyInfo(ProxyInfo); }

bool CClientService::OnConnectSucced() { return false; }

bool CClientService::OnConnectFailed(LPCSTR) {
  m_bLogin = false;
  if (m_bEnableReconnect) StartReconnectTimer();
  return true;
}

bool CClientService::OnNetMessage(CMD_Command, void*, WORD) { return false; }

bool CClientService::ConnectToServer(const std::string& strAddress, WORD wPort) {
  if (strAddress.empty()) return false;
  try {
    if (Socket()->Connect(strAddress.c_str(), wPort)) return true;
    ShowErrorInfo(kTextConnectRefused);
  } catch (const std::exception& e) {
    ShowErrorInfo(e.what());
  } catch (...) {
    ShowErrorInfo(kTextUnknownError);
  }
  return false;
}

void CClientService::StartReconnectTimer(int nElapse) {
  // One reconnect timer at a time: the one it replaces would tick on,
  // ignored, until the service ends.
  StopReconnectTimer();
  m_nReconnectCount = 0;
  const UINT id = m_ReconnectTimer.SetTimer(static_cast<UINT>(nElapse > 0 ? nElapse : 0));
  m_nReconnectTimerID = id != 0 ? id : kNoTimer;
}

void CClientService::StartReconnectTimer() { StartReconnectTimer(m_nReconnectInterval); }

void CClientService::StopReconnectTimer() {
  // The identifier is forgotten once stopped: the system hands it out again,
  // and a later stop must not end another object's timer.
  if (m_nReconnectTimerID == kNoTimer) return;
  m_ReconnectTimer.KillTimer(m_nReconnectTimerID);
  m_nReconnectTimerID = kNoTimer;
}

void CClientService::OnTimerEx(UINT nIDEvent) {
  if (nIDEvent != m_nReconnectTimerID) return;
  ++m_nReconnectCount;
  const unsigned serial = SerialOf(this);
  RestartService();
  if (SerialOf(this) != serial) return;  // ended inside the restart
  if (m_nReconnectCount >= m_nMaxReconnectCount) StopReconnectTimer();
}

void CClientService::ShowErrorInfo(const CString& strText) {
  ShowSkinMessageBox(MainWindowOfThread(), strText, kBoxCaption, 0x10, 5);
}
