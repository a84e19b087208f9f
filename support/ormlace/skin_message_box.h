// The skinned message box of Ormlace, and its hook.
//
// ShowSkinMessageBox shows a modal box on the calling thread (the skin draws
// it in the system's message-box style for now) and returns the button
// pressed. Tests and unattended runs must never block on one, so the box can
// be taken over, by code only (nothing in the environment silences it):
// SetSkinMessageBoxHook installs a process-wide hook. While one is set, every
// box goes to the hook instead of the screen; the hook's result is the box's
// result. The hook runs on the thread that asked for the box.
//
// Windows only.
#pragma once

#include "base/library_api.h"

#ifndef _WIN32
#error "skin_message_box.h is part of the Windows build only"
#endif

// A hook: receives the box's arguments and the context given with it;
// returns the answer (IDOK, IDCANCEL, IDYES, ...).
typedef int (*SkinMessageBoxHook)(void* pContext, HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT uType,
                                  int nAutoCloseSeconds);

extern "C" {

// Shows pszText with pszCaption modally, owned by hOwner (may be null), with
// the MessageBox style flags uType (MB_ICONERROR = 0x10, buttons, default
// button). When nAutoCloseSeconds is above 0, a box still open after that
// many seconds closes by itself and answers its default button. Null texts
// are shown as empty. Returns the button pressed, or 0 when no box could be
// made.
ORMLACE_API int ShowSkinMessageBox(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT uType, int nAutoCloseSeconds);

// Installs pfnHook with pContext (null removes the hook). Not owned.
ORMLACE_API void SetSkinMessageBoxHook(SkinMessageBoxHook pfnHook, void* pContext);

// The hook and context currently installed (null when none), so a caller
// can put back what it found.
ORMLACE_API SkinMessageBoxHook GetSkinMessageBoxHook(void** ppContext);

// The button a box with style uType answers when it is closed without the
// user: its default button (MB_DEFBUTTON1 to 3) among its buttons.
ORMLACE_API int SkinMessageBoxDefaultAnswer(UINT uType);
}
