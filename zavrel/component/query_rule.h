// The query rule shared by every Zavrel component.
//
// A component lists its interfaces in a fixed order: its main interface
// first, then any further ones, IUnknownEx last (whose entry carries the main
// interface's pointer). The first entry whose identifier matches all 16 bytes
// answers, provided the query version is accepted: product byte 1, main byte
// 1, sub byte at most 1, build byte ignored. Otherwise the result is null.
#pragma once

#include <cstddef>

#include "afx/afx_port.h"
#include "zavrel/zavrel_api.h"

struct InterfaceEntry {
  const IID* iid;
  void* pointer;
};

// True for 1.1.0.x and 1.1.1.x.
ZAVREL_API bool IsAcceptedInterfaceVersion(DWORD dwQueryVer);

// Compares the 16 raw bytes of two identifiers.
ZAVREL_API bool IsSameInterfaceId(const IID& a, const IID& b);

// Applies the rule over entries[0..count); null when nothing is accepted.
ZAVREL_API void* QueryInterfaceByTable(const IID& Guid, DWORD dwQueryVer, const InterfaceEntry* entries,
                                       std::size_t count);

template <std::size_t N>
void* QueryInterfaceByTable(const IID& Guid, DWORD dwQueryVer, const InterfaceEntry (&entries)[N]) {
  return QueryInterfaceByTable(Guid, dwQueryVer, entries, N);
}
