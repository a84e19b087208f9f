// FileUtility members that exist in every build.
#include <gtest/gtest.h>

#include "tests/testkit/testkit.h"
#include "zavrel/util/file_utility.h"

TEST(FileUtilityPortable, ExistenceAndDirectories) {
  testkit::TempDir dir;
  const std::string file = dir.file("a.txt");
  EXPECT_FALSE(FileUtility::fileExist(file));
  ASSERT_TRUE(testkit::WriteFileBytes(file, "x"));
  EXPECT_TRUE(FileUtility::fileExist(file));
  EXPECT_FALSE(FileUtility::fileExist(dir.path().string()));  // a directory is no file
  EXPECT_TRUE(FileUtility::directoryExist(dir.path().string()));
  EXPECT_FALSE(FileUtility::directoryExist(file));

  EXPECT_EQ("a/b\\", FileUtility::getDirectory("a/b\\c.txt"));
  EXPECT_EQ("", FileUtility::getDirectory("c.txt"));
  EXPECT_EQ("C:\\", FileUtility::getDirectory("C:\\x"));

  const std::string temp = FileUtility::getTempPath();
  ASSERT_FALSE(temp.empty());
  EXPECT_TRUE(temp.back() == '\\' || temp.back() == '/');
  EXPECT_TRUE(FileUtility::directoryExist(temp));
}

TEST(FileUtilityPortable, AppPathIsSetAtLoad) {
  const std::string dir = FileUtility::GetCurrentWorkingDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir, FileUtility::APP_PATH);
  EXPECT_TRUE(dir.back() == '\\' || dir.back() == '/');
  EXPECT_TRUE(FileUtility::directoryExist(dir));
}

TEST(FileUtilityPortable, DirectoryOfAPathWithTrailBytes0x5C) {
  // "\xD5\x5C" and "\x81\x5C" are GBK characters whose second byte is '\'.
  EXPECT_EQ("a\\", FileUtility::getDirectory("a\\\xD5\x5C"));
  EXPECT_EQ("", FileUtility::getDirectory("\x81\x5C"
                                          "x.txt"));
  EXPECT_EQ("C:\\\xD5\x5C\\", FileUtility::getDirectory("C:\\\xD5\x5C\\\x81\x5C"));
  EXPECT_EQ("\xD5\x5C/", FileUtility::getDirectory("\xD5\x5C/f"));
}
