// The face store: PNG pairs written by the test, read back as bitmaps and
// drawn into memory contexts.
#include "zavrelcom/face/user_face_res.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "afx/afx_gdi.h"
#include "tests/support/brevio/picture_files.h"
#include "tests/testkit/testkit.h"

namespace {

const COLORREF kRed = RGB(220, 10, 10);
const COLORREF kGreen = RGB(10, 200, 20);
const COLORREF kBlue = RGB(20, 30, 210);
const COLORREF kYellow = RGB(240, 230, 20);
const COLORREF kKey = RGB(0, 128, 128);  // drawn transparent
const COLORREF kBack = RGB(1, 2, 3);

// A width x height PNG of one colour.
bool WritePng(const std::string& path, int width, int height, COLORREF colour) {
  std::vector<DWORD> argb(static_cast<std::size_t>(width * height), picture_files::Argb(255, colour));
  return picture_files::SaveWithGdiplus(path, width, height, argb, L"image/png");
}

// The size and top-left pixel of a bitmap.
struct BitmapLook {
  int width = 0, height = 0;
  COLORREF topLeft = CLR_INVALID;
};
BitmapLook Look(HBITMAP bitmap) {
  BitmapLook look;
  CBitmap owner;
  if (!owner.Attach(bitmap)) return look;  // deleted with the owner
  BITMAP info = {};
  owner.GetBitmap(&info);
  look.width = info.bmWidth;
  look.height = info.bmHeight;
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap* old = dc.SelectObject(&owner);
  look.topLeft = dc.GetPixel(0, 0);
  dc.SelectObject(old);
  return look;
}

class UserFaceRes : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, CreateComponent<CUserFaceRes>(IID_IUserFaceRes1, reinterpret_cast<void**>(&faces)));
  }
  void TearDown() override {
    if (faces) {
      EXPECT_EQ(0u, faces->Release());
    }
  }
  testkit::TempDir dir;
  IUserFaceRes1* faces = nullptr;
};

}  // namespace

TEST_F(UserFaceRes, LoadsPairsUpToTheFirstGap) {
  ASSERT_TRUE(WritePng(dir.file("1-1.png"), 4, 3, kRed));
  ASSERT_TRUE(WritePng(dir.file("1-2.png"), 5, 2, kGreen));
  ASSERT_TRUE(WritePng(dir.file("2-1.png"), 6, 6, kBlue));
  ASSERT_TRUE(WritePng(dir.file("2-2.png"), 2, 2, kYellow));
  ASSERT_TRUE(WritePng(dir.file("4-1.png"), 2, 2, kRed));  // after the gap at 3
  ASSERT_TRUE(WritePng(dir.file("4-2.png"), 2, 2, kRed));
  ASSERT_TRUE(WritePng(dir.file("default.png"), 7, 1, kYellow));
  EXPECT_TRUE(faces->LoadFaces(dir.path().string().c_str()));
  ASSERT_EQ(2, faces->GetFaceCount());

  BitmapLook a = Look(faces->GetFaceBitmap(0, 0));
  EXPECT_EQ(4, a.width);
  EXPECT_EQ(3, a.height);
  EXPECT_EQ(kRed, a.topLeft);
  BitmapLook b = Look(faces->GetFaceBitmap(0, 1));
  EXPECT_EQ(5, b.width);
  EXPECT_EQ(kGreen, b.topLeft);
  BitmapLook c = Look(faces->GetFaceBitmap(1, 0));
  EXPECT_EQ(6, c.width);
  EXPECT_EQ(kBlue, c.topLeft);
  // Any other variant is the default face, reachable below the count only.
  BitmapLook d = Look(faces->GetFaceBitmap(1, 7));
  EXPECT_EQ(7, d.width);
  EXPECT_EQ(kYellow, d.topLeft);
  EXPECT_EQ(nullptr, faces->GetFaceBitmap(2, 0));
  EXPECT_EQ(nullptr, faces->GetFaceBitmap(2, -1));
}

TEST_F(UserFaceRes, MissingSecondFileEndsTheSet) {
  ASSERT_TRUE(WritePng(dir.file("1-1.png"), 2, 2, kRed));
  ASSERT_TRUE(WritePng(dir.file("1-2.png"), 2, 2, kRed));
  ASSERT_TRUE(WritePng(dir.file("2-1.png"), 2, 2, kRed));
  faces->LoadFaces(dir.path().string().c_str());
  EXPECT_EQ(1, faces->GetFaceCount());
}

TEST_F(UserFaceRes, EmptyFolderDrawsNothingForAnyIndex) {
  ASSERT_TRUE(WritePng(dir.file("default.png"), 2, 2, kRed));
  EXPECT_TRUE(faces->LoadFaces(dir.path().string().c_str()));
  EXPECT_EQ(0, faces->GetFaceCount());
  testkit::MemorySurface surface(8, 8, kBack);
  for (int variant : {0, 1, 2}) {
    EXPECT_EQ(nullptr, faces->GetFaceBitmap(0, variant));
    faces->DrawFace(0, variant, &surface.dc, 0, 0, 8, 8);
  }
  EXPECT_EQ(kBack, surface.dc.GetPixel(4, 4));
}

