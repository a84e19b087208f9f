// The URL factory, URL templates and XML handlers when memory runs out: the
// failure value (false, an empty address, a dropped element), never an
// exception, and never half of something.
#include <gtest/gtest.h>

#include <string>

#include "tests/testkit/failing_new.h"
#include "tests/testkit/testkit.h"
#include "zavrel/config/game_hall_config_xml_handler.h"
#include "zavrel/config/server_list_xml_handler.h"
#include "zavrel/config/url_factory.h"
#include "zavrel/config/url_template.h"

namespace {

#ifdef _WIN32
const char kSep[] = "\\";
#else
const char kSep[] = "/";
#endif

const char kUrls[] =
    "[Domain]\n"
    "WWW=http://www.example.com/a/path/long/enough/for/the/heap/\n"
    "[Express]\n"
    "Help=http://help.example.com/\n"
    "[WWW]\n"
    "Register=register.aspx?agent=%d&from=a-long-enough-query\n"
    "OptionUpdateMyInfo=user/update.aspx?id=%u&name=%s\n"
    "HallIndex=hall/index.html\n"
    "BannerAd=ads/banner.html\n";

// Exposes the handlers' element calls.
struct ServerList : CServerList_xmlHandler {
  using CServerList_xmlHandler::elementEnd;
  using CServerList_xmlHandler::elementStart;
};
struct HallConfig : CGameHallConfig_xmlHandler {
  using CGameHallConfig_xmlHandler::elementStart;
};

// Sweeps a failure over LoadConfig: `refuse` allocations refused from each
// point on (every one when negative). The load is whole or fails whole.
void SweepUrlFactoryLoad(long refuse) {
  testkit::TempDir dir;
  const std::string base = dir.path().string() + kSep;
  const std::string urls = dir.file("urls.ini");
  ASSERT_TRUE(testkit::WriteFileBytes(urls, kUrls));
  const std::string www = "http://www.example.com/a/path/long/enough/for/the/heap/";
  const long runs = testkit::SweepAllocationFailures([&](long succeed) {
    CUrlFactory factory(base);
    const std::string path = urls;
    bool loaded = false;
    bool refused = false;
    {
      testkit::FailAllocationsAfter fail(succeed, refuse);
      loaded = factory.LoadConfig(path);
      refused = fail.Refused();
    }
    if (!refused) {
      EXPECT_TRUE(loaded);
    }
    // Whole or nothing: a template is never made without its domain.
    const CString url = factory.MakeRegisterUrl(7);
    if (loaded) {
      EXPECT_STREQ((www + "register.aspx?agent=7&from=a-long-enough-query").c_str(), url.GetString());
      EXPECT_STREQ(www.c_str(), factory.GetHomePage().GetString());
      EXPECT_STREQ((www + "hall/index.html").c_str(), factory.MakeHallIndex().GetString());
    } else {
      EXPECT_TRUE(url.IsEmpty());
      EXPECT_TRUE(factory.GetHomePage().IsEmpty());
    }
    return refused;
  });
  EXPECT_GT(runs, 20);
}

}  // namespace

TEST(ConfigNoThrow, UrlFactoryLoadsWholeOrAnswersEmpty) { SweepUrlFactoryLoad(testkit::FailAllocationsAfter::kEvery); }

// Memory that runs out for a moment, in the INI file's reading or in one of
// its accessors, still fails the whole load.
TEST(ConfigNoThrow, UrlFactoryLoadFailsWholeWhenOneAllocationFails) { SweepUrlFactoryLoad(1); }

