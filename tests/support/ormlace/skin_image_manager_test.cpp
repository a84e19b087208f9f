// CSkinImageManager: one picture per name (whatever the letter case or the
// separators, relative or absolute), nothing cached for a missing or broken
// file, and one cache for every thread.
#include "support/ormlace/skin_image_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <thread>
#include <vector>

#include "skin_pictures.h"

namespace {

using skin_pictures::SkinFolder;

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

std::string SmallBmp(COLORREF colour, int width, int height) {
  return picture_files::Bmp24(width, height, std::vector<COLORREF>(std::size_t(width * height), colour));
}

TEST(SkinImageManager, OneCachedPicturePerNameWhateverItsSpelling) {
  SkinFolder folder;
  ASSERT_TRUE(testkit::WriteFileBytes(folder.file("Pic.bmp"), SmallBmp(RGB(0, 0, 255), 3, 2)));
  CSkinImageManager& cache = CSkinImageManager::getSingleton();
  EXPECT_EQ(&cache, &CSkinImageManager::getSingleton());

  CxImage* picture = cache.GetImage(folder.name() + "\\Pic.bmp");
  ASSERT_NE(nullptr, picture);
  EXPECT_EQ(3u, picture->GetWidth());
  EXPECT_EQ(2u, picture->GetHeight());
  EXPECT_EQ(picture, cache.GetImage(folder.name() + "\\Pic.bmp"));
  EXPECT_EQ(picture, cache.GetImage(folder.name() + "/pic.BMP"));
  EXPECT_EQ(picture, cache.GetImage(Upper(folder.name()) + "\\PIC.BMP"));
  EXPECT_EQ(picture, cache.GetImage(folder.file("Pic.bmp")));  // the absolute path of the same file

  // The cache keeps its picture although the file is gone.
  std::filesystem::remove(folder.file("Pic.bmp"));
  EXPECT_EQ(picture, cache.GetImage(folder.name() + "\\Pic.bmp"));
  EXPECT_EQ(3u, picture->GetWidth());
}

TEST(SkinImageManager, NothingCachedForAMissingOrBrokenFileUntilItCanBeRead) {
  SkinFolder folder;
  CSkinImageManager& cache = CSkinImageManager::getSingleton();
  const std::string late = folder.name() + "/late.bmp";
  EXPECT_EQ(nullptr, cache.GetImage(late));
  EXPECT_EQ(nullptr, cache.GetImage(""));

  ASSERT_TRUE(testkit::WriteFileBytes(folder.file("late.bmp"), "not a picture at all"));
  EXPECT_EQ(nullptr, cache.GetImage(late));

  ASSERT_TRUE(testkit::WriteFileBytes(folder.file("late.bmp"), SmallBmp(RGB(255, 0, 0), 4, 5)));
  CxImage* picture = cache.GetImage(late);
  ASSERT_NE(nullptr, picture);
  EXPECT_EQ(4u, picture->GetWidth());
  EXPECT_EQ(5u, picture->GetHeight());

  // Another folder's file of the same name is another picture.
  SkinFolder other;
  ASSERT_TRUE(testkit::WriteFileBytes(other.file("late.bmp"), SmallBmp(RGB(255, 0, 0), 6, 1)));
  CxImage* another = cache.GetImage(other.name() + "/late.bmp");
  ASSERT_NE(nullptr, another);
  EXPECT_NE(picture, another);
  EXPECT_EQ(6u, another->GetWidth());
}

// GBK names (code page 936 under Wine): "\xD6\x41" (U+8AE5) and "\xD6\x61"
// (U+8B05) differ only in a trail byte that looks like a letter; the trail
// byte of "\xD5\x5C" (U+8AA0) is '\'.
TEST(SkinImageManager, DoubleByteNamesKeepTheirTrailBytes) {
  SkinFolder folder;
  ASSERT_TRUE(CreateDirectoryA(folder.file("\xD5\x5C").c_str(), nullptr));
  const std::string sub = folder.name() + "\\\xD5\x5C";
  ASSERT_TRUE(testkit::WriteFileBytes(folder.file("\xD5\x5C\\\xD6\x41.bmp"), SmallBmp(RGB(0, 0, 255), 1, 1)));
  ASSERT_TRUE(testkit::WriteFileBytes(folder.file("\xD5\x5C\\\xD6\x61.bmp"), SmallBmp(RGB(0, 0, 255), 2, 1)));
  CSkinImageManager& cache = CSkinImageManager::getSingleton();
  CxImage* first = cache.GetImage(sub + "\\\xD6\x41.bmp");
  CxImage* second = cache.GetImage(sub + "\\\xD6\x61.bmp");
  ASSERT_NE(nullptr, first);
  ASSERT_NE(nullptr, second);
  EXPECT_NE(first, second);
  EXPECT_EQ(1u, first->GetWidth());
  EXPECT_EQ(2u, second->GetWidth());
  // Separators and letter case still do not matter around them.
  EXPECT_EQ(first, cache.GetImage(folder.name() + "/\xD5\x5C/\xD6\x41.BMP"));
  EXPECT_EQ(second, cache.GetImage(Upper(folder.name()) + "/\xD5\x5C\\\xD6\x61.bmp"));
}

TEST(SkinImageManager, ThreadsShareTheCacheAndItsPictures) {
  SkinFolder folder;
  ASSERT_TRUE(testkit::WriteFileBytes(folder.file("shared.bmp"), SmallBmp(RGB(0, 255, 0), 7, 7)));
  const std::string name = folder.name() + "\\shared.bmp";
  std::vector<CSkinImageManager*> managers(8, nullptr);
  std::vector<CxImage*> pictures(8, nullptr);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < managers.size(); ++i) {
    threads.emplace_back([&, i] {
      managers[i] = &CSkinImageManager::getSingleton();
      pictures[i] = managers[i]->GetImage(i % 2 ? name : Upper(name));
    });
  }
  for (std::thread& t : threads) t.join();
  ASSERT_NE(nullptr, pictures[0]);
  for (std::size_t i = 0; i < managers.size(); ++i) {
    EXPECT_EQ(&CSkinImageManager::getSingleton(), managers[i]);
    EXPECT_EQ(pictures[0], pictures[i]);
  }
}

}  // namespace
