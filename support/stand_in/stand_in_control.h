// What the stand-in ActiveX controls (VideoCtl.dll, FwCtl.dll) share: the
// process's log of their calls, read by the tests through each module's
// ReadLog export, and their window class. Each module compiles its own
// copy (its own log). Windows only.
#pragma once

#include "base/win_types.h"

#include <string>

namespace stand_in {

// Appends one line written by object (null: by no control, e.g. a line
// about a control that is gone).
void Record(const void* object, std::string text);
// Empties the log.
void ClearLog();

// Registers (DLL_PROCESS_ATTACH) and unregisters (DLL_PROCESS_DETACH) the
// controls' window class: redrawn on resize, the arrow cursor.
void RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC proc);
void UnregisterWindowClass(HINSTANCE instance, const char* name);

// The control whose window hWnd is (a window of class name carrying the
// control in GWLP_USERDATA); null for any other window.
void* ControlOfWindow(HWND hWnd, const char* windowClass);

// The ReadLog export: the lines of the control whose window hWnd is (null:
// every line), each ended by '\n'; nothing for a window that is no
// control's. Copies up to cbBuffer - 1 bytes and a terminating 0; the
// length of the whole text.
int ReadLog(HWND hWnd, const char* windowClass, char* pBuffer, int cbBuffer);

}  // namespace stand_in
