// IUiTimerListener: receives the ticks of CUiTimer's timers.
#pragma once

#include "afx/afx_port.h"

class IUiTimerListener {
 public:
  virtual ~IUiTimerListener() = default;
  // Called once per tick, on the thread that started the timer, with the
  // identifier of the timer that ticked.
  virtual void OnTimerEx(UINT nIDEvent) = 0;
};
