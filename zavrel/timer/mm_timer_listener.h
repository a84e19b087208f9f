// ImmTimerListener: receives the ticks of CmmTimer's multimedia timers.
#pragma once

#include "afx/afx_port.h"

class ImmTimerListener {
 public:
  virtual ~ImmTimerListener() = default;
  // Called once per tick on the system's multimedia timer thread (not the
  // thread that set the timer), with the identifier the caller chose in
  // CmmTimer::SetTimer. The listener moves work to its own thread itself.
  // It may call SetTimer, KillTimer, KillAllTimer, RegisterListener or even
  // destroy the CmmTimer from inside the call.
  virtual void OnTimer(UINT nIDEvent) = 0;
};