TEST(ConfigNoThrow, UrlMakersAnswerEmpty) {
  testkit::TempDir dir;
  const std::string base = dir.path().string() + kSep;
  const std::string urls = dir.file("urls.ini");
  ASSERT_TRUE(testkit::WriteFileBytes(urls, kUrls));
  CUrlFactory factory(base);
  ASSERT_TRUE(factory.LoadConfig(urls));
  const CString name("a user name long enough to need the heap");
  const std::string www = "http://www.example.com/a/path/long/enough/for/the/heap/";
  const long runs = testkit::SweepAllocationFailures([&](long succeed) {
    CString made[5];
    bool refused = false;
    {
      testkit::FailAllocationsAfter fail(succeed);
      made[0] = factory.MakeRegisterUrl(7);
      made[1] = factory.MakeOptionUpdateMyInfo(42, name);
      made[2] = factory.MakeHallIndex();
      made[3] = factory.MakeLocalBannerAdUrl();
      made[4] = factory.GetHomePage();
      refused = fail.Refused();
    }
    const std::string expected[5] = {
        www + "register.aspx?agent=7&from=a-long-enough-query",
        www + "user/update.aspx?id=42&name=a user name long enough to need the heap",
        www + "hall/index.html",
        "file://" + base + www + "ads/banner.html",
        www,
    };
    for (int i = 0; i < 5; ++i) {
      if (!refused || !made[i].IsEmpty()) {
        EXPECT_STREQ(expected[i].c_str(), made[i].GetString()) << i;
      }
    }
    return refused;
  });
  EXPECT_GT(runs, 5);
}

TEST(ConfigNoThrow, UrlTemplateFormatAnswersFalseAndEmpty) {
  const std::string format = "http://example.com/%s/%08d/a-tail-long-enough-for-the-heap";
  const UrlArg args[] = {UrlArg::Text("a text long enough to need the heap"), UrlArg::Signed(-12)};
  const long runs = testkit::SweepAllocationFailures([&](long succeed) {
    std::string out = "held before";
    bool formatted = false;
    bool refused = false;
    {
      testkit::FailAllocationsAfter fail(succeed);
      formatted = UrlTemplate::Format(format, args, 2, &out);
      refused = fail.Refused();
    }
    if (formatted) {
      EXPECT_EQ("http://example.com/a text long enough to need the heap/-0000012/a-tail-long-enough-for-the-heap", out);
    } else {
      EXPECT_TRUE(refused);
      EXPECT_EQ("", out);
    }
    return refused;
  });
  EXPECT_GT(runs, 2);
}

TEST(ConfigNoThrow, XmlHandlersDropWhatTheyCannotStore) {
  XMLAttributes server;
  server.add(CServerList_xmlHandler::NameAttribute, "a server name long enough to need the heap");
  server.add(CServerList_xmlHandler::AddrAttribute, "login.example.com.a-long-enough-host-name");
  server.add(CServerList_xmlHandler::PortAttribute, "8000");
  XMLAttributes config;
  config.add(CGameHallConfig_xmlHandler::AgentIDAttribute, "12");
  config.add(CGameHallConfig_xmlHandler::AgentNameAttribute, "an agent title long enough to need the heap");
  const XMLAttributes none;
  const long runs = testkit::SweepAllocationFailures([&](long succeed) {
    ServerList list;
    HallConfig hall;
    bool refused = false;
    {
      testkit::FailAllocationsAfter fail(succeed);
      list.elementStart(CServerList_xmlHandler::LoginServerElement, none);
      for (int i = 0; i < 3; ++i) {
        list.elementStart(CServerList_xmlHandler::ServerElement, server);
        list.elementEnd(CServerList_xmlHandler::ServerElement);
      }
      list.elementEnd(CServerList_xmlHandler::LoginServerElement);
      hall.elementStart(CGameHallConfig_xmlHandler::ConfigElement, config);
      refused = fail.Refused();
    }
    if (!refused) {
      EXPECT_EQ(3u, list.GetLoginAddr().size());
    }
    // Only whole servers are listed, and a dropped one leaves no half of it.
    for (const ServerConfigItem& item : list.GetLoginAddr()) {
      if (item.name.empty()) {
        EXPECT_EQ("", item.addr);
        EXPECT_EQ(0, item.port);
      } else {
        EXPECT_EQ("a server name long enough to need the heap", item.name);
        EXPECT_EQ("login.example.com.a-long-enough-host-name", item.addr);
        EXPECT_EQ(8000, item.port);
      }
    }
    if (hall.GetAgentID() == 12) {
      EXPECT_EQ("an agent title long enough to need the heap", hall.GetAgentName());
    } else {
      EXPECT_EQ(0, hall.GetAgentID());
      EXPECT_EQ("", hall.GetAgentName());
    }
    return refused;
  });
  EXPECT_GT(runs, 5);
}
