// CClientService: the base of the client's connections to its servers.
//
// It owns one socket object, obtained at construction from "Nuvrell.dll"
// ("CreateClientSocket", IClientSocket at 1.1.1.0) through the component
// loader, receives its events as IClientSocketSink, and turns them into the
// overridable hooks OnConnectSucced, OnConnectFailed and OnNetMessage. With
// reconnection enabled, a drop or a failed connect starts a UI timer that
// restarts the service with the stored address (every 30 s by default; the
// fifth tick without an outcome is the last).
//
// Everything runs on the thread that constructs the service, which must
// dispatch messages: socket events and timer ticks arrive through its
// message loop. Windows only.
#pragma once

#include <string>

#include "afx/afx_string.h"
#include "support/nuvrell/client_socket.h"
#include "zavrel/component/component_loader.h"
#include "zavrel/timer/ui_timer.h"
#include "zavrel/zavrel_api.h"

// <windows.h> (without WIN32_LEAN_AND_MEAN) maps StartService to
// StartServiceA or StartServiceW, and GetClassName to GetClassNameA or
// GetClassNameW, by the host's character set. The members keep one exported
// name each (StartService, GetClassNameA) whatever the host defines; the other
// spellings are inline aliases of the same members. An override of
// StartService in a host that sees the macro is written with the macro out of
// the way (#undef StartService, or WIN32_LEAN_AND_MEAN).
#pragma push_macro("StartService")
#pragma push_macro("GetClassName")
#undef StartService
#undef GetClassName

class ZAVREL_API CClientService : public IClientSocketSink, public IUiTimerListener {
 public:
  // Loads the socket module (once per process), creates the socket and
  // registers this object as its sink. When the module, its creation
  // function or the socket cannot be had, throws the loader's message (a
  // char* that stays readable after the throw); no object is made.
  CClientService();
  CClientService(const CClientService&) = delete;
  CClientService& operator=(const CClientService&) = delete;

  // IUnknownEx: answers IClientSocketSink and IUnknownEx (this object) at
  // 1.1.0.x and 1.1.1.x. Release destroys the object when IsValid holds.
  bool IsValid() override;
  bool Release() override;
  void* QueryInterface(const IID& Guid, DWORD dwQueryVer) override;

  // IClientSocketSink, called by the socket on this thread. No exception
  // leaves them: one thrown by a hook makes the call answer false.
  // Stops the reconnect timer; a non-zero code calls OnConnectFailed with
  // the description, 0 calls OnConnectSucced. Returns the hook's result.
  bool OnSocketConnect(int iErrorCode, LPCSTR pszErrorDesc, IClientSocket* pIClientSocket) override;
  // Hands the message to OnNetMessage and returns its result.
  bool OnSocketRead(CMD_Command& Command, void* pBuffer, WORD wDataSize, IClientSocket* pIClientSocket) override;
  // Starts the reconnect timer when reconnection is enabled; always true.
  bool OnSocketClose(IClientSocket* pIClientSocket, bool bCloseByServer) override;

  // Connects to the address and port (stored first, login flag cleared).
  // False without a message when already connected or memory for the
  // address runs out (nothing changes either way), or the address is empty; false with the error box when the socket
  // refuses to start. True when the attempt has started; the outcome comes through the hooks.
  virtual bool StartService(const std::string& strAddress, WORD wPort);
  bool StartServiceA(const std::string& strAddress, WORD wPort) { return StartService(strAddress, wPort); }
  bool StartServiceW(const std::string& strAddress, WORD wPort) { return StartService(strAddress, wPort); }
  // Clears the login flag and closes the socket without a close event.
  // Returns the socket's result (true when there was something to close).
  virtual bool StopService();
  // StopService, then StartService with the stored address and port. True;
  // false when memory runs out (stopped, not restarted).
  virtual bool RestartService();

