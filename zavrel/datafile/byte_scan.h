// Finding the first of a few given bytes in text, for the data-file readers.
// Eight bytes are tested at once where the compiler and byte order allow;
// elsewhere one at a time. Internal to the library; nothing is exported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace byte_scan {

#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define ZAVREL_BYTE_SCAN_WORDS 1
#endif

// The byte b in all eight places of a word.
constexpr std::uint64_t Broadcast(char b) { return 0x0101010101010101ull * static_cast<unsigned char>(b); }

// The high bit set in each byte of v that is zero, and possibly in bytes
// above the lowest zero byte (never below it): the lowest set bit always
// marks the first zero byte.
inline std::uint64_t ZeroBytes(std::uint64_t v) { return (v - 0x0101010101010101ull) & ~v & 0x8080808080808080ull; }

// Position of the first byte of text[from, length) that is one of Bytes;
// length when there is none.
template <char... Bytes>
inline std::size_t FindFirstOf(const char* text, std::size_t from, std::size_t length) {
  std::size_t i = from;
#ifdef ZAVREL_BYTE_SCAN_WORDS
  while (length - i >= 8) {
    std::uint64_t v;
    std::memcpy(&v, text + i, 8);
    const std::uint64_t hits = (ZeroBytes(v ^ Broadcast(Bytes)) | ...);
    if (hits != 0) return i + static_cast<std::size_t>(__builtin_ctzll(hits) >> 3);
    i += 8;
  }
#endif
  for (; i < length; ++i) {
    const char c = text[i];
    if (((c == Bytes) || ...)) return i;
  }
  return length;
}

}  // namespace byte_scan
