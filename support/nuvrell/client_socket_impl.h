// The socket object of Nuvrell.dll (implementation of IClientSocket).
//
// Winsock, non-blocking. A message-only window of the creating thread
// receives the socket's events (WSAAsyncSelect), the host-name lookups done
// on a short-lived worker thread, and the timers (connect timeout,
// keep-alive); every sink call therefore happens on the creating thread,
// from its message loop. A sink may close, reconnect or release the socket
// inside any callback. Windows only.
#pragma once

#include <winsock2.h>

#include <cstdint>
#include <memory>
#include <string>

#include "base/win_owners.h"
#include "support/nuvrell/client_socket.h"
#include "support/nuvrell/proxy_handshake.h"
#include "support/nuvrell/socket_owner.h"
#include "support/nuvrell/wire_frame.h"

namespace nuvrell {

struct ResolveRequest;

class CClientSocket final : public IClientSocket {
 public:
  CClientSocket();
  CClientSocket(const CClientSocket&) = delete;
  CClientSocket& operator=(const CClientSocket&) = delete;
  virtual ~CClientSocket();

  // Starts Winsock and makes the event window; false when either fails.
  bool Init();

  bool IsValid() override;
  bool Release() override;
  void* QueryInterface(const IID& Guid, DWORD dwQueryVer) override;
  WORD GetSocketID() override { return m_wSocketID; }
  bool SetProxyInfo(const tagProxyInfo& ProxyInfo) override;
  bool SetSocketSink(IUnknownEx* pIUnknownEx) override;
  IUnknownEx* GetSocketSink() override { return m_pSinkObject; }
  bool SetKeepAlive(DWORD dwIntervalMs) override;
  DWORD GetClientAddr() override;
  DWORD GetServerAddr() override;
  WORD GetServerPort() override;
  int GetSocketStatus() override;
  bool Connect(LPCSTR pszServer, WORD wPort) override;
  bool SendData(WORD wMainCmdID, WORD wSubCmdID) override;
  bool SendData(WORD wMainCmdID, WORD wSubCmdID, const void* pData, WORD wDataSize) override;
  DWORD GetPendingSendSize() override;
  bool CloseSocket(bool bNotify) override;

  // Unregisters the window class (module unload).
  static void UnregisterWindowClass();
  // The connect timeout of later attempts (see SetConnectTimeoutProc).
  static DWORD SetConnectTimeout(DWORD dwMilliseconds);

 private:
  enum class Phase { Idle, Resolving, Connecting, Handshake, Connected };

  static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
  void HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
  UINT EventMessage() const;
  bool UsesProxy() const { return m_ProxyInfo.cbProxyType != ProxyType_None; }

  void Reset();
  int StartTcp(std::uint32_t ipv4, std::uint16_t port);
  void OnResolved(WPARAM id);
  void OnNetEvent(WORD wEvent, WORD wError);
  void OnTimer(UINT_PTR id);
  void ReadHandshake();
  void ReadFrames(bool bDrain);
  bool DeliverFrames();
  void Established(const std::uint8_t* leftover, std::size_t size);
  void FailConnect(int code, const std::string& text);
  void Drop();
  int Flush();
  bool QueueFrame(WORD wMainCmdID, WORD wSubCmdID, const void* pData, std::size_t size);

  // Sink calls: each answers whether this object is still alive and still
  // on the same connection attempt, so the caller may go on.
  bool NotifyConnect(int code, const std::string& text);
  bool NotifyClose(bool bCloseByServer);

  WORD m_wSocketID;
  bool m_bWinsock = false;
  UniqueWindow m_Window;
  UniqueSocket m_Socket;
  IUnknownEx* m_pSinkObject = nullptr;
  IClientSocketSink* m_pSink = nullptr;
  tagProxyInfo m_ProxyInfo{};
  DWORD m_dwKeepAlive = 0;

  Phase m_Phase = Phase::Idle;
  unsigned m_nGeneration = 0;
  std::shared_ptr<bool> m_pAlive;
  std::string m_strServer;
  WORD m_wServerPort = 0;
  std::uint32_t m_dwPeerAddr = 0;  // network byte order
  WORD m_wPeerPort = 0;
  std::shared_ptr<ResolveRequest> m_pResolve;

  ProxyHandshake m_Handshake;
  std::unique_ptr<FrameReader> m_pReader;
  std::string m_SendQueue;
  std::size_t m_nSendOffset = 0;
  DWORD m_dwLastRecv = 0;
  DWORD m_dwLastSend = 0;
};

}  // namespace nuvrell
