// The script language of the local hall server.
#include <gtest/gtest.h>

#include "demo/server/hall_script.h"

using hall::Op;

TEST(HallScript, SectionsAndCommands) {
  hall::Script s;
  std::string error;
  ASSERT_TRUE(
      hall::ParseScript("send 3 7 8 100; echo # comment; ignored\n"
                        "connection 2\n  drop-after 4\nconnection *\nmalformed huge\n",
                        s, error))
      << error;
  EXPECT_FALSE(s.refuse);
  ASSERT_EQ(3u, s.common.size());
  EXPECT_EQ(Op::Send, s.common[0].op);
  EXPECT_EQ(3u, s.common[0].count);
  EXPECT_EQ(7, s.common[0].mainCmd);
  EXPECT_EQ(8, s.common[0].subCmd);
  EXPECT_EQ(100u, s.common[0].size);
  EXPECT_EQ(Op::Echo, s.common[1].op);
  EXPECT_EQ(Op::Malformed, s.common[2].op);
  EXPECT_EQ("huge", s.common[2].kind);
  const auto& second = s.ForConnection(2);
  ASSERT_EQ(2u, second.size());
  EXPECT_EQ(Op::Wait, second[0].op);
  EXPECT_EQ(4u, second[0].count);
  EXPECT_EQ(Op::Drop, second[1].op);
  EXPECT_EQ(&s.common, &s.ForConnection(1));
  EXPECT_EQ(&s.common, &s.ForConnection(3));

  ASSERT_TRUE(hall::ParseScript("refuse", s, error));
  EXPECT_TRUE(s.refuse);
}

TEST(HallScript, ErrorsNameTheLine) {
  hall::Script s;
  std::string error;
  const char* bad[] = {"send",         "send x", "send 1 70000", "send 1 1 1 20000", "malformed odd", "fly",
                       "connection 0", "wait",   "echo 3"};
  for (const char* text : bad) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(hall::ParseScript(std::string("echo\n") + text, s, error));
    EXPECT_EQ(0u, error.find("line 2:"));
  }
}

TEST(HallScript, BodiesCarryTheirSequenceNumber) {
  const std::string body = hall::MakeBody(0x01020304, 6);
  EXPECT_EQ(std::string("\x04\x03\x02\x01\x08\x09", 6), body);
  EXPECT_EQ(std::string("\x05\x06", 2), hall::MakeBody(5, 2));
  EXPECT_EQ("", hall::MakeBody(5, 0));
}

TEST(HallScript, TextBodiesKeepTheirInnerSpaces) {
  hall::Script s;
  std::string error;
  ASSERT_TRUE(hall::ParseScript("text 1 2   张三|0|1200  \ntext 3 4 a  b c", s, error)) << error;
  ASSERT_EQ(2u, s.common.size());
  EXPECT_EQ(Op::Text, s.common[0].op);
  EXPECT_EQ(1, s.common[0].mainCmd);
  EXPECT_EQ(2, s.common[0].subCmd);
  EXPECT_EQ("张三|0|1200", s.common[0].text);
  EXPECT_EQ("a  b c", s.common[1].text);
  EXPECT_FALSE(hall::ParseScript("text 1 2", s, error));
  EXPECT_FALSE(hall::ParseScript("text 1 x hello", s, error));
}
