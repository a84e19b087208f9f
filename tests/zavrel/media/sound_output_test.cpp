// What the sound players make heard: under the test harness the one sound
// device writes every sample it plays to a file (cmake/alsa-capture.conf),
// read back here. The cases run alone (RUN_SERIAL): the file is the device's,
// one per build tree.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/testkit/testkit.h"
#include "tests/zavrel/media/sound_files.h"
#include "zavrel/media/midi_player.h"

namespace {

using sound_files::CaptureSummary;

class SoundOutputTest : public testing::Test {
 protected:
  void SetUp() override {
    m_capture = sound_files::CapturePath();
    if (m_capture.empty()) GTEST_SKIP() << "not under the test harness: no sound capture";
    DeleteFileA(m_capture.c_str());
  }
  void TearDown() override { m_player.StopSoundFile(); }

  // Waits until the device has played at least `bytes` (the file grows at
  // the pace of playing), then answers what it holds.
  CaptureSummary Heard(size_t bytes) {
    std::string captured;
    const ULONGLONG end = GetTickCount64() + 10000;
    do {
      Sleep(50);
      captured = testkit::ReadFileBytes(m_capture);
    } while (captured.size() < bytes && GetTickCount64() < end);
    return sound_files::Summarize(captured);
  }

  std::string m_capture;
  testkit::TempDir m_dir;
  CMidiPlayer m_player;
};

TEST_F(SoundOutputTest, AWaveFileIsHeardAsItsTone) {
  const auto tone = sound_files::Tone(440, 8000, 500);
  const std::string path = m_dir.file("tone.wav");
  ASSERT_TRUE(testkit::WriteFileBytes(path, sound_files::WaveFile(tone)));
  ASSERT_EQ(0u, m_player.PlaySoundFile(path.c_str()));
  const CaptureSummary heard = Heard(tone.size() * 2);
  ASSERT_GE(heard.bytes, tone.size() * 2) << "the device played less than the file";
  EXPECT_GT(heard.peak, 7000);
  EXPECT_LE(heard.peak, 8000);
  // 440 Hz: two sign changes a period, 0.5 s.
  EXPECT_NEAR(440.0, heard.signChanges / 2.0 / 0.5, 20.0);
}

TEST_F(SoundOutputTest, ASilentWaveFileIsHeardAsSilence) {
  const auto silence = sound_files::Silence(300);
  const std::string path = m_dir.file("silence.wav");
  ASSERT_TRUE(testkit::WriteFileBytes(path, sound_files::WaveFile(silence)));
  ASSERT_EQ(0u, m_player.PlaySoundFile(path.c_str()));
  const CaptureSummary heard = Heard(silence.size() * 2);
  ASSERT_GE(heard.bytes, silence.size() * 2);
  EXPECT_EQ(0, heard.peak);
}

TEST_F(SoundOutputTest, StoppingEndsTheWave) {
  const auto tone = sound_files::Tone(440, 8000, 3000);
  const std::string path = m_dir.file("long.wav");
  ASSERT_TRUE(testkit::WriteFileBytes(path, sound_files::WaveFile(tone)));
  ASSERT_EQ(0u, m_player.PlaySoundFile(path.c_str()));
  ASSERT_GT(Heard(4000).peak, 7000);
  m_player.StopSoundFile();
  // Fixed waits: the device's writer is Wine's audio thread, with no event to wait on.
  Sleep(200);
  const size_t stopped = testkit::ReadFileBytes(m_capture).size();
  Sleep(700);
  const size_t later = testkit::ReadFileBytes(m_capture).size();
  EXPECT_LT(later, tone.size() * 2) << "the whole tone was played";
  EXPECT_EQ(stopped, later) << "the device still plays after the stop";
}

TEST_F(SoundOutputTest, AWaveResourceIsHeard) {
  ASSERT_EQ(0u, m_player.PlaySoundResource(GetModuleHandleA(nullptr), "TONE"));
  // 8-bit samples of +64 and -64 (sound_player_test.rc), 0.2 s at 8000 a
  // second: 1600 bytes, or 200 periods of 1000 Hz.
  const CaptureSummary heard = Heard(1600);
  ASSERT_GE(heard.bytes, 1600u);
  std::string captured = testkit::ReadFileBytes(m_capture);
  size_t high = 0, low = 0;
  for (char c : captured) {
    if (static_cast<unsigned char>(c) == 0xC0) ++high;
    if (static_cast<unsigned char>(c) == 0x40) ++low;
  }
  EXPECT_EQ(800u, high);
  EXPECT_EQ(800u, low);
}

}  // namespace
