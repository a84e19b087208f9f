// CDxSoundPlayer on Wine's DirectMusic: the answers before Init and before a
// load, the loaded-segment map, the volume mapping, name lengths. The test
// harness gives Wine a sound device (cmake/alsa-capture.conf), so Init
// succeeds here.
#include <gtest/gtest.h>

#include <dmerror.h>

#include <string>
#include <vector>

#include "tests/testkit/testkit.h"
#include "tests/zavrel/media/sound_files.h"
#include "zavrel/media/dx_sound_player.h"
#include "zavrel/media/sound_test_seam.h"

namespace {

constexpr HRESULT kNotInitialized = static_cast<HRESULT>(0x800401F0);

struct VolumeCall {
  LONG volume;
  HRESULT result;
};
std::vector<VolumeCall> g_volumeCalls;

void RecordVolume(LONG volume, HRESULT result) { g_volumeCalls.push_back({volume, result}); }

class VolumeObserverScope {
 public:
  VolumeObserverScope() {
    g_volumeCalls.clear();
    m_previous = sound_test_seam::SetVolumeObserver(&RecordVolume);
  }
  VolumeObserverScope(const VolumeObserverScope&) = delete;
  VolumeObserverScope& operator=(const VolumeObserverScope&) = delete;
  ~VolumeObserverScope() { sound_test_seam::SetVolumeObserver(m_previous); }

 private:
  sound_test_seam::VolumeObserver m_previous;
};

class DxSoundPlayerTest : public testing::Test {
 protected:
  std::string WriteTone(const std::string& name) {
    const std::string path = m_dir.file(name);
    EXPECT_TRUE(testkit::WriteFileBytes(path, sound_files::WaveFile(sound_files::Tone(440, 8000, 200))));
    return path;
  }

