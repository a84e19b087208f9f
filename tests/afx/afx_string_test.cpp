#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "afx/afx_string.h"

TEST(CString, ConstructionAndNull) {
  EXPECT_TRUE(CString().IsEmpty());
  EXPECT_TRUE(CString(static_cast<LPCSTR>(nullptr)).IsEmpty());
  EXPECT_EQ(3, CString('x', 3).GetLength());
  EXPECT_STREQ("ab", CString("abc", 2));
  EXPECT_TRUE(CString("abc", -1).IsEmpty());
  CString s;
  s = static_cast<LPCSTR>(nullptr);
  EXPECT_STREQ("", s);
}

TEST(CString, FormatHasNoLengthLimit) {
  const std::string big(100000, 'q');
  CString s;
  s.Format("<%s|%d>", big.c_str(), 42);
  ASSERT_EQ(100000 + 5, s.GetLength());
  EXPECT_EQ('<', s[0]);
  EXPECT_EQ(CString("|42>"), s.Right(4));
  s.AppendFormat("%05d", 7);
  EXPECT_EQ(CString("00007"), s.Right(5));
}

TEST(CString, SubstringsClampPositions) {
  const CString s("hello");
  EXPECT_EQ(CString("llo"), s.Mid(2));
  EXPECT_EQ(CString("el"), s.Mid(1, 2));
  EXPECT_EQ(CString(""), s.Mid(9));
  EXPECT_EQ(CString("hello"), s.Mid(-3));
  EXPECT_EQ(CString("hello"), s.Left(99));
  EXPECT_EQ(CString(""), s.Left(-1));
  EXPECT_EQ(CString("lo"), s.Right(2));
  EXPECT_EQ(CString("hello"), s.Right(50));
  EXPECT_EQ('\0', s.GetAt(5));
  EXPECT_EQ('\0', s.GetAt(-1));
}

TEST(CString, FindAndReplace) {
  CString s("a.b.c");
  EXPECT_EQ(1, s.Find('.'));
  EXPECT_EQ(3, s.Find('.', 2));
  EXPECT_EQ(-1, s.Find('.', 99));
  EXPECT_EQ(3, s.ReverseFind('.'));
  EXPECT_EQ(2, s.Find("b.c"));
  EXPECT_EQ(-1, s.Find("zz"));
  EXPECT_EQ(1, s.FindOneOf("x.y"));
  EXPECT_EQ(2, s.Replace(".", "::"));
  EXPECT_EQ(CString("a::b::c"), s);
  EXPECT_EQ(0, s.Replace("", "x"));  // an empty pattern replaces nothing
  EXPECT_EQ(2, s.Remove(':') / 2);
  EXPECT_EQ(CString("abc"), s);
  EXPECT_EQ(4, s.Insert(1, '-'));
  EXPECT_EQ(3, s.Delete(0));
  EXPECT_EQ(CString("-bc"), s);
}

TEST(CString, TrimUsesAsciiWhiteSpaceOnly) {
  CString s(" \t\r\n\v\fx y\x0b ");
  s.Trim();
  EXPECT_EQ(CString("x y"), s);
  // 0xA0 and GBK bytes are never white space.
  CString g("\xA0\xC4\xE3\xA0");
  g.Trim();
  EXPECT_EQ(4, g.GetLength());
  CString t("xxabcxx");
  t.TrimLeft('x');
  t.TrimRight("cx");
  EXPECT_EQ(CString("ab"), t);
}

TEST(CString, CaseFoldingLeavesDoubleByteCharactersAlone) {
  // "中A": the GBK trail byte 0x50 ('P') of U+4E2D must not change.
  CString s(
      "\xD6\x50"
      "Ab");
  s.MakeLower();
  EXPECT_EQ(CString("\xD6\x50"
                    "ab"),
            s);
  s.MakeUpper();
  EXPECT_EQ(CString("\xD6\x50"
                    "AB"),
            s);
  EXPECT_EQ(0, CString("Config").CompareNoCase("CONFIG"));
  EXPECT_LT(CString("a").CompareNoCase("B"), 0);
  EXPECT_GT(CString("b").Compare("a"), 0);
}

