// StringUtility: trimming, splitting, parsing, printing, copying and the
// GBK / UTF-8 / UTF-16 conversions (natively through iconv, under Wine
// through code page 936).
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "zavrel/util/string_utility.h"

namespace {

std::vector<std::string> Split(const std::string& text, const std::string& delims, unsigned limit) {
  const StringList list = StringUtility::split(text, delims, limit);
  return std::vector<std::string>(list.begin(), list.end());
}

typedef std::vector<std::string> Fields;

// "中文" in GBK and in UTF-8, written as bytes.
const std::string kGbk("\xD6\xD0\xCE\xC4");
const std::string kUtf8("\xE4\xB8\xAD\xE6\x96\x87");

}  // namespace

TEST(StringUtility, WhiteSpaceIsTheSixAsciiBytesOnly) {
  for (int c = -128; c < 256; ++c) {
    const bool expected = c == 32 || (c >= 9 && c <= 13);
    EXPECT_EQ(expected ? 1 : 0, StringUtility::isspace(c)) << c;
  }
  std::string s = " \t\r\nab c\v\f ";
  EXPECT_EQ(&s, &StringUtility::trim(s));
  EXPECT_EQ("ab c", s);
  s = "  x  ";
  EXPECT_EQ("x  ", StringUtility::ltrim(s));
  s = "  x  ";
  EXPECT_EQ("  x", StringUtility::rtrim(s));
  s = " \t ";
  EXPECT_EQ("", StringUtility::trim(s));
  // The full-width space of GBK (A1 A1) is not white space.
  s = "\xA1\xA1"
      "abc"
      "\xA1\xA1";
  EXPECT_EQ(
      "\xA1\xA1"
      "abc"
      "\xA1\xA1",
      StringUtility::trim(s));
  EXPECT_EQ("abc\xD6\xD0", StringUtility::clearSpace(" a b\tc \xD6\xD0\n"));
}

TEST(StringUtility, CaseMappingTouchesAsciiLettersOnly) {
  EXPECT_EQ("ABC1\xD6\xD0Z", StringUtility::toUpperCase("aBc1\xD6\xD0z"));
  EXPECT_EQ("abc1\xC4\xE3z", StringUtility::toLowerCase("ABC1\xC4\xE3Z"));
  EXPECT_TRUE(StringUtility::startsWith("Hello", "hello", true));
  EXPECT_FALSE(StringUtility::startsWith("Hello", "HELLO", true));
  EXPECT_FALSE(StringUtility::startsWith("Hello", "hello", false));
  EXPECT_TRUE(StringUtility::startsWith("Hello", "He", false));
  EXPECT_FALSE(StringUtility::startsWith("Hello", "", true));
  EXPECT_FALSE(StringUtility::startsWith("He", "Hello", false));
  EXPECT_TRUE(StringUtility::endsWith("File.TXT", ".txt", true));
  EXPECT_FALSE(StringUtility::endsWith("File.TXT", ".txt", false));
  EXPECT_FALSE(StringUtility::endsWith("x", "", false));
}

TEST(StringUtility, ReplaceNeverRescansInsertedText) {
  EXPECT_EQ("aaaaaa", StringUtility::stringReplace("aaa", "aa", "a"));
  EXPECT_EQ("x-y-z", StringUtility::stringReplace("x, y, z", "-", ", "));
  EXPECT_EQ("c", StringUtility::stringReplace("abcab", "", "ab"));  // removal
  EXPECT_EQ("abc", StringUtility::stringReplace("abc", "zz", ""));  // empty pattern
  EXPECT_EQ("", StringUtility::stringReplace("", "x", "y"));
}

TEST(StringUtility, SplitFieldsAndCounter) {
  EXPECT_EQ(Fields({""}), Split("", ",", 0));
  EXPECT_EQ(Fields({}), Split(",,,", ",", 0));
  EXPECT_EQ(Fields({"a", "b", "c"}), Split(",a,,b,c,", ",", 0));
  EXPECT_EQ(Fields({"a", "b,c"}), Split("a,b,c", ",", 1));
  // Skipping the leading comma counts as a split.
  EXPECT_EQ(Fields({"a,b,c"}), Split(",a,b,c", ",", 1));
  EXPECT_EQ(Fields({"a", "b", "c"}), Split("a b\tc", "\t\n ", 0));
  EXPECT_EQ(Fields({"a", "b", "c,,d,"}), Split("a;b,,c,,d,", ";,", 2));
  EXPECT_EQ(Fields({"a,b"}), Split("a,b", "", 0));
  EXPECT_EQ(Fields({"a"}), Split("a,", ",", 1));

  StringList list = {"kept"};
  StringUtility::split(list, "x y", " ", 0);
  EXPECT_EQ(Fields({"kept", "x", "y"}), Fields(list.begin(), list.end()));
}

