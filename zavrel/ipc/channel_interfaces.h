// The channel's interfaces: IChannelService (the component), and the two
// sinks its caller implements, IChannelMessageSink and IChannelEventSink.
// Each begins with the operations of IUnknownEx; the slot order below is a
// contract with other modules (GCC lays out the overloads of SendData in
// declaration order). Sinks are never owned by the channel: the caller keeps
// them alive while they are set. Windows only.
#pragma once

#include "afx/afx_port.h"
#include "zavrel/component/unknown_ex.h"
#include "zavrel/ipc/ipc_head.h"

// {7A672DCA-141E-45A6-95C4-4379237F2973}, version 1.1.1.
class IChannelMessageSink : public IUnknownEx {
 public:
  // One record: pHead->wDataSize is the body size; pIPCBuffer is the body
  // (null when empty), valid only during the call; hWndSend is the sending
  // window. The result is the sink's answer (true: taken).
  virtual bool OnChannelMessage(const IPC_Head* pHead, const void* pIPCBuffer, WORD wDataSize, HWND hWndSend) = 0;
};

// {B87334AF-3F52-4E51-9DC6-519324669E2E}, version 1.1.1. The channel does not
// look at the results.
class IChannelEventSink : public IUnknownEx {
 public:
  // A connect request from hWndSend arrived (the reply follows the call).
  virtual bool OnChannelConnect(HWND hWndSend) = 0;
  // The peer hWndSend answered this end's connect request.
  virtual bool OnChannelConnectReply(HWND hWndSend) = 0;
  // The channel with hWndSend closed; bInitiative is always true.
  virtual bool OnChannelClose(HWND hWndSend, bool bInitiative) = 0;
};

// {4D0151E9-BD65-4A4C-A6F8-257468176E74}, version 1.1.1.
class IChannelService : public IUnknownEx {
 public:
  // Queries pIUnknownEx for IChannelEventSink (1.1.1.0) and holds the answer,
  // null included; true when it answered. Null: no sink, false.
  virtual bool SetChannelEventSink(IUnknownEx* pIUnknownEx) = 0;
  // The same for IChannelMessageSink.
  virtual bool SetChannelMessageSink(IUnknownEx* pIUnknownEx) = 0;
  // The held event sink's QueryInterface answer; null without a sink.
  virtual void* GetChannelEventSink(const IID& Guid, DWORD dwQueryVer) = 0;
  // The held message sink's QueryInterface answer; null without a sink.
  virtual void* GetChannelMessageSink(const IID& Guid, DWORD dwQueryVer) = 0;
  // False without a peer; with bEfficacy, whether the peer is a window now;
  // otherwise true.
  virtual bool IsConnect(bool bEfficacy) = 0;
  // Sets the peer, makes the channel window (kept when it exists) and sends
  // the connect request; false when the window cannot be made (the peer
  // stays set) or the request cannot be sent (the window stays).
  virtual bool Connect(HWND hWndServer) = 0;
  // Ends the channel: optionally tells the peer (close record) and the event
  // sink (OnChannelClose), destroys the channel window, forgets the peer and
  // the queued records. False when no peer is set.
  virtual bool CloseChannel(bool bNotifyServer, bool bNotifySink) = 0;
  // Sends a record to the peer from the channel window. False without a
  // peer, when the peer is not a window, or for a body above IPC_PACKAGE.
  virtual bool SendData(WORD wMainCmdID, WORD wSubCmdID, const void* pBuffer, WORD wDataSize) = 0;
  virtual bool SendData(WORD wMainCmdID, WORD wSubCmdID) = 0;
};
