// ReusingTimerIds: makes Zavrel.dll's multimedia timers get identifiers the
// way Windows hands them out, the lowest free one, so that the identifier of
// a one-shot timer that has fired comes back at the next timeSetEvent.
//
// Wine numbers its timers upwards and never hands an identifier out twice in
// a test's lifetime, so without this the reuse cannot be observed. While an
// object of this class lives, Zavrel.dll's imports of timeSetEvent and
// timeKillEvent point to a small translation layer over the real functions
// (only Zavrel.dll's: the test's own calls reach the system unchanged). One
// object at a time; make it on the test's thread before any CmmTimer.
#pragma once

#include "afx/afx_port.h"

class ReusingTimerIds {
 public:
  ReusingTimerIds();
  ReusingTimerIds(const ReusingTimerIds&) = delete;
  ReusingTimerIds& operator=(const ReusingTimerIds&) = delete;
  // Stops the timers still running through the layer and puts the imports
  // back.
  ~ReusingTimerIds();

  // True when both imports were found and replaced.
  bool active() const { return m_active; }

 private:
  bool m_active = false;
};
