// Fixed-size text cut on character boundaries of a double-byte code page.
#include "zavrelcom/server/dbcs_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// "中文" in GBK: two double-byte characters.
const char kZhongWen[] = "\xD6\xD0\xCE\xC4";

}  // namespace

TEST(DbcsText, CutFallsBeforeADoubleByteCharacterThatDoesNotFit) {
  const std::string text = std::string("abc") + kZhongWen;  // 3 + 2 + 2 bytes
  EXPECT_EQ(7u, DbcsFitLength(text.c_str(), 7));
  EXPECT_EQ(5u, DbcsFitLength(text.c_str(), 6));  // would split the second
  EXPECT_EQ(3u, DbcsFitLength(text.c_str(), 4));
  EXPECT_EQ(0u, DbcsFitLength(kZhongWen, 1));
  EXPECT_EQ(0u, DbcsFitLength(nullptr, 10));

  char out[7];
  std::memset(out, 'x', sizeof(out));
  DbcsCopy(out, sizeof(out), text.c_str());
  EXPECT_STREQ("abc\xD6\xD0", out);
  DbcsCopy(out, 1, text.c_str());
  EXPECT_STREQ("", out);
  DbcsCopy(out, sizeof(out), nullptr);
  EXPECT_STREQ("", out);
}

TEST(DbcsText, TrailBytesAreNotTakenForLeadBytes) {
  // 0xD6 0xB1 0xB1 0xED: two characters whose trail byte is itself in the
  // lead range; a cut at 3 must not keep the third byte as a lead byte.
  const char text[] = "\xD6\xB1\xB1\xED";
  EXPECT_EQ(2u, DbcsFitLength(text, 3));
  // A lead byte that ends the text stands alone.
  EXPECT_EQ(2u, DbcsFitLength("a\x81", 5));
}

TEST(DbcsText, RemovesOnlyABackslashOfItsOwn) {
  char folder[] = "C:\\faces\\";
  EXPECT_TRUE(DbcsRemoveTrailingBackslash(folder));
  EXPECT_STREQ("C:\\faces", folder);
  EXPECT_FALSE(DbcsRemoveTrailingBackslash(folder));
  char twice[] = "C:\\a\\\\";
  EXPECT_TRUE(DbcsRemoveTrailingBackslash(twice));
  EXPECT_STREQ("C:\\a\\", twice);
  // "表" ends with the byte 0x5C as its trail byte: not a backslash.
  char table[] = "C:\\\xB1\x5C";
  EXPECT_FALSE(DbcsRemoveTrailingBackslash(table));
  EXPECT_STREQ("C:\\\xB1\x5C", table);
  char empty[] = "";
  EXPECT_FALSE(DbcsRemoveTrailingBackslash(empty));
  EXPECT_FALSE(DbcsRemoveTrailingBackslash(nullptr));
}
