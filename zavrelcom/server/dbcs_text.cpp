#include "zavrelcom/server/dbcs_text.h"

#include <cstring>

#include "afx/afx_mbcs.h"

namespace {

bool IsLead(char c) { return afx_mbcs::IsLeadByte(static_cast<unsigned char>(c)); }

}  // namespace

std::size_t DbcsFitLength(const char* src, std::size_t maxBytes) {
  if (!src) return 0;
  std::size_t at = 0;
  while (at < maxBytes && src[at]) {
    const bool pair = IsLead(src[at]) && src[at + 1] != '\0';
    const std::size_t width = pair ? 2 : 1;
    if (at + width > maxBytes) break;
    at += width;
  }
  return at;
}

void DbcsCopy(char* dst, std::size_t dstSize, const char* src) {
  if (!dst || dstSize == 0) return;
  const std::size_t n = DbcsFitLength(src, dstSize - 1);
  if (n) std::memcpy(dst, src, n);
  dst[n] = '\0';
}

bool DbcsRemoveTrailingBackslash(char* text) {
  if (!text) return false;
  // Walk to the start of the last character.
  std::size_t last = 0, at = 0;
  bool any = false;
  while (text[at]) {
    last = at;
    any = true;
    at += (IsLead(text[at]) && text[at + 1] != '\0') ? 2 : 1;
  }
  if (!any || text[last] != '\\' || at != last + 1) return false;
  text[last] = '\0';
  return true;
}
