#include "zavrel/timer/mm_timer.h"

#include <mmsystem.h>

#include "base/no_throw.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace {

// The guard of every CmmTimer's table, listener and of the bookkeeping
// below, and the condition that its waiters sleep on. Slim reader/writer lock
// and condition variable: statically initialised, nothing to tear down when
// the library unloads.
//
// The guard is never held across a call into WinMM: timeKillEvent may wait
// for a callback in progress, and every callback takes the guard.
SRWLOCK g_guard = SRWLOCK_INIT;
CONDITION_VARIABLE g_changed = CONDITION_VARIABLE_INIT;

class GuardLock {
 public:
  GuardLock() { AcquireSRWLockExclusive(&g_guard); }
  GuardLock(const GuardLock&) = delete;
  GuardLock& operator=(const GuardLock&) = delete;
  ~GuardLock() { ReleaseSRWLockExclusive(&g_guard); }
  // Sleeps until some waiter's condition may have changed; the guard is
  // given up meanwhile.
  void wait() { SleepConditionVariableSRW(&g_changed, &g_guard, INFINITE, 0); }
};

// Objects are named by serial number, so that a new object at a reused
// address is never confused with an old one.
typedef std::uint64_t Serial;

struct LiveObject {
  Serial serial;
  int settingNow;  // SetTimer calls between timeSetEvent and their entry
};

// A multimedia timer as the system knows it: which object set it, for which
// caller's identifier. The system may hand an identifier out again once it
// has ended the timer (a one-shot timer ends when it fires), so the key holds
// the object as well, and `order` tells which holder got it last.
struct SystemTimer {
  UINT callerId;
  bool oneShot;
  std::uint64_t order;
};
typedef std::pair<UINT, Serial> SystemKey;

// A listener call in progress: for which object, on which thread.
struct TickInFlight {
  Serial serial;
  DWORD threadId;
};

struct Registry {
  // Objects that exist. The user value of a tick is a raw pointer; it is
  // dereferenced only while it is found here.
  std::map<const CmmTimer*, LiveObject> live;
  std::map<SystemKey, SystemTimer> timers;
  std::vector<TickInFlight> inFlight;
  Serial nextSerial = 1;
  std::uint64_t nextOrder = 1;
};

// Created on first use and never destroyed: a tick or a host's static
// CmmTimer may still reach it while the library's statics are torn down.
Registry& registry() {
  static Registry* r = new Registry;
  return *r;
}

// Caller holds the guard.
Serial serialOf(const CmmTimer* timer) {
  auto it = registry().live.find(timer);
  return it == registry().live.end() ? 0 : it->second.serial;
}

// Forgets the system timer `id` of object `serial`. Answers whether the
// system may still run it for that object, that is whether timeKillEvent of
// `id` stops this object's timer and nobody else's. Caller holds the guard.
bool forgetSystemTimer(UINT id, Serial serial) {
  Registry& r = registry();
  auto mine = r.timers.find(SystemKey(id, serial));
  if (mine == r.timers.end()) return false;  // a one-shot timer that fired
  const std::uint64_t order = mine->second.order;
  r.timers.erase(mine);
  for (auto it = r.timers.lower_bound(SystemKey(id, 0)); it != r.timers.end() && it->first.first == id; ++it)
    if (it->second.order > order) return false;  // the system gave it to someone since
  return true;
}

// Waits until no listener call of object `serial` runs on another thread. A
// call on this thread (the caller is inside OnTimer) cannot end first and is
// not waited for. Caller holds the guard through `lock`.
void waitForForeignTicks(GuardLock& lock, Serial serial) {
  const DWORD self = GetCurrentThreadId();
  for (;;) {
    bool foreign = false;
    for (const TickInFlight& t : registry().inFlight)
      if (t.serial == serial && t.threadId != self) foreign = true;
    if (!foreign) return;
    lock.wait();
  }
}

