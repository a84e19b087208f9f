#include "tests/zavrel/timer/reusing_timer_ids.h"

#include <mmsystem.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace {

typedef MMRESULT(WINAPI* SetEventFn)(UINT, UINT, LPTIMECALLBACK, DWORD_PTR, UINT);
typedef MMRESULT(WINAPI* KillEventFn)(UINT);

// One timer made through the layer. Kept until the layer goes, so a late
// tick of the real timer never reads freed memory.
struct Slot {
  UINT id = 0;      // what Zavrel.dll was given
  UINT realId = 0;  // what the system gave
  LPTIMECALLBACK callback = nullptr;
  DWORD_PTR user = 0;
  bool oneShot = false;
  bool alive = true;
};

struct Layer {
  std::mutex mutex;
  std::map<UINT, Slot*> byId;
  std::vector<std::unique_ptr<Slot>> slots;
  SetEventFn realSet = nullptr;
  KillEventFn realKill = nullptr;
};

Layer& layer() {
  static Layer* l = new Layer;  // ticks may come after the test's statics go
  return *l;
}

void CALLBACK Trampoline(UINT, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR dw1, DWORD_PTR dw2) {
  Slot* slot = reinterpret_cast<Slot*>(dwUser);
  LPTIMECALLBACK callback = nullptr;
  {
    std::lock_guard<std::mutex> lock(layer().mutex);
    if (!slot->alive) return;
    callback = slot->callback;
    if (slot->oneShot) {
      // Windows frees a one-shot identifier when the timer fires.
      slot->alive = false;
      layer().byId.erase(slot->id);
    }
  }
  callback(slot->id, uMsg, slot->user, dw1, dw2);
}

MMRESULT WINAPI ReusingSetEvent(UINT uDelay, UINT uResolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT uFlags) {
  Layer& l = layer();
  Slot* slot = nullptr;
  {
    std::lock_guard<std::mutex> lock(l.mutex);
    UINT id = 1;
    while (l.byId.count(id) != 0) ++id;
    l.slots.push_back(std::make_unique<Slot>());
    slot = l.slots.back().get();
    slot->id = id;
    slot->callback = callback;
    slot->user = user;
    slot->oneShot = (uFlags & TIME_PERIODIC) == 0;
    l.byId[id] = slot;
  }
  const MMRESULT realId = l.realSet(uDelay, uResolution, &Trampoline, reinterpret_cast<DWORD_PTR>(slot), uFlags);
  std::lock_guard<std::mutex> lock(l.mutex);
  if (realId == 0) {
    slot->alive = false;
    l.byId.erase(slot->id);
    return 0;
  }
  slot->realId = realId;
  return slot->id;
}

MMRESULT WINAPI ReusingKillEvent(UINT id) {
  Layer& l = layer();
  UINT realId = 0;
  {
    std::lock_guard<std::mutex> lock(l.mutex);
    auto it = l.byId.find(id);
    if (it == l.byId.end()) return MMSYSERR_INVALPARAM;
    it->second->alive = false;
    realId = it->second->realId;
    l.byId.erase(it);
  }
  return l.realKill(realId);
}

// The import address table entry of `module` that holds `target`, imported
// from the library named `from`; null when there is none.
void** ImportSlot(HMODULE module, const char* from, void* target) {
  auto* base = reinterpret_cast<BYTE*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return nullptr;
  for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); desc->Name != 0; ++desc) {
    if (_stricmp(reinterpret_cast<const char*>(base + desc->Name), from) != 0) continue;
    for (auto* thunk = reinterpret_cast<void**>(base + desc->FirstThunk); *thunk != nullptr; ++thunk)
      if (*thunk == target) return thunk;
  }
  return nullptr;
}

void Store(void** slot, void* value) {
  DWORD old = 0;
  if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old)) return;
  *slot = value;
  VirtualProtect(slot, sizeof(void*), old, &old);
}

void** g_setSlot = nullptr;
void** g_killSlot = nullptr;

void* AsPointer(FARPROC fn) { return reinterpret_cast<void*>(fn); }

}  // namespace

ReusingTimerIds::ReusingTimerIds() {
  HMODULE zavrel = GetModuleHandleA("Zavrel.dll");
  HMODULE winmm = GetModuleHandleA("winmm.dll");
  if (zavrel == nullptr || winmm == nullptr) return;
  Layer& l = layer();
  l.realSet = reinterpret_cast<SetEventFn>(AsPointer(GetProcAddress(winmm, "timeSetEvent")));
  l.realKill = reinterpret_cast<KillEventFn>(AsPointer(GetProcAddress(winmm, "timeKillEvent")));
  if (l.realSet == nullptr || l.realKill == nullptr) return;
  g_setSlot = ImportSlot(zavrel, "winmm.dll", reinterpret_cast<void*>(l.realSet));
  g_killSlot = ImportSlot(zavrel, "winmm.dll", reinterpret_cast<void*>(l.realKill));
  if (g_setSlot == nullptr || g_killSlot == nullptr) return;
  Store(g_setSlot, reinterpret_cast<void*>(&ReusingSetEvent));
  Store(g_killSlot, reinterpret_cast<void*>(&ReusingKillEvent));
  m_active = *g_setSlot == reinterpret_cast<void*>(&ReusingSetEvent) &&
             *g_killSlot == reinterpret_cast<void*>(&ReusingKillEvent);
}

ReusingTimerIds::~ReusingTimerIds() {
  if (g_setSlot == nullptr || g_killSlot == nullptr) return;
  Layer& l = layer();
  std::vector<UINT> running;
  {
    std::lock_guard<std::mutex> lock(l.mutex);
    for (const auto& entry : l.byId) running.push_back(entry.first);
  }
  for (UINT id : running) ReusingKillEvent(id);
  Store(g_setSlot, reinterpret_cast<void*>(l.realSet));
  Store(g_killSlot, reinterpret_cast<void*>(l.realKill));
  g_setSlot = g_killSlot = nullptr;
}