  testkit::TempDir m_dir;
};

TEST_F(DxSoundPlayerTest, EveryCallBeforeInitAnswersWithoutTouchingDirectMusic) {
  CDxSoundPlayer player;
  const std::string wave = WriteTone("tone.wav");
  EXPECT_EQ(E_FAIL, player.LoadSound(wave.c_str(), false, false));
  EXPECT_EQ(kNotInitialized, player.Play());
  EXPECT_EQ(static_cast<int>(kNotInitialized), player.IsPlaying());
  EXPECT_EQ(kNotInitialized, player.Stop(nullptr, 0));
  EXPECT_EQ(kNotInitialized, player.Stop(wave.c_str(), 0));
  EXPECT_EQ(E_INVALIDARG, player.SetPosition(1.0f, 2.0f, 3.0f));
  EXPECT_EQ(kNotInitialized, player.SetRepeats(2));
}

TEST_F(DxSoundPlayerTest, PlayAndIsPlayingNeedALoadedSegmentAfterInit) {
  CDxSoundPlayer player;
  ASSERT_EQ(S_OK, player.Init(nullptr, false));
  EXPECT_EQ(kNotInitialized, player.Play());
  EXPECT_EQ(static_cast<int>(kNotInitialized), player.IsPlaying());
  EXPECT_EQ(kNotInitialized, player.Stop(nullptr, 0));
  EXPECT_EQ(kNotInitialized, player.SetRepeats(1));
  EXPECT_EQ(E_FAIL, player.LoadSound(nullptr, false, false));
}

TEST_F(DxSoundPlayerTest, LoadingTheSameNameTwiceReadsTheFileOnce) {
  CDxSoundPlayer player;
  ASSERT_EQ(S_OK, player.Init(nullptr, false));
  const std::string wave = WriteTone("tone.wav");
  ASSERT_EQ(S_OK, player.LoadSound(wave.c_str(), true, false));
  // Gone from the disk: only the map can answer the second load.
  ASSERT_TRUE(DeleteFileA(wave.c_str()));
  EXPECT_EQ(S_OK, player.LoadSound(wave.c_str(), true, false));
  EXPECT_EQ(S_OK, player.Play());
  const int playing = player.IsPlaying();
  EXPECT_TRUE(playing == 0 || playing == 1) << playing;
  // A name the map does not hold is read from the disk.
  const std::string other = m_dir.file("other.wav");
  EXPECT_EQ(DMUS_E_LOADER_FAILEDOPEN, player.LoadSound(other.c_str(), false, false));
}

TEST_F(DxSoundPlayerTest, AFailedLoadLeavesNoCurrentSegment) {
  CDxSoundPlayer player;
  ASSERT_EQ(S_OK, player.Init(nullptr, false));
  const std::string wave = WriteTone("tone.wav");
  ASSERT_EQ(S_OK, player.LoadSound(wave.c_str(), false, false));
  EXPECT_NE(S_OK, player.LoadSound(m_dir.file("missing.wav").c_str(), false, false));
  EXPECT_EQ(kNotInitialized, player.Play());
  EXPECT_EQ(kNotInitialized, player.SetRepeats(1));
  // The loaded file can be selected again.
  EXPECT_EQ(S_OK, player.LoadSound(wave.c_str(), false, false));
  EXPECT_EQ(S_OK, player.SetRepeats(1));
  EXPECT_EQ(S_OK, player.Play());
}

TEST_F(DxSoundPlayerTest, StopByNameStopsOnlyLoadedFiles) {
  CDxSoundPlayer player;
  ASSERT_EQ(S_OK, player.Init(nullptr, false));
  const std::string first = WriteTone("first.wav");
  const std::string second = WriteTone("second.wav");
  ASSERT_EQ(S_OK, player.LoadSound(first.c_str(), false, false));
  ASSERT_EQ(S_OK, player.LoadSound(second.c_str(), false, false));
  ASSERT_EQ(S_OK, player.Play());
  EXPECT_EQ(S_OK, player.Stop(m_dir.file("never-loaded.wav").c_str(), 0));
  EXPECT_EQ(S_OK, player.Stop(first.c_str(), 0));
  EXPECT_EQ(S_OK, player.Stop(nullptr, 0));
}

TEST_F(DxSoundPlayerTest, PositionNeedsThe3DPathAndALoadedSegment) {
  const std::string wave = WriteTone("tone.wav");
  {
    CDxSoundPlayer flat;
    ASSERT_EQ(S_OK, flat.Init(nullptr, false));
    ASSERT_EQ(S_OK, flat.LoadSound(wave.c_str(), false, false));
    EXPECT_EQ(E_INVALIDARG, flat.SetPosition(1.0f, 0.0f, 0.0f));
  }
  CDxSoundPlayer spatial;
  ASSERT_EQ(S_OK, spatial.Init(nullptr, true));
  EXPECT_EQ(E_INVALIDARG, spatial.SetPosition(1.0f, 0.0f, 0.0f));
  ASSERT_EQ(S_OK, spatial.LoadSound(wave.c_str(), true, false));
  EXPECT_EQ(S_OK, spatial.SetPosition(1.0f, -2.0f, 0.5f));
  EXPECT_EQ(S_OK, spatial.Play());
  // Destroyed with a downloaded segment on the 3D path.
}

TEST_F(DxSoundPlayerTest, MidiFilesLoadAsStandardMidiSegments) {
  CDxSoundPlayer player;
  ASSERT_EQ(S_OK, player.Init(nullptr, false));
  const std::string midi = m_dir.file("song.mid");
  ASSERT_TRUE(testkit::WriteFileBytes(midi, sound_files::MidiFile()));
  ASSERT_EQ(S_OK, player.LoadSound(midi.c_str(), true, true));
  EXPECT_EQ(S_OK, player.SetRepeats(3));
  EXPECT_EQ(S_OK, player.Play());
}

TEST_F(DxSoundPlayerTest, InitAgainClosesTheFirstEngineAndForgetsItsSegments) {
  CDxSoundPlayer player;
  ASSERT_EQ(S_OK, player.Init(nullptr, true));
  const std::string wave = WriteTone("tone.wav");
  ASSERT_EQ(S_OK, player.LoadSound(wave.c_str(), true, false));
  ASSERT_EQ(S_OK, player.Init(nullptr, false));
  EXPECT_EQ(kNotInitialized, player.Play());
  ASSERT_TRUE(DeleteFileA(wave.c_str()));
  EXPECT_EQ(DMUS_E_LOADER_FAILEDOPEN, player.LoadSound(wave.c_str(), false, false));
}

// The loader's name buffer holds 259 UTF-16 characters and a terminator.
TEST_F(DxSoundPlayerTest, NamesThatDoNotFitTheLoadersBufferAreRefused) {
  CDxSoundPlayer player;
  ASSERT_EQ(S_OK, player.Init(nullptr, false));
  const std::string fits = "C:\\" + std::string(256, 'a');  // 259 characters
  EXPECT_EQ(DMUS_E_LOADER_FAILEDOPEN, player.LoadSound(fits.c_str(), false, false));
  const std::string tooLong = fits + "b";
  EXPECT_EQ(E_FAIL, player.LoadSound(tooLong.c_str(), false, false));
  EXPECT_EQ(E_FAIL, player.LoadSound(std::string(5000, 'x').c_str(), false, false));
  // Counted in characters, not bytes: 200 double-byte characters fit.
  std::string wide = "C:\\";
  for (int i = 0; i < 200; ++i) wide += "声";
  ASSERT_EQ(403u, wide.size());
  EXPECT_EQ(DMUS_E_LOADER_FAILEDOPEN, player.LoadSound(wide.c_str(), false, false));
}

TEST_F(DxSoundPlayerTest, VolumeIsMappedToHundredthsOfADecibel) {
  VolumeObserverScope observe;
  CDxSoundPlayer player;
  player.SetVolume(50);
  ASSERT_EQ(1u, g_volumeCalls.size());
  EXPECT_EQ(-5000, g_volumeCalls[0].volume);
  EXPECT_EQ(kNotInitialized, g_volumeCalls[0].result) << "no volume buffer before Init";

  ASSERT_EQ(S_OK, player.Init(nullptr, false));
  g_volumeCalls.clear();
  static const struct {
    int volume;
    LONG expected;
  } kCases[] = {{0, -10000}, {50, -5000}, {99, -100}, {100, 0}, {-5, -10000}, {1000, 0}, {1, -9900}};
  for (const auto& c : kCases) player.SetVolume(c.volume);
  ASSERT_EQ(sizeof kCases / sizeof kCases[0], g_volumeCalls.size());
  for (size_t i = 0; i < g_volumeCalls.size(); ++i) {
    EXPECT_EQ(kCases[i].expected, g_volumeCalls[i].volume) << "volume " << kCases[i].volume;
    EXPECT_EQ(S_OK, g_volumeCalls[i].result) << "volume " << kCases[i].volume;
  }
}

TEST_F(DxSoundPlayerTest, The3DPathsBufferTakesTheVolume) {
  VolumeObserverScope observe;
  CDxSoundPlayer player;
  ASSERT_EQ(S_OK, player.Init(nullptr, true));
  player.SetVolume(25);
  ASSERT_EQ(1u, g_volumeCalls.size());
  EXPECT_EQ(-7500, g_volumeCalls[0].volume);
  EXPECT_EQ(S_OK, g_volumeCalls[0].result);
}

}  // namespace
