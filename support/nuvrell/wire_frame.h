// The wire framing of Nuvrell's connections (see docs/wire-framing.md).
//
// Every message travels as one frame: an 8-byte header followed by the body.
//
//   offset 0  BYTE  version, FRAME_VERSION
//   offset 1  BYTE  reserved, 0
//   offset 2  WORD  packet size, header included (little-endian)
//   offset 4  WORD  main command (little-endian)
//   offset 6  WORD  sub command (little-endian)
//
// A packet size below the header size or above FRAME_MAX_PACKET, another
// version or a non-zero reserved byte makes the frame malformed: the reader
// refuses it and the connection is closed. Main command 0 is the link's own
// (keep-alive); it is never handed to the host.
//
// Portable: used by Nuvrell.dll and by the local hall server.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace nuvrell {

constexpr std::uint8_t FRAME_VERSION = 0x01;
constexpr std::size_t FRAME_HEADER_SIZE = 8;
constexpr std::size_t FRAME_MAX_PACKET = 16384;
constexpr std::size_t FRAME_MAX_BODY = FRAME_MAX_PACKET - FRAME_HEADER_SIZE;

// Link commands (main command 0).
constexpr std::uint16_t LINK_MAIN_CMD = 0;
constexpr std::uint16_t LINK_SUB_PING = 1;  // the receiver answers with a pong
constexpr std::uint16_t LINK_SUB_PONG = 2;

struct FrameHeader {
  std::uint16_t packetSize = 0;
  std::uint16_t mainCmd = 0;
  std::uint16_t subCmd = 0;
};

enum class HeaderStatus { NeedMore, Valid, Malformed };

// Reads a header from the first len bytes of data.
HeaderStatus ParseFrameHeader(const std::uint8_t* data, std::size_t len, FrameHeader& out);

// Writes the 8 header bytes for a body of bodySize bytes into out.
// False (nothing written) when bodySize exceeds FRAME_MAX_BODY.
bool WriteFrameHeader(std::uint16_t mainCmd, std::uint16_t subCmd, std::size_t bodySize, std::uint8_t* out);

// Appends a whole frame to out. False (out unchanged) when the body is too
// large or body is null with a non-zero size.
bool AppendFrame(std::string& out, std::uint16_t mainCmd, std::uint16_t subCmd, const void* body, std::size_t bodySize);

// Splits a byte stream into frames with a fixed buffer: memory use is bounded
// whatever the peer sends.
//
//   while (reading) {
//     n = recv(..., reader.WritePtr(), reader.WriteSpace());
//     reader.Commit(n);
//     while (reader.Next(frame) == FrameReader::Status::Frame) use(frame);
//   }
class FrameReader {
 public:
  enum class Status { Frame, NeedMore, Malformed };

  struct Frame {
    FrameHeader header;
    const std::uint8_t* body = nullptr;  // null when the body is empty
    std::size_t bodySize = 0;
  };

  static constexpr std::size_t CAPACITY = 4 * FRAME_MAX_PACKET;

  FrameReader() = default;
  FrameReader(const FrameReader&) = delete;
  FrameReader& operator=(const FrameReader&) = delete;

  // Where to put received bytes, and how many fit (never 0 unless a
  // malformed frame stopped the reader).
  std::uint8_t* WritePtr();
  std::size_t WriteSpace();
  // Records n bytes written at WritePtr() (n <= WriteSpace()).
  void Commit(std::size_t n);
  // Appends bytes by copying; false (nothing taken) when they do not fit.
  bool Append(const void* data, std::size_t n);

  // The next complete frame. Its body stays valid until the next call of
  // Next, WritePtr, Append or Reset. Once Malformed is returned the reader
  // answers Malformed until Reset.
  Status Next(Frame& out);

  // Bytes received that do not yet make a whole frame.
  std::size_t Pending() const { return m_end - m_begin; }
  void Reset();

 private:
  void Compact();

  std::uint8_t m_buffer[CAPACITY];
  std::size_t m_begin = 0;
  std::size_t m_end = 0;
  bool m_bMalformed = false;
};

}  // namespace nuvrell
