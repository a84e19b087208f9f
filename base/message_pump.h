// The one message pump of the test programs, helpers and demo programs:
// dispatches the calling thread's messages until a condition holds or a time
// runs out, sleeping in MsgWaitForMultipleObjects between batches (so it
// wakes for new messages and, when given, for a handle such as a child
// process). Windows only.
#pragma once

#include "base/win_types.h"

// True as soon as done() holds (checked after every message, and before each
// wait); false when timeoutMs passes first. wakeHandle (may be null) also
// ends a wait, so a condition on it is seen at once.
template <class Done>
bool PumpMessagesUntil(Done&& done, DWORD timeoutMs, HANDLE wakeHandle = nullptr) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      if (done()) return true;
    }
    if (done()) return true;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    MsgWaitForMultipleObjects(wakeHandle ? 1 : 0, wakeHandle ? &wakeHandle : nullptr, FALSE, timeoutMs - elapsed,
                              QS_ALLINPUT);
  }
}
