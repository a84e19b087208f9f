// CIPCSendCopyData: sends copy-data records to a window (usually of another
// process). Windows only.
//
// The two handles are references, not owned: the server window receives,
// the client window is the sender's own window, passed as wParam. A record
// is built in a fixed buffer of IPC_BUFFER bytes on the stack (no heap
// allocation per record) and sent with SendMessageA, which returns once the
// receiving window has handled it; the receiver's answer is not looked at.
#pragma once

#include "afx/afx_port.h"
#include "zavrel/ipc/ipc_head.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API CIPCSendCopyData {
 public:
  // Both handles null.
  CIPCSendCopyData();
  // Keeps hWndServer only when it is a window (else null); hWndClient as
  // given.
  CIPCSendCopyData(HWND hWndServer, HWND hWndClient);
  CIPCSendCopyData(const CIPCSendCopyData&) = default;
  CIPCSendCopyData& operator=(const CIPCSendCopyData&) = default;
  virtual ~CIPCSendCopyData();

  // Whether the server window is a window now.
  bool IsConnect();
  // Clears the server window, then keeps hWndServer when it is a window;
  // true then, else false.
  bool SetServerHwnd(HWND hWndServer);
  // Server window := the top-level window of that class (no title looked
  // at); false (and null) when there is none or the name is null.
  bool SetServerHwnd(LPCSTR pszClassName);
  // Clears the client window, then keeps hWndClient when it is a window;
  // true then, else false.
  bool SetClientHwnd(HWND hWndClient);

  HWND GetServerHwnd() const { return m_hWndServer; }
  HWND GetClientHwnd() const { return m_hWndClient; }

  // A record with an empty body; false when the server window is not a
  // window.
  bool SendData(WORD wMainCmdID, WORD wSubCmdID);
  // A record with a body of wDataSize bytes (a null pBuffer sends none).
  // False for a body above IPC_PACKAGE (nothing sent) or when the server
  // window is not a window.
  bool SendData(WORD wMainCmdID, WORD wSubCmdID, const void* pBuffer, WORD wDataSize);
  // Raw bytes with any dwData and no head, to the server window.
  bool SendIPCData(DWORD dwIdentifier, const void* pBuffer, WORD wDataSize);
  // Sends WM_COPYDATA {dwIdentifier, dwDataSize, pBuffer} to hWndTarget with
  // wParam = the client window; false when hWndTarget is not a window or
  // pBuffer is null with a size above 0.
  bool Send(HWND hWndTarget, DWORD dwIdentifier, const void* pBuffer, DWORD dwDataSize);

 protected:
  HWND m_hWndServer;
  HWND m_hWndClient;
};
