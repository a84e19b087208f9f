// Fixed-size text in the ANSI code page (GBK on the client's systems),
// cut without splitting a double-byte character. Portable: the lead bytes are
// the framework's (afx_mbcs::IsLeadByte: the active code page's on Windows,
// GBK's natively).
#pragma once

#include <cstddef>

// How many bytes of src (up to its NUL) fit in maxBytes without cutting a
// double-byte character: where the cut would fall between a lead byte and
// its trail byte, it falls one byte earlier. A lead byte that ends the text
// counts as one character.
std::size_t DbcsFitLength(const char* src, std::size_t maxBytes);

// Copies src into dst[dstSize], cut to dstSize - 1 bytes as above, and
// terminates it; nothing when dstSize is 0. Null src copies "".
void DbcsCopy(char* dst, std::size_t dstSize, const char* src);

// Removes one trailing backslash when it is a character of its own (a 0x5C
// can be the trail byte of a double-byte character). True when removed.
bool DbcsRemoveTrailingBackslash(char* text);
