// CDxSoundPlayer on a system without a sound device: this program runs
// with ZAVREL_SOUND_DEVICE=none, for which the test harness gives Wine an
// ALSA configuration without devices.
#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <vector>

#include "zavrel/media/dx_sound_player.h"
#include "zavrel/media/sound_test_seam.h"

namespace {

std::vector<HRESULT> g_volumeResults;

void RecordVolume(LONG, HRESULT result) { g_volumeResults.push_back(result); }

class NoSoundDeviceTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(0u, waveOutGetNumDevs()) << "the harness left a sound device"; }
};

TEST_F(NoSoundDeviceTest, InitAnswersTheAudioInitialisationsFailure) {
  const auto previous = sound_test_seam::SetVolumeObserver(&RecordVolume);
  {
    CDxSoundPlayer player;
    const HRESULT hr = player.Init(nullptr, true);
    // DSERR_NODRIVER on Windows; Wine answers E_INVALIDARG.
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_NE(E_FAIL, hr) << "the loader and the performance were made";
    EXPECT_EQ(E_INVALIDARG, player.SetPosition(0.0f, 1.0f, 0.0f));
    player.SetVolume(40);
  }
  sound_test_seam::SetVolumeObserver(previous);
  ASSERT_EQ(1u, g_volumeResults.size());
  EXPECT_EQ(CO_E_NOTINITIALIZED, g_volumeResults[0]) << "no volume buffer without audio";
}

}  // namespace
