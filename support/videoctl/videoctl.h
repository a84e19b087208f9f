// VideoCtl.dll: stand-ins of the local and remote video ActiveX controls
// that the client installs. Windows only.
//
// Both are in-process controls registered with regsvr32 (DllRegisterServer
// writes their class under HKEY_CLASSES_ROOT\CLSID with the module's path,
// and the programmatic identifiers "VideoCtl.LocalVideo.1" and
// "VideoCtl.RemoteVideo.1"). Each is activated in place in its container's
// window as a child window that draws a test picture.
//
// The local control (dispatch ids 1 to 23) simulates capture and play
// devices with fixed names (kVideoDevices, kAudioCaptureDevices,
// kAudioPlayDevices); a method with a long result answers
// dispatch id * 1000 + its first numeric argument (mod 1000), or
// dispatch id * 1000 without one. It fires its three events through its
// one connection point (IID_DVideoCtlLocalEvents): after Login, the login
// result (1, or 0 when the text argument is empty) once its window's
// timer runs (about 30 ms later); after StartRecvAudio / StartRecvVideo,
// the receive result (user, 1) the same way.
//
// The remote control has two properties: 1 the user identifier (VT_UI4),
// 2 the visibility (VT_I4).
//
// Every call checks the kind (method, property get, property put) and the
// argument types of its table exactly and answers DISP_E_MEMBERNOTFOUND or
// DISP_E_TYPEMISMATCH otherwise; each call, and each start step (licence
// key, saved state, ambient user mode), is recorded in the control's log,
// one line each, for the tests.
#pragma once

#include "afx/afx_port.h"

#include <oaidl.h>

#ifdef VIDEOCTL_BUILDING_DLL
#define VIDEOCTL_API extern "C" __declspec(dllexport)
#else
#define VIDEOCTL_API extern "C" __declspec(dllimport)
#endif

// {075083C0-5319-4938-8E1E-734023126D72}
inline constexpr CLSID CLSID_VideoCtlLocal = {
    0x075083C0, 0x5319, 0x4938, {0x8E, 0x1E, 0x73, 0x40, 0x23, 0x12, 0x6D, 0x72}};
// {4994C1B7-684C-4818-B61B-4D9011F6E8BD}
inline constexpr CLSID CLSID_VideoCtlRemote = {
    0x4994C1B7, 0x684C, 0x4818, {0xB6, 0x1B, 0x4D, 0x90, 0x11, 0xF6, 0xE8, 0xBD}};
// The local control's event interface (a dispinterface).
// {5C7E2D3A-9B41-4F8E-A1C6-2E7D90B4F311}
inline constexpr IID IID_DVideoCtlLocalEvents = {
    0x5C7E2D3A, 0x9B41, 0x4F8E, {0xA1, 0xC6, 0x2E, 0x7D, 0x90, 0xB4, 0xF3, 0x11}};

// Test entry points (C calling convention).
//
// The log of the control whose window is hWnd (null: of every control made
// in the process, in order), lines ended by '\n', text in the ANSI code
// page. Copies up to cbBuffer - 1 bytes and a terminating 0; answers the
// length of the whole log.
VIDEOCTL_API int VideoCtlReadLog(HWND hWnd, char* pBuffer, int cbBuffer);
// Empties every log.
VIDEOCTL_API void VideoCtlClearLog();
// Fires event dispid of the local control whose window is hWnd now, with
// nArgs (0 to 2) long arguments; the sinks' result, or E_INVALIDARG when
// hWnd is no local control's window.
VIDEOCTL_API HRESULT VideoCtlFireEvent(HWND hWnd, DISPID dispid, int nArgs, long arg1, long arg2);
// The number of controls alive in the process.
VIDEOCTL_API int VideoCtlObjectCount();
