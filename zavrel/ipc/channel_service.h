// CChannelService: one end of a two-ended channel between windows of two
// processes (made by CreateChannelService). Windows only.
//
// Each end owns a hidden channel window (the object's own CWnd: the
// framework's default class, no title, WS_CHILD only, never visible,
// rectangle 0,0,0,0, parent the desktop window, child identifier 10), made
// by Connect on the calling thread and kept by a later Connect. Records are
// sent to the peer window with CIPCSendCopyData (client window = the channel
// window). A record from the peer window (and only from it) is copied into
// a queue inside its WM_COPYDATA and handed on later, one per private
// message WM_IPC_MESSAGE posted to the channel window, so the sender's send
// returns before the record is handled. Records with main command 0 are the
// channel's control records (connect 1, connect reply 2, close 3) and go to
// the event sink; all others go to the message sink. Sinks are called on
// the channel window's thread from inside that message: they may send
// records, close the channel or Release it.
//
// The channel window's handle, which the other process needs before it can
// connect, is GetSafeHwnd() on the object:
//   CChannelService* pChannel = static_cast<CChannelService*>(pIChannelService);
//   HWND hWndChannel = pChannel->GetSafeHwnd();  // null before Connect
//
// Ownership: the creator ends the object with Release (never delete through
// an interface). The sinks are not owned.
#pragma once

#include "afx/afxwin.h"
#include "support/kelmar/data_storage.h"
#include "zavrel/ipc/channel_interfaces.h"
#include "zavrel/ipc/ipc_recv_copy_data.h"
#include "zavrel/zavrel_api.h"

// The private message that hands one queued record on (first user message
// number plus 100); wParam = lParam = the body size.
constexpr UINT WM_IPC_MESSAGE = WM_USER + 100;
// Child identifier of the channel window.
constexpr UINT IDC_CHANNEL_WINDOW = 10;

class ZAVREL_API CChannelService : public CWnd, public IChannelService, public IChannelMessageSink {
 public:
  CChannelService();
  // With a peer set: sends the close record, destroys the channel window and
  // forgets the queue, without calling the event sink.
  ~CChannelService() override;

  // IUnknownEx. IsValid covers the whole object; Release destroys it.
  bool IsValid() override;
  bool Release() override;
  // IChannelService, then IChannelMessageSink, then IUnknownEx (answered
  // with the IChannelService view), at versions 1.1.0.x and 1.1.1.x.
  void* QueryInterface(const IID& Guid, DWORD dwQueryVer) override;

  // IChannelService (see channel_interfaces.h).
  bool SetChannelEventSink(IUnknownEx* pIUnknownEx) override;
  bool SetChannelMessageSink(IUnknownEx* pIUnknownEx) override;
  void* GetChannelEventSink(const IID& Guid, DWORD dwQueryVer) override;
  void* GetChannelMessageSink(const IID& Guid, DWORD dwQueryVer) override;
  bool IsConnect(bool bEfficacy) override;
  bool Connect(HWND hWndServer) override;
  bool CloseChannel(bool bNotifyServer, bool bNotifySink) override;
  bool SendData(WORD wMainCmdID, WORD wSubCmdID, const void* pBuffer, WORD wDataSize) override;
  bool SendData(WORD wMainCmdID, WORD wSubCmdID) override;

  // IChannelMessageSink: the object's own receiver calls this inside
  // WM_COPYDATA. Queues a record from the peer (body up to IPC_PACKAGE) and
  // posts WM_IPC_MESSAGE; false for any other sender, an oversize body, or
  // a full queue (the record is refused).
  bool OnChannelMessage(const IPC_Head* pHead, const void* pIPCBuffer, WORD wDataSize, HWND hWndSend) override;

  // The peer window (null when none).
  HWND GetPeerHwnd() const { return m_hWndServer; }

 protected:
  afx_msg BOOL OnCopyData(CWnd* pWnd, COPYDATASTRUCT* pCopyDataStruct);
  afx_msg LRESULT OnIPCMessage(WPARAM wParam, LPARAM lParam);
  // Posts WM_IPC_MESSAGE while queued records outnumber the posted messages.
  void PostPendingMessages();

  HWND m_hWndServer;
  CDataStorage m_DataStorage;
  CIPCRecvCopyData m_IPCRecvCopyData;
  IChannelEventSink* m_pIChannelEventSink;
  IChannelMessageSink* m_pIChannelMessageSink;

  DECLARE_MESSAGE_MAP()

 private:
  DWORD m_dwPostedMessages = 0;      // WM_IPC_MESSAGE posted, not yet handled
  bool* m_pDestroyedFlag = nullptr;  // set by the destructor during a sink call
};