TEST(CString, BufferAccess) {
  CString s("abc");
  char* p = s.GetBuffer(10);
  std::snprintf(p, 11, "%s", "0123456789");
  s.ReleaseBuffer();
  EXPECT_EQ(CString("0123456789"), s);
  p = s.GetBufferSetLength(3);
  p[1] = 'X';
  s.ReleaseBuffer(3);
  EXPECT_EQ(CString("0X2"), s);
  s.GetBuffer(0);
  s.ReleaseBuffer(1);
  EXPECT_EQ(CString("0"), s);
}

TEST(CString, ConcatenationAndComparison) {
  CString a("ab");
  a += "cd";
  a += 'e';
  a += CString("f");
  EXPECT_EQ(CString("abcdef"), a);
  EXPECT_TRUE(a == "abcdef");
  EXPECT_TRUE("abcdef" == a);
  EXPECT_TRUE(a != "abc");
  EXPECT_EQ(CString("x-abcdef-y"), "x-" + a + "-y");
  EXPECT_TRUE(CString("a") < CString("b"));
  EXPECT_EQ(CString("ab"), CString("abc").SpanIncluding("ab"));
  EXPECT_EQ(CString("ab"), CString("ab,c").SpanExcluding(","));
}

// GBK characters whose trail byte is an ASCII character: "\xD5\x5C" (U+8AA0)
// and "\x81\x5C" (U+4E57) end in 0x5C ('\'); "\xD6\x41" (U+8AE5) and
// "\xD6\x61" (U+8B05) differ only in a trail byte that looks like a letter.
// Under Wine the same tests run with the real code page 936.

TEST(CString, SearchesNeverMatchATrailByte) {
  // a b [D5 5C] c d \ e f
  const CString s(
      "ab\xD5\x5C"
      "cd\\ef");
  EXPECT_EQ(6, s.Find('\\'));
  EXPECT_EQ(6, s.Find('\\', 2));
  EXPECT_EQ(6, s.ReverseFind('\\'));
  EXPECT_EQ(6, s.FindOneOf("/\\"));
  EXPECT_EQ(-1, s.Find("\\c"));
  EXPECT_EQ(6, s.Find("\\e"));
  EXPECT_EQ(2, s.Find("\xD5\x5C"));
  EXPECT_EQ(-1, CString("x\x81\x5C").ReverseFind('\\'));
  EXPECT_EQ(-1, CString("\xD6\x41").Find('A'));
  // A double-byte character of the set matches only that whole character.
  EXPECT_EQ(-1, CString("ab\\").FindOneOf("\xD5\x5C"));
  EXPECT_EQ(1, CString("a\xD5\x5C").FindOneOf("\xD5\x5C"));
  // A search starting after a path's double-byte directory name.
  const CString path("C:\\\x81\x5C\\\xD5\x5C\\f.txt");
  EXPECT_EQ(8, path.ReverseFind('\\'));
  EXPECT_EQ(CString("f.txt"), path.Mid(path.ReverseFind('\\') + 1));
  EXPECT_EQ(CString("C:\\\x81\x5C\\\xD5\x5C\\"), path.Left(path.ReverseFind('\\') + 1));
  EXPECT_EQ(5, path.Find('\\', 3));
}

TEST(CString, EditsAndTrimsKeepDoubleByteCharactersWhole) {
  CString s("\xD5\x5C\\x\x81\x5C");
  EXPECT_EQ(1, s.Replace('\\', '/'));
  EXPECT_EQ(CString("\xD5\x5C/x\x81\x5C"), s);
  s = "\xD5\x5C\\x\x81\x5C";
  EXPECT_EQ(1, s.Replace("\\", "/"));
  EXPECT_EQ(CString("\xD5\x5C/x\x81\x5C"), s);
  s = "\xD5\x5C\\x\x81\x5C";
  EXPECT_EQ(1, s.Remove('\\'));
  EXPECT_EQ(CString("\xD5\x5Cx\x81\x5C"), s);

  CString dir("dir\\\xD5\x5C");
  dir.TrimRight('\\');
  EXPECT_EQ(CString("dir\\\xD5\x5C"), dir);
  dir.TrimRight("/\\");
  EXPECT_EQ(CString("dir\\\xD5\x5C"), dir);
  dir += "\\\\";
  dir.TrimRight('\\');
  EXPECT_EQ(CString("dir\\\xD5\x5C"), dir);
  dir += "/\\";
  dir.TrimRight("/\\");
  EXPECT_EQ(CString("dir\\\xD5\x5C"), dir);

  EXPECT_EQ(CString("\xD5\x5C"), CString("\xD5\x5C\\x").SpanExcluding("\\"));
  // The set's lone lead byte is no character of the string.
  EXPECT_EQ(CString("a"), CString("a\xD5\x5C").SpanIncluding("a\xD5"));
  EXPECT_EQ(CString("a\xD5\x5C"), CString("a\xD5\x5C"
                                          "b")
                                      .SpanIncluding("a\xD5\x5C"));

  CString r(
      "a\xD5\x5C"
      "b");
  r.MakeReverse();
  EXPECT_EQ(CString("b\xD5\x5C"
                    "a"),
            r);

  // Positions and counts stay bytes.
  EXPECT_EQ(1, CString("\xD5\x5C").Left(1).GetLength());
}

