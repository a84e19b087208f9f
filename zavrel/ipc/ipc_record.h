// Building and checking copy-data records and the channel's queued records,
// without the window system (portable; the window classes use these).
#pragma once

#include <cstddef>

#include "afx/afx_port.h"
#include "zavrel/ipc/ipc_head.h"
#include "zavrel/zavrel_api.h"

// Writes the record {IPC_VER, size, wMainCmdID, wSubCmdID} + body into
// pBuffer (at least IPC_BUFFER bytes) and returns the record size (8 plus
// the body size), or 0 when wBodySize is above IPC_PACKAGE (nothing is
// written). A null pBody sends no body whatever wBodySize says.
ZAVREL_API WORD IPCBuildRecord(void* pBuffer, WORD wMainCmdID, WORD wSubCmdID, const void* pBody, WORD wBodySize);

// Checks a received copy-data payload and splits it: true when dwData is
// IPC_IDENTIFIER, cbData is 8 to IPC_BUFFER, pData is not null, the version
// is IPC_VER and the head's size equals cbData. Then Head holds the head
// with wDataSize = body size, pBody points into pData after the head (null
// for an empty body) and wBodySize is the body size. On false the outputs
// are unspecified (Head may hold the bytes read).
ZAVREL_API bool IPCSplitRecord(DWORD dwData, const void* pData, DWORD cbData, IPC_Head& Head, const void*& pBody,
                               WORD& wBodySize);

// The channel's queued record: the head as handed on (wDataSize = body
// size), the sender's window handle in 32 bits, then the body.
constexpr std::size_t IPC_QUEUED_HEAD = sizeof(IPC_Head) + 4;
constexpr std::size_t IPC_QUEUED_BUFFER = IPC_QUEUED_HEAD + IPC_PACKAGE;

// Writes a queued record into pBuffer (at least IPC_QUEUED_BUFFER bytes)
// and returns its length (12 + Head.wDataSize), or 0 when Head.wDataSize is
// above IPC_PACKAGE or a body is announced but pBody is null.
ZAVREL_API WORD IPCPackQueued(void* pBuffer, const IPC_Head& Head, DWORD dwSender, const void* pBody);

// Reads a queued record of wLength bytes: false when wLength is below 12 or
// is not Head.wDataSize + 12. pBody points into pRecord (null for an empty
// body).
ZAVREL_API bool IPCUnpackQueued(const void* pRecord, WORD wLength, IPC_Head& Head, DWORD& dwSender, const void*& pBody);
