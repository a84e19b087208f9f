#include "bench/soak/soak_counts.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
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

using NtQueryInformationThreadFn = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

NtQueryInformationThreadFn ThreadQuery() {
  return reinterpret_cast<NtQueryInformationThreadFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
}

double PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX memory;
  std::memset(&memory, 0, sizeof(memory));
  memory.cb = sizeof(memory);
  if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory)))
    return -1;
  return memory.PrivateUsage ? static_cast<double>(memory.PrivateUsage) : CommittedPrivateBytes();
}

// The private bytes that one more thread adds while it runs, 0 when it
// cannot be measured.
double MeasureOneThread() {
  const double before = PrivateBytes();
  SoakParkedThread thread;
  return thread.Running() ? std::max(0.0, PrivateBytes() - before) : 0;
}

// "module+0xoffset" for a thread's start address, or "?".
std::string StartOrigin(HANDLE thread, NtQueryInformationThreadFn query) {
  PVOID start = nullptr;
  if (!query || query(thread, 9 /* ThreadQuerySetWin32StartAddress */, &start, sizeof(start), nullptr) != 0 || !start)
    return "?";
  HMODULE module = nullptr;
  char path[MAX_PATH] = "?";
  if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCSTR>(start), &module)) {
    GetModuleFileNameA(module, path, sizeof(path));
  }
  const char* slash = std::strrchr(path, '\\');
  char origin[MAX_PATH + 32];
  std::snprintf(origin, sizeof(origin), "%s+0x%lx", slash ? slash + 1 : path,
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(start) - reinterpret_cast<ULONG_PTR>(module)));
  return origin;
}

// The process's threads, and where each one started.
long CountThreads(std::vector<std::string>* origins) {
  const UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot.valid()) return -1;
  const NtQueryInformationThreadFn query = origins ? ThreadQuery() : nullptr;
  THREADENTRY32 entry;
  entry.dwSize = sizeof(entry);
  long count = 0;
  const DWORD self = GetCurrentProcessId();
  for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID == self) {
      ++count;
      if (origins) {
        const UniqueHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
        origins->push_back(thread.valid() ? StartOrigin(thread.get(), query) : "?");
      }
    }
    entry.dwSize = sizeof(entry);
  }
  return count;
}

}  // namespace

SoakParkedThread::SoakParkedThread()
    : m_started(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_release(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  if (!m_started.valid() || !m_release.valid()) return;
  m_thread.reset(CreateThread(nullptr, 0, Park, this, 0, nullptr));
  m_running = m_thread.valid() && WaitForSingleObject(m_started.get(), 10000) == WAIT_OBJECT_0;
}

SoakParkedThread::~SoakParkedThread() {
  if (!m_thread.valid()) return;
  SetEvent(m_release.get());
  // Until it has ended: it reads this object.
  WaitForSingleObject(m_thread.get(), INFINITE);
}

DWORD WINAPI SoakParkedThread::Park(void* parameter) {
  const auto* self = static_cast<const SoakParkedThread*>(parameter);
  SetEvent(self->m_started.get());
  WaitForSingleObject(self->m_release.get(), INFINITE);
  return 0;
}

SoakResourceCounts TakeSoakResourceCounts() {
  // Measured (once) before anything is counted: the measuring threads have
  // ended by then.
  const double threadCost = SoakThreadCost();
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
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory)))
    counts.workingSet = static_cast<double>(memory.WorkingSetSize);
  counts.privateBytes = PrivateBytes();
  counts.threads = CountThreads(nullptr);
  counts.threadBytes = counts.threads > 0 ? static_cast<double>(counts.threads) * threadCost : 0;
  return counts;
}

double SoakThreadCost() {
  // Twice, the smaller: the first thread of a process may also pay for
  // what the system sets up once.
  static const double cost = std::min(MeasureOneThread(), MeasureOneThread());
  return cost;
}

std::vector<std::string> SoakThreadOrigins() {
  std::vector<std::string> origins;
  CountThreads(&origins);
  return origins;
}
