// The query rule of the components of Zavrel and Nuvrell. Portable.
//
// A component lists its interfaces in a fixed order: its main interface
// first, then any further ones, IUnknownEx last (whose entry carries the main
// interface's pointer). The first entry whose identifier matches all 16 bytes
// answers, provided the query version is accepted: product byte 1, main byte
// 1, sub byte at most 1, build byte ignored. Otherwise the result is null.
#pragma once

#include <cstddef>
#include <cstring>

#include "base/win_types.h"

struct InterfaceEntry {
  const IID* iid;
  void* pointer;
};

// True for 1.1.0.x and 1.1.1.x.
inline bool IsAcceptedInterfaceVersion(DWORD dwQueryVer) {
  const DWORD product = (dwQueryVer >> 24) & 0xFF;
  const DWORD main = (dwQueryVer >> 16) & 0xFF;
  const DWORD sub = (dwQueryVer >> 8) & 0xFF;
  return product == 1 && main == 1 && sub <= 1;
}

// Compares the 16 raw bytes of two identifiers.
inline bool IsSameInterfaceId(const IID& a, const IID& b) { return std::memcmp(&a, &b, sizeof(IID)) == 0; }

// Applies the rule over entries[0..count); null when nothing is accepted.
inline void* QueryInterfaceByTable(const IID& Guid, DWORD dwQueryVer, const InterfaceEntry* entries,
                                   std::size_t count) {
  if (!entries) return nullptr;
  const bool accepted = IsAcceptedInterfaceVersion(dwQueryVer);
  for (std::size_t i = 0; i < count; ++i) {
    // A refused version still walks the remaining identifiers; none of them
    // can match the same identifier again, so the result stays null.
    if (entries[i].iid && IsSameInterfaceId(*entries[i].iid, Guid) && accepted) return entries[i].pointer;
  }
  return nullptr;
}

template <std::size_t N>
void* QueryInterfaceByTable(const IID& Guid, DWORD dwQueryVer, const InterfaceEntry (&entries)[N]) {
  return QueryInterfaceByTable(Guid, dwQueryVer, entries, N);
}
