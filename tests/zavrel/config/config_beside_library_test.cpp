// Configuration found beside Zavrel.dll: the URL factory's instance and the
// rank table made through CreateGameRankManager. Each test owns its own
// files beside the library and removes them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/testkit/testkit.h"
#include "zavrel/component/create_functions.h"
#include "zavrel/component/interface_ids.h"
#include "zavrel/config/game_rank_table.h"
#include "zavrel/config/url_factory.h"

namespace {

// Files written beside the library, removed when the test ends.
class FilesBesideLibrary {
 public:
  FilesBesideLibrary() = default;
  FilesBesideLibrary(const FilesBesideLibrary&) = delete;
  FilesBesideLibrary& operator=(const FilesBesideLibrary&) = delete;
  ~FilesBesideLibrary() {
    std::error_code ec;
    for (auto it = m_written.rbegin(); it != m_written.rend(); ++it) std::filesystem::remove(*it, ec);
  }
  // Writes relative (backslashes allowed) under the library's directory,
  // creating its folder.
  void Write(const std::string& relative, const std::string& content) {
    const std::filesystem::path path = testkit::TestBinaryDir() + relative;
    if (!std::filesystem::exists(path.parent_path())) {
      std::filesystem::create_directories(path.parent_path());
      m_written.push_back(path.parent_path());
    }
    ASSERT_TRUE(testkit::WriteFileBytes(path.string(), content));
    m_written.push_back(path);
  }
  void Remove(const std::string& relative) {
    std::error_code ec;
    std::filesystem::remove(testkit::TestBinaryDir() + relative, ec);
  }

 private:
  std::vector<std::filesystem::path> m_written;
};

std::string Title(IGameRankTable* table, WORD game, std::int64_t score) {
  const char* title = table->GetRankTitle(game, score);
  return title ? title : "(null)";
}

}  // namespace

TEST(UrlFactoryBesideLibrary, LoadsConfigUrlsIniOnce) {
  FilesBesideLibrary files;
  files.Write("Config\\Urls.ini",
              "[Domain]\nWWW=http://www.example.com\nLocal=\n"
              "[WWW]\nHomePage1=/index.html\nHomePage2=/index.aspx?uid=%u&key=%s\n"
              "[Local]\nBannerAd=ad\\banner.html\n");
  CUrlFactory& factory = CUrlFactory::getSingleton();
  EXPECT_EQ(&factory, CUrlFactory::getSingletonPtr());
  EXPECT_EQ("http://www.example.com", factory.GetHomePage());
  EXPECT_EQ("http://www.example.com/index.aspx?uid=7&key=k", factory.MakeIndexUrl(7, "k"));
  EXPECT_EQ("file://" + testkit::TestBinaryDir() + "ad\\banner.html", factory.MakeLocalBannerAdUrl());

  // The instance keeps what it read; a new object reads the file again.
  files.Write("Config\\Urls.ini", "[Domain]\nWWW=http://other.example.com\n");
  EXPECT_EQ("http://www.example.com", CUrlFactory::getSingleton().GetHomePage());
  EXPECT_EQ("http://other.example.com", CUrlFactory().GetHomePage());
  files.Remove("Config\\Urls.ini");
  EXPECT_EQ("", CUrlFactory().GetHomePage());
}

TEST(RankManagerBesideLibrary, CreatedThroughTheExportedEntry) {
  FilesBesideLibrary files;
  const DWORD v111 = 0x01010100;
  // Nothing beside the library: every answer is null.
  IGameRankTable* empty = static_cast<IGameRankTable*>(CreateGameRankManager(IID_IGameRankTable, v111));
  ASSERT_NE(nullptr, empty);
  EXPECT_EQ(nullptr, empty->GetRankTitle(0, 100));
  empty->AddGameRank(9, "rank_test_game");
  EXPECT_EQ(nullptr, empty->GetRankTitle(9, 100));

  files.Write("GameRank.ini", "[GameRank]\n新手=0\n高手=500\n大师=1000\n");
  files.Write("rank_test_game\\GameRank.ini", "[GameRank]\nPawn=0\nKing=600\n");
  // The same object reads the files now that they are there.
  EXPECT_EQ("King", Title(empty, 9, 700));
  EXPECT_EQ("高手", Title(empty, 0, 700));
  EXPECT_TRUE(empty->Release());

  // Through IUnknownEx, then the interface's own slots.
  IUnknownEx* root = static_cast<IUnknownEx*>(CreateGameRankManager(IID_IUnknownEx, 0x01010000));
  ASSERT_NE(nullptr, root);
  EXPECT_TRUE(root->IsValid());
  IGameRankTable* table = static_cast<IGameRankTable*>(root->QueryInterface(IID_IGameRankTable, v111));
  ASSERT_NE(nullptr, table);
  EXPECT_EQ("大师", Title(table, 0, 4294967296LL));
  EXPECT_EQ("新手", Title(table, 0, -1));
  EXPECT_EQ("高手", Title(table, 12, 999));
  table->AddGameRank(12, "rank_test_game");
  EXPECT_EQ("Pawn", Title(table, 12, 599));
  EXPECT_EQ(nullptr, table->QueryInterface(IID_IChannelService, v111));
  EXPECT_TRUE(table->Release());

  // Refused queries make nothing.
  EXPECT_EQ(nullptr, CreateGameRankManager(IID_IGameRankTable, 0x01020000));
  EXPECT_EQ(nullptr, CreateGameRankManager(IID_IGameRankTable, 0x02010100));
  EXPECT_EQ(nullptr, CreateGameRankManager(IID_IChannelService, v111));
}
