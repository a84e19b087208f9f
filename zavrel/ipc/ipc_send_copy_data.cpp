#include "zavrel/ipc/ipc_send_copy_data.h"

#include "zavrel/ipc/ipc_record.h"

CIPCSendCopyData::CIPCSendCopyData() : m_hWndServer(nullptr), m_hWndClient(nullptr) {}

CIPCSendCopyData::CIPCSendCopyData(HWND hWndServer, HWND hWndClient)
    : m_hWndServer(IsWindow(hWndServer) ? hWndServer : nullptr), m_hWndClient(hWndClient) {}

CIPCSendCopyData::~CIPCSendCopyData() = default;

bool CIPCSendCopyData::IsConnect() { return IsWindow(m_hWndServer) != FALSE; }

bool CIPCSendCopyData::SetServerHwnd(HWND hWndServer) {
  m_hWndServer = nullptr;
  if (!IsWindow(hWndServer)) return false;
  m_hWndServer = hWndServer;
  return true;
}

bool CIPCSendCopyData::SetServerHwnd(LPCSTR pszClassName) {
  m_hWndServer = pszClassName ? FindWindowA(pszClassName, nullptr) : nullptr;
  return m_hWndServer != nullptr;
}

bool CIPCSendCopyData::SetClientHwnd(HWND hWndClient) {
  m_hWndClient = nullptr;
  if (!IsWindow(hWndClient)) return false;
  m_hWndClient = hWndClient;
  return true;
}

bool CIPCSendCopyData::SendData(WORD wMainCmdID, WORD wSubCmdID) {
  IPC_Head head = {IPC_VER, static_cast<WORD>(sizeof(IPC_Head)), wMainCmdID, wSubCmdID};
  if (!IsWindow(m_hWndServer)) return false;
  return Send(m_hWndServer, IPC_IDENTIFIER, &head, sizeof(head));
}

bool CIPCSendCopyData::SendData(WORD wMainCmdID, WORD wSubCmdID, const void* pBuffer, WORD wDataSize) {
  if (wDataSize > IPC_PACKAGE) return false;
  unsigned char record[IPC_BUFFER];
  const WORD size = IPCBuildRecord(record, wMainCmdID, wSubCmdID, pBuffer, wDataSize);
  return Send(m_hWndServer, IPC_IDENTIFIER, record, size);
}

bool CIPCSendCopyData::SendIPCData(DWORD dwIdentifier, const void* pBuffer, WORD wDataSize) {
  return Send(m_hWndServer, dwIdentifier, pBuffer, wDataSize);
}

bool CIPCSendCopyData::Send(HWND hWndTarget, DWORD dwIdentifier, const void* pBuffer, DWORD dwDataSize) {
  if (!IsWindow(hWndTarget)) return false;
  if (!pBuffer && dwDataSize > 0) return false;  // nothing to read the bytes from
  COPYDATASTRUCT cds;
  cds.dwData = dwIdentifier;
  cds.cbData = dwDataSize;
  cds.lpData = const_cast<void*>(pBuffer);  // read only by the system
  SendMessageA(hWndTarget, WM_COPYDATA, reinterpret_cast<WPARAM>(m_hWndClient), reinterpret_cast<LPARAM>(&cds));
  return true;
}
