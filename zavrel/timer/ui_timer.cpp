#include "zavrel/timer/ui_timer.h"

#include "base/no_throw.h"

std::map<UINT, CUiTimer*> CUiTimer::s_mapTimers;

CUiTimer::CUiTimer() = default;

CUiTimer::CUiTimer(const CUiTimer& other) : m_pListener(other.m_pListener) {}

CUiTimer& CUiTimer::operator=(const CUiTimer& other) {
  m_pListener = other.m_pListener;
  return *this;
}

CUiTimer::~CUiTimer() {
  m_pListener = nullptr;
  KillAllTimer();
}

void CUiTimer::RegisterListener(IUiTimerListener* pListener) { m_pListener = pListener; }

IUiTimerListener* CUiTimer::getListener() { return m_pListener; }

std::map<UINT, CUiTimer*>& CUiTimer::getTimerMap() { return s_mapTimers; }

UINT CUiTimer::SetTimer(UINT nElapse) {
  // A thread timer: the system picks a fresh identifier, which fits in 32
  // bits on 64-bit Windows too.
  const UINT id = static_cast<UINT>(::SetTimer(nullptr, 0, nElapse, &CUiTimer::TimeProc));
  if (id == 0) return 0;
  if (!NoThrow(false, [&] { return s_mapTimers.insert(std::make_pair(id, this)).second; })) {
    // No memory for its entry (or the identifier is another's): a timer
    // nobody could stop or hear is not left running.
    ::KillTimer(nullptr, id);
    return 0;
  }
  return id;
}

BOOL CUiTimer::KillTimer(UINT nIDEvent) {
  auto it = s_mapTimers.find(nIDEvent);
  if (it == s_mapTimers.end()) return 0;
  const BOOL result = ::KillTimer(nullptr, nIDEvent);
  s_mapTimers.erase(it);
  return result;
}

BOOL CUiTimer::KillAllTimer() {
  for (auto it = s_mapTimers.begin(); it != s_mapTimers.end();) {
    if (it->second == this) {
      ::KillTimer(nullptr, it->first);
      it = s_mapTimers.erase(it);
    } else {
      ++it;
    }
  }
  return 1;
}

void CALLBACK CUiTimer::TimeProc(HWND, UINT, UINT_PTR nIDEvent, DWORD) {
  if (s_mapTimers.empty()) return;
  auto it = s_mapTimers.find(static_cast<UINT>(nIDEvent));
  if (it == s_mapTimers.end()) return;
  // The listener may stop timers or end the CUiTimer inside the call; nothing
  // of the table is used after it. No exception may unwind into the
  // system's dispatch of the tick.
  if (IUiTimerListener* listener = it->second->m_pListener) {
    NoThrowVoid([&] { listener->OnTimerEx(static_cast<UINT>(nIDEvent)); });
  }
}
