#include "support/nuvrell/wire_frame.h"

#include <cstring>

namespace nuvrell {

namespace {

std::uint16_t ReadLe16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (static_cast<unsigned>(p[1]) << 8));
}

void WriteLe16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v & 0xFF);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

HeaderStatus ParseFrameHeader(const std::uint8_t* data, std::size_t len, FrameHeader& out) {
  // A wrong version or reserved byte is known from the first bytes already:
  // refuse early instead of waiting for a header that will never make sense.
  if (len >= 1 && data[0] != FRAME_VERSION) return HeaderStatus::Malformed;
  if (len >= 2 && data[1] != 0) return HeaderStatus::Malformed;
  if (len < FRAME_HEADER_SIZE) return HeaderStatus::NeedMore;
  const std::uint16_t size = ReadLe16(data + 2);
  if (size < FRAME_HEADER_SIZE || size > FRAME_MAX_PACKET) return HeaderStatus::Malformed;
  out.packetSize = size;
  out.mainCmd = ReadLe16(data + 4);
  out.subCmd = ReadLe16(data + 6);
  return HeaderStatus::Valid;
}

bool WriteFrameHeader(std::uint16_t mainCmd, std::uint16_t subCmd, std::size_t bodySize, std::uint8_t* out) {
  if (bodySize > FRAME_MAX_BODY) return false;
  out[0] = FRAME_VERSION;
  out[1] = 0;
  WriteLe16(out + 2, static_cast<std::uint16_t>(bodySize + FRAME_HEADER_SIZE));
  WriteLe16(out + 4, mainCmd);
  WriteLe16(out + 6, subCmd);
  return true;
}

bool AppendFrame(std::string& out, std::uint16_t mainCmd, std::uint16_t subCmd, const void* body,
                 std::size_t bodySize) {
  std::uint8_t header[FRAME_HEADER_SIZE];
  if (bodySize && !body) return false;
  if (!WriteFrameHeader(mainCmd, subCmd, bodySize, header)) return false;
  out.append(reinterpret_cast<const char*>(header), FRAME_HEADER_SIZE);
  if (bodySize) out.append(static_cast<const char*>(body), bodySize);
  return true;
}

void FrameReader::Compact() {
  if (m_begin == 0) return;
  const std::size_t n = m_end - m_begin;
  if (n) std::memmove(m_buffer, m_buffer + m_begin, n);
  m_begin = 0;
  m_end = n;
}

std::uint8_t* FrameReader::WritePtr() {
  if (m_end == CAPACITY) Compact();
  return m_buffer + m_end;
}

std::size_t FrameReader::WriteSpace() {
  if (m_bMalformed) return 0;
  if (m_end == CAPACITY) Compact();
  return CAPACITY - m_end;
}

void FrameReader::Commit(std::size_t n) {
  if (n > CAPACITY - m_end) n = CAPACITY - m_end;
  m_end += n;
}

bool FrameReader::Append(const void* data, std::size_t n) {
  if (m_bMalformed) return false;
  if (n > CAPACITY - (m_end - m_begin)) return false;
  if (n > CAPACITY - m_end) Compact();
  if (n) std::memcpy(m_buffer + m_end, data, n);
  m_end += n;
  return true;
}

FrameReader::Status FrameReader::Next(Frame& out) {
  if (m_bMalformed) return Status::Malformed;
  const std::size_t avail = m_end - m_begin;
  FrameHeader header;
  switch (ParseFrameHeader(m_buffer + m_begin, avail, header)) {
    case HeaderStatus::Malformed:
      m_bMalformed = true;
      return Status::Malformed;
    case HeaderStatus::NeedMore:
      if (avail == 0) m_begin = m_end = 0;
      return Status::NeedMore;
    case HeaderStatus::Valid:
      break;
  }
  if (avail < header.packetSize) {
    // Make room for the rest of the frame: a whole frame always fits.
    if (CAPACITY - m_begin < header.packetSize) Compact();
    return Status::NeedMore;
  }
  out.header = header;
  out.bodySize = header.packetSize - FRAME_HEADER_SIZE;
  out.body = out.bodySize ? m_buffer + m_begin + FRAME_HEADER_SIZE : nullptr;
  m_begin += header.packetSize;
  return Status::Frame;
}

void FrameReader::Reset() {
  m_begin = m_end = 0;
  m_bMalformed = false;
}

}  // namespace nuvrell
