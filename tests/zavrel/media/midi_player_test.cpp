// CMidiPlayer: the status codes, the MCI command strings it sends (recorded
// through the test seam, answered by Wine's MCI unless a case answers for
// it), the process-wide MIDI device, and wave resources.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tests/testkit/testkit.h"
#include "tests/zavrel/media/sound_files.h"
#include "zavrel/media/midi_player.h"
#include "zavrel/media/sound_test_seam.h"

namespace {

std::vector<std::string> g_commands;
// Answers by the command's first word instead of MCI's (for the "open" or
// "play" answers a machine cannot be made to give).
std::map<std::string, MCIERROR> g_answers;

MCIERROR WINAPI RecordMci(LPCSTR command, LPSTR ret, UINT retLength, HWND callback) {
  g_commands.push_back(command);
  const std::string verb = std::string(command).substr(0, std::string(command).find(' '));
  auto answer = g_answers.find(verb);
  if (answer != g_answers.end()) return answer->second;
  return mciSendStringA(command, ret, retLength, callback);
}

std::string OpenCommand(const std::string& path) { return "open \"" + path + "\" type sequencer alias MidiDemo"; }

class MidiPlayerTest : public testing::Test {
 protected:
  MidiPlayerTest() {
    g_commands.clear();
    g_answers.clear();
    m_previous = sound_test_seam::SetMciSendString(&RecordMci);
  }
  ~MidiPlayerTest() override {
    m_player.StopSoundFile();
    mciSendStringA("close all", nullptr, 0, nullptr);
    sound_test_seam::SetMciSendString(m_previous);
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = m_dir.file(name);
    EXPECT_TRUE(testkit::WriteFileBytes(path, bytes));
    return path;
  }
  std::string WriteMidi(const std::string& name) { return Write(name, sound_files::MidiFile()); }
  std::string WriteWave(const std::string& name) {
    return Write(name, sound_files::WaveFile(sound_files::Tone(440, 8000, 100)));
  }

  testkit::TempDir m_dir;
  CMidiPlayer m_player;

