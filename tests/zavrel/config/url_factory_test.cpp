// CUrlFactory over Urls.ini files: composition, loading rules, bad templates.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/testkit/testkit.h"
#include "zavrel/config/url_factory.h"

namespace {

#ifdef _WIN32
const char kSep[] = "\\";
#else
const char kSep[] = "/";
#endif

// A base directory without Config\Urls.ini, and an INI file to load.
class UrlFactoryTest : public ::testing::Test {
 protected:
  std::string Base() const { return m_dir.path().string() + kSep; }
  std::string Write(const std::string& content) {
    const std::string path = m_dir.file("urls" + std::to_string(m_count++) + ".ini");
    EXPECT_TRUE(testkit::WriteFileBytes(path, content));
    return path;
  }
  CUrlFactory Loaded(const std::string& content) {
    CUrlFactory factory(Base());
    factory.LoadConfig(Write(content));
    return factory;
  }

  testkit::TempDir m_dir;
  int m_count = 0;
};

void ExpectEverythingEmpty(CUrlFactory& f) {
  const CString results[] = {
      f.GetHomePage(),
      f.GetImageCacheDomain(),
      f.GetUpdateDomain(),
      f.GetUserDomain(),
      f.GetPayDomain(),
      f.GetCrashDomain(),
      f.GetGameWebDomain(),
      f.MakeHallIndex(),
      f.MakeGameForumUrl(),
      f.MakeRegProtocolUrl(),
      f.MakeFoundPassword(),
      f.MakeMoneyTop10(),
      f.MakePayUrl(1, "k"),
      f.MakeRegisterUrl(1),
      f.MakeGameIntroUrl(1),
      f.MakeGameIntroHtmlUrl(1),
      f.MakeGameDownloadUrl(1),
      f.MakeDetailUserInfoUrl(1),
      f.MakeUserFaceDownloadUrl(1),
      f.MakeUserFaceDownloadUrl("k", 1),
      f.MakeOptionUpdatePassword("k"),
      f.MakeOptionUpdatePwdProtect("k"),
      f.MakeOptionSpreadView("k"),
      f.MakeOptionUpdateMyInfo(1, "k"),
      f.MakeFullMoneyByCardUrl(1),
      f.MakeFullMoneyByVirtualCardUrl(1),
      f.MakeFullMoneyByNetBankUrl(1),
      f.MakeFullMoneyByTelephoneUrl(1),
      f.MakeFullMoneyByShenZhouXingUrl(1),
      f.MakeIndexUrl(0, "k"),
      f.MakeIndexUrl(1, "k"),
      f.MakeUserFaceUploadUrl(0, nullptr),
      f.MakeUserFaceUploadUrl(1, "k"),
  };
  for (std::size_t i = 0; i < sizeof results / sizeof results[0]; ++i) {
    EXPECT_EQ("", results[i]) << "result " << i;
  }
}

}  // namespace

TEST_F(UrlFactoryTest, NoFileGivesEmptyAnswers) {
  CUrlFactory factory(Base());
  ExpectEverythingEmpty(factory);
  EXPECT_TRUE(factory.GetExpressList().empty());
  EXPECT_TRUE(factory.GetUnfitTemplates().empty());
  EXPECT_TRUE(factory.LoadConfig(m_dir.file("missing.ini")));
  ExpectEverythingEmpty(factory);
  // Local pages still name the base directory.
  EXPECT_EQ("file://" + Base(), factory.MakeLocalBannerAdUrl());
}