TEST(StringUtility, IntegerParsersRejectTrailingBytes) {
  int i = -7;
  EXPECT_FALSE(StringUtility::tryParseInt("", i));
  EXPECT_EQ(-7, i);
  EXPECT_FALSE(StringUtility::tryParseInt("abc", i));
  EXPECT_EQ(-7, i);
  EXPECT_FALSE(StringUtility::tryParseInt("12 ", i));
  EXPECT_EQ(12, i);
  i = 0;
  EXPECT_FALSE(StringUtility::tryParseInt("12x", i));
  EXPECT_EQ(12, i);
  EXPECT_TRUE(StringUtility::tryParseInt(" \t-42", i));
  EXPECT_EQ(-42, i);
  EXPECT_TRUE(StringUtility::tryParseInt("+5", i));
  EXPECT_EQ(5, i);
  EXPECT_FALSE(StringUtility::tryParseInt("-", i));
  EXPECT_FALSE(StringUtility::tryParseInt("   ", i));
  EXPECT_EQ(5, i);
  EXPECT_EQ(0, StringUtility::parseInt("abc"));
  EXPECT_EQ(0, StringUtility::parseInt("7z"));
  EXPECT_EQ(INT_MIN, StringUtility::parseInt("-2147483648"));
  EXPECT_EQ(2147483647, StringUtility::parseInt("2147483647"));

  EXPECT_EQ(4000000000u, StringUtility::parseUint("4000000000"));
  EXPECT_EQ(4294967295u, StringUtility::parseUint("-1"));
  EXPECT_EQ(0u, StringUtility::parseUint(""));
  unsigned long ul = 3;
  EXPECT_FALSE(StringUtility::tryParseUlong("9 9", ul));
  EXPECT_EQ(9ul, ul);
  EXPECT_EQ(4294967295ul, StringUtility::parseUlong("4294967295"));
  EXPECT_EQ(9000000000000000000ll, StringUtility::parseLongLong("9000000000000000000"));
  EXPECT_EQ(-9000000000ll, StringUtility::parseLongLong(" -9000000000"));
  EXPECT_EQ(0ll, StringUtility::parseLongLong("1.5"));
}

TEST(StringUtility, RealParsersIgnoreWhatFollows) {
  double d = 0;
  EXPECT_TRUE(StringUtility::tryParseDouble("1.5abc", d));
  EXPECT_EQ(1.5, d);
  EXPECT_TRUE(StringUtility::tryParseDouble("  -2e3 ", d));
  EXPECT_EQ(-2000.0, d);
  d = 9;
  EXPECT_FALSE(StringUtility::tryParseDouble("x1", d));
  EXPECT_EQ(9.0, d);
  EXPECT_EQ(0.0, StringUtility::parseDouble(""));
  float f = 0;
  EXPECT_TRUE(StringUtility::tryParseFloat("0.25;", f));
  EXPECT_EQ(0.25f, f);
  EXPECT_EQ(0.0f, StringUtility::parseFloat("."));
}

TEST(StringUtility, BoolAndPrinting) {
  EXPECT_TRUE(StringUtility::parseBool("TRUE"));
  EXPECT_TRUE(StringUtility::parseBool("True"));
  EXPECT_FALSE(StringUtility::parseBool(" true"));
  EXPECT_FALSE(StringUtility::parseBool("1"));
  EXPECT_FALSE(StringUtility::parseBool("yes"));
  EXPECT_EQ("True", StringUtility::toString(true));
  EXPECT_EQ("False", StringUtility::toString(false));
  EXPECT_TRUE(StringUtility::parseBool(StringUtility::toString(true)));
  EXPECT_EQ("200", StringUtility::toString(static_cast<unsigned char>(200)));
  EXPECT_EQ("-17", StringUtility::toString(-17));
  EXPECT_EQ("4294967295", StringUtility::toString(4294967295u));
  EXPECT_EQ("4000000000", StringUtility::toString(4000000000ul));
  EXPECT_EQ("0.5", StringUtility::toString(0.5));
  EXPECT_EQ("0.25", StringUtility::toString(0.25f));
  EXPECT_EQ("123457", StringUtility::toString(123456.7));
}

TEST(StringUtility, FormatHasNoLengthLimit) {
  EXPECT_EQ("", StringUtility::string_format(static_cast<const char*>(nullptr)));
  EXPECT_EQ("", StringUtility::string_format("%s", ""));
  EXPECT_EQ("7-x-\xD6\xD0", StringUtility::string_format("%d-%s-%s", 7, "x", "\xD6\xD0"));
  const std::string big(100000, 'q');
  EXPECT_EQ("<" + big + ">", StringUtility::string_format("<%s>", big.c_str()));
  EXPECT_EQ(L"", StringUtility::string_format(static_cast<const wchar_t*>(nullptr)));
  EXPECT_EQ(L"n=12", StringUtility::string_format(L"n=%d", 12));
  const std::wstring wide(5000, L'w');
  EXPECT_EQ(wide + L"!", StringUtility::string_format(L"%ls!", wide.c_str()));
}

