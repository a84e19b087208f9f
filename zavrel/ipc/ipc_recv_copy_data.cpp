#include "zavrel/ipc/ipc_recv_copy_data.h"

#include "zavrel/ipc/ipc_record.h"

CIPCRecvCopyData::CIPCRecvCopyData() : m_pIChannelMessageSink(nullptr) {}

CIPCRecvCopyData::~CIPCRecvCopyData() = default;

bool CIPCRecvCopyData::SetChannelMessageSink(IUnknownEx* pIUnknownEx) {
  m_pIChannelMessageSink = nullptr;
  if (!pIUnknownEx) return false;
  m_pIChannelMessageSink =
      static_cast<IChannelMessageSink*>(pIUnknownEx->QueryInterface(IID_IChannelMessageSink, ZAVREL_INTERFACE_VERSION));
  return m_pIChannelMessageSink != nullptr;
}

bool CIPCRecvCopyData::GetIPCData(IPC_Head& Head, const void*& pIPCBuffer, WORD& wDataSize,
                                  const COPYDATASTRUCT* pCopyDataStruct) {
  // dwData is pointer-wide: compare all of it before narrowing.
  if (!pCopyDataStruct || pCopyDataStruct->dwData != IPC_IDENTIFIER) return false;
  return IPCSplitRecord(IPC_IDENTIFIER, pCopyDataStruct->lpData, pCopyDataStruct->cbData, Head, pIPCBuffer, wDataSize);
}

bool CIPCRecvCopyData::OnCopyData(HWND hWndSend, const COPYDATASTRUCT* pCopyDataStruct) {
  if (!m_pIChannelMessageSink || !pCopyDataStruct || pCopyDataStruct->dwData != IPC_IDENTIFIER) return false;
  IPC_Head head;
  const void* body = nullptr;
  WORD size = 0;
  if (!GetIPCData(head, body, size, pCopyDataStruct)) return false;
  return m_pIChannelMessageSink->OnChannelMessage(&head, body, size, hWndSend);
}
