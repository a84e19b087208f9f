// VideoCtl.dll's test entry points: the controls' log, events fired on
// demand, the count of live controls.
#include "support/stand_in/stand_in_control.h"
#include "support/videoctl/videoctl_control.h"

VIDEOCTL_API int VideoCtlReadLog(HWND hWnd, char* pBuffer, int cbBuffer) {
  return stand_in::ReadLog(hWnd, videoctl::kWindowClass, pBuffer, cbBuffer);
}

VIDEOCTL_API void VideoCtlClearLog() { stand_in::ClearLog(); }

VIDEOCTL_API HRESULT VideoCtlFireEvent(HWND hWnd, DISPID dispid, int nArgs, long arg1, long arg2) {
  return videoctl::FireEvent(hWnd, dispid, nArgs, arg1, arg2);
}

VIDEOCTL_API int VideoCtlObjectCount() { return static_cast<int>(videoctl::g_counts.objects.load()); }
