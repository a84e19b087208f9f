// The copy-data record format shared by the two ends of a channel.
//
// A record is the data of one WM_COPYDATA message whose dwData is
// IPC_IDENTIFIER: an 8-byte IPC_Head followed by the body, all integers
// little-endian. On the wire the head's wDataSize is the whole record size
// (head included, 8 to IPC_BUFFER); when a received record is handed on,
// wDataSize holds the body size only. Main command 0 is reserved for the
// channel's own control records. Portable: no Windows header.
#pragma once

#include "afx/afx_port.h"

struct IPC_Head {
  WORD wVersion;    // always IPC_VER
  WORD wDataSize;   // on the wire: head + body; handed on: body only
  WORD wMainCmdID;  // the caller's; 0 is the channel's control records
  WORD wSubCmdID;   // the caller's
};
static_assert(sizeof(IPC_Head) == 8, "IPC_Head is exactly 8 bytes");

// The only record version.
constexpr WORD IPC_VER = 1;
// dwData of a copy-data message that carries a record.
constexpr DWORD IPC_IDENTIFIER = 1;
// Largest body in bytes.
constexpr WORD IPC_PACKAGE = 40960;
// Largest record (head + body).
constexpr WORD IPC_BUFFER = sizeof(IPC_Head) + IPC_PACKAGE;

// Main command of the channel's control records, and their sub commands.
constexpr WORD IPC_MAIN_CONTROL = 0;
constexpr WORD IPC_SUB_CONNECT = 1;
constexpr WORD IPC_SUB_CONNECT_REPLY = 2;
constexpr WORD IPC_SUB_CLOSE = 3;
