// The script language of the local hall server.
//
// A script is a list of commands, one per line or separated by ';'. '#'
// starts a comment. Without sections every command applies to every
// connection; "connection N" starts a section for the N-th connection
// (1-based), "connection *" one for every connection that has no section of
// its own. The commands of a connection run in order; after the last one the
// connection stays open, reading (and echoing, when echo is on) until the
// client closes it.
//
//   send COUNT [MAIN [SUB [SIZE]]]  COUNT frames (defaults 1 1 16); each body
//                                   starts with its sequence number (0, 1,
//                                   ..., 32-bit little-endian) when SIZE >= 4,
//                                   then bytes (seq + i) & 0xFF
//   text MAIN SUB TEXT              one frame whose body is TEXT (the rest of
//                                   the statement, bytes as written)
//   echo                            from now on, send back every frame received
//   wait N                          until N frames have arrived from the client
//   sleep MS                        pause this connection
//   drop                            close once everything queued is sent
//   drop-after N                    wait N, then drop
//   reset                           close at once with a reset
//   malformed KIND                  send a bad frame: short (size below the
//                                   header), huge (size above the maximum),
//                                   version (wrong version byte), truncated
//                                   (a frame cut off by closing)
//   ping                            send a keep-alive ping
//   stall                           stop reading and writing; stay open
//   refuse                          (anywhere) the port is held but never
//                                   accepts: connecting is refused
//
// Portable (no socket code).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace hall {

enum class Op { Send, Text, Echo, Wait, Sleep, Drop, Reset, Malformed, Ping, Stall };

struct Command {
  Op op = Op::Echo;
  std::uint32_t count = 0;  // send: frames; wait: frames; sleep: milliseconds
  std::uint16_t mainCmd = 1;
  std::uint16_t subCmd = 1;
  std::uint32_t size = 16;
  std::string kind;  // malformed: short, huge, version, truncated
  std::string text;  // text: the body
};

struct Script {
  bool refuse = false;
  std::vector<Command> common;                        // "connection *" or no section
  std::map<unsigned, std::vector<Command>> numbered;  // "connection N"

  // The commands of the n-th connection (1-based).
  const std::vector<Command>& ForConnection(unsigned n) const;
};

// Parses a script; false with a message naming the line on error.
bool ParseScript(const std::string& text, Script& out, std::string& error);

// The body of the seq-th frame of a send command of size bytes.
std::string MakeBody(std::uint32_t seq, std::uint32_t size);

}  // namespace hall