UINT devicePeriod() {
  TIMECAPS caps = {};
  if (timeGetDevCaps(&caps, sizeof(caps)) != TIMERR_NOERROR) return 0;
  // The largest period the device offers, as the timers of this class have
  // always been asked for.
  return caps.wPeriodMax;
}

// Out of memory: the object stays unknown to the registry, and SetTimer
// answers false for it.
void registerLive(const CmmTimer* timer) noexcept {
  try {
    GuardLock lock;
    Registry& r = registry();
    r.live[timer] = LiveObject{r.nextSerial++, 0};
  } catch (...) {
  }
}

}  // namespace

static_assert(sizeof(TIMECAPS) == 8, "the capabilities record is 8 bytes");

CmmTimer::CmmTimer() {
  m_nPeriod = devicePeriod();
  if (m_nPeriod != 0) timeBeginPeriod(m_nPeriod);
  registerLive(this);
}

CmmTimer::CmmTimer(const CmmTimer& other) : m_pListener(other.m_pListener), m_nPeriod(other.m_nPeriod) {
  if (m_nPeriod != 0) timeBeginPeriod(m_nPeriod);
  registerLive(this);
}

CmmTimer& CmmTimer::operator=(const CmmTimer& other) {
  if (this != &other) RegisterListener(other.m_pListener);
  return *this;
}

CmmTimer::~CmmTimer() {
  // Stops every timer and waits for a tick in progress on another thread;
  // afterwards no tick can reach this object, which then leaves the registry.
  KillAllTimer();
  Serial serial = 0;
  {
    GuardLock lock;
    serial = serialOf(this);
    waitForForeignTicks(lock, serial);
    registry().live.erase(this);
  }
  // Timers set by a listener call that the kill waited for, or left by a
  // KillAllTimer that had no memory: stopped one at a time, allocating
  // nothing (a destructor must not throw), never under the guard.
  for (;;) {
    UINT id = 0;
    bool running = false;
    {
      GuardLock lock;
      Registry& r = registry();
      auto it = r.timers.begin();
      while (it != r.timers.end() && it->first.second != serial) ++it;
      if (it == r.timers.end()) break;
      id = it->first.first;
      running = forgetSystemTimer(id, serial);
    }
    if (running) timeKillEvent(id);
  }
  if (m_nPeriod != 0) {
    timeEndPeriod(m_nPeriod);
    m_nPeriod = 0;
  }
}

void CmmTimer::RegisterListener(ImmTimerListener* pListener) {
  GuardLock lock;
  m_pListener = pListener;
  // The previous listener may go once this returns.
  waitForForeignTicks(lock, serialOf(this));
}

ImmTimerListener* CmmTimer::getListener() {
  GuardLock lock;
  return m_pListener;
}

const std::map<UINT, UINT>& CmmTimer::getTimerMap() const { return m_mapTimers; }

bool CmmTimer::SetTimer(UINT nIDEvent, UINT uDelay, bool bOneShot) {
  KillTimer(nIDEvent);
  Serial serial = 0;
  {
    GuardLock lock;
    auto live = registry().live.find(this);
    if (live == registry().live.end()) return false;
    serial = live->second.serial;
    // A first tick that comes before the entry is stored waits for it
    // instead of being dropped (which would lose a short one-shot timer).
    ++live->second.settingNow;
  }
  const UINT kind = (bOneShot ? TIME_ONESHOT : TIME_PERIODIC) | TIME_CALLBACK_FUNCTION;
  const MMRESULT id = timeSetEvent(uDelay, m_nPeriod, &CmmTimer::TimeProc, reinterpret_cast<DWORD_PTR>(this), kind);
  bool stored = false;
  {
    GuardLock lock;
    Registry& r = registry();
    if (id != 0) {
      try {
        r.timers[SystemKey(id, serial)] = SystemTimer{nIDEvent, bOneShot, r.nextOrder++};
        // An entry of a fired one-shot timer under the same identifier goes
        // to the new timer.
        m_mapTimers[id] = nIDEvent;
        stored = true;
      } catch (...) {
        r.timers.erase(SystemKey(id, serial));
      }
    }
    auto live = r.live.find(this);
    if (live != r.live.end()) --live->second.settingNow;
    WakeAllConditionVariable(&g_changed);
  }
  if (id != 0 && !stored) timeKillEvent(id);  // no memory for its entry
  return stored;
}