TEST(StringUtility, HexDigits) {
  EXPECT_EQ(15, StringUtility::ASCIIToHex('f'));
  EXPECT_EQ(15, StringUtility::ASCIIToHex('F'));
  EXPECT_EQ(9, StringUtility::ASCIIToHex('9'));
  EXPECT_EQ(0, StringUtility::ASCIIToHex('g'));
  EXPECT_EQ(0, StringUtility::ASCIIToHex('\xD6'));
}

TEST(StringUtility, BoundedCopies) {
  char buf[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(6u, StringUtility::strlcpy(buf, "abcdef", sizeof(buf)));
  EXPECT_STREQ("abc", buf);
  char untouched[2] = {'z', 'z'};
  EXPECT_EQ(6u, StringUtility::strlcpy(untouched, "abcdef", 0));
  EXPECT_EQ('z', untouched[0]);
  EXPECT_EQ(0u, StringUtility::strlcpy(nullptr, "abc", 4));
  EXPECT_EQ(0u, StringUtility::strlcpy(buf, nullptr, 4));

  char cat[8] = "ab";
  EXPECT_EQ(7u, StringUtility::strlcat(cat, "cdefg", sizeof(cat)));
  EXPECT_STREQ("abcdefg", cat);
  EXPECT_EQ(9u, StringUtility::strlcat(cat, "hi", sizeof(cat)));
  EXPECT_STREQ("abcdefg", cat);
  char full[3] = {'a', 'b', 'c'};  // no terminator within the size
  EXPECT_EQ(5u, StringUtility::strlcat(full, "de", sizeof(full)));
  EXPECT_EQ('c', full[2]);
  EXPECT_EQ(0u, StringUtility::strlcat(nullptr, "x", 3));
}

TEST(StringUtility, GbkRoundTripsThroughUtf8AndUtf16) {
  std::string out;
  EXPECT_EQ(kUtf8, StringUtility::AnsiToUTF8(kGbk, out));
  EXPECT_EQ(kUtf8, out);
  EXPECT_EQ(kGbk, StringUtility::UTF8ToAnsi(kUtf8, out));
  EXPECT_EQ(kGbk, out);
  EXPECT_EQ("abc" + kGbk, StringUtility::UTF8ToAnsi("abc" + kUtf8, out));

  const std::wstring wide = StringUtility::Ansi2WChar(("x" + kGbk).c_str());
  ASSERT_EQ(3u, wide.size());
  EXPECT_EQ(L'x', wide[0]);
  EXPECT_EQ(0x4E2D, static_cast<int>(wide[1]));
  EXPECT_EQ(0x6587, static_cast<int>(wide[2]));
  EXPECT_EQ("x" + kGbk, StringUtility::WChar2Ansi(wide.c_str()));

  // A long text grows the shared buffers; a later short one still converts.
  std::string longText;
  for (int i = 0; i < 5000; ++i) longText += kGbk;
  EXPECT_EQ(longText, StringUtility::UTF8ToAnsi(StringUtility::AnsiToUTF8(longText, out), out));
  EXPECT_EQ("a", StringUtility::AnsiToUTF8("a", out));
}

TEST(StringUtility, ConversionEdges) {
  EXPECT_EQ("", StringUtility::WChar2Ansi(nullptr));
  EXPECT_EQ(L"", StringUtility::Ansi2WChar(nullptr));
  EXPECT_EQ(L"", StringUtility::Ansi2WChar(""));
  std::string out = "old";
  EXPECT_EQ("", StringUtility::UTF8ToAnsi("", out));
  EXPECT_EQ("", out);
  // Bad input gives some text and never more than it could hold.
  const std::string badUtf8("a\xFF\xC3(\xE4\xB8");
  const std::string ansi = StringUtility::UTF8ToAnsi(badUtf8, out);
  EXPECT_EQ('a', ansi[0]);
  EXPECT_LE(ansi.size(), 3 * badUtf8.size());
  const std::string badGbk("b\x81\xFF\x80");
  const std::string utf8 = StringUtility::AnsiToUTF8(badGbk, out);
  EXPECT_EQ('b', utf8[0]);
  // Conversion stops at a NUL.
  EXPECT_EQ("ab", StringUtility::AnsiToUTF8(std::string("ab\0cd", 5), out));
}