 private:
  sound_test_seam::MciSendStringFunction m_previous;
};

TEST_F(MidiPlayerTest, PathsThatAreNotPlayedAnswerWithoutSendingACommand) {
  EXPECT_EQ(50123u, m_player.PlaySoundFile(nullptr));
  EXPECT_EQ(2u, m_player.PlaySoundFile(m_dir.file("missing.mid").c_str()));
  EXPECT_EQ(2u, m_player.PlaySoundFile(m_dir.path().string().c_str()));
  CreateDirectoryA(m_dir.file("folder.mid").c_str(), nullptr);
  EXPECT_EQ(2u, m_player.PlaySoundFile(m_dir.file("folder.mid").c_str()));
  EXPECT_EQ(50123u, m_player.PlaySoundFile(Write("song.mp3", sound_files::MidiFile()).c_str()));
  EXPECT_EQ(50123u, m_player.PlaySoundFile(Write("song", sound_files::MidiFile()).c_str()));
  // The extension is what follows the last dot of the whole path.
  CreateDirectoryA(m_dir.file("dir.mid").c_str(), nullptr);
  EXPECT_EQ(50123u, m_player.PlaySoundFile(Write("dir.mid\\song", sound_files::MidiFile()).c_str()));
  EXPECT_EQ(50123u, m_player.PlaySoundFile(Write("song.mid.txt", sound_files::MidiFile()).c_str()));
  EXPECT_TRUE(g_commands.empty()) << g_commands.front();
}

TEST_F(MidiPlayerTest, MidiExtensionsInAnyCaseOpenTheSequencer) {
  const std::string upper = WriteMidi("SONG.MID");
  EXPECT_EQ(0u, m_player.PlaySoundFile(upper.c_str()));
  const std::string midi = WriteMidi("song.Midi");
  EXPECT_EQ(0u, m_player.PlaySoundFile(midi.c_str()));
  const std::string rmi = WriteMidi("song.rmi");
  const DWORD rmiStatus = m_player.PlaySoundFile(rmi.c_str());
  const std::vector<std::string> expected = {
      "stop MidiDemo", "close all", OpenCommand(upper), "play MidiDemo from 0",
      "stop MidiDemo", "close all", OpenCommand(midi),  "play MidiDemo from 0",
      "stop MidiDemo", "close all", OpenCommand(rmi),
  };
  ASSERT_GE(g_commands.size(), expected.size());
  EXPECT_EQ(expected, std::vector<std::string>(g_commands.begin(), g_commands.begin() + expected.size()));
  // A MIDI file named .rmi is not a RIFF MIDI file: MCI may refuse it.
  if (rmiStatus == 0) {
    EXPECT_EQ("play MidiDemo from 0", g_commands.back());
  }
}

TEST_F(MidiPlayerTest, TheSameMidiFileTwiceRestartsWithoutReopening) {
  const std::string song = WriteMidi("song.mid");
  ASSERT_EQ(0u, m_player.PlaySoundFile(song.c_str()));
  g_commands.clear();
  EXPECT_EQ(0u, m_player.PlaySoundFile(song.c_str()));
  const std::vector<std::string> again = {"stop MidiDemo", "play MidiDemo from 0"};
  EXPECT_EQ(again, g_commands);

  // Another player object shares the device and the last path.
  CMidiPlayer other;
  g_commands.clear();
  EXPECT_EQ(0u, other.PlaySoundFile(song.c_str()));
  EXPECT_EQ(again, g_commands);

  // The path is compared with its case: another spelling reopens.
  const std::string upper = m_dir.file("SONG.mid");
  g_commands.clear();
  EXPECT_EQ(0u, m_player.PlaySoundFile(upper.c_str()));
  const std::vector<std::string> reopen = {"stop MidiDemo", "close all", OpenCommand(upper), "play MidiDemo from 0"};
  EXPECT_EQ(reopen, g_commands);
}

TEST_F(MidiPlayerTest, AFailedOpenIsRememberedAsTheLastPath) {
  // Not a MIDI file: Wine's sequencer refuses to open it.
  const std::string broken = Write("broken.mid", "this is no MIDI file");
  const DWORD opened = m_player.PlaySoundFile(broken.c_str());
  EXPECT_NE(0u, opened);
  const std::vector<std::string> first = {"stop MidiDemo", "close all", OpenCommand(broken)};
  EXPECT_EQ(first, g_commands);

  g_commands.clear();
  const DWORD played = m_player.PlaySoundFile(broken.c_str());
  const std::vector<std::string> second = {"stop MidiDemo", "play MidiDemo from 0"};
  EXPECT_EQ(second, g_commands);
  EXPECT_NE(0u, played) << "no device has the alias";

  // A good file afterwards opens afresh.
  const std::string song = WriteMidi("song.mid");
  g_commands.clear();
  EXPECT_EQ(0u, m_player.PlaySoundFile(song.c_str()));
  EXPECT_EQ(OpenCommand(song), g_commands.at(2));
}

TEST_F(MidiPlayerTest, OpenAndPlayErrorsAreAnsweredAsTheyCome) {
  const std::string song = WriteMidi("song.mid");
  g_answers["open"] = MCIERR_INVALID_FILE;
  EXPECT_EQ(static_cast<DWORD>(MCIERR_INVALID_FILE), m_player.PlaySoundFile(song.c_str()));
  g_answers.clear();
  g_answers["play"] = 2;
  EXPECT_EQ(343u, m_player.PlaySoundFile(song.c_str()));
  g_answers["play"] = MCIERR_DEVICE_NOT_READY;
  EXPECT_EQ(static_cast<DWORD>(MCIERR_DEVICE_NOT_READY), m_player.PlaySoundFile(song.c_str()));
  g_answers["play"] = 0;
  EXPECT_EQ(0u, m_player.PlaySoundFile(song.c_str()));
}

// The last path is kept in 260 bytes and the open command in 300: a longer
// path (double-byte characters make one within the system's 259 characters)
// is refused before anything is stopped or sent.
TEST_F(MidiPlayerTest, MidiPathsLongerThanTheCommandBuffersAreRefused) {
  // Folders of double-byte names, each well within a file system's limit.
  std::string dir = m_dir.path().string();
  std::string name;
  for (int i = 0; i < 40; ++i) name += "音";
  while (dir.size() < 200) {
    dir += "\\" + name;
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr)) << GetLastError();
  }
  const auto pathOfLength = [&](size_t bytes) {
    std::string path = dir + "\\";
    path += std::string(bytes - path.size() - 4, 'm') + ".mid";
    return path;
  };
  const std::string fits = pathOfLength(259);
  const std::string tooLong = pathOfLength(260);
  ASSERT_TRUE(testkit::WriteFileBytes(fits, sound_files::MidiFile()));
  ASSERT_TRUE(testkit::WriteFileBytes(tooLong, sound_files::MidiFile()));
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(tooLong.c_str())) << "the system takes the path";

  EXPECT_EQ(0u, m_player.PlaySoundFile(fits.c_str()));
  EXPECT_EQ(OpenCommand(fits), g_commands.at(2));
  g_commands.clear();
  EXPECT_EQ(50123u, m_player.PlaySoundFile(tooLong.c_str()));
  EXPECT_TRUE(g_commands.empty()) << g_commands.front();
  // Still the last path: playing it again only restarts it.
  EXPECT_EQ(0u, m_player.PlaySoundFile(fits.c_str()));
  const std::vector<std::string> again = {"stop MidiDemo", "play MidiDemo from 0"};
  EXPECT_EQ(again, g_commands);
}

TEST_F(MidiPlayerTest, AQuoteInAMidiPathIsNeverSentToMci) {
  const std::string quoted = m_dir.file("a\" b.mid");
  testkit::WriteFileBytes(quoted, sound_files::MidiFile());
  const DWORD status = m_player.PlaySoundFile(quoted.c_str());
  // The system may refuse such a name (2); where it takes it, the player does.
  EXPECT_TRUE(status == 2 || status == 50123) << status;
  EXPECT_TRUE(g_commands.empty()) << g_commands.front();
}

TEST_F(MidiPlayerTest, WaveFilesPlayWithoutMci) {
  const std::string wave = WriteWave("ding.WAV");
  EXPECT_EQ(0u, m_player.PlaySoundFile(wave.c_str()));
  // A wave file stops the MIDI device first.
  const std::vector<std::string> expected = {"stop MidiDemo"};
  EXPECT_EQ(expected, g_commands);
}

TEST_F(MidiPlayerTest, WaveResourcesOfAModulePlay) {
  HMODULE self = GetModuleHandleA(nullptr);
  EXPECT_EQ(0u, m_player.PlaySoundResource(self, "TONE"));
  EXPECT_EQ(50124u, m_player.PlaySoundResource(self, "NO_SUCH_SOUND"));
  // A resource of that name but of another type is not a wave.
  EXPECT_EQ(50124u, m_player.PlaySoundResource(self, "NOT_A_WAVE"));
}

}  // namespace
