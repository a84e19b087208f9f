// The rank manager reading "Rank.ini" through Dravik's INI reader.
#include "zavrelcom/rank/game_rank_manager.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/testkit/testkit.h"

namespace {

class GameRankManager : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, CreateComponent<CGameRankManager>(IID_IGameRankManager, reinterpret_cast<void**>(&ranks)));
  }
  void TearDown() override {
    if (ranks) {
      EXPECT_EQ(0u, ranks->Release());
    }
  }
  void WriteRanks(const std::string& body) {
    ASSERT_TRUE(testkit::WriteFileBytes(dir.file("Rank.ini"), "[Other]\r\nTop=99999\r\n[Rank]\r\n" + body));
  }
  std::string Title(long score) {
    const tagGameRank* r = ranks->GetRank(score);
    return r ? r->szTitle : "<null>";
  }
  testkit::TempDir dir;
  IGameRankManager* ranks = nullptr;
};

}  // namespace

TEST_F(GameRankManager, NewManagerAnswersNull) { EXPECT_EQ(nullptr, ranks->GetRank(0)); }

TEST_F(GameRankManager, HighestReachedTitleWithTrailingBackslashOrWithout) {
  WriteRanks("Novice=0\r\nExpert=500\r\nMaster=1000\r\n");
  for (const std::string& folder : {dir.path().string(), dir.path().string() + "\\"}) {
    SCOPED_TRACE(folder);
    ranks->LoadRanks(folder.c_str());
    EXPECT_EQ("Master", Title(1000));
    EXPECT_EQ("Master", Title(2000000000));
    EXPECT_EQ("Expert", Title(999));
    EXPECT_EQ("Expert", Title(500));
    EXPECT_EQ("Novice", Title(499));
    EXPECT_EQ("Novice", Title(0));
    EXPECT_EQ("Novice", Title(-7));
    const tagGameRank* master = ranks->GetRank(1000);
    ASSERT_NE(nullptr, master);
    EXPECT_EQ(1000, master->lScore);
  }
}

TEST_F(GameRankManager, SignedSpacedAndTrailingTextThresholds) {
  WriteRanks("Twelve=12abc\r\nBelow=  -30\r\nPlus= +20 ;note\r\nWord=none\r\n");
  ranks->LoadRanks(dir.path().string().c_str());
  EXPECT_EQ(20, ranks->GetRank(20)->lScore);
  EXPECT_EQ("Plus", Title(25));
  EXPECT_EQ("Twelve", Title(19));
  EXPECT_EQ(12, ranks->GetRank(12)->lScore);
  EXPECT_EQ("Word", Title(0));  // a text without digits reads as 0
  EXPECT_EQ("Below", Title(-1));
  EXPECT_EQ("Below", Title(-1000));
  EXPECT_EQ(-30, ranks->GetRank(-1000)->lScore);
}

TEST_F(GameRankManager, LongTitlesAreCutTo31Bytes) {
  const std::string ascii40 = "abcdefghijklmnopqrstuvwxyz0123456789ABCD";
  WriteRanks(ascii40 + "=10\r\n");
  ranks->LoadRanks(dir.path().string().c_str());
  EXPECT_EQ(ascii40.substr(0, 31), Title(10));
}

TEST_F(GameRankManager, CutNeverSplitsAGbkCharacter) {
  // 16 double-byte characters ("中" = D6 D0, 32 bytes): byte 31 is the lead
  // byte of the 16th, so the cut falls one byte earlier, after 15.
  std::string title;
  for (int i = 0; i < 16; ++i) title += "\xD6\xD0";
  // "a" and the same 16: the first 31 bytes hold 15 whole characters.
  WriteRanks(title + "=5\r\na" + title + "=6\r\n");
  ranks->LoadRanks(dir.path().string().c_str());
  EXPECT_EQ(title.substr(0, 30), Title(5));
  EXPECT_EQ("a" + title.substr(0, 30), Title(6));
}

TEST_F(GameRankManager, ReloadWithoutTheFileEmptiesTheTable) {
  WriteRanks("Novice=0\r\n");
  ranks->LoadRanks(dir.path().string().c_str());
  ASSERT_EQ("Novice", Title(3));
  testkit::TempDir empty;
  ranks->LoadRanks(empty.path().string().c_str());
  EXPECT_EQ(nullptr, ranks->GetRank(3));
  ranks->LoadRanks(dir.path().string().c_str());
  EXPECT_EQ("Novice", Title(3));
  ranks->LoadRanks(nullptr);
  EXPECT_EQ(nullptr, ranks->GetRank(3));
}
