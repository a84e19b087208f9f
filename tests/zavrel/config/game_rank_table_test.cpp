// CGameRankTable over rank files in a directory of the test's own.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "tests/testkit/testkit.h"
#include "zavrel/component/interface_ids.h"
#include "zavrel/config/game_rank_table.h"

namespace {

#ifdef _WIN32
const char kSep[] = "\\";
#else
const char kSep[] = "/";
#endif

const char kThreeRanks[] = "[GameRank]\nNovice=0\nMaster=1000\nExpert=500\n";

class GameRankTableTest : public ::testing::Test {
 protected:
  std::string Base() const { return m_dir.path().string() + kSep; }
  // Writes folder/GameRank.ini ("" for the default table).
  void WriteRanks(const std::string& folder, const std::string& content) {
    std::filesystem::path dir = m_dir.path();
    if (!folder.empty()) dir /= folder;
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(testkit::WriteFileBytes((dir / "GameRank.ini").string(), content));
  }
  void RemoveRanks(const std::string& folder) {
    std::filesystem::path dir = m_dir.path();
    if (!folder.empty()) dir /= folder;
    std::filesystem::remove(dir / "GameRank.ini");
  }
  // The title as a string; "(null)" for a null answer.
  static std::string Title(IGameRankTable& table, WORD game, std::int64_t score) {
    const char* title = table.GetRankTitle(game, score);
    return title ? title : "(null)";
  }

  testkit::TempDir m_dir;
};

}  // namespace

TEST_F(GameRankTableTest, LooksUpTheHighestThresholdReached) {
  WriteRanks("", kThreeRanks);
  CGameRankTable table(Base());
  EXPECT_EQ("Master", Title(table, 0, 1000));
  EXPECT_EQ("Master", Title(table, 0, 4294967296LL));
  EXPECT_EQ("Master", Title(table, 0, INT64_MAX));
  EXPECT_EQ("Expert", Title(table, 0, 999));
  EXPECT_EQ("Expert", Title(table, 0, 500));
  EXPECT_EQ("Novice", Title(table, 0, 499));
  EXPECT_EQ("Novice", Title(table, 0, 0));
  EXPECT_EQ("Novice", Title(table, 0, -1));
  EXPECT_EQ("Novice", Title(table, 0, INT64_MIN));
  // A game never added is answered from the default table.
  EXPECT_EQ("Expert", Title(table, 77, 600));
}

TEST_F(GameRankTableTest, ThresholdsAreUnsigned32BitDecimal) {
  // "12abc" is not a plain unsigned number: threshold 0. The highest
  // threshold a file can hold is 2^32 - 1.
  WriteRanks("", "[GameRank]\nLow=12abc\nTop=4294967295\nMid=12\n");
  CGameRankTable table(Base());
  EXPECT_EQ("Top", Title(table, 0, 4294967296LL));
  EXPECT_EQ("Top", Title(table, 0, 4294967295LL));
  EXPECT_EQ("Mid", Title(table, 0, 4294967294LL));
  EXPECT_EQ("Mid", Title(table, 0, 12));
  EXPECT_EQ("Low", Title(table, 0, 11));
  EXPECT_EQ("Low", Title(table, 0, 0));
  EXPECT_EQ("Low", Title(table, 0, -1));
}

TEST_F(GameRankTableTest, GameTablesAreReadLazilyAndRetriedWhileMissing) {
  WriteRanks("", kThreeRanks);
  CGameRankTable table(Base());
  table.AddGameRank(12, "chess");
  // No file in the folder yet: the default table answers.
  EXPECT_EQ("Expert", Title(table, 12, 700));
  WriteRanks("chess", "[GameRank]\nPawn=0\nKing=600\n");
  EXPECT_EQ("King", Title(table, 12, 700));
  EXPECT_EQ("Pawn", Title(table, 12, -1));
  EXPECT_EQ("King", Title(table, 12, 4294967296LL));
  // Read once: a changed file is not read again...
  const char* king = table.GetRankTitle(12, 700);
  WriteRanks("chess", "[GameRank]\nRook=0\nQueen=100\n");
  EXPECT_EQ("King", Title(table, 12, 700));
  // ...until the game is added again. The title handed out before stays
  // readable until the table is read again.
  table.AddGameRank(12, "chess");
  EXPECT_STREQ("King", king);
  EXPECT_EQ("Queen", Title(table, 12, 700));
  // Another folder for the same game.
  WriteRanks("go", "[GameRank]\nDan=0\n");
  table.AddGameRank(12, "go");
  EXPECT_EQ("Dan", Title(table, 12, 700));
  // A file without ranks counts as unreadable.
  WriteRanks("empty", "[GameRank]\n[Other]\nA=1\n");
  table.AddGameRank(13, "empty");
  EXPECT_EQ("Novice", Title(table, 13, 1));
}

