// Sound files the sound player tests write for themselves, and what the
// test harness's sound device captured (cmake/alsa-capture.conf).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sound_files {

constexpr int kWaveRate = 22050;

// A mono 16-bit PCM WAV file image at kWaveRate holding these samples.
std::string WaveFile(const std::vector<std::int16_t>& samples);
// A sine tone of the given frequency, amplitude and length.
std::vector<std::int16_t> Tone(int hertz, int amplitude, int milliseconds);
// Silence: samples of value 0.
std::vector<std::int16_t> Silence(int milliseconds);

// A standard MIDI file (format 0) that plays middle C for a quarter note.
std::string MidiFile();

// The Windows path of the file the harness's sound device writes every
// played sample to, unchanged; empty when the program does not run under the
// harness (no ZAVREL_SOUND_CAPTURE).
std::string CapturePath();

// What a capture holds, read as 16-bit little-endian samples (the format the
// wave files above are played in).
struct CaptureSummary {
  size_t bytes = 0;
  int peak = 0;            // largest absolute sample
  size_t signChanges = 0;  // between successive samples that are not 0
  size_t samples = 0;      // from the first sample that is not 0 to the last
};
CaptureSummary Summarize(const std::string& bytes);

}  // namespace sound_files
