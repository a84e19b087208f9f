// CIniFile: golden files for the reading rules, then the accessors, the
// case setting, the indexes across removals, and bad files.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/testkit/testkit.h"
#include "zavrel/datafile/ini_file.h"

namespace {

// The whole model as text, one element a line.
std::string Dump(CIniFile& ini) {
  std::ostringstream out;
  for (unsigned i = 0; i < ini.NumHeaderComments(); ++i) out << "header '" << ini.HeaderComment(i) << "'\n";
  for (unsigned k = 0; k < ini.NumKeys(); ++k) {
    out << "key '" << ini.KeyName(k) << "'\n";
    for (unsigned c = 0; c < ini.NumKeyComments(k); ++c) out << "  comment '" << ini.KeyComment(k, c) << "'\n";
    for (unsigned v = 0; v < ini.NumValues(k); ++v) {
      out << "  value '" << ini.ValueName(k, v) << "' = '" << ini.GetValue(k, v) << "'\n";
    }
  }
  return out.str();
}

std::string Golden(const std::string& name) { return testkit::ReadFileBytes(std::string(ZAVREL_GOLDEN_DIR) + name); }

std::string WithoutCr(std::string s) {
  std::string out;
  for (char c : s) {
    if (c != '\r') out.push_back(c);
  }
  return out;
}

// Reads `content` through a temporary file.
struct IniFromText {
  explicit IniFromText(const std::string& content) : file(dir.file("t.ini")), ini(file) {
    testkit::WriteFileBytes(file, content);
    result = ini.ReadFile();
  }
  testkit::TempDir dir;
  std::string file;
  CIniFile ini;
  bool result;
};

}  // namespace

TEST(IniFileGolden, ReadingRulesAndWriteBack) {
  for (const char* name : {"quirks", "crlf"}) {
    SCOPED_TRACE(name);
    const std::string input = Golden(std::string(name) + ".ini");
    ASSERT_FALSE(input.empty());
    IniFromText t(input);
    EXPECT_TRUE(t.result);
    EXPECT_EQ(Golden(std::string(name) + ".dump"), Dump(t.ini));
  }
  IniFromText t(Golden("quirks.ini"));
  ASSERT_TRUE(t.ini.WriteFile());
  const std::string written = testkit::ReadFileBytes(t.file);
#ifdef _WIN32
  EXPECT_NE(std::string::npos, written.find("[Main]\r\n"));  // text-stream line ends
#endif
  EXPECT_EQ(Golden("quirks.written"), WithoutCr(written));
  // What was written reads back to the same model.
  CIniFile again(t.file);
  ASSERT_TRUE(again.ReadFile());
  EXPECT_EQ(Golden("quirks.dump"), Dump(again));
}

TEST(IniFile, ReadMergesIntoWhatIsHeld) {
  IniFromText t("; head\n[A]\n;c\nv=1\n");
  ASSERT_TRUE(t.result);
  ASSERT_TRUE(t.ini.ReadFile());
  EXPECT_EQ(
      "header ' head'\n"
      "key 'A'\n  comment 'c'\n  comment 'c'\n  value 'v' = '1'\n"
      "key 'A'\n",
      Dump(t.ini));
  // The header comments come back on a second pass only when a key "" exists.
  t.ini.SetValue("", "x", "y");
  ASSERT_TRUE(t.ini.ReadFile());
  EXPECT_EQ(" head", t.ini.KeyComment("", 0));
}

TEST(IniFile, ReadResults) {
  testkit::TempDir dir;
  CIniFile missing(dir.file("none.ini"));
  missing.SetValue("k", "v", "kept");
  EXPECT_FALSE(missing.ReadFile());
  EXPECT_EQ("kept", missing.GetValue("k", "v"));

  IniFromText onlyComments("; a\n# b\nplain text\n");
  EXPECT_FALSE(onlyComments.result);
  EXPECT_EQ(2u, onlyComments.ini.NumHeaderComments());
  EXPECT_EQ(0u, onlyComments.ini.NumKeys());

  IniFromText empty("");
  EXPECT_FALSE(empty.result);
  EXPECT_EQ(0u, empty.ini.NumKeys());

  // A directory in place of the file.
  CIniFile directory(dir.path().string());
  EXPECT_FALSE(directory.ReadFile());
  EXPECT_EQ(0u, directory.NumKeys());
  EXPECT_FALSE(directory.WriteFile());

  CIniFile unwritable(dir.file("no/such/dir/x.ini"));
  unwritable.SetValue("a", "b", "c");
  EXPECT_FALSE(unwritable.WriteFile());
}

