#include "zavrel/ipc/channel_service.h"

#include "base/no_throw.h"
#include "zavrel/component/component_base.h"
#include "zavrel/component/query_rule.h"
#include "zavrel/ipc/ipc_record.h"
#include "zavrel/ipc/ipc_send_copy_data.h"

namespace {

// Window handles carry 32 significant bits on 64-bit Windows too; the
// queued record keeps them in 32 bits, widened back with sign extension as
// the system does.
DWORD HandleTo32(HWND hWnd) { return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(hWnd)); }
HWND HandleFrom32(DWORD value) { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(value))); }

}  // namespace

BEGIN_MESSAGE_MAP(CChannelService, CWnd)
ON_WM_COPYDATA()
ON_MESSAGE(WM_IPC_MESSAGE, OnIPCMessage)
END_MESSAGE_MAP()

CChannelService::CChannelService()
    : m_hWndServer(nullptr), m_pIChannelEventSink(nullptr), m_pIChannelMessageSink(nullptr) {
  m_IPCRecvCopyData.SetChannelMessageSink(static_cast<IChannelService*>(this));
}

CChannelService::~CChannelService() {
  if (m_pDestroyedFlag) *m_pDestroyedFlag = true;
  if (m_hWndServer) {
    SendData(IPC_MAIN_CONTROL, IPC_SUB_CLOSE);
    if (m_hWnd) CWnd::DestroyWindow();
    m_hWndServer = nullptr;
    m_DataStorage.RemoveData(false);
  }
}

bool CChannelService::IsValid() { return ComponentIsValid(this); }

bool CChannelService::Release() { return ComponentRelease(this); }

void* CChannelService::QueryInterface(const IID& Guid, DWORD dwQueryVer) {
  const InterfaceEntry table[] = {
      {&IID_IChannelService, static_cast<IChannelService*>(this)},
      {&IID_IChannelMessageSink, static_cast<IChannelMessageSink*>(this)},
      {&IID_IUnknownEx, static_cast<IChannelService*>(this)},
  };
  return QueryInterfaceByTable(Guid, dwQueryVer, table);
}

bool CChannelService::SetChannelEventSink(IUnknownEx* pIUnknownEx) {
  m_pIChannelEventSink = nullptr;
  if (!pIUnknownEx) return false;
  m_pIChannelEventSink =
      static_cast<IChannelEventSink*>(pIUnknownEx->QueryInterface(IID_IChannelEventSink, ZAVREL_INTERFACE_VERSION));
  return m_pIChannelEventSink != nullptr;
}

bool CChannelService::SetChannelMessageSink(IUnknownEx* pIUnknownEx) {
  m_pIChannelMessageSink = nullptr;
  if (!pIUnknownEx) return false;
  m_pIChannelMessageSink =
      static_cast<IChannelMessageSink*>(pIUnknownEx->QueryInterface(IID_IChannelMessageSink, ZAVREL_INTERFACE_VERSION));
  return m_pIChannelMessageSink != nullptr;
}

void* CChannelService::GetChannelEventSink(const IID& Guid, DWORD dwQueryVer) {
  return m_pIChannelEventSink ? m_pIChannelEventSink->QueryInterface(Guid, dwQueryVer) : nullptr;
}

void* CChannelService::GetChannelMessageSink(const IID& Guid, DWORD dwQueryVer) {
  return m_pIChannelMessageSink ? m_pIChannelMessageSink->QueryInterface(Guid, dwQueryVer) : nullptr;
}

bool CChannelService::IsConnect(bool bEfficacy) {
  if (!m_hWndServer) return false;
  return bEfficacy ? ::IsWindow(m_hWndServer) != FALSE : true;
}

bool CChannelService::Connect(HWND hWndServer) {
  m_hWndServer = hWndServer;
  m_DataStorage.RemoveData(false);
  // The window is kept across connects: its handle may already have been
  // handed to the other process.
  if (!m_hWnd) {
    const RECT rect = {0, 0, 0, 0};
    // The framework's window creation may run out of memory: false, as for
    // any window that cannot be made.
    if (!NoThrow(FALSE, [&] {
          return CreateEx(0, nullptr, nullptr, WS_CHILD, rect, CWnd::GetDesktopWindow(), IDC_CHANNEL_WINDOW);
        })) {
      return false;
    }
    m_dwPostedMessages = 0;
  }
  return SendData(IPC_MAIN_CONTROL, IPC_SUB_CONNECT);
}

