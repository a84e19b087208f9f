// CMidiPlayer: wave files and wave resources through PlaySoundA, MIDI files
// through the MCI sequencer. Windows only.
//
// The MIDI device is process-wide: one MCI device under the alias
// "MidiDemo", and the path of the MIDI file last opened, shared by every
// CMidiPlayer. Playing the file that is open again only restarts it from the
// beginning; a different file first closes every MCI device of the process
// ("close all") and opens the new one. A file whose opening failed is still
// remembered, so playing it again goes straight to "play" and answers the MCI
// error of that.
//
// Status codes of PlaySoundFile and PlaySoundResource:
//   0      started
//   2      the file is missing, or is a folder
//   50123  no path, no extension, an extension that is not played, or a MIDI
//          path that the MCI command cannot carry (260 bytes or more, or a
//          double quote)
//   50124  the wave could not be played, or the wave resource is missing
//   343    MCI "play" answered 2
//   other  the MCI error of "open" or "play" (MCIERR_*)
//
// Sounds need a sound device. Without one, a wave answers 50124 when
// PlaySoundA refuses it; it may instead take the asynchronous play and stay
// silent (Wine does). MIDI needs a MIDI output (a synthesizer); the sequencer
// may accept "open" and "play" without one and stay silent (Wine does).
//
// Single-threaded: use the players from one thread.
#pragma once

#include "afx/afx_port.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API CMidiPlayer {
 public:
  // The status codes above.
  static const DWORD kStarted = 0;
  static const DWORD kFileMissing = 2;
  static const DWORD kNotPlayable = 50123;
  static const DWORD kWaveFailed = 50124;
  static const DWORD kPlayAnsweredTwo = 343;

  CMidiPlayer();
  virtual ~CMidiPlayer();

  // Plays the file by its extension (case-insensitive): ".wav" with
  // PlaySoundA, asynchronously; ".mid", ".midi" and ".rmi" through the MCI
  // sequencer from its beginning. Either first stops what plays (as
  // StopSoundFile). The extension is what follows the path's last ".".
  DWORD PlaySoundFile(const char* lpszPath);
  // Plays the resource of type "WAVE" named lpszName in hModule,
  // asynchronously: 0, or 50124 when it is missing or cannot be played.
  DWORD PlaySoundResource(HINSTANCE hModule, const char* lpszName);
  // Stops any PlaySoundA sound of the process and the MIDI device.
  void StopSoundFile();
};
