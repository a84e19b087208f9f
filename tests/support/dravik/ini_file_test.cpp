// Dravik's INI reader on the system's private-profile functions.
#include <gtest/gtest.h>

#include "afx/afx_coll.h"
#include "support/dravik/ini_file.h"
#include "tests/testkit/testkit.h"

namespace {

class DravikIni : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testkit::WriteFileBytes(path,
                                        "[Emotion]\r\nCount=12\r\nName = smile \r\nEmpty=\r\nBad=12ab\r\n"
                                        "Neg=-3\r\nHuge=99999999999\r\nLong=abcdefghij\r\n[Other]\r\nCount=7\r\n"
                                        "[Numbers]\r\nNote=12 ;note\r\nSpaced=  \t 34  \r\nPlus=+8\r\n"
                                        "Word=abc\r\nInner=5 6\r\nBlank= \r\n"));
  }
  testkit::TempDir dir;
  std::string path = dir.file("config.ini");
};

}  // namespace

TEST_F(DravikIni, ReadsNumbersAndDefaults) {
  CIniFile ini(path.c_str(), 4096);
  EXPECT_EQ(CString(path.c_str()), ini.GetIniFileName());
  EXPECT_EQ(12u, ini.GetInt("Emotion", "Count", 5));
  EXPECT_EQ(7u, ini.GetInt("Other", "Count", 5));
  EXPECT_EQ(5u, ini.GetInt("Emotion", "Missing", 5));
  EXPECT_EQ(5u, ini.GetInt("NoSection", "Count", 5));
  EXPECT_EQ(5u, ini.GetInt("Emotion", "Empty", 5));
}

// A number is read as the system's private-profile integer read does: the
// digits after leading white space, up to the first other byte, so a
// trailing comment or word does not turn a count into the default.
TEST_F(DravikIni, ReadsNumbersAsTheSystemDoes) {
  CIniFile ini(path.c_str(), 4096);
  EXPECT_EQ(12u, ini.GetInt("Numbers", "Note", 5));
  EXPECT_EQ(12u, ini.GetInt("Emotion", "Bad", 5));
  EXPECT_EQ(34u, ini.GetInt("Numbers", "Spaced", 5));
  EXPECT_EQ(5u, ini.GetInt("Numbers", "Inner", 9));
  const char* const cases[][2] = {{"Numbers", "Note"},  {"Numbers", "Spaced"}, {"Numbers", "Plus"},
                                  {"Numbers", "Word"},  {"Numbers", "Inner"},  {"Numbers", "Blank"},
                                  {"Emotion", "Bad"},   {"Emotion", "Neg"},    {"Emotion", "Empty"},
                                  {"Emotion", "Count"}, {"Emotion", "Missing"}};
  for (const auto& c : cases) {
    EXPECT_EQ(GetPrivateProfileIntA(c[0], c[1], 5, path.c_str()), ini.GetInt(c[0], c[1], 5)) << c[0] << "/" << c[1];
  }
}

TEST_F(DravikIni, ReadsTextIntoBuffersAndStrings) {
  CIniFile ini(path.c_str());
  CString text;
  EXPECT_TRUE(ini.GetString("Emotion", "Name", text, "def"));
  EXPECT_EQ(CString("smile"), text);
  EXPECT_TRUE(ini.GetString("Emotion", "Empty", text, "def"));
  EXPECT_EQ(CString(""), text);
  EXPECT_FALSE(ini.GetString("Emotion", "Missing", text, "def"));
  EXPECT_EQ(CString("def"), text);

  char buffer[5] = {'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(4u, ini.GetString("Emotion", "Long", buffer, "d", sizeof(buffer)));
  EXPECT_STREQ("abcd", buffer);
  EXPECT_EQ(1u, ini.GetString("Emotion", "Missing", buffer, "d", sizeof(buffer)));
  EXPECT_STREQ("d", buffer);
  EXPECT_EQ(0u, ini.GetString("Emotion", "Long", nullptr, "d", 5));

  // A small buffer size cuts values.
  CIniFile small(path.c_str(), 4);
  EXPECT_TRUE(small.GetString("Emotion", "Long", text, nullptr));
  EXPECT_EQ(CString("abc"), text);
}

TEST_F(DravikIni, RebindingAndNoFile) {
  CIniFile ini(nullptr);
  CString text;
  EXPECT_FALSE(ini.GetString("Emotion", "Name", text, nullptr));
  EXPECT_TRUE(text.IsEmpty());
  EXPECT_EQ(9u, ini.GetInt("Emotion", "Count", 9));
  ini.SetIniFileName(path.c_str());
  EXPECT_EQ(12u, ini.GetInt("Emotion", "Count", 9));
  ini.SetIniFileName(dir.file("missing.ini").c_str());
  EXPECT_EQ(9u, ini.GetInt("Emotion", "Count", 9));
}

TEST_F(DravikIni, SectionFillsTheMapAndMissingLeavesItEmpty) {
  CIniFile ini(path.c_str());
  CMapStringToString map;
  map.SetAt("stale", "x");
  ASSERT_TRUE(ini.GetSection("Emotion", map));
  EXPECT_EQ(7, map.GetCount());
  CString v;
  EXPECT_FALSE(map.Lookup("stale", v));
  ASSERT_TRUE(map.Lookup("Name", v));
  EXPECT_EQ(CString("smile"), v);
  ASSERT_TRUE(map.Lookup("Empty", v));
  EXPECT_TRUE(v.IsEmpty());
  ASSERT_TRUE(map.Lookup("Huge", v));
  EXPECT_EQ(CString("99999999999"), v);

  EXPECT_FALSE(ini.GetSection("NoSection", map));
  EXPECT_TRUE(map.IsEmpty());
  CIniFile missing(dir.file("absent.ini").c_str());
  map.SetAt("stale", "x");
  EXPECT_FALSE(missing.GetSection("Emotion", map));
  EXPECT_TRUE(map.IsEmpty());
}

TEST_F(DravikIni, LargeSectionIsReadWhole) {
  std::string text = "[Big]\r\n";
  for (int i = 0; i < 3000; ++i) text += "key" + std::to_string(i) + "=value" + std::to_string(i) + "\r\n";
  const std::string big = dir.file("big.ini");
  ASSERT_TRUE(testkit::WriteFileBytes(big, text));
  CMapStringToString map;
  ASSERT_TRUE(CIniFile(big.c_str()).GetSection("Big", map));
  EXPECT_EQ(3000, map.GetCount());
  CString v;
  ASSERT_TRUE(map.Lookup("key2999", v));
  EXPECT_EQ(CString("value2999"), v);
}
