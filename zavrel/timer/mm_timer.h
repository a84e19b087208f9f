// CmmTimer: ticks from the Windows multimedia timer (WinMM), independent of
// any message loop.
//
// Each object owns its timers and names them by identifiers the caller
// chooses; every tick reaches the one registered listener with that
// identifier, on the multimedia timer thread. Windows only.
//
// Threads: the timer table is changed on the caller's thread and read on the
// timer thread; a process-wide guard keeps them apart. The listener is called
// without holding the guard, so it may set and kill timers (or destroy the
// object) from inside OnTimer.
//
// Destruction guarantees that no tick reaches the listener afterwards: ticks
// arriving later are dropped, and a tick already inside the listener on
// another thread is waited for. When the destructor runs inside OnTimer on the
// timer thread, it does not wait for that call (it cannot end first).
#pragma once

#include <map>

#include "zavrel/timer/mm_timer_listener.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API CmmTimer {
 public:
  // Asks the system for its timer capabilities; the period becomes the
  // largest period the device offers (and is begun with timeBeginPeriod), or
  // stays 0 when the capabilities cannot be read.
  CmmTimer();
  // A copy takes the listener and the period (beginning the period once more,
  // so each object ends its own), but no timers: the running timers belong to
  // the object that set them.
  CmmTimer(const CmmTimer& other);
  // Takes the listener only; this object's timers keep running.
  CmmTimer& operator=(const CmmTimer& other);
  // Stops every timer, waits for a tick in progress on another thread, and
  // ends the period.
  virtual ~CmmTimer();

  // Replaces the listener (not owned; may be null). The caller keeps it alive
  // while it is registered.
  void RegisterListener(ImmTimerListener* pListener);
  ImmTimerListener* getListener();

  // Starts (or restarts) the timer with the caller's identifier: periodic
  // every uDelay ms, or once after uDelay ms when bOneShot. Any running timer
  // with that identifier is stopped first. False when the system refuses the
  // timer (no entry is left then).
  bool SetTimer(UINT nIDEvent, UINT uDelay, bool bOneShot);
  // Stops the timer with the caller's identifier. False when there is none,
  // or when the system reports failure (a one-shot timer that already fired
  // has been ended by the system; its entry is removed all the same).
  bool KillTimer(UINT nIDEvent);
  // Stops every timer of this object and empties the table. True only when
  // there was at least one timer and the last stop succeeded.
  bool KillAllTimer();

  // The running timers: multimedia identifier -> caller's identifier. Read it
  // only on the thread that sets and kills this object's timers.
  const std::map<UINT, UINT>& getTimerMap() const;

 protected:
  // The callback handed to timeSetEvent; dwUser is the CmmTimer.
  static void CALLBACK TimeProc(UINT uTimerID, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR dw1, DWORD_PTR dw2);

 private:
  ImmTimerListener* m_pListener = nullptr;
  UINT m_nPeriod = 0;
  std::map<UINT, UINT> m_mapTimers;
};
