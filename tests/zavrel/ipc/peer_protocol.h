// The records between the channel tests (the hall end) and the peer helper
// program (the game end, channel_peer.exe).
#pragma once

#include "afx/afx_port.h"

namespace peer {

// Hall -> game: instructions (main command kInstruct).
constexpr WORD kInstruct = 100;
// Send count records {main, sub = 0..count-1} with bodies of bodySize bytes
// (byte k of record i is (i * 7 + k) & 0xFF). Body: SendOrder.
constexpr WORD kSend = 1;
// CloseChannel(true, true).
constexpr WORD kClose = 2;
// Release the channel (its destructor sends the close record), then exit.
constexpr WORD kRelease = 3;
// Connect to the hall again (the game asks, the hall answers).
constexpr WORD kReconnect = 5;
// From the game's channel window, send malformed copy-data messages, then
// the record {kEndMark, 0}.
constexpr WORD kMalformed = 6;
// From a second window of the game, send a valid record {7, 99}, then from
// the channel window the record {kEndMark, 0}.
constexpr WORD kThirdWindow = 7;
// Send bodies of 40960 and 40961 bytes; report the two results (kReport,
// kBoundaryResults, body: two bytes 0/1).
constexpr WORD kBoundary = 8;

struct SendOrder {
  WORD count;
  WORD main;
  WORD bodySize;
};

// Game -> hall: reports (main command kReport).
constexpr WORD kReport = 101;
constexpr WORD kGotConnect = 1;       // the game's OnChannelConnect ran
constexpr WORD kGotConnectReply = 2;  // the game's OnChannelConnectReply ran
constexpr WORD kEcho = 4;             // body: the main and sub (2 WORDs) + body of a record it got
constexpr WORD kBoundaryResults = 8;

constexpr WORD kEndMark = 9;

// Exit codes of the game.
constexpr DWORD kExitClosedByPeer = 33;  // OnChannelClose ran
constexpr DWORD kExitReleased = 34;      // after kRelease
constexpr DWORD kExitTimeout = 99;       // nothing ended it in time
constexpr DWORD kExitBadArguments = 98;
constexpr DWORD kExitFloodDone = 0;

inline unsigned char BodyByte(unsigned index, unsigned k) { return static_cast<unsigned char>((index * 7 + k) & 0xFF); }

}  // namespace peer
