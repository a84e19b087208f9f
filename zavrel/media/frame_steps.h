// What the frame animations (CxAnimate, CxGifAnimate) share: the step to the
// next frame, drawing the current frame and emptying the frame list.
#pragma once

#include "afx/afx_gdi.h"

namespace media {

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

// Draws frames[cur] at its own size at (x, y); nothing when cur is not a frame.
template <class Frames>
void DrawFrame(Frames& frames, int cur, CDC* pDC, int x, int y) {
  if (!pDC || cur < 0 || cur >= static_cast<int>(frames.GetSize())) return;
  frames[cur].Draw(pDC->GetSafeHdc(), x, y, -1, -1, nullptr, false);
}

// Frees every frame's picture and empties the list.
template <class Frames>
void ClearFrames(Frames& frames) {
  for (INT_PTR i = 0; i < frames.GetSize(); ++i) frames[i].Destroy();
  frames.RemoveAll();
}

}  // namespace media
