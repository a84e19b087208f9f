#include "bench/soak/soak_counts.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/win_owners.h"
#include "tests/testkit/testkit.h"

namespace {

// SYSTEM_HANDLE_INFORMATION (class 16 of NtQuerySystemInformation).
struct SystemHandleEntry {
  ULONG ownerPid;
  BYTE objectType;
  BYTE flags;
  USHORT value;
  PVOID object;
  ULONG access;
};
struct SystemHandleList {
  ULONG count;
  SystemHandleEntry entries[1];
};
using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

// The process's kernel handles from the system's handle list (Wine answers
// GetProcessHandleCount with 0).
long CountHandlesInSystemList() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const auto query = reinterpret_cast<NtQuerySystemInformationFn>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
  if (!query) return -1;
  std::vector<unsigned char> buffer(1 << 16);
  for (int attempt = 0; attempt < 8; ++attempt) {
    ULONG needed = 0;
    const LONG status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) {
      const auto* list = reinterpret_cast<const SystemHandleList*>(buffer.data());
      const DWORD self = GetCurrentProcessId();
      long count = 0;
      for (ULONG i = 0; i < list->count; ++i) {
        if (list->entries[i].ownerPid == self) ++count;
      }
      return count;
    }
    buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
  }
  return -1;
}

// Committed private memory, summed over the address space (Wine answers
// PrivateUsage with 0).
double CommittedPrivateBytes() {
  double total = 0;
  MEMORY_BASIC_INFORMATION info;
  const unsigned char* address = nullptr;
  while (VirtualQuery(address, &info, sizeof(info)) == sizeof(info)) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += static_cast<double>(info.RegionSize);
    const unsigned char* next = static_cast<const unsigned char*>(info.BaseAddress) + info.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return total;
}

long CountThreads() {
  const UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot.valid()) return -1;
  THREADENTRY32 entry;
  entry.dwSize = sizeof(entry);
  long count = 0;
  const DWORD self = GetCurrentProcessId();
  for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID == self) ++count;
    entry.dwSize = sizeof(entry);
  }
  return count;
}

}  // namespace

SoakResourceCounts TakeSoakResourceCounts() {
  SoakResourceCounts counts;
  DWORD handles = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &handles) && handles)
    counts.kernelHandles = static_cast<long>(handles);
  else
    counts.kernelHandles = CountHandlesInSystemList();
  const testkit::GuiCounts gui = testkit::GuiObjectCounts();
  counts.gdiObjects = gui.gdi;
  const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  counts.userObjects = user ? static_cast<long>(user) : gui.user;
  PROCESS_MEMORY_COUNTERS_EX memory;
  std::memset(&memory, 0, sizeof(memory));
  memory.cb = sizeof(memory);
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory))) {
    counts.privateBytes = memory.PrivateUsage ? static_cast<double>(memory.PrivateUsage) : CommittedPrivateBytes();
    counts.workingSet = static_cast<double>(memory.WorkingSetSize);
  }
  counts.threads = CountThreads();
  return counts;
}