bool CChannelService::CloseChannel(bool bNotifyServer, bool bNotifySink) {
  if (!m_hWndServer) return false;
  if (bNotifyServer) SendData(IPC_MAIN_CONTROL, IPC_SUB_CLOSE);
  if (bNotifySink && m_pIChannelEventSink) {
    // The sink may end this object inside the call.
    bool destroyed = false;
    bool* const outer = m_pDestroyedFlag;
    m_pDestroyedFlag = &destroyed;
    m_pIChannelEventSink->OnChannelClose(m_hWndServer, true);
    if (destroyed) {
      if (outer) *outer = true;
      return true;
    }
    m_pDestroyedFlag = outer;
  }
  if (m_hWnd) CWnd::DestroyWindow();
  m_hWndServer = nullptr;
  m_DataStorage.RemoveData(false);
  return true;
}

bool CChannelService::SendData(WORD wMainCmdID, WORD wSubCmdID, const void* pBuffer, WORD wDataSize) {
  if (!m_hWndServer) return false;
  CIPCSendCopyData sender(m_hWndServer, m_hWnd);
  return sender.SendData(wMainCmdID, wSubCmdID, pBuffer, wDataSize);
}

bool CChannelService::SendData(WORD wMainCmdID, WORD wSubCmdID) {
  if (!m_hWndServer) return false;
  CIPCSendCopyData sender(m_hWndServer, m_hWnd);
  return sender.SendData(wMainCmdID, wSubCmdID);
}

BOOL CChannelService::OnCopyData(CWnd* pWnd, COPYDATASTRUCT* pCopyDataStruct) {
  const MSG* msg = GetCurrentMessage();
  // The sender as given in wParam (pWnd is null for a handle that is no
  // window).
  HWND hWndSend = msg ? reinterpret_cast<HWND>(msg->wParam) : (pWnd ? pWnd->GetSafeHwnd() : nullptr);
  if (m_hWndServer && hWndSend == m_hWndServer && m_IPCRecvCopyData.OnCopyData(hWndSend, pCopyDataStruct)) return TRUE;
  return CWnd::OnCopyData(pWnd, pCopyDataStruct);
}

bool CChannelService::OnChannelMessage(const IPC_Head* pHead, const void* pIPCBuffer, WORD wDataSize, HWND hWndSend) {
  if (!pHead || wDataSize > IPC_PACKAGE || !m_hWndServer || hWndSend != m_hWndServer || !m_hWnd) return false;
  IPC_Head head = *pHead;
  head.wDataSize = wDataSize;
  unsigned char record[IPC_QUEUED_BUFFER];
  const WORD length = IPCPackQueued(record, head, HandleTo32(hWndSend), pIPCBuffer);
  if (length == 0 || !m_DataStorage.AddData(1, record, length)) return false;
  if (PostMessage(WM_IPC_MESSAGE, wDataSize, wDataSize)) ++m_dwPostedMessages;
  return true;
}

void CChannelService::PostPendingMessages() {
  while (m_hWnd && m_DataStorage.GetDataCount() > m_dwPostedMessages && PostMessage(WM_IPC_MESSAGE, 0, 0))
    ++m_dwPostedMessages;
}

LRESULT CChannelService::OnIPCMessage(WPARAM, LPARAM) {
  if (m_dwPostedMessages) --m_dwPostedMessages;
  unsigned char record[IPC_QUEUED_BUFFER];
  tagDataHead dataHead = {};
  const bool got = m_DataStorage.GetData(dataHead, record, sizeof(record));
  // A message that could not be posted earlier is made up for now, so every
  // queued record gets its own message.
  PostPendingMessages();
  if (!got) return 0;
  IPC_Head head;
  DWORD sender = 0;
  const void* body = nullptr;
  if (!IPCUnpackQueued(record, dataHead.wDataSize, head, sender, body)) return 0;
  HWND hWndSend = HandleFrom32(sender);

  if (head.wMainCmdID != IPC_MAIN_CONTROL) {
    if (m_pIChannelMessageSink) m_pIChannelMessageSink->OnChannelMessage(&head, body, head.wDataSize, hWndSend);
    return 0;
  }
  switch (head.wSubCmdID) {
    case IPC_SUB_CONNECT: {
      // The reply goes from the channel window to whoever asked, whatever
      // the peer is; the sink may end this object inside its call.
      HWND hWndChannel = m_hWnd;
      if (m_pIChannelEventSink) m_pIChannelEventSink->OnChannelConnect(hWndSend);
      CIPCSendCopyData reply(hWndSend, hWndChannel);
      reply.SendData(IPC_MAIN_CONTROL, IPC_SUB_CONNECT_REPLY);
      break;
    }
    case IPC_SUB_CONNECT_REPLY:
      if (m_pIChannelEventSink) m_pIChannelEventSink->OnChannelConnectReply(hWndSend);
      break;
    case IPC_SUB_CLOSE:
      CloseChannel(false, true);
      break;
    default:
      break;  // other control records are dropped
  }
  return 0;
}