TEST(IniFile, BadBytesAreKeptAndNothingOverruns) {
  std::string content("[k\0ey]\nna\0me=va\0lue\n", 21);
  content += "[big]\n";
  content += "long=" + std::string(1 << 20, 'x') + "\n";
  content += "gbk=\xD6\xD0\xFF\x81\n";  // not valid GBK: bytes stay as they are
  content += "[cr]\rcr1=1\rcr2=2";      // no final line end
  IniFromText t(content);
  ASSERT_TRUE(t.result);
  EXPECT_EQ(std::string("k\0ey", 4), t.ini.KeyName(0));
  EXPECT_EQ(std::string("va\0lue", 6), t.ini.GetValue(std::string("k\0ey", 4), std::string("na\0me", 5)));
  EXPECT_EQ(size_t(1) << 20, t.ini.GetValue("big", "long").size());
  EXPECT_EQ("\xD6\xD0\xFF\x81", t.ini.GetValue("big", "gbk"));
  // Carriage returns alone end no line: the whole rest is one header line.
  EXPECT_EQ(2, t.ini.FindKey("cr"));
  EXPECT_EQ(0u, t.ini.NumValues("cr"));
  // NUL bytes survive a write and a read.
  ASSERT_TRUE(t.ini.WriteFile());
  CIniFile again(t.file);
  ASSERT_TRUE(again.ReadFile());
  EXPECT_EQ(std::string("va\0lue", 6), again.GetValue(0, 0));
}

TEST(IniFile, KeysAndIds) {
  CIniFile ini;
  EXPECT_EQ(-1, ini.FindKey("a"));
  EXPECT_EQ(0u, ini.AddKeyName("a"));
  EXPECT_EQ(1u, ini.AddKeyName("b"));
  EXPECT_EQ(2u, ini.AddKeyName("A"));  // no uniqueness check
  EXPECT_EQ(0, ini.FindKey("A"));
  EXPECT_EQ(3u, ini.GetNumKeys());
  EXPECT_EQ("A", ini.GetKeyName(2));
  EXPECT_EQ("", ini.KeyName(3));
  EXPECT_TRUE(ini.DeleteKey("a"));
  // IDs shift after a removal; the lookup follows.
  EXPECT_EQ(1, ini.FindKey("a"));
  EXPECT_EQ(0, ini.FindKey("b"));
  EXPECT_TRUE(ini.DeleteKey("A"));
  EXPECT_FALSE(ini.DeleteKey("a"));
  EXPECT_EQ(1u, ini.NumKeys());
}

TEST(IniFile, CaseSettingCanChangeAnyTime) {
  CIniFile ini;
  // Enough names that the lookups go through the index.
  for (int i = 0; i < 50; ++i) {
    ini.SetValue("Key" + std::to_string(i), "Name" + std::to_string(i), std::to_string(i));
  }
  ini.AddKeyName("KEY7");
  EXPECT_EQ(7, ini.FindKey("KEY7"));
  EXPECT_EQ("7", ini.GetValue("key7", "NAME7"));
  EXPECT_EQ("Key7", ini.KeyName(7));  // stored as given
  ini.CaseSensitive();
  EXPECT_EQ(50, ini.FindKey("KEY7"));
  EXPECT_EQ(-1, ini.FindKey("key7"));
  EXPECT_EQ("", ini.GetValue("Key7", "NAME7"));
  EXPECT_EQ("7", ini.GetValue("Key7", "Name7"));
  ini.CaseInsensitive();
  EXPECT_EQ(7, ini.FindKey("KEY7"));
  // Removals keep the index in step.
  EXPECT_TRUE(ini.DeleteKey("key0"));
  EXPECT_EQ(6, ini.FindKey("KEY7"));
  EXPECT_EQ(48, ini.FindKey("Key49"));
  // Folding touches ASCII letters only.
  ini.SetValue("\xD6\xD0", "x", "1");
  EXPECT_EQ(-1, ini.FindKey("\xD6\xF0"));
  EXPECT_EQ("1", ini.GetValue("\xD6\xD0", "X"));
}

