// FwCtl.dll: a test control that behaves the way controls made with the
// common control frameworks do, as opposed to the stand-in video controls
// (support/videoctl), which are kinder to their container. Windows only.
//
// An in-process control registered with regsvr32 (class CLSID_FwCtl,
// programmatic identifier "FwCtl.Control.1"), activated in place as a child
// window of its container. Where it differs from VideoCtl:
// - It holds no reference to itself while it fires an event: a container
//   that lets go of it inside the event destroys it inside its own call.
//   Such a destruction is logged ("destroyed inside its own event"), and
//   the control then touches none of its members.
// - IPersistStorage::Load keeps the storage (until HandsOffStorage) and
//   the method RereadState (dispatch id 2) reads its "Contents" stream
//   again: the length read, or -1 when the stream cannot be read or its
//   bytes changed since Load.
// - Each activation (DoVerb, and taking the focus, which UI-activates it)
//   asks the site for its window context and moves the window to the
//   position the site gives.
// - When UI-active it registers itself with the frame (SetActiveObject);
//   its TranslateAccelerator logs each key and takes Tab and Enter.
// - Its events carry arguments of the types the firing code gives
//   (FwCtlFire), converted by nobody on the way.
//
// Automation: dispatch id 1 the property Value (a VARIANT, initially the
// text "framework"); 2 the method RereadState (long result); any other
// dispatch id is taken as a call without result. Every call, activation
// step, position change and accelerator is one line of the control's log.
#pragma once

#include "afx/afx_port.h"

#include <oaidl.h>

#ifdef FWCTL_BUILDING_DLL
#define FWCTL_API extern "C" __declspec(dllexport)
#else
#define FWCTL_API extern "C" __declspec(dllimport)
#endif

// {B3F1C0A2-6D4E-4A57-9C21-7E5D8F3A1B64}
inline constexpr CLSID CLSID_FwCtl = {0xB3F1C0A2, 0x6D4E, 0x4A57, {0x9C, 0x21, 0x7E, 0x5D, 0x8F, 0x3A, 0x1B, 0x64}};
// The control's event interface (a dispinterface).
// {B3F1C0A3-6D4E-4A57-9C21-7E5D8F3A1B64}
inline constexpr IID IID_DFwCtlEvents = {0xB3F1C0A3, 0x6D4E, 0x4A57, {0x9C, 0x21, 0x7E, 0x5D, 0x8F, 0x3A, 0x1B, 0x64}};

// Behaviours of every control of the process, for the tests (FwCtlSetBehaviour).
enum : DWORD {
  // Invoke throws std::bad_alloc, as a control whose runtime lets an
  // exception escape would.
  kFwCtlThrowFromInvoke = 1,
  // Setting the window's caption makes the control end its window and make
  // a new one, as controls do when a property needs another window style.
  kFwCtlRecreateOnCaption = 2,
};

// Test entry points (C calling convention).
//
// The log of the control whose window is hWnd (null: of every control of
// the process, and the lines of controls that are gone), lines ended by
// '\n'. Copies up to cbBuffer - 1 bytes and a terminating 0; answers the
// length of the whole log.
FWCTL_API int FwCtlReadLog(HWND hWnd, char* pBuffer, int cbBuffer);
FWCTL_API void FwCtlClearLog();
// The number of controls alive in the process.
FWCTL_API int FwCtlObjectCount();
FWCTL_API void FwCtlSetBehaviour(DWORD dwFlags);
// Fires event dispid of the control whose window is hWnd with nArgs
// arguments (in call order, as given); the sinks' last result, or
// E_INVALIDARG when hWnd is no control's window.
FWCTL_API HRESULT FwCtlFire(HWND hWnd, DISPID dispid, int nArgs, const VARIANT* pArgs);
// The class factory (static: no reference to release), for a test that
// registers the control under another class in its own process.
FWCTL_API IClassFactory* FwCtlClassFactory();