TEST_F(UrlFactoryTest, ComposesEveryAddressFromTheSampleFile) {
  CUrlFactory factory(Base());
  factory.LoadConfig("config_data/Urls.ini");
  EXPECT_TRUE(factory.GetUnfitTemplates().empty());
  EXPECT_EQ("http://www.example.com", factory.GetHomePage());
  EXPECT_EQ("http://img.example.com", factory.GetImageCacheDomain());
  EXPECT_EQ("http://update.example.com/client/", factory.GetUpdateDomain());
  EXPECT_EQ("http://user.example.com", factory.GetUserDomain());
  EXPECT_EQ("https://pay.example.com", factory.GetPayDomain());
  EXPECT_EQ("http://crash.example.com/report", factory.GetCrashDomain());
  EXPECT_EQ("http://games.example.com", factory.GetGameWebDomain());

  EXPECT_EQ("http://www.example.com/hall/index.html", factory.MakeHallIndex());
  EXPECT_EQ("http://www.example.com/bbs/", factory.MakeGameForumUrl());
  EXPECT_EQ("http://www.example.com/reg/protocol.html", factory.MakeRegProtocolUrl());
  EXPECT_EQ("http://www.example.com/reg/found.aspx", factory.MakeFoundPassword());
  EXPECT_EQ("http://www.example.com/top/money.aspx", factory.MakeMoneyTop10());
  EXPECT_EQ("https://pay.example.com/pay/index.aspx", factory.MakePayUrl(5, "key"));
  EXPECT_EQ(factory.MakePayUrl(5, "key"), factory.MakePayUrl(0, nullptr));
  EXPECT_EQ("http://www.example.com/reg/register.aspx?from=-3", factory.MakeRegisterUrl(-3));
  EXPECT_EQ("http://games.example.com/intro/65535.html", factory.MakeGameIntroUrl(65535));
  EXPECT_EQ("http://games.example.com/intro/00042.htm", factory.MakeGameIntroHtmlUrl(42));
  EXPECT_EQ("http://games.example.com/down/game7.zip", factory.MakeGameDownloadUrl(7));
  EXPECT_EQ("http://user.example.com/info.aspx?uid=4294967295", factory.MakeDetailUserInfoUrl(0xFFFFFFFFu));
  EXPECT_EQ("http://user.example.com/face/12.png", factory.MakeUserFaceDownloadUrl(12));
  EXPECT_EQ("http://user.example.com/face/big/12.png", factory.MakeUserFaceDownloadUrl(CString("big"), 12));
  EXPECT_EQ("http://user.example.com/opt/pwd.aspx?key=k1", factory.MakeOptionUpdatePassword("k1"));
  EXPECT_EQ("http://user.example.com/opt/protect.aspx?key=k2", factory.MakeOptionUpdatePwdProtect("k2"));
  EXPECT_EQ("http://user.example.com/opt/spread.aspx?key=k3", factory.MakeOptionSpreadView("k3"));
  EXPECT_EQ("http://user.example.com/opt/info.aspx?uid=9&key=k4", factory.MakeOptionUpdateMyInfo(9, "k4"));
  EXPECT_EQ("https://pay.example.com/pay/card.aspx?v=100", factory.MakeFullMoneyByCardUrl(100));
  EXPECT_EQ("https://pay.example.com/pay/jcard.aspx?v=1", factory.MakeFullMoneyByVirtualCardUrl(1));
  EXPECT_EQ("https://pay.example.com/pay/bank.aspx?v=2", factory.MakeFullMoneyByNetBankUrl(2));
  EXPECT_EQ("https://pay.example.com/pay/phone.aspx?v=3", factory.MakeFullMoneyByTelephoneUrl(3));
  EXPECT_EQ("https://pay.example.com/pay/szx.aspx?v=4", factory.MakeFullMoneyByShenZhouXingUrl(4));

  // Two forms: the first template for number 0 or a null text, nothing for
  // an empty text, the second otherwise. HomePage1 is defined twice: the
  // earlier section wins.
  EXPECT_EQ("http://www.example.com/index.html", factory.MakeIndexUrl(0, "key"));
  EXPECT_EQ("http://www.example.com/index.html", factory.MakeIndexUrl(8, nullptr));
  EXPECT_EQ("", factory.MakeIndexUrl(8, ""));
  EXPECT_EQ("http://www.example.com/index.aspx?uid=8&key=abc", factory.MakeIndexUrl(8, "abc"));
  EXPECT_EQ("http://user.example.com/face/upload.aspx", factory.MakeUserFaceUploadUrl(0, nullptr));
  EXPECT_EQ("", factory.MakeUserFaceUploadUrl(3, ""));
  EXPECT_EQ("http://user.example.com/face/upload.aspx?uid=3&key=x", factory.MakeUserFaceUploadUrl(3, "x"));

  // Local pages: the site "Local" has an empty domain.
  EXPECT_EQ("file://" + Base() + "ad\\banner.html", factory.MakeLocalBannerAdUrl());
  EXPECT_EQ("file://" + Base() + "ad\\askclose.html", factory.MakeLocalAskCloseAdUrl());

  ASSERT_EQ(2u, factory.GetExpressList().size());
  EXPECT_EQ("400-800-0000", factory.GetExpressList().at("Hotline"));
  EXPECT_EQ("公告", factory.GetExpressList().at("Notice"));

  // Copies carry everything.
  CUrlFactory copy(factory);
  EXPECT_EQ(factory.MakeIndexUrl(8, "abc"), copy.MakeIndexUrl(8, "abc"));
  CUrlFactory assigned(Base());
  assigned = factory;
  EXPECT_EQ("http://games.example.com", assigned.GetGameWebDomain());
  EXPECT_EQ(2u, assigned.GetExpressList().size());
}