TEST_F(GameRankTableTest, TitlesStayPutWhileOtherTablesChange) {
  WriteRanks("", kThreeRanks);
  WriteRanks("a", "[GameRank]\nAlpha=0\n");
  CGameRankTable table(Base());
  table.AddGameRank(1, "a");
  const char* alpha = table.GetRankTitle(1, 5);
  const char* master = table.GetRankTitle(0, 5000);
  for (WORD game = 2; game < 200; ++game) {
    table.AddGameRank(game, "missing");
    table.GetRankTitle(game, 1);
  }
  EXPECT_STREQ("Alpha", alpha);
  EXPECT_STREQ("Master", master);
  EXPECT_EQ(alpha, table.GetRankTitle(1, 5));
}

TEST_F(GameRankTableTest, NoDefaultFileMeansNullUntilOneAppears) {
  CGameRankTable table(Base());
  EXPECT_EQ(nullptr, table.GetRankTitle(0, 0));
  table.AddGameRank(3, "missing");
  EXPECT_EQ(nullptr, table.GetRankTitle(3, 100));
  // The default table is tried again on each question while it fails.
  WriteRanks("", kThreeRanks);
  EXPECT_EQ("Expert", Title(table, 3, 500));
  RemoveRanks("");
  EXPECT_EQ("Expert", Title(table, 0, 500));
}

TEST_F(GameRankTableTest, BadRankFilesAreUnreadTables) {
  const std::string cases[] = {
      "",
      "no sections at all\n",
      "[GameRank]\n",
      "[Other]\nA=1\n",
      std::string("[GameRank]\0Novice=0\n", 20),
      "\xFF\xFE\x00[\x80]\r\r",
      std::string(2u * 1024u * 1024u, '='),
  };
  for (const std::string& content : cases) {
    WriteRanks("", content);
    CGameRankTable table(Base());
    const char* title = table.GetRankTitle(0, 1);
    // Only a file holding "GameRank" values gives a title.
    if (title) {
      EXPECT_NE(std::string::npos, content.find("GameRank"));
    }
  }
  // No final line end, and CR-only line ends (one line: no ranks).
  WriteRanks("", "[GameRank]\nNovice=0\nMaster=10");
  EXPECT_EQ("Master", Title(*std::make_unique<CGameRankTable>(Base()), 0, 10));
  WriteRanks("", "[GameRank]\rNovice=0\rMaster=10\r");
  EXPECT_EQ("(null)", Title(*std::make_unique<CGameRankTable>(Base()), 0, 10));
  // A directory in place of the file.
  RemoveRanks("");
  std::filesystem::create_directories(m_dir.path() / "GameRank.ini");
  EXPECT_EQ("(null)", Title(*std::make_unique<CGameRankTable>(Base()), 0, 10));
  std::filesystem::remove(m_dir.path() / "GameRank.ini");
  // A rank file with many ranks.
  std::string many = "[GameRank]\n";
  for (int i = 0; i < 20000; ++i) many += "R" + std::to_string(i) + "=" + std::to_string(i * 10) + "\n";
  WriteRanks("", many);
  CGameRankTable table(Base());
  EXPECT_EQ("R19999", Title(table, 0, 4294967296LL));
  EXPECT_EQ("R1234", Title(table, 0, 12345));
}

TEST_F(GameRankTableTest, AnswersItsInterfaces) {
  CGameRankTable* table = new CGameRankTable(Base());
  const DWORD v111 = 0x01010100;
  EXPECT_EQ(static_cast<IGameRankTable*>(table), table->QueryInterface(IID_IGameRankTable, v111));
  EXPECT_EQ(static_cast<IGameRankTable*>(table), table->QueryInterface(IID_IUnknownEx, v111));
  EXPECT_EQ(nullptr, table->QueryInterface(IID_IChannelService, v111));
  EXPECT_EQ(nullptr, table->QueryInterface(IID_IGameRankTable, 0x01020000));
  EXPECT_TRUE(table->IsValid());
  IGameRankTable* rank = table;
  EXPECT_TRUE(rank->Release());
}
