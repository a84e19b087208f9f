// IClientSocket and IClientSocketSink: the socket object of Nuvrell.dll and
// the sink that receives its events.
//
// The socket is created by the C function CreateClientSocket (exported by
// Nuvrell.dll, found at run time through the component loader) and ended by
// its owner with Release. Every event is delivered on the thread that created
// the socket, from that thread's message loop; the socket holds no lock and
// must be used from that thread only.
//
// The slot order of both interfaces is a contract with the modules that use
// them: new operations go after the last slot.
#pragma once

#include "base/unknown_ex.h"
#include "support/nuvrell/socket_types.h"

class IClientSocket;

// Receives the events of one socket. Registered (not owned) by
// IClientSocket::SetSocketSink; the registrant keeps it alive while set.
class IClientSocketSink : public IUnknownEx {
 public:
  // Outcome of Connect: 0 when connected (pszErrorDesc empty), otherwise a
  // Winsock error code or a NUVRELL_ERROR_* code with a Chinese description.
  // The text is valid during the call only.
  virtual bool OnSocketConnect(int iErrorCode, LPCSTR pszErrorDesc, IClientSocket* pIClientSocket) = 0;
  // One message; pBuffer holds wDataSize bytes (null when 0), valid during
  // the call only. Messages arrive in the order the peer sent them.
  virtual bool OnSocketRead(CMD_Command& Command, void* pBuffer, WORD wDataSize, IClientSocket* pIClientSocket) = 0;
  // The connection ended without the owner asking: the peer closed it, the
  // network dropped it, a malformed frame arrived or keep-alive expired
  // (bCloseByServer true); or the owner called CloseSocket(true)
  // (bCloseByServer false).
  virtual bool OnSocketClose(IClientSocket* pIClientSocket, bool bCloseByServer) = 0;

 protected:
  ~IClientSocketSink() = default;
};

class IClientSocket : public IUnknownEx {
 public:
  // Slot 3: a number that tells this socket apart from the others of the
  // process (1, 2, ...).
  virtual WORD GetSocketID() = 0;
  // Slot 4: copies the proxy settings used by later Connect calls. False
  // (settings unchanged) for an unknown kind, strings without their
  // terminating zero, or a proxy kind without host or port.
  virtual bool SetProxyInfo(const tagProxyInfo& ProxyInfo) = 0;
  // Slot 5: registers the sink: the object is queried for IClientSocketSink
  // at 1.1.1.0. Null unregisters. False when the query fails (no sink then).
  virtual bool SetSocketSink(IUnknownEx* pIUnknownEx) = 0;
  // Slot 6: the object given to SetSocketSink, or null.
  virtual IUnknownEx* GetSocketSink() = 0;
  // Slot 7: keep-alive: while connected, a ping is sent after dwIntervalMs
  // without sending, and the connection is dropped (bCloseByServer true)
  // after three intervals without receiving anything. 0 (the default)
  // turns it off. Always true.
  virtual bool SetKeepAlive(DWORD dwIntervalMs) = 0;
  // Slot 8: local IPv4 address of the connection (network byte order), 0
  // when not connected.
  virtual DWORD GetClientAddr() = 0;
  // Slot 9: IPv4 address of the peer of the TCP connection (network byte
  // order): the server, or the proxy when one is used; 0 when not connected.
  virtual DWORD GetServerAddr() = 0;
  // Slot 10: TCP port of that peer (host byte order), 0 when not connected.
  virtual WORD GetServerPort() = 0;
  // Slot 11: SocketStatus_Idle, SocketStatus_Connecting or
  // SocketStatus_Connected.
  virtual int GetSocketStatus() = 0;
  // Slot 12: starts connecting to pszServer (host name or dotted IPv4
  // address) and wPort, through the proxy when one is set. An attempt or
  // connection in progress is closed first without being reported. True when
  // the attempt has started: its outcome arrives later through
  // OnSocketConnect. False at once (nothing reported) when no sink is set,
  // the address is empty or longer than 255 bytes, the port is 0, or no
  // socket can be made.
  virtual bool Connect(LPCSTR pszServer, WORD wPort) = 0;
  // Slot 13: queues a message without body. False when not connected or the
  // send queue is full.
  virtual bool SendData(WORD wMainCmdID, WORD wSubCmdID) = 0;
  // Slot 14: queues a message with wDataSize bytes of body (copied). False
  // when not connected, the body is larger than FRAME_MAX_BODY, pData is null
  // with a non-zero size, or the send queue is full.
  virtual bool SendData(WORD wMainCmdID, WORD wSubCmdID, const void* pData, WORD wDataSize) = 0;
  // Slot 15: bytes queued and not yet handed to the network.
  virtual DWORD GetPendingSendSize() = 0;
  // Slot 16: closes the connection or the attempt. With bNotify the sink
  // hears OnSocketClose(this, false) when there was something to close;
  // without it nothing is reported. True when there was something to close.
  virtual bool CloseSocket(bool bNotify) = 0;

 protected:
  ~IClientSocket() = default;
};

// The creation function that Nuvrell.dll exports as "CreateClientSocket":
// a new socket object's interface for (identifier, version) by the query
// rule (IClientSocket or IUnknownEx at 1.1.0.x / 1.1.1.x), or null. The
// caller owns the object and ends it with Release.
typedef void* (*CreateClientSocketProc)(const GUID* pGuid, DWORD dwInterfaceVer);

// Exported by Nuvrell.dll as "SetConnectTimeout", for tests that must see a
// connect time out without waiting for it: the timeout of attempts started
// afterwards, for every socket of the process (10000 ms by default; 0
// restores that). Returns the value it replaces.
typedef DWORD (*SetConnectTimeoutProc)(DWORD dwMilliseconds);