TEST(IniFile, ValuesAndIds) {
  CIniFile ini;
  for (int i = 0; i < 20; ++i) ini.SetValue("k", "v" + std::to_string(i), std::to_string(i));
  EXPECT_EQ(20u, ini.NumValues("K"));
  EXPECT_EQ(20u, ini.GetNumValues(0u));
  EXPECT_EQ(0u, ini.NumValues("none"));
  EXPECT_EQ(0u, ini.NumValues(5u));
  EXPECT_EQ(5, ini.FindValue(0, "V5"));
  EXPECT_EQ(-1, ini.FindValue(1, "v5"));
  EXPECT_EQ("v3", ini.ValueName(0, 3));
  EXPECT_EQ("v3", ini.GetValueName("k", 3));
  EXPECT_EQ("", ini.ValueName("k", 30));
  EXPECT_EQ("", ini.ValueName(2, 0));
  EXPECT_EQ("def", ini.GetValue(0, 30, "def"));
  EXPECT_EQ("def", ini.GetValue("k", "v99", "def"));
  EXPECT_EQ("def", ini.GetValue("x", "v1", "def"));
  EXPECT_TRUE(ini.DeleteValue("k", "V0"));
  EXPECT_FALSE(ini.DeleteValue("k", "v0"));
  EXPECT_FALSE(ini.DeleteValue("nokey", "v1"));
  EXPECT_EQ(4, ini.FindValue(0, "v5"));
  EXPECT_EQ("5", ini.GetValue(0, 4));

  EXPECT_TRUE(ini.SetValue(0, 4, "five"));
  EXPECT_EQ("five", ini.GetValue("k", "v5"));
  EXPECT_FALSE(ini.SetValue(0, 19, "x"));
  EXPECT_FALSE(ini.SetValue(1, 0, "x"));
  EXPECT_EQ(1u, ini.NumKeys());
  EXPECT_EQ(19u, ini.NumValues(0u));

  EXPECT_FALSE(ini.SetValue("new", "v", "x", false));
  EXPECT_FALSE(ini.SetValue("k", "new", "x", false));
  EXPECT_EQ(1u, ini.NumKeys());
  EXPECT_EQ(19u, ini.NumValues(0u));
  EXPECT_TRUE(ini.SetValue("k", "V1", "one", false));
  EXPECT_EQ("v1", ini.ValueName(0, 0));
  EXPECT_EQ("one", ini.GetValue(0, 0));
}

TEST(IniFile, TypedValues) {
  CIniFile ini;
  ini.SetValue("k", "letters", "abc12");
  ini.SetValue("k", "mixed", " -12abc");
  ini.SetValue("k", "huge", "99999999999");
  ini.SetValue("k", "word", "true");
  ini.SetValue("k", "two", "2");
  EXPECT_EQ(0, ini.GetValueI("k", "letters", 5));
  EXPECT_EQ(-12, ini.GetValueI("k", "mixed", 5));
  EXPECT_EQ(2147483647, ini.GetValueI("k", "huge"));
  EXPECT_EQ(5, ini.GetValueI("k", "missing", 5));
  EXPECT_FALSE(ini.GetValueB("k", "word", true));
  EXPECT_TRUE(ini.GetValueB("k", "two"));
  EXPECT_TRUE(ini.GetValueB("k", "missing", true));
  EXPECT_FALSE(ini.GetValueB("k", "missing", false));
  EXPECT_DOUBLE_EQ(-12.0, ini.GetValueF("k", "mixed", 1.0));
  EXPECT_DOUBLE_EQ(1e-9, ini.GetValueF("k", "missing", 1e-9));

  EXPECT_TRUE(ini.SetValueF("n", "half", 0.5));
  EXPECT_EQ("0.500000", ini.GetValue("n", "half"));
  EXPECT_TRUE(ini.SetValueI("n", "i", -3));
  EXPECT_EQ("-3", ini.GetValue("n", "i"));
  EXPECT_TRUE(ini.SetValueB("n", "b", true));
  EXPECT_EQ("1", ini.GetValue("n", "b"));
  EXPECT_TRUE(ini.SetValueB("n", "b", false));
  EXPECT_EQ("0", ini.GetValue("n", "b"));
  // An explicit false create flag stops creation, as for SetValue.
  EXPECT_FALSE(ini.SetValueI("n", "absent", 1, false));
  EXPECT_FALSE(ini.SetValueB("absent", "b", true, false));
  EXPECT_FALSE(ini.SetValueF("n", "absent", 1.0, false));
  EXPECT_EQ(-1, ini.FindValue(1, "absent"));
  EXPECT_TRUE(ini.SetValueI("n", "i", 4, false));
  EXPECT_EQ("4", ini.GetValue("n", "i"));
  // Large numbers are stored whole.
  EXPECT_TRUE(ini.SetValueF("n", "big", 1e300));
  EXPECT_EQ(308u, ini.GetValue("n", "big").size());
}

