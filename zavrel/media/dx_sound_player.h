// CDxSoundPlayer: sound effects and music through DirectMusic (COM).
//
// Init creates a loader and a performance with a default stereo audio path,
// and optionally a 3D audio path whose position SetPosition moves. LoadSound
// loads a file as a segment once and makes it current; later loads of the
// same name only select it again. Play, IsPlaying and SetRepeats act on the
// current segment; Stop stops one loaded file by name, or everything.
// Segments stay loaded until the player is destroyed. Windows only.
//
// Results are COM status codes; nothing is thrown or shown. Calls before a
// successful Init and LoadSound answer CO_E_NOTINITIALIZED (0x800401F0).
// Without a sound device, Init answers the audio initialisation's failure
// (DSERR_NODRIVER, 0x88780078, on Windows).
//
// Single-threaded: use a player from the thread that created it. The
// constructor initialises COM on that thread (apartment) and the destructor
// ends it when that succeeded.
#pragma once

#include "afx/afx_port.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API CDxSoundPlayer {
 public:
  // Creates the engine and initialises COM on this thread.
  CDxSoundPlayer();
  // Unloads every segment, closes the performance and ends COM (when the
  // constructor started it). Not virtual: the player is not a base class.
  ~CDxSoundPlayer();
  // The player owns its engine alone: it is neither copied nor assigned.
  CDxSoundPlayer(const CDxSoundPlayer&) = delete;
  CDxSoundPlayer& operator=(const CDxSoundPlayer&) = delete;

  // Creates the loader (E_FAIL when it cannot be made) and the performance
  // (its creation status on failure), and initialises audio with hWnd, the
  // default dynamic stereo path, 128 channels and every audio feature
  // (InitAudio's status on failure). With b3D also creates a dynamic 3D
  // audio path, takes its 3D buffer and places it at (0, 0, 0); a failure
  // there answers its status. 0 on success. A second Init first unloads and
  // closes what the first one made.
  HRESULT Init(HWND hWnd, bool b3D);
  // Loads lpszFileName (ANSI code page) as a segment and makes it current;
  // a name loaded before is only made current again (the file is not read).
  // With bMidi the segment is told it holds a standard MIDI file; with
  // bDownload its instruments and waves are downloaded to the performance.
  // E_FAIL without Init, for a null name, or for a name longer than 259
  // UTF-16 characters (or not valid in the code page); the loader's status
  // when the file cannot be loaded (no current segment is left then).
  HRESULT LoadSound(const char* lpszFileName, bool bDownload, bool bMidi);
  // Plays the current segment with the play mode's flags, on the 3D path
  // when there is one: PlaySegmentEx's status.
  HRESULT Play();
  // 1 while the current segment plays, 0 when not, CO_E_NOTINITIALIZED
  // before a segment is loaded.
  int IsPlaying();
  // Stops the named loaded file, or everything with a null name, with the
  // given stop flags: the performance's status. A name never loaded answers
  // 0 and stops nothing; CO_E_NOTINITIALIZED before a segment is loaded.
  HRESULT Stop(const char* lpszFileName, DWORD dwFlags);
  // Moves the 3D buffer at once: E_INVALIDARG without a 3D path or before a
  // segment is loaded; the buffer's status when it fails, else 0.
  HRESULT SetPosition(float x, float y, float z);
  // The current segment's repeat count: its status, CO_E_NOTINITIALIZED
  // without a current segment.
  HRESULT SetRepeats(DWORD dwRepeats);
  // The segment flags of later plays (DMUS_SEGF_SECONDARY, 0x80, at first).
  void SetPlayMode(DWORD dwFlags);
  // Volume from 0 (silent, -10000 hundredths of a decibel) to 100 (full, 0),
  // linear in hundredths of a decibel in between; values outside are
  // clamped. It goes to the DirectSound buffer of the audio path that plays
  // (the 3D path when there is one), taken by Init; before a successful Init
  // nothing changes.
  void SetVolume(int nVolume);

 private:
  class Engine;
  Engine* m_pEngine;
};
