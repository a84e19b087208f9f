// Seams through which tests watch the sound players; hosts never set them.
//
// CMidiPlayer sends every MCI command string through one function, the
// system's mciSendStringA unless a test put its own in place (to record the
// commands, or answer for the device). CDxSoundPlayer::SetVolume reports the
// value it hands to its volume buffer to an observer a test may set. Both are
// process-wide; set and restore them on the thread that uses the players.
#pragma once

#include "afx/afx_port.h"
#include "zavrel/zavrel_api.h"

#include <mmsystem.h>

namespace sound_test_seam {

typedef MCIERROR(WINAPI* MciSendStringFunction)(LPCSTR lpszCommand, LPSTR lpszReturn, UINT cchReturn,
                                                HWND hwndCallback);
// Puts fn in place of mciSendStringA (null restores it); answers the function
// in place before.
ZAVREL_API MciSendStringFunction SetMciSendString(MciSendStringFunction fn);

// volume: the value in hundredths of a decibel; bufferResult: the volume
// buffer's answer, or CO_E_NOTINITIALIZED when the player has no buffer.
typedef void (*VolumeObserver)(LONG volume, HRESULT bufferResult);
// Sets the observer (null: none); answers the one in place before.
ZAVREL_API VolumeObserver SetVolumeObserver(VolumeObserver fn);

}  // namespace sound_test_seam
