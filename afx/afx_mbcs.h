// Double-byte characters of the ANSI code page, for code that walks byte
// strings character by character (CString's searches, path splitting).
//
// In a double-byte code page such as 936 (GBK) a lead byte and the byte
// after it are one character, and that trail byte may have the value of an
// ASCII character: "\x81\x5C" is one character whose second byte is '\'. A
// search for '\' or '/' must therefore step over whole characters and never
// match a trail byte.
//
// On Windows the lead bytes are those of the process's ANSI code page
// (IsDBCSLeadByte); in the native build they are GBK's, 0x81 to 0xFE, the
// code page the client runs under. Portable: builds natively and into
// Afx.dll.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

#include "afx/afx_port.h"

namespace afx_mbcs {

// True when c starts a double-byte character of the ANSI code page.
AFX_API bool IsLeadByte(unsigned char c);

// The bytes (1 or 2) of the character that starts at s[i], i < n: 2 for a
// lead byte followed by a non-NUL byte within n; a lead byte at the end
// stands alone.
inline std::size_t CharBytes(const char* s, std::size_t n, std::size_t i) {
  return (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < n && s[i + 1] != '\0') ? 2 : 1;
}

// True when the single byte c is one of the (single-byte) characters of set.
inline bool InSet(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

// The position of the first single-byte character at or after `from` (a
// character boundary) that is in set; npos when none.
inline std::size_t FindFirstOf(const std::string& s, const char* set, std::size_t from = 0) {
  for (std::size_t i = from; i < s.size();) {
    const std::size_t n = CharBytes(s.data(), s.size(), i);
    if (n == 1 && InSet(s[i], set)) return i;
    i += n;
  }
  return std::string::npos;
}

// The position of the last single-byte character of s that is in set; npos
// when none.
inline std::size_t FindLastOf(const std::string& s, const char* set) {
  std::size_t found = std::string::npos;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = CharBytes(s.data(), s.size(), i);
    if (n == 1 && InSet(s[i], set)) found = i;
    i += n;
  }
  return found;
}

// True when the last character of s is a single-byte character in set.
inline bool EndsWithOneOf(const std::string& s, const char* set) {
  const std::size_t last = FindLastOf(s, set);
  return last != std::string::npos && last + 1 == s.size();
}

}  // namespace afx_mbcs
