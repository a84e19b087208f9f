// Fixed-size text in the ANSI code page (GBK on the client's systems),
// cut without splitting a double-byte character. Portable: the code page's
// lead bytes come from a predicate (IsAnsiLeadByte on Windows asks the
// active code page).
#pragma once

#include <cstddef>

using LeadBytePredicate = bool (*)(unsigned char);

// GBK's lead bytes, 0x81 to 0xFE.
bool IsGbkLeadByte(unsigned char c);

#ifdef _WIN32
// A lead byte of the process's ANSI code page (IsDBCSLeadByte).
bool IsAnsiLeadByte(unsigned char c);
#endif

// How many bytes of src (up to its NUL) fit in maxBytes without cutting a
// double-byte character: where the cut would fall between a lead byte and
// its trail byte, it falls one byte earlier. A lead byte that ends the text
// counts as one character.
std::size_t DbcsFitLength(const char* src, std::size_t maxBytes, LeadBytePredicate isLead);

// Copies src into dst[dstSize], cut to dstSize - 1 bytes as above, and
// terminates it; nothing when dstSize is 0. Null src copies "".
void DbcsCopy(char* dst, std::size_t dstSize, const char* src, LeadBytePredicate isLead);

// Removes one trailing backslash when it is a character of its own (a 0x5C
// can be the trail byte of a double-byte character). True when removed.
bool DbcsRemoveTrailingBackslash(char* text, LeadBytePredicate isLead);