TEST_F(UrlFactoryTest, SectionOrderAndNames) {
  CUrlFactory factory = Loaded(
      "[Site]\n"
      "Forum=/early\n"
      "[Domain]\n"
      "Site=http://late.example.com\n"
      "WWW=http://www.example.com\n"
      "[WWW]\n"
      "HallIndex=/hall\n"
      "[Other]\n"
      "HallIndex=/other-hall\n"
      "FoundPassword=/found\n"
      "[Express]\n"
      "A=1\n");
  // A site section before "Domain" has no domain, and its domain stays empty
  // for the whole load.
  EXPECT_EQ("/early", factory.MakeGameForumUrl());
  // The earlier section's template wins.
  EXPECT_EQ("http://www.example.com/hall", factory.MakeHallIndex());
  // A section whose name is no domain gets an empty domain.
  EXPECT_EQ("/found", factory.MakeFoundPassword());

  // Reloading reads on top of what is held and rebuilds from everything in
  // order: earlier sections still win, a value of the same key and name
  // takes the new text (the INI model's merge), the express list only gains.
  factory.LoadConfig(
      Write("[Domain]\nWWW=http://changed\nGameWeb=http://games\n[GameWeb]\nHallIndex=/new-hall\nMoneyTop10=/m\n"
            "[Express]\nA=2\nB=3\n"));
  EXPECT_EQ("/early", factory.MakeGameForumUrl());
  EXPECT_EQ("http://changed/hall", factory.MakeHallIndex());
  EXPECT_EQ("http://changed", factory.GetHomePage());
  EXPECT_EQ("http://games/m", factory.MakeMoneyTop10());
  EXPECT_EQ("1", factory.GetExpressList().at("A"));
  EXPECT_EQ("3", factory.GetExpressList().at("B"));

  // "domain" in another case is not the domain list but a site section
  // without a domain.
  CUrlFactory lower = Loaded("[domain]\nWWW=http://a\nHallIndex=/h\n");
  EXPECT_EQ("", lower.GetHomePage());
  EXPECT_EQ("/h", lower.MakeHallIndex());
}