TEST(IniFile, FormattedValues) {
  CIniFile ini;
  EXPECT_TRUE(ini.SetValueV("k", "pair", "%d,%s", 7, "x"));
  EXPECT_EQ("7,x", ini.GetValue("k", "pair"));
  const std::string big(10000, 'z');  // far beyond any fixed buffer
  EXPECT_TRUE(ini.SetValueV("k", "big", "<%s>", big.c_str()));
  EXPECT_EQ("<" + big + ">", ini.GetValue("k", "big"));
  EXPECT_FALSE(ini.SetValueV("k", "null", nullptr));

  char fmt[] = "%d,%15s";
  int n = -1;
  char text[16] = "untouched";
  EXPECT_EQ(2, ini.GetValueV("k", "pair", fmt, &n, text));
  EXPECT_EQ(7, n);
  EXPECT_STREQ("x", text);
  n = -1;
  ini.SetValue("k", "empty", "");
  EXPECT_EQ(0, ini.GetValueV("k", "empty", fmt, &n, text));
  EXPECT_EQ(0, ini.GetValueV("k", "missing", fmt, &n, text));
  EXPECT_EQ(0, ini.GetValueV("k", "pair", nullptr, &n));
  EXPECT_EQ(-1, n);
}

TEST(IniFile, Comments) {
  CIniFile ini;
  ini.HeaderComment("one");
  ini.HeaderComment(" two");
  EXPECT_EQ(2u, ini.NumHeaderComments());
  EXPECT_EQ(" two", ini.HeaderComment(1));
  EXPECT_EQ("", ini.HeaderComment(2));
  EXPECT_FALSE(ini.DeleteHeaderComment(2));
  EXPECT_TRUE(ini.DeleteHeaderComment(0));
  EXPECT_EQ(" two", ini.HeaderComment(0));
  ini.DeleteHeaderComments();
  EXPECT_EQ(0u, ini.NumHeaderComments());

  EXPECT_FALSE(ini.KeyComment(0u, "x"));
  EXPECT_FALSE(ini.KeyComment("k", "x"));
  ini.AddKeyName("k");
  EXPECT_TRUE(ini.KeyComment(0u, "a"));
  EXPECT_TRUE(ini.KeyComment("K", "b"));
  EXPECT_EQ(2u, ini.NumKeyComments(0u));
  EXPECT_EQ(2u, ini.NumKeyComments("k"));
  EXPECT_EQ(0u, ini.NumKeyComments("z"));
  EXPECT_EQ("b", ini.KeyComment(0u, 1u));
  EXPECT_EQ("a", ini.KeyComment("k", 0u));
  EXPECT_EQ("", ini.KeyComment("k", 2u));
  EXPECT_EQ("", ini.KeyComment(1u, 0u));
  EXPECT_FALSE(ini.DeleteKeyComment(0u, 2u));
  EXPECT_TRUE(ini.DeleteKeyComment("k", 0u));
  EXPECT_EQ("b", ini.KeyComment(0u, 0u));
  EXPECT_FALSE(ini.DeleteKeyComments("z"));
  EXPECT_FALSE(ini.DeleteKeyComments(3u));
  EXPECT_TRUE(ini.DeleteKeyComments(0u));
  EXPECT_EQ(0u, ini.NumKeyComments(0u));
}

TEST(IniFile, CopyClearAndPath) {
  CIniFile a("first.ini");
  a.SetValue("k", "v", "1");
  a.HeaderComment("h");
  a.CaseSensitive();
  CIniFile b(a);
  b.SetValue("k", "v", "2");
  EXPECT_EQ("1", a.GetValue("k", "v"));
  EXPECT_EQ("first.ini", b.Path());
  EXPECT_EQ(-1, b.FindKey("K"));  // the case setting is copied too
  CIniFile c;
  c = b;
  EXPECT_EQ("2", c.GetValue("k", "v"));
  c.SetPath("second.ini");
  EXPECT_EQ("second.ini", c.Path());
  c.Path("third.ini");
  EXPECT_EQ("third.ini", c.Path());
  c.Clear();
  EXPECT_EQ(0u, c.NumKeys());
  EXPECT_EQ(0u, c.NumHeaderComments());
  EXPECT_EQ("third.ini", c.Path());
  EXPECT_EQ(-1, c.FindKey("K"));
  b.Erase();
  a.Reset();
  EXPECT_EQ(0u, a.NumKeys() + b.NumKeys());
}
