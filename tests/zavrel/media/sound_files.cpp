#include "tests/zavrel/media/sound_files.h"

#include <windows.h>

#include <cmath>
#include <cstdlib>

namespace sound_files {

namespace {

void Put16(std::string& out, unsigned value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string& out, unsigned long value) {
  Put16(out, static_cast<unsigned>(value & 0xFFFF));
  Put16(out, static_cast<unsigned>(value >> 16));
}

void Put32BigEndian(std::string& out, unsigned long value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

}  // namespace

std::string WaveFile(const std::vector<std::int16_t>& samples) {
  const unsigned long dataBytes = static_cast<unsigned long>(samples.size() * 2);
  std::string out = "RIFF";
  Put32(out, 36 + dataBytes);
  out += "WAVEfmt ";
  Put32(out, 16);
  Put16(out, 1);  // PCM
  Put16(out, 1);  // mono
  Put32(out, kWaveRate);
  Put32(out, kWaveRate * 2);  // bytes per second
  Put16(out, 2);              // block align
  Put16(out, 16);             // bits per sample
  out += "data";
  Put32(out, dataBytes);
  for (std::int16_t sample : samples) Put16(out, static_cast<std::uint16_t>(sample));
  return out;
}

std::vector<std::int16_t> Tone(int hertz, int amplitude, int milliseconds) {
  std::vector<std::int16_t> samples(static_cast<size_t>(kWaveRate) * milliseconds / 1000);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<std::int16_t>(amplitude * std::sin(2 * 3.14159265358979 * hertz * i / kWaveRate));
  }
  return samples;
}

std::vector<std::int16_t> Silence(int milliseconds) {
  return std::vector<std::int16_t>(static_cast<size_t>(kWaveRate) * milliseconds / 1000, 0);
}

std::string MidiFile() {
  // Program change to piano, note on (middle C), a quarter note later note
  // off, end of track; 96 ticks a quarter note.
  static const unsigned char track[] = {0x00, 0xC0, 0x00, 0x00, 0x90, 0x3C, 0x64, 0x60,
                                        0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00};
  std::string out = "MThd";
  Put32BigEndian(out, 6);
  out += std::string("\x00\x00\x00\x01\x00\x60", 6);  // format 0, one track, 96 ticks
  out += "MTrk";
  Put32BigEndian(out, sizeof track);
  out.append(reinterpret_cast<const char*>(track), sizeof track);
  return out;
}

std::string CapturePath() {
  char unixPath[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA("ZAVREL_SOUND_CAPTURE", unixPath, sizeof unixPath);
  if (length == 0 || length >= sizeof unixPath || unixPath[0] != '/') return std::string();
  // Wine's drive Z: is the Unix root.
  std::string path = "Z:";
  for (const char* p = unixPath; *p != '\0'; ++p) path.push_back(*p == '/' ? '\\' : *p);
  return path;
}

CaptureSummary Summarize(const std::string& bytes) {
  CaptureSummary summary;
  summary.bytes = bytes.size();
  int previousSign = 0;
  size_t first = 0, last = 0;
  bool any = false;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const int sample = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (std::abs(sample) > summary.peak) summary.peak = std::abs(sample);
    if (sample == 0) continue;
    if (!any) first = i / 2;
    any = true;
    last = i / 2;
    const int sign = sample > 0 ? 1 : -1;
    if (previousSign != 0 && sign != previousSign) ++summary.signChanges;
    previousSign = sign;
  }
  summary.samples = any ? last - first + 1 : 0;
  return summary;
}

}  // namespace sound_files