TEST(CString, CaseInsensitiveComparisonFoldsSingleByteLettersOnly) {
  EXPECT_NE(0, CString("\xD6\x41").CompareNoCase("\xD6\x61"));
  EXPECT_EQ(0, CString("\xD6\x41x").CompareNoCase("\xD6\x41X"));
  EXPECT_LT(CString("\xD6\x41").CompareNoCase("\xD6\x61"), 0);
  CString s(
      "\xD6\x61"
      "a");
  s.MakeUpper();
  EXPECT_EQ(CString("\xD6\x61"
                    "A"),
            s);
}

TEST(CString, NoTrailByteInTheAsciiRangeIsEverTakenForACharacter) {
  // Every GBK lead byte with every trail byte from 0x40 to 0x7E: the trail
  // byte is never found, never changes case and never trims away.
  int misses = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0x7E; ++trail) {
      const char bytes[3] = {static_cast<char>(lead), static_cast<char>(trail), '\0'};
      const char ch = static_cast<char>(trail);
      CString s(bytes);
      if (s.Find(ch) != -1 || s.ReverseFind(ch) != -1 || s.FindOneOf(bytes + 1) != -1) ++misses;
      CString folded(bytes);
      folded.MakeLower();
      folded.MakeUpper();
      folded.TrimRight(ch);
      if (folded != s) ++misses;
    }
  }
  EXPECT_EQ(0, misses);
}

TEST(CString, RandomMixedTextAgreesWithACharacterModel) {
  // Texts of whole characters, some double-byte with ASCII-looking trail
  // bytes; every result is checked against the same walk over the tokens.
  static const char* const kTokens[] = {"a",        "A",        "\\",       "/",       "\xD5\x5C",
                                        "\x81\x5C", "\xD6\x41", "\xD6\x61", "\xD6\x2F"};
  std::mt19937 random(20261207);
  for (int round = 0; round < 2000; ++round) {
    std::vector<std::string> tokens(random() % 12);
    for (std::string& t : tokens) t = kTokens[random() % (sizeof kTokens / sizeof kTokens[0])];
    std::string text, upper, removed, trimmed;
    int lastBackslash = -1, firstSlash = -1, firstSeparator = -1, backslashes = 0;
    std::size_t keep = 0;  // bytes left by TrimRight('\\')
    for (const std::string& t : tokens) {
      const int at = static_cast<int>(text.size());
      text += t;
      upper += t == "a" ? "A" : t;
      if (t == "\\") {
        lastBackslash = at;
        ++backslashes;
      } else {
        removed += t;
        keep = text.size();
      }
      if (t == "/" && firstSlash < 0) firstSlash = at;
      if ((t == "/" || t == "\\") && firstSeparator < 0) firstSeparator = at;
    }
    const CString s(text.c_str());
    ASSERT_EQ(lastBackslash, s.ReverseFind('\\')) << round;
    ASSERT_EQ(firstSlash, s.Find('/')) << round;
    ASSERT_EQ(firstSeparator, s.FindOneOf("\\/")) << round;
    CString u(s);
    ASSERT_EQ(CString(upper.c_str()), u.MakeUpper()) << round;
    CString r(s);
    ASSERT_EQ(backslashes, r.Remove('\\')) << round;
    ASSERT_EQ(CString(removed.c_str()), r) << round;
    CString t(s);
    ASSERT_EQ(CString(text.substr(0, keep).c_str()), t.TrimRight('\\')) << round;
  }
}
