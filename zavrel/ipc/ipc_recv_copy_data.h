// CIPCRecvCopyData: checks received copy-data records and hands them to a
// message sink. Windows only.
//
// A window's WM_COPYDATA handler calls OnCopyData with the sending window
// (wParam) and the copy-data structure (lParam). The sink is not owned.
#pragma once

#include "afx/afx_port.h"
#include "zavrel/ipc/channel_interfaces.h"
#include "zavrel/ipc/ipc_head.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API CIPCRecvCopyData {
 public:
  CIPCRecvCopyData();
  CIPCRecvCopyData(const CIPCRecvCopyData&) = default;
  CIPCRecvCopyData& operator=(const CIPCRecvCopyData&) = default;
  virtual ~CIPCRecvCopyData();

  // Sink := pIUnknownEx's IChannelMessageSink at 1.1.1.0; true when it
  // answered. A null pIUnknownEx clears the sink and returns false.
  bool SetChannelMessageSink(IUnknownEx* pIUnknownEx);
  IChannelMessageSink* GetChannelMessageSink() const { return m_pIChannelMessageSink; }

  // Checks and splits a received record: false when dwData is not
  // IPC_IDENTIFIER, cbData is below 8 or above IPC_BUFFER, the data pointer
  // is null, the version is not IPC_VER or the head's size is not cbData.
  // On success Head.wDataSize is the body size, pIPCBuffer points at the
  // body inside the structure's data (null when empty) and wDataSize is the
  // body size.
  bool GetIPCData(IPC_Head& Head, const void*& pIPCBuffer, WORD& wDataSize, const COPYDATASTRUCT* pCopyDataStruct);

  // Checks the record and returns the sink's OnChannelMessage answer; false
  // without a sink, for a null structure or for a record GetIPCData refuses
  // (the sink is not called then).
  bool OnCopyData(HWND hWndSend, const COPYDATASTRUCT* pCopyDataStruct);

 protected:
  IChannelMessageSink* m_pIChannelMessageSink;
};