// Templates that do not fit their maker never read what was not passed:
// each maker answers empty and the template is listed at load.
TEST_F(UrlFactoryTest, HostileTemplatesGiveEmptyAddresses) {
  const char* const hostile[] = {"%s%s%s%n", "%*d", "%99999999d", "%d%d", "%p", "%s", "%.*s", "%n"};
  const char* const names[] = {"Register",
                               "GameIntro1",
                               "GameIntro2",
                               "GameDownload",
                               "DetailUserInfo1",
                               "DownloadUserFace1",
                               "DownloadUserFace2",
                               "OptionUpdatePassword",
                               "OptionUpdatePwdProtect",
                               "OptionSpreadView",
                               "OptionUpdateMyInfo",
                               "RealCardPay",
                               "JCardPay",
                               "NetBankPay",
                               "PhonePay",
                               "SZXPay",
                               "HomePage2",
                               "UploadUserFace2"};
  for (const char* bad : hostile) {
    std::string ini = "[Domain]\nX=http://x\n[X]\n";
    for (const char* name : names) ini += std::string(name) + "=" + bad + "\n";
    CUrlFactory factory = Loaded(ini);
    // "%s" fits the makers whose first argument is a text.
    const bool textFirst = std::string(bad) == "%s";
    EXPECT_EQ(textFirst ? 14u : 18u, factory.GetUnfitTemplates().size()) << bad;
    if (textFirst) {
      EXPECT_EQ("http://xk", factory.MakeOptionSpreadView("k"));
      EXPECT_EQ("http://xk", factory.MakeUserFaceDownloadUrl(CString("k"), 1));
      EXPECT_EQ("", factory.MakeOptionUpdateMyInfo(1, "k"));
      EXPECT_EQ("", factory.MakeIndexUrl(1, "k"));
    } else {
      ExpectEverythingEmpty(factory);
    }
  }
  // Templates returned unchanged are never formatted, whatever they hold.
  CUrlFactory plain = Loaded("[Domain]\nX=\n[X]\nHallIndex=%s%n%*d\nPayIndex=%99999999d\nHomePage1=%n\n");
  EXPECT_EQ("%s%n%*d", plain.MakeHallIndex());
  EXPECT_EQ("%99999999d", plain.MakePayUrl(1, "k"));
  EXPECT_EQ("%n", plain.MakeIndexUrl(0, "k"));
  EXPECT_TRUE(plain.GetUnfitTemplates().empty());
  // A percent sign in a domain is part of what is formatted.
  CUrlFactory escaped = Loaded("[Domain]\nX=http://x/%7Euser\n[X]\nGameIntro1=/%u\n");
  EXPECT_EQ("", escaped.MakeGameIntroUrl(1));
  CUrlFactory doubled = Loaded("[Domain]\nX=http://x/%%7Euser\n[X]\nGameIntro1=/%u\n");
  EXPECT_EQ("http://x/%7Euser/1", doubled.MakeGameIntroUrl(1));
}

TEST_F(UrlFactoryTest, BadFilesLoadWhatTheyCan) {
  const std::string cases[] = {
      "",
      std::string("\0\0\0[Domain]\0WWW=a\0", 17),
      "no section line\nWWW=http://a\n",
      "[Domain\nWWW=http://a\n",
      "[]\n=\n==\n[Domain]\n=nameless\nWWW\n",
      "\xFF\xFE[\x80\x81]\r\r\r\n",
      std::string(3u * 1024u * 1024u, '['),
      "[Domain]\nWWW=" + std::string(2u * 1024u * 1024u, 'w') + "\n",
  };
  for (const std::string& content : cases) {
    CUrlFactory factory = Loaded(content);
    // Whatever was read, asking never fails.
    factory.GetHomePage();
    factory.MakeIndexUrl(1, "k");
    factory.MakeUserFaceDownloadUrl(CString("k"), 1);
    factory.MakeLocalAskCloseAdUrl();
  }
  CUrlFactory longDomain = Loaded(cases[7]);
  EXPECT_EQ(2u * 1024u * 1024u, static_cast<std::size_t>(longDomain.GetHomePage().GetLength()));
  // No final line end; invalid GBK bytes pass through as they are.
  CUrlFactory noFinalEnd = Loaded("[Domain]\nWWW=http://\x81\xFF\x80");
  EXPECT_EQ("http://\x81\xFF\x80", noFinalEnd.GetHomePage());
  // CR-only line ends make one line: no domain is read.
  CUrlFactory crOnly = Loaded("[Domain]\rWWW=http://a\r[WWW]\rForum=/f\r");
  EXPECT_EQ("", crOnly.GetHomePage());
  // A directory in place of the file reads as a missing file.
  std::filesystem::create_directories(m_dir.path() / "Config" / "Urls.ini");
  CUrlFactory directory(Base());
  ExpectEverythingEmpty(directory);
  EXPECT_TRUE(directory.LoadConfig(m_dir.file("Config")));
  ExpectEverythingEmpty(directory);
}
