// The one clock of the animated pictures of a thread: one message-only
// window for the thread, and one timer for each container window (a rich
// edit control) however many pictures it shows; pictures of one file in one
// container step together. A tick steps the frames that are due and redraws
// only the rectangles where those pictures were last drawn (scroll
// corrected, clipped to the client area): in a rich edit control without a
// selection the new frames are drawn straight there, as the control would;
// with a selection shown (drawn over the pictures) or in other containers
// those rectangles are invalidated for the container to repaint. Windows
// only; used on the pictures' own thread.
#pragma once

#include "afx/afx_port.h"

class CAnimatedPicture;

namespace animation_clock {

// Ticks within this many milliseconds of each other are served together.
constexpr DWORD kSlackMs = 10;

// Adds picture (again) to the group of container (null: a group that only
// steps frames), or moves it there; schedules its next frame. The clock
// holds no reference: the picture leaves before it goes.
void Join(CAnimatedPicture* picture, HWND container);
// Takes picture out of its group; the last picture of a group ends its
// timer, the last of the thread the clock's window.
void Leave(CAnimatedPicture* picture);
// Reschedules the group of picture after its due time changed.
void Reschedule(CAnimatedPicture* picture);

// The thread's clock windows and timers, for tests: whether one is running.
bool Running();

}  // namespace animation_clock
