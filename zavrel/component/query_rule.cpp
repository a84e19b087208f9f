#include "zavrel/component/query_rule.h"

#include <cstring>

bool IsAcceptedInterfaceVersion(DWORD dwQueryVer) {
  const DWORD product = (dwQueryVer >> 24) & 0xFF;
  const DWORD main = (dwQueryVer >> 16) & 0xFF;
  const DWORD sub = (dwQueryVer >> 8) & 0xFF;
  return product == 1 && main == 1 && sub <= 1;
}

bool IsSameInterfaceId(const IID& a, const IID& b) { return std::memcmp(&a, &b, sizeof(IID)) == 0; }

void* QueryInterfaceByTable(const IID& Guid, DWORD dwQueryVer, const InterfaceEntry* entries, std::size_t count) {
  if (!entries) return nullptr;
  const bool accepted = IsAcceptedInterfaceVersion(dwQueryVer);
  for (std::size_t i = 0; i < count; ++i) {
    // A refused version still walks the remaining identifiers; none of them
    // can match the same identifier again, so the result stays null.
    if (entries[i].iid && IsSameInterfaceId(*entries[i].iid, Guid) && accepted) return entries[i].pointer;
  }
  return nullptr;
}
