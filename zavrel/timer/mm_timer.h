// CmmTimer: ticks from the Windows multimedia timer (WinMM), independent of
// any message loop.
//
// Each object owns its timers and names them by identifiers the caller
// chooses; every tick reaches the one registered listener with that
// identifier, on the multimedia timer thread. Windows only.
//
// Threads: the timers of every object are changed on the caller's thread and
// looked up on the timer thread; a process-wide guard keeps them apart. The
// guard is never held while the listener runs nor across a call into WinMM,
// so the listener may set and kill timers, replace itself or destroy the
// object from inside OnTimer.
//
// Stopping guarantees that no listener call runs afterwards: when KillTimer,
// KillAllTimer, RegisterListener or the destructor returns, a tick of this
// object that was inside the listener on another thread has ended, and no
// tick of a stopped timer (after RegisterListener(nullptr) or destruction: no
// tick at all) enters the listener later. Called from inside OnTimer on the
// timer thread, they do not wait for that call (it cannot end first). They do
// wait for a call on another thread, so do not call them while holding a
// lock that the listener takes.
//
// Identifiers: the system may hand the identifier of a one-shot timer that
// has fired to the next timer it makes, of this object or another. Such an
// identifier is never stopped on behalf of the object that no longer owns it.
#pragma once

#include <map>

#include "zavrel/timer/mm_timer_listener.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API CmmTimer {
 public:
  // Asks the system for its timer capabilities; the period becomes the
  // largest period the device offers (and is begun with timeBeginPeriod), or
  // stays 0 when the capabilities cannot be read. Never throws: without
  // memory for its registration the object sets no timer (SetTimer false).
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

  // Replaces the listener (not owned; may be null), and waits for a call of
  // the previous one in progress on another thread: it may go once this
  // returns. The caller keeps the listener alive while it is registered.
  void RegisterListener(ImmTimerListener* pListener);
  ImmTimerListener* getListener();

  // Starts (or restarts) the timer with the caller's identifier: periodic
  // every uDelay ms, or once after uDelay ms when bOneShot. Any running timer
  // with that identifier is stopped first. False when the system refuses the
  // timer or memory for its entry runs out (no entry and no timer is left
  // then).
  bool SetTimer(UINT nIDEvent, UINT uDelay, bool bOneShot);
  // Stops the timer with the caller's identifier. False when there is none,
  // or when it is no longer running: a one-shot timer that already fired has
  // been ended by the system, so it is not stopped again (its entry is
  // removed all the same), or when the system reports failure.
  bool KillTimer(UINT nIDEvent);
  // Stops every timer of this object and empties the table. True only when
  // there was at least one timer and the last one was still running and
  // stopped. False with nothing changed when memory runs out.
  bool KillAllTimer();

  // The timers of this object: multimedia identifier -> caller's identifier.
  // A one-shot timer keeps its entry after it fired, until it is killed or a
  // new timer of this object gets the same multimedia identifier. Only
  // SetTimer, KillTimer and KillAllTimer change it (never a tick by itself):
  // read it on the thread that calls them.
  const std::map<UINT, UINT>& getTimerMap() const;

 protected:
  // The callback handed to timeSetEvent; dwUser is the CmmTimer.
  static void CALLBACK TimeProc(UINT uTimerID, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR dw1, DWORD_PTR dw2);

 private:
  bool StopAllTimers();

  ImmTimerListener* m_pListener = nullptr;
  UINT m_nPeriod = 0;
  std::map<UINT, UINT> m_mapTimers;
};
