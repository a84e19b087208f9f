// Whether a range of the process's memory is committed and accessible, as
// the components' IsValid and the framework's AfxIsValidAddress answer it.
// Windows only.
#pragma once

#include <cstdint>

#include "base/win_types.h"

namespace base {

inline bool ProtectionAllows(DWORD protect, bool writable) {
  if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  const DWORD access = protect & 0xFF;
  const DWORD can_write = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  const DWORD can_read = can_write | PAGE_READONLY | PAGE_EXECUTE_READ;
  return (access & (writable ? can_write : can_read)) != 0;
}

// False for a null pointer and for a range that wraps around; true for an
// empty range at a non-null address.
inline bool IsValidMemory(const void* p, std::size_t bytes, bool writable) {
  if (!p) return false;
  const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(p);
  if (bytes == 0) return true;
  if (begin + bytes < begin) return false;
  const std::uintptr_t end = begin + bytes;
  for (std::uintptr_t at = begin; at < end;) {
    MEMORY_BASIC_INFORMATION mbi;
    if (VirtualQuery(reinterpret_cast<LPCVOID>(at), &mbi, sizeof(mbi)) == 0) return false;
    if (mbi.State != MEM_COMMIT || !ProtectionAllows(mbi.Protect, writable)) return false;
    at = reinterpret_cast<std::uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
  }
  return true;
}

}  // namespace base
