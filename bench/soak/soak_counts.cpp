#include "bench/soak/soak_counts.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "support/base/win_owners.h"

namespace {

// One entry of the GDI handle table (the same 24 bytes for 32- and 64-bit
// processes); an entry is in use while its type is not 0.
struct GdiTableEntry {
  std::uint64_t object;
  std::uint32_t owner;
  std::uint16_t unique;
  std::uint8_t type;
  std::uint8_t flags;
  std::uint64_t userPointer;
};
static_assert(sizeof(GdiTableEntry) == 24, "GDI table entries are 24 bytes");
constexpr std::size_t kGdiTableEntries = 0x10000;

// THREAD_BASIC_INFORMATION (class 0 of NtQueryInformationThread).
struct ThreadBasics {
  LONG exitStatus;
  void* teb;
  void* clientId[2];
  ULONG_PTR affinity;
  LONG priority;
  LONG basePriority;
};
using NtQueryInformationThreadFn = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

// This thread's TEB.
const unsigned char* ThreadBlock() {
  const auto query = reinterpret_cast<NtQueryInformationThreadFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
  ThreadBasics basics;
  std::memset(&basics, 0, sizeof(basics));
  if (!query || query(GetCurrentThread(), 0, &basics, sizeof(basics), nullptr) != 0) return nullptr;
  return static_cast<const unsigned char*>(basics.teb);
}

template <class T>
T ReadAt(const unsigned char* base, std::size_t offset) {
  T value;
  std::memcpy(&value, base + offset, sizeof(value));
  return value;
}

// The process's GDI table: the PEB's own field, or, for a 32-bit process
// under WoW64, the field of the 64-bit PEB (found through the 64-bit TEB,
// whose address the 32-bit TEB keeps in GdiBatchCount).
const GdiTableEntry* GdiTable() {
  const unsigned char* teb = ThreadBlock();
  if (!teb) return nullptr;
#ifdef _WIN64
  const auto* peb = ReadAt<const unsigned char*>(teb, 0x60);
  return peb ? ReadAt<const GdiTableEntry*>(peb, 0xF8) : nullptr;
#else
  const auto* peb = ReadAt<const unsigned char*>(teb, 0x30);
  if (!peb) return nullptr;
  if (const auto* table = ReadAt<const GdiTableEntry*>(peb, 0x94)) return table;
  const std::uint32_t teb64 = ReadAt<std::uint32_t>(teb, 0xF70);
  if (!teb64) return nullptr;
  // The 64-bit TEB and PEB of a WoW64 process lie below 4 GB.
  const std::uint64_t peb64 = ReadAt<std::uint64_t>(reinterpret_cast<const unsigned char*>(teb64), 0x60);
  if (!peb64 || peb64 > 0xFFFFFFFFu) return nullptr;
  const std::uint64_t table =
      ReadAt<std::uint64_t>(reinterpret_cast<const unsigned char*>(static_cast<std::uintptr_t>(peb64)), 0xF8);
  if (!table || table > 0xFFFFFFFFu) return nullptr;
  return reinterpret_cast<const GdiTableEntry*>(static_cast<std::uintptr_t>(table));
#endif
}

struct WindowWalk {
  DWORD process;
  long count;
};

BOOL CALLBACK CountChild(HWND hwnd, LPARAM param) {
  auto* walk = reinterpret_cast<WindowWalk*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process == walk->process) ++walk->count;
  return TRUE;
}

// The window and every descendant of it that belongs to the process.
void CountTree(HWND hwnd, WindowWalk& walk) {
  CountChild(hwnd, reinterpret_cast<LPARAM>(&walk));
  EnumChildWindows(hwnd, CountChild, reinterpret_cast<LPARAM>(&walk));
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM param) {
  CountTree(hwnd, *reinterpret_cast<WindowWalk*>(param));
  return TRUE;
}

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

long CountGdiTableEntries() {
  const GdiTableEntry* table = GdiTable();
  if (!table) return -1;
  long count = 0;
  for (std::size_t i = 0; i < kGdiTableEntries; ++i) {
    if (table[i].type != 0) ++count;
  }
  return count;
}

long CountProcessWindows() {
  WindowWalk walk{GetCurrentProcessId(), 0};
  EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&walk));
  // EnumWindows leaves out the message-only windows.
  for (HWND hwnd = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); hwnd;
       hwnd = FindWindowExA(HWND_MESSAGE, hwnd, nullptr, nullptr)) {
    CountTree(hwnd, walk);
  }
  return walk.count;
}

SoakResourceCounts TakeSoakResourceCounts() {
  SoakResourceCounts counts;
  DWORD handles = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &handles) && handles)
    counts.kernelHandles = static_cast<long>(handles);
  else
    counts.kernelHandles = CountHandlesInSystemList();
  const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  counts.gdiObjects = gdi ? static_cast<long>(gdi) : CountGdiTableEntries();
  const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  counts.userObjects = user ? static_cast<long>(user) : CountProcessWindows();
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
