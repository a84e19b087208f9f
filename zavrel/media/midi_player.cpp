#include "zavrel/media/midi_player.h"

#include "base/no_throw.h"

#include <mmsystem.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "zavrel/media/sound_test_seam.h"

namespace {

// The path of the MIDI file last opened (process-wide, shared by every
// player), and the size of the MCI command buffer.
constexpr size_t kLastPathSize = 260;
constexpr size_t kCommandSize = 300;
char g_lastMidiPath[kLastPathSize] = "";

sound_test_seam::MciSendStringFunction g_mciSendString = nullptr;

MCIERROR SendMci(const char* command) {
  const auto send = g_mciSendString != nullptr ? g_mciSendString : &::mciSendStringA;
  return send(command, nullptr, 0, nullptr);
}

// The extension after the last "." equals ext, ignoring ASCII case. The dot
// (0x2E) is never a trail byte of a double-byte character.
bool HasExtension(const char* dot, const char* ext) { return ::lstrcmpiA(dot, ext) == 0; }

// The path goes into the last-path store and, quoted, into the "open"
// command: one that does not fit or would end the quotes cannot be played.
bool FitsMciCommand(const char* lpszPath) {
  return std::strlen(lpszPath) < kLastPathSize && std::strchr(lpszPath, '"') == nullptr;
}

// Caller checked FitsMciCommand.
DWORD PlayMidi(const char* lpszPath) {
  if (std::strcmp(lpszPath, g_lastMidiPath) != 0) {
    std::memcpy(g_lastMidiPath, lpszPath, std::strlen(lpszPath) + 1);
    SendMci("close all");
    char command[kCommandSize];
    std::snprintf(command, sizeof command, "open \"%s\" type sequencer alias MidiDemo", lpszPath);
    const MCIERROR opened = SendMci(command);
    if (opened != 0) return opened;
  }
  const MCIERROR played = SendMci("play MidiDemo from 0");
  if (played == 2) return CMidiPlayer::kPlayAnsweredTwo;
  return played;
}

}  // namespace

namespace sound_test_seam {

MciSendStringFunction SetMciSendString(MciSendStringFunction fn) { return std::exchange(g_mciSendString, fn); }

}  // namespace sound_test_seam

const DWORD CMidiPlayer::kStarted;
const DWORD CMidiPlayer::kFileMissing;
const DWORD CMidiPlayer::kNotPlayable;
const DWORD CMidiPlayer::kWaveFailed;
const DWORD CMidiPlayer::kPlayAnsweredTwo;

CMidiPlayer::CMidiPlayer() {}

CMidiPlayer::~CMidiPlayer() {}

DWORD CMidiPlayer::PlaySoundFile(const char* lpszPath) {
  return NoThrow<DWORD>(kNotPlayable, [&]() -> DWORD {
    if (lpszPath == nullptr) return kNotPlayable;
    const DWORD attributes = ::GetFileAttributesA(lpszPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return kFileMissing;
    const char* dot = std::strrchr(lpszPath, '.');
    if (dot == nullptr) return kNotPlayable;
    if (HasExtension(dot, ".wav")) {
      StopSoundFile();
      return ::PlaySoundA(lpszPath, nullptr, SND_FILENAME | SND_ASYNC) ? kStarted : kWaveFailed;
    }
    if (HasExtension(dot, ".mid") || HasExtension(dot, ".midi") || HasExtension(dot, ".rmi")) {
      if (!FitsMciCommand(lpszPath)) return kNotPlayable;
      StopSoundFile();
      return PlayMidi(lpszPath);
    }
    return kNotPlayable;
  });
}

DWORD CMidiPlayer::PlaySoundResource(HINSTANCE hModule, const char* lpszName) {
  HRSRC info = ::FindResourceA(hModule, lpszName, "WAVE");
  if (info == nullptr) return kWaveFailed;
  HGLOBAL resource = ::LoadResource(hModule, info);
  if (resource == nullptr) return kWaveFailed;
  const void* wave = ::LockResource(resource);
  if (wave == nullptr || !::PlaySoundA(static_cast<const char*>(wave), nullptr, SND_MEMORY | SND_ASYNC)) {
    return kWaveFailed;
  }
  // Resources stay mapped with their module; freeing is a formality.
  ::FreeResource(resource);
  return kStarted;
}

void CMidiPlayer::StopSoundFile() {
  ::PlaySoundA(nullptr, nullptr, SND_PURGE);
  SendMci("stop MidiDemo");
}
