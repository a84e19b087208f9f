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