TEST_F(UserFaceRes, SecondSmallerFolderReplacesTheFirst) {
  testkit::TempDir small;
  for (int n = 1; n <= 3; ++n) {
    ASSERT_TRUE(WritePng(dir.file(std::to_string(n) + "-1.png"), 2, 2, kRed));
    ASSERT_TRUE(WritePng(dir.file(std::to_string(n) + "-2.png"), 2, 2, kRed));
  }
  ASSERT_TRUE(WritePng(small.file("1-1.png"), 3, 3, kBlue));
  ASSERT_TRUE(WritePng(small.file("1-2.png"), 3, 3, kBlue));
  faces->LoadFaces(dir.path().string().c_str());
  ASSERT_EQ(3, faces->GetFaceCount());
  faces->LoadFaces((small.path().string() + "\\").c_str());
  ASSERT_EQ(1, faces->GetFaceCount());
  EXPECT_EQ(kBlue, Look(faces->GetFaceBitmap(0, 0)).topLeft);
  EXPECT_EQ(nullptr, faces->GetFaceBitmap(1, 0));
}

TEST_F(UserFaceRes, DrawsStretchedWithTheKeyColourTransparent) {
  // 2 x 2: red, key / key, red.
  std::vector<DWORD> argb = {picture_files::Argb(255, kRed), picture_files::Argb(255, kKey),
                             picture_files::Argb(255, kKey), picture_files::Argb(255, kRed)};
  ASSERT_TRUE(picture_files::SaveWithGdiplus(dir.file("1-1.png"), 2, 2, argb, L"image/png"));
  ASSERT_TRUE(WritePng(dir.file("1-2.png"), 2, 2, kGreen));
  faces->LoadFaces(dir.path().string().c_str());
  ASSERT_EQ(1, faces->GetFaceCount());

  testkit::MemorySurface surface(40, 40, kBack);
  faces->DrawFace(0, 0, &surface.dc, 10, 10, 20, 20);
  EXPECT_EQ(kRed, surface.dc.GetPixel(12, 12));
  EXPECT_EQ(kBack, surface.dc.GetPixel(27, 12));  // the key colour leaves the context alone
  EXPECT_EQ(kRed, surface.dc.GetPixel(27, 27));
  EXPECT_EQ(kBack, surface.dc.GetPixel(5, 5));  // outside the rectangle
  EXPECT_EQ(kBack, surface.dc.GetPixel(32, 32));

  const RECT rect = {0, 0, 8, 8};
  faces->DrawFace(0, 1, &surface.dc, &rect);
  EXPECT_EQ(kGreen, surface.dc.GetPixel(4, 4));
  EXPECT_EQ(kBack, surface.dc.GetPixel(9, 4));
  faces->DrawFace(0, 1, nullptr, &rect);  // no context: nothing
}

TEST_F(UserFaceRes, FileNamesWithAndWithoutTrailingBackslash) {
  char buffer[MAX_PATH];
  faces->LoadFaces("C:\\faces\\");
  EXPECT_STREQ("C:\\faces\\5-2.png", faces->GetFaceFileName(4, 1, buffer));
  EXPECT_EQ(buffer, faces->GetFaceFileName(0, 0, buffer));
  EXPECT_STREQ("C:\\faces\\1-1.png", buffer);
  faces->LoadFaces("C:\\faces");
  EXPECT_STREQ("C:\\faces\\65535-1.png", faces->GetFaceFileName(65534, 0, buffer));
  EXPECT_STREQ("C:\\faces\\unknow.png", faces->GetFaceFileName(0, 2, buffer));
  EXPECT_STREQ("C:\\faces\\unknow.png", faces->GetFaceFileName(0, -1, buffer));
  EXPECT_EQ(nullptr, faces->GetFaceFileName(0, 0, nullptr));
}

TEST_F(UserFaceRes, LongFolderIsCutAndNamesFitAPathBuffer) {
  // 300 bytes: "C:\" then double-byte characters ("中") to the end.
  std::string folder = "C:\\";
  while (folder.size() < 300) folder += "\xD6\xD0";
  EXPECT_TRUE(faces->LoadFaces(folder.c_str()));
  EXPECT_EQ(0, faces->GetFaceCount());

  // The buffer is followed by a guard that must stay untouched.
  struct {
    char name[MAX_PATH];
    char guard[64];
  } out;
  std::memset(&out, 'G', sizeof(out));
  faces->GetFaceFileName(0, 0, out.name);
  EXPECT_EQ(std::string(64, 'G'), std::string(out.guard, sizeof(out.guard)));
  const std::string name = out.name;
  ASSERT_LT(name.size(), static_cast<std::size_t>(MAX_PATH));
  // The folder part holds whole characters only: "C:\" and pairs.
  EXPECT_EQ(folder.substr(0, 3), name.substr(0, 3));
  std::size_t at = 3;
  while (at + 1 < name.size() && name.compare(at, 2, "\xD6\xD0") == 0) at += 2;
  EXPECT_TRUE(at >= name.size() || name[at] == '\\') << "cut inside a character at " << at;
}
