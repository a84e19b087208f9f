// CUiTimer: periodic ticks on the user-interface thread, without a window.
//
// Timers are thread timers of the window system (no window); their ticks
// reach TimeProc only while the starting thread dispatches messages. One
// process-wide table, s_mapTimers, maps each timer identifier to the
// CUiTimer that started it. Everything here runs on that one thread; the
// table has no lock. Windows only.
#pragma once

#include <map>

#include "zavrel/timer/ui_timer_listener.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API CUiTimer {
 public:
  CUiTimer();
  // A copy takes the listener only; it owns no timers.
  CUiTimer(const CUiTimer& other);
  CUiTimer& operator=(const CUiTimer& other);
  // Clears the listener, then stops every timer this object started. An
  // exception from the listener's OnTimerEx is swallowed: it never unwinds
  // into the system's message dispatch.
  virtual ~CUiTimer();

  // Replaces the listener (not owned; may be null).
  void RegisterListener(IUiTimerListener* pListener);

  // Starts a repeating timer; its identifier, or 0 when the system refused
  // or memory for its table entry ran out (no timer is left running then).
  UINT SetTimer(UINT nElapse);
  // Stops the timer with that identifier, whichever CUiTimer started it.
  // 0 when the identifier is not in the table; else the system's result.
  BOOL KillTimer(UINT nIDEvent);
  // Stops every timer this object started; always 1.
  BOOL KillAllTimer();

 protected:
  IUiTimerListener* getListener();
  static void CALLBACK TimeProc(HWND hWnd, UINT uMsg, UINT_PTR nIDEvent, DWORD dwTime);
  static std::map<UINT, CUiTimer*>& getTimerMap();

  static std::map<UINT, CUiTimer*> s_mapTimers;

 private:
  IUiTimerListener* m_pListener = nullptr;
};
