#include "zavrel/timer/mm_timer.h"

#include <mmsystem.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace {

// The guard of every CmmTimer's table and listener, and the bookkeeping that
// lets a destructor know whether a tick of its object is still running.
// Slim reader/writer lock and condition variable: statically initialised,
// nothing to tear down when the library unloads.
SRWLOCK g_guard = SRWLOCK_INIT;
CONDITION_VARIABLE g_tickDone = CONDITION_VARIABLE_INIT;

class GuardLock {
 public:
  GuardLock() { AcquireSRWLockExclusive(&g_guard); }
  GuardLock(const GuardLock&) = delete;
  GuardLock& operator=(const GuardLock&) = delete;
  ~GuardLock() { ReleaseSRWLockExclusive(&g_guard); }
};

// A listener call in progress: which object (by serial number, so that a new
// object at a reused address is never confused with it) on which thread.
struct TickInFlight {
  std::uint64_t serial;
  DWORD threadId;
};

struct Registry {
  // Objects that exist, with their serial numbers. The user value of a tick
  // is a raw pointer; it is dereferenced only while it is found here.
  std::map<const CmmTimer*, std::uint64_t> live;
  std::vector<TickInFlight> inFlight;
  std::uint64_t nextSerial = 1;
};

// Created on first use and never destroyed: a tick or a host's static
// CmmTimer may still reach it while the library's statics are torn down.
Registry& registry() {
  static Registry* r = new Registry;
  return *r;
}

// Caller holds the guard.
bool hasForeignTick(std::uint64_t serial, DWORD self) {
  for (const TickInFlight& t : registry().inFlight)
    if (t.serial == serial && t.threadId != self) return true;
  return false;
}

UINT devicePeriod() {
  TIMECAPS caps = {};
  if (timeGetDevCaps(&caps, sizeof(caps)) != TIMERR_NOERROR) return 0;
  // The largest period the device offers, as the timers of this class have
  // always been asked for.
  return caps.wPeriodMax;
}

void registerLive(const CmmTimer* timer) {
  GuardLock lock;
  Registry& r = registry();
  r.live[timer] = r.nextSerial++;
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
  {
    GuardLock lock;
    Registry& r = registry();
    auto it = r.live.find(this);
    if (it != r.live.end()) {
      const std::uint64_t serial = it->second;
      // From here on no tick enters the listener for this object.
      r.live.erase(it);
      const DWORD self = GetCurrentThreadId();
      while (hasForeignTick(serial, self)) SleepConditionVariableSRW(&g_tickDone, &g_guard, INFINITE, 0);
    }
  }
  KillAllTimer();
  if (m_nPeriod != 0) {
    timeEndPeriod(m_nPeriod);
    m_nPeriod = 0;
  }
}

void CmmTimer::RegisterListener(ImmTimerListener* pListener) {
  GuardLock lock;
  m_pListener = pListener;
}

ImmTimerListener* CmmTimer::getListener() {
  GuardLock lock;
  return m_pListener;
}

const std::map<UINT, UINT>& CmmTimer::getTimerMap() const { return m_mapTimers; }

bool CmmTimer::SetTimer(UINT nIDEvent, UINT uDelay, bool bOneShot) {
  KillTimer(nIDEvent);
  // The guard is held across timeSetEvent, so a first tick that comes before
  // the entry is stored waits for it instead of being dropped (which would
  // lose a short one-shot timer). The system never holds its own timer lock
  // while it runs a callback, so this cannot deadlock against a tick.
  GuardLock lock;
  const UINT kind = (bOneShot ? TIME_ONESHOT : TIME_PERIODIC) | TIME_CALLBACK_FUNCTION;
  const MMRESULT id = timeSetEvent(uDelay, m_nPeriod, &CmmTimer::TimeProc, reinterpret_cast<DWORD_PTR>(this), kind);
  if (id == 0) return false;
  // A one-shot timer that already fired keeps its entry until it is killed;
  // should the system hand out its identifier again, the new timer wins.
  m_mapTimers[id] = nIDEvent;
  return true;
}

bool CmmTimer::KillTimer(UINT nIDEvent) {
  UINT id = 0;
  {
    GuardLock lock;
    auto it = m_mapTimers.begin();
    while (it != m_mapTimers.end() && it->second != nIDEvent) ++it;
    if (it == m_mapTimers.end()) return false;
    id = it->first;
    m_mapTimers.erase(it);
  }
  return timeKillEvent(id) == TIMERR_NOERROR;
}

bool CmmTimer::KillAllTimer() {
  std::map<UINT, UINT> timers;
  {
    GuardLock lock;
    timers.swap(m_mapTimers);
  }
  bool last = false;
  for (const auto& entry : timers) last = timeKillEvent(entry.first) == TIMERR_NOERROR;
  return !timers.empty() && last;
}

void CALLBACK CmmTimer::TimeProc(UINT uTimerID, UINT, DWORD_PTR dwUser, DWORD_PTR, DWORD_PTR) {
  const CmmTimer* timer = reinterpret_cast<const CmmTimer*>(dwUser);
  if (timer == nullptr) return;
  const DWORD self = GetCurrentThreadId();
  ImmTimerListener* listener = nullptr;
  UINT callerId = 0;
  std::uint64_t serial = 0;
  try {
    GuardLock lock;
    Registry& r = registry();
    auto live = r.live.find(timer);
    if (live == r.live.end()) return;  // destroyed, or being destroyed
    if (timer->m_mapTimers.empty()) return;
    auto it = timer->m_mapTimers.find(uTimerID);
    if (it == timer->m_mapTimers.end()) return;  // killed since
    listener = timer->m_pListener;
    if (listener == nullptr) return;
    callerId = it->second;
    serial = live->second;
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
  WakeAllConditionVariable(&g_tickDone);
}
