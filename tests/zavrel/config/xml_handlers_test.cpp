// The three configuration handlers, driven by the parser over documents.
#include <gtest/gtest.h>

#include <string>

#include "support/tessor/xml_parser.h"
#include "zavrel/config/av_config_xml_handler.h"
#include "zavrel/config/game_hall_config_xml_handler.h"
#include "zavrel/config/server_list_xml_handler.h"

namespace {

// Sample documents are copied beside the test programs.
std::string DataFile(const std::string& name) { return "config_data/" + name; }

bool Parse(XMLHandler& handler, const std::string& doc) {
  XMLParser parser;
  return parser.parseXMLString(handler, doc);
}

void ExpectSetting(const VideoEncodeSetting& s, int mode, int quality, int bitrate, int width, int height) {
  EXPECT_EQ(mode, s.encoderMode);
  EXPECT_EQ(quality, s.quality);
  EXPECT_EQ(bitrate, s.bitrate);
  EXPECT_EQ(width, s.outputWidth);
  EXPECT_EQ(height, s.outputHeight);
}

std::string Deep(std::size_t depth, const std::string& inner) {
  std::string doc;
  for (std::size_t i = 0; i < depth; ++i) doc += "<ServerList><LoginServer>";
  doc += inner;
  for (std::size_t i = 0; i < depth; ++i) doc += "</LoginServer></ServerList>";
  return doc;
}

}  // namespace

TEST(ServerListHandler, ReadsTheSampleFile) {
  CServerList_xmlHandler handler;
  XMLParser parser;
  ASSERT_TRUE(parser.parseXMLFile(handler, DataFile("server_list.xml"))) << parser.getLastError();
  ASSERT_EQ(2u, handler.GetLoginAddr().size());
  EXPECT_EQ("电信登录", handler.GetLoginAddr()[0].name);
  EXPECT_EQ("login1.example.com", handler.GetLoginAddr()[0].addr);
  EXPECT_EQ(8000, handler.GetLoginAddr()[0].port);
  EXPECT_EQ("10.0.0.2", handler.GetLoginAddr()[1].addr);
  EXPECT_EQ(8001, handler.GetLoginAddr()[1].port);
  ASSERT_EQ(1u, handler.GetShopAddr().size());
  EXPECT_EQ(9000, handler.GetShopAddr()[0].port);
  // A port that is not a number reads as 0; a missing name as empty.
  ASSERT_EQ(1u, handler.GetFriendAddr().size());
  EXPECT_EQ(0, handler.GetFriendAddr()[0].port);
  ASSERT_EQ(1u, handler.GetSecretAddr().size());
  EXPECT_EQ("", handler.GetSecretAddr()[0].name);
  EXPECT_EQ(7000, handler.GetSecretAddr()[0].port);
  // The server outside every group is dropped.
  for (const auto* list :
       {&handler.GetLoginAddr(), &handler.GetShopAddr(), &handler.GetFriendAddr(), &handler.GetSecretAddr()}) {
    for (const ServerConfigItem& item : *list) EXPECT_NE("dropped", item.addr);
  }
}

TEST(ServerListHandler, GroupsNestingCaseAndReuse) {
  CServerList_xmlHandler handler;
  // A group inside another group: the first set flag in login, shop,
  // friend, secret-key order wins.
  ASSERT_TRUE(Parse(handler,
                    "<ServerList><ShopServer><LoginServer><Server addr='a'/></LoginServer>"
                    "<Server addr='b'/></ShopServer>"
                    "<SecretKeyServer><FriendServer><Server addr='c'/></FriendServer></SecretKeyServer></ServerList>"));
  ASSERT_EQ(1u, handler.GetLoginAddr().size());
  EXPECT_EQ("a", handler.GetLoginAddr()[0].addr);
  ASSERT_EQ(1u, handler.GetShopAddr().size());
  EXPECT_EQ("b", handler.GetShopAddr()[0].addr);
  ASSERT_EQ(1u, handler.GetFriendAddr().size());
  EXPECT_EQ("c", handler.GetFriendAddr()[0].addr);
  EXPECT_TRUE(handler.GetSecretAddr().empty());

  // Names differing in case are other elements: no reset, no group.
  ASSERT_TRUE(Parse(handler, "<serverlist><loginserver><Server addr='x'/></loginserver></serverlist>"));
  EXPECT_EQ(1u, handler.GetLoginAddr().size());
  EXPECT_EQ(1u, handler.GetShopAddr().size());

  // A copy carries the lists; a second list replaces the first.
  const CServerList_xmlHandler copy(handler);
  ASSERT_TRUE(Parse(handler, "<ServerList><FriendServer><Server addr='f' port='5'/></FriendServer></ServerList>"));
  EXPECT_TRUE(handler.GetLoginAddr().empty());
  EXPECT_TRUE(handler.GetShopAddr().empty());
  ASSERT_EQ(1u, handler.GetFriendAddr().size());
  EXPECT_EQ(5, handler.GetFriendAddr()[0].port);
  EXPECT_EQ(1u, copy.GetLoginAddr().size());
  CServerList_xmlHandler assigned;
  assigned = copy;
  EXPECT_EQ("b", assigned.GetShopAddr()[0].addr);
}