bool CmmTimer::KillTimer(UINT nIDEvent) {
  UINT id = 0;
  bool running = false;
  {
    GuardLock lock;
    auto it = m_mapTimers.begin();
    while (it != m_mapTimers.end() && it->second != nIDEvent) ++it;
    if (it == m_mapTimers.end()) return false;
    id = it->first;
    m_mapTimers.erase(it);
    const Serial serial = serialOf(this);
    running = forgetSystemTimer(id, serial);
    waitForForeignTicks(lock, serial);
  }
  // A one-shot timer that fired has been ended by the system, which may have
  // given its identifier to another timer since: it is not touched then.
  // (The system gives no way to close the instant between a one-shot timer
  // firing and its tick arriving here: a kill in that instant, while another
  // thread's timeSetEvent is getting the same identifier, can still reach
  // the new timer.)
  return running && timeKillEvent(id) == TIMERR_NOERROR;
}

bool CmmTimer::KillAllTimer() {
  // Out of memory nothing has changed: false, and the timers run on.
  return NoThrow(false, [&] { return StopAllTimers(); });
}

bool CmmTimer::StopAllTimers() {
  std::map<UINT, UINT> timers;
  std::vector<std::pair<UINT, bool>> stops;  // identifier, still running
  {
    GuardLock lock;
    stops.reserve(m_mapTimers.size());  // the only allocation, before any change
    timers.swap(m_mapTimers);
    const Serial serial = serialOf(this);
    for (const auto& entry : timers) stops.emplace_back(entry.first, forgetSystemTimer(entry.first, serial));
    waitForForeignTicks(lock, serial);
  }
  bool last = false;
  for (const auto& stop : stops) last = stop.second && timeKillEvent(stop.first) == TIMERR_NOERROR;
  return !timers.empty() && last;
}

void CALLBACK CmmTimer::TimeProc(UINT uTimerID, UINT, DWORD_PTR dwUser, DWORD_PTR, DWORD_PTR) {
  const CmmTimer* timer = reinterpret_cast<const CmmTimer*>(dwUser);
  if (timer == nullptr) return;
  const DWORD self = GetCurrentThreadId();
  ImmTimerListener* listener = nullptr;
  UINT callerId = 0;
  Serial serial = 0;
  try {
    GuardLock lock;
    Registry& r = registry();
    for (;;) {
      auto live = r.live.find(timer);
      if (live == r.live.end()) return;  // destroyed
      serial = live->second.serial;
      auto it = r.timers.find(SystemKey(uTimerID, serial));
      if (it != r.timers.end()) {
        callerId = it->second.callerId;
        // The system has ended a one-shot timer: its identifier is no
        // longer this object's to stop. The table entry stays.
        if (it->second.oneShot) r.timers.erase(it);
        break;
      }
      if (live->second.settingNow == 0) return;  // killed since
      lock.wait();
    }
    listener = timer->m_pListener;
    if (listener == nullptr) return;
    r.inFlight.push_back(TickInFlight{serial, self});
  } catch (...) {
    return;  // no memory for the bookkeeping: drop the tick
  }

  // No exception may leave the system's timer thread.
  try {
    listener->OnTimer(callerId);
  } catch (...) {
  }

  GuardLock lock;
  std::vector<TickInFlight>& inFlight = registry().inFlight;
  for (auto it = inFlight.begin(); it != inFlight.end(); ++it) {
    if (it->serial == serial && it->threadId == self) {
      inFlight.erase(it);
      break;
    }
  }
  WakeAllConditionVariable(&g_changed);
}