  // Stores the address and port without connecting; nothing when memory
  // runs out.
  void SetServerAddress(const std::string& strAddress, WORD wPort);
  // The socket's state is 2 / is 0. A state of 1 (connecting) is neither.
  bool IsConnected();
  bool IsDisconnect();
  // Hands the record to the socket for later connects.
  void SetProxy(tagProxyInfo& ProxyInfo);

  // A stored flag that nothing else reads (true after construction).
  void EnableProxy() { m_bEnableProxy = true; }
  void DisableProxy() { m_bEnableProxy = false; }
  bool IsEnableProxy() const { return m_bEnableProxy; }

  // Whether the next drop or failed connect starts the reconnect timer. A
  // running timer is neither started nor stopped by these.
  void EnableReconnect() { m_bEnableReconnect = true; }
  void DisableReconnect() { m_bEnableReconnect = false; }
  bool IsEnableReconnect() const { return m_bEnableReconnect; }

  void SetLogin(bool bLogin) { m_bLogin = bLogin; }
  bool IsLogin() const { return m_bLogin; }
  bool GetLogin() const { return m_bLogin; }

  void SetServiceName(const std::string& strName) { m_strServiceName = strName; }
  std::string GetServiceName() const { return m_strServiceName; }
  void SetClassName(const std::string& strName) { m_strClassName = strName; }
  std::string GetClassNameA() const { return m_strClassName; }
  std::string GetClassNameW() const { return GetClassNameA(); }

  // The socket object (owned by the service), for hosts that send through it.
  IClientSocket* GetClientSocket() const { return m_SocketLoader.GetInterface<IClientSocket>(); }

 protected:
  // Connected. Base: does nothing, false.
  virtual bool OnConnectSucced();
  // The connect failed (description from the socket; not shown). Base:
  // clears the login flag, starts the reconnect timer when reconnection is
  // enabled; true.
  virtual bool OnConnectFailed(LPCSTR pszErrorDesc);
  // One server message; the body is valid during the call only. Base: does
  // nothing, false.
  virtual bool OnNetMessage(CMD_Command Command, void* pBuffer, WORD wDataSize);
  // Asks the socket to connect. Empty address: false, no box. Refused at
  // once or an exception from the socket: the error box, false.
  virtual bool ConnectToServer(const std::string& strAddress, WORD wPort);
  // Stops the running reconnect timer, if any, then starts one of nElapse
  // milliseconds with the attempt count at 0.
  virtual void StartReconnectTimer(int nElapse);
  // The same with the reconnect interval (30000 ms).
  virtual void StartReconnectTimer();
  // Stops the running reconnect timer and forgets its identifier (0xFFFFFFFF
  // again); nothing when none runs.
  virtual void StopReconnectTimer();

 public:
  // Clears the login flag, closes the socket (not reported back), stops the
  // reconnect timers and releases the socket.
  virtual ~CClientService();

 protected:
  // A tick of a reconnect timer: other than the running one, ignored;
  // otherwise counts an attempt, restarts the service and stops the timer
  // once the attempts reach the limit.
  void OnTimerEx(UINT nIDEvent) override;

  // Shows the text in Ormlace's skinned box (caption "客户端服务", error
  // icon), owned by the calling thread's main window when it has one.
  void ShowErrorInfo(const CString& strText);

  IClientSocket* Socket() const { return m_SocketLoader.GetInterface<IClientSocket>(); }

  CComponentLoader m_SocketLoader;
  CUiTimer m_ReconnectTimer;
  UINT m_nReconnectTimerID;
  bool m_bEnableReconnect;
  int m_nReconnectInterval;
  int m_nReconnectCount;
  int m_nMaxReconnectCount;
  bool m_bEnableProxy;
  bool m_bLogin;
  std::string m_strServerAddress;
  WORD m_wServerPort;
  std::string m_strServiceName;
  std::string m_strClassName;
};

#pragma pop_macro("GetClassName")
#pragma pop_macro("StartService")