TEST(ServerListHandler, BadDocumentsLeaveTheListsAlone) {
  CServerList_xmlHandler handler;
  ASSERT_TRUE(Parse(handler, "<ServerList><LoginServer><Server addr='kept' port='1'/></LoginServer></ServerList>"));
  std::string huge = "<ServerList><LoginServer>";
  while (huge.size() < 10u * 1024u * 1024u) huge += "<Server name='n' addr='a' port='";
  const std::string bad[] = {
      "",
      "<ServerList><LoginServer><Server addr='x'/></ServerList>",
      "<ServerList><LoginServer><Server addr='x' port=1 port=2/></LoginServer></ServerList>",
      Deep(10000, "<Server addr='deep'/>"),
      huge,
  };
  for (const std::string& doc : bad) {
    EXPECT_FALSE(Parse(handler, doc)) << doc.substr(0, 80);
    ASSERT_EQ(1u, handler.GetLoginAddr().size());
    EXPECT_EQ("kept", handler.GetLoginAddr()[0].addr);
  }
  // Large but sound: every server arrives.
  std::string big = "<ServerList><ShopServer>";
  std::size_t count = 0;
  for (; big.size() < 10u * 1024u * 1024u; ++count) {
    big +=
        "  <Server name=\"电信一区\" addr=\"login" + std::to_string(count % 100) + ".example.com\" port=\"8000\"/>\n";
  }
  big += "</ShopServer></ServerList>";
  ASSERT_TRUE(Parse(handler, big));
  EXPECT_EQ(count, handler.GetShopAddr().size());
  EXPECT_TRUE(handler.GetLoginAddr().empty());
}

TEST(GameHallConfigHandler, ReadsConfigOnly) {
  CGameHallConfig_xmlHandler handler;
  EXPECT_EQ(0, handler.GetAgentID());
  EXPECT_EQ("", handler.GetAgentName());
  XMLParser parser;
  ASSERT_TRUE(parser.parseXMLFile(handler, DataFile("game_hall_config.xml"))) << parser.getLastError();
  EXPECT_EQ(1024, handler.GetAgentID());
  EXPECT_EQ("游戏大厅", handler.GetAgentName());

  CGameHallConfig_xmlHandler copy(handler);
  // Missing attributes read as 0 and empty; a later Config wins; other case
  // is another element.
  ASSERT_TRUE(Parse(handler,
                    "<GameHallConfig><Config Title='first'/><Config sp_id='x7'/><config sp_id='5'/>"
                    "</GameHallConfig>"));
  EXPECT_EQ(0, handler.GetAgentID());
  EXPECT_EQ("", handler.GetAgentName());
  // Reuse keeps what the new document does not carry.
  ASSERT_TRUE(Parse(handler, "<GameHallConfig/>"));
  EXPECT_EQ(0, handler.GetAgentID());
  EXPECT_FALSE(Parse(copy, "<GameHallConfig><Config sp_id='1'></GameHallConfig>"));
  EXPECT_EQ(1024, copy.GetAgentID());
  handler = copy;
  EXPECT_EQ("游戏大厅", handler.GetAgentName());
}

TEST(AVConfigHandler, DefaultsAndTheSampleFile) {
  CAVConfig_xmlHandler handler;
  EXPECT_EQ(0, handler.audioCaptureDeviceID);
  ExpectSetting(handler.videoConfig, 1, 85, 100000, 176, 144);
  ExpectSetting(handler.pictureFirst, 1, 85, 64000, 176, 144);
  ExpectSetting(handler.networkFirst, 1, 20, 48000, 160, 120);
  XMLParser parser;
  ASSERT_TRUE(parser.parseXMLFile(handler, DataFile("av_config.xml"))) << parser.getLastError();
  EXPECT_EQ(2, handler.audioCaptureDeviceID);
  EXPECT_EQ(3, handler.audioPlayerDeviceID);
  EXPECT_EQ(1, handler.videoCaptureDeviceID);
  ExpectSetting(handler.videoConfig, 2, 70, 120000, 320, 240);
  ExpectSetting(handler.pictureFirst, 3, 90, 80000, 352, 288);
  // No VideoOptionNetworkFirst element: its defaults stay.
  ExpectSetting(handler.networkFirst, 1, 20, 48000, 160, 120);
}

TEST(AVConfigHandler, PresentElementsSetEveryField) {
  CAVConfig_xmlHandler handler;
  ASSERT_TRUE(
      Parse(handler,
            "<AVConfig><VideoConfig CaptureDeviceID='4'/>"
            "<VideoOptionNetworkFirst EncoderMode='2' Quality='q' Bitrate='1' OutputWidth='2' OutputHeight='3'/>"
            "<VideoOptionNetworkFirst Bitrate='9'/><audioconfig CaptureDeviceID='8'/></AVConfig>"));
  EXPECT_EQ(4, handler.videoCaptureDeviceID);
  ExpectSetting(handler.videoConfig, 0, 0, 0, 0, 0);
  ExpectSetting(handler.networkFirst, 0, 0, 9, 0, 0);
  ExpectSetting(handler.pictureFirst, 1, 85, 64000, 176, 144);
  EXPECT_EQ(0, handler.audioCaptureDeviceID);

  const CAVConfig_xmlHandler copy(handler);
  CAVConfig_xmlHandler other;
  other = copy;
  EXPECT_EQ(4, other.videoCaptureDeviceID);
  ExpectSetting(other.networkFirst, 0, 0, 9, 0, 0);

  // Failed parses change nothing.
  EXPECT_FALSE(Parse(handler, "<AVConfig><AudioConfig CaptureDeviceID='5'></AVConfig>"));
  EXPECT_FALSE(Parse(handler, Deep(10000, "<AudioConfig CaptureDeviceID='5'/>")));
  EXPECT_EQ(0, handler.audioCaptureDeviceID);
}
