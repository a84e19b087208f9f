// What the frame animations (CxAnimate, CxGifAnimate) share: their timer,
// the step to the next frame, drawing the current frame, emptying the frame
// list and their end.
#pragma once

#include <memory>

#include "afx/afx_gdi.h"
#include "afx/afx_rect.h"
#include "zavrel/media/destroy_guard.h"
#include "zavrel/timer/ui_timer.h"

namespace media {

// The identifier of no running timer.
constexpr UINT kNoTimer = static_cast<UINT>(-1);

// A timer of the animation's own, whose listener is the animation.
inline std::unique_ptr<CUiTimer> NewTimerOf(IUiTimerListener* animation) {
  std::unique_ptr<CUiTimer> timer(new CUiTimer);
  timer->RegisterListener(animation);
  return timer;
}

// Stops all of the animation's timers and nothing else: an identifier kept
// from an earlier run may since belong to another object's timer. A copy
// being assigned stops only its own: the source keeps running.
inline void StopTimers(CUiTimer& timer, UINT& timerId) {
  timer.KillAllTimer();
  timerId = kNoTimer;
}

// Milliseconds between frames at framesPerSecond (not 0).
inline UINT FrameInterval(unsigned long framesPerSecond) { return static_cast<UINT>(1000ul / framesPerSecond); }

// Moves cur one frame forwards (or backwards when reverse). At either end a
// looping run wraps around; a single run is over and true is answered, with
// cur left one past the last frame it showed (count, or -1 backwards).
inline bool StepFrame(int& cur, int count, bool reverse, bool loop) {
  if (reverse) {
    if (--cur >= 0) return false;
    if (!loop) return true;
    cur = count - 1;
    return false;
  }
  if (++cur < count) return false;
  if (!loop) return true;
  cur = 0;
  return false;
}

// Draws frames[cur] at its own size at (x, y) and remembers the position in
// drawnAt; nothing when pDC is null, when not playing, or when cur is not a
// frame.
template <class Frames>
void DrawFrame(Frames& frames, int cur, bool playing, CPoint& drawnAt, CDC* pDC, int x, int y) {
  if (!pDC || !playing || cur < 0 || cur >= static_cast<int>(frames.GetSize())) return;
  drawnAt = CPoint(x, y);
  frames[cur].Draw(pDC->GetSafeHdc(), x, y, -1, -1, nullptr, false);
}

// Frees every frame's picture and empties the list.
template <class Frames>
void ClearFrames(Frames& frames) {
  for (INT_PTR i = 0; i < frames.GetSize(); ++i) frames[i].Destroy();
  frames.RemoveAll();
}

// The end of an animation: the guards watching it learn, its timer goes
// first (no tick reaches it half destroyed), then its frames.
template <class Frames>
void EndAnimation(const void* animation, std::unique_ptr<CUiTimer>& timer, Frames& frames) {
  DestroyGuard::Destroying(animation);
  timer.reset();
  ClearFrames(frames);
}

// Tells the listener (if any) that a single run is over. False when the
// animation was deleted inside the call: nothing of it may be touched then.
template <class Listener, class Tell>
bool TellRunOver(const void* animation, Listener* listener, Tell tell) {
  if (!listener) return true;
  DestroyGuard guard(animation);
  tell(*listener);
  return !guard.destroyed();
}

}  // namespace media
