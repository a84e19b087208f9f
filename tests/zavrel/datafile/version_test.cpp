// Version: parsing, printing, comparison.
#include <gtest/gtest.h>

#include <string>

#include "zavrel/datafile/version.h"

namespace {

void ExpectParts(const Version& v, int a, int b, int c, int d) {
  EXPECT_EQ(a, v.part1);
  EXPECT_EQ(b, v.part2);
  EXPECT_EQ(c, v.part3);
  EXPECT_EQ(d, v.part4);
}

}  // namespace

TEST(Version, InvalidAndDefault) {
  Version v;
  EXPECT_EQ("-1.-1.-1.-1", v.GetString());
  Version invalid(Version::INVALID);
  EXPECT_EQ("-1.-1.-1.-1", invalid.GetString());
  EXPECT_TRUE(v == Version::INVALID);
  EXPECT_TRUE(Version::INVALID < Version(0, 0, 0, 0));
  EXPECT_FALSE(Version::INVALID > Version(0, 0, 0, 0));
}

TEST(Version, TextForms) {
  std::string dotted = "1.2.3.4";
  Version a(dotted);
  ExpectParts(a, 1, 2, 3, 4);
  EXPECT_EQ("1.2.3.4", a.GetString());
  std::string commas = "1, 2, 3, 4";
  ExpectParts(Version(commas), 1, 2, 3, 4);

  Version b(1, 1, 1, 1);
  EXPECT_FALSE(b.SetValue("1.2.3"));
  EXPECT_FALSE(b.SetValue("1.2.3.4.5"));
  EXPECT_FALSE(b.SetValue(""));
  ExpectParts(b, 1, 1, 1, 1);
  b = std::string("9.8.7");  // does not parse: unchanged
  ExpectParts(b, 1, 1, 1, 1);
  std::string three = "1.2.3";
  ExpectParts(Version(three), -1, -1, -1, -1);

  EXPECT_TRUE(b.SetValue("1..3.4"));
  ExpectParts(b, 1, 0, 3, 4);
  EXPECT_TRUE(b.SetValue("a.b.c.d"));
  ExpectParts(b, 0, 0, 0, 0);
  EXPECT_TRUE(b.SetValue(" 1 0 .\t2,-3 , +4 "));  // blanks inside a part vanish
  ExpectParts(b, 10, 2, -3, 4);
  EXPECT_EQ("10.2.-3.4", b.GetString());
  EXPECT_TRUE(b.SetValue("1.2.3.4x"));
  ExpectParts(b, 1, 2, 3, 0);
  b = std::string("5.6.7.8");
  ExpectParts(b, 5, 6, 7, 8);
  // Long and odd texts are refused quickly and safely.
  EXPECT_FALSE(b.SetValue(std::string(100000, '.')));
  EXPECT_TRUE(b.SetValue(std::string(100000, ' ') + "1.2.3.4"));
}

TEST(Version, PackedAndIntegers) {
  unsigned int packed = 0x04030201u;
  Version v(packed);
  ExpectParts(v, 1, 2, 3, 4);
  EXPECT_EQ("1.2.3.4", v.GetString());
  EXPECT_TRUE(v.SetValue(0xFF00FF00u));
  ExpectParts(v, 0, 255, 0, 255);
  EXPECT_TRUE(v.SetValue(7, -8, 9, 10));
  ExpectParts(v, 7, -8, 9, 10);
  Version copy(v);
  Version assigned;
  assigned = v;
  EXPECT_TRUE(copy == v);
  EXPECT_TRUE(assigned == v);
  EXPECT_FALSE(assigned != v);
}

TEST(Version, Comparison) {
  const Version a(1, 2, 3, 4);
  EXPECT_TRUE(a < Version(1, 2, 3, 10));
  EXPECT_TRUE(a > Version(1, 2, 2, 99));
  EXPECT_TRUE(a > Version(0, 99, 99, 99));
  EXPECT_TRUE(a < Version(1, 3, 0, 0));
  const Version same(1, 2, 3, 4);
  EXPECT_FALSE(a < same);
  EXPECT_FALSE(a > same);
  EXPECT_TRUE(a == same);
  EXPECT_TRUE(a != Version(1, 2, 3, 5));
}
