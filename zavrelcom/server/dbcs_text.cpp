#include "zavrelcom/server/dbcs_text.h"

#include <cstring>

#ifdef _WIN32
#include "afx/afx_port.h"
#endif

bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

#ifdef _WIN32
bool IsAnsiLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }
#endif

std::size_t DbcsFitLength(const char* src, std::size_t maxBytes, LeadBytePredicate isLead) {
  if (!src) return 0;
  std::size_t at = 0;
  while (at < maxBytes && src[at]) {
    const bool pair = isLead(static_cast<unsigned char>(src[at])) && src[at + 1] != '\0';
    const std::size_t width = pair ? 2 : 1;
    if (at + width > maxBytes) break;
    at += width;
  }
  return at;
}

void DbcsCopy(char* dst, std::size_t dstSize, const char* src, LeadBytePredicate isLead) {
  if (!dst || dstSize == 0) return;
  const std::size_t n = DbcsFitLength(src, dstSize - 1, isLead);
  if (n) std::memcpy(dst, src, n);
  dst[n] = '\0';
}

bool DbcsRemoveTrailingBackslash(char* text, LeadBytePredicate isLead) {
  if (!text) return false;
  // Walk to the start of the last character.
  std::size_t last = 0, at = 0;
  bool any = false;
  while (text[at]) {
    last = at;
    any = true;
    at += (isLead(static_cast<unsigned char>(text[at])) && text[at + 1] != '\0') ? 2 : 1;
  }
  if (!any || text[last] != '\\' || at != last + 1) return false;
  text[last] = '\0';
  return true;
}
