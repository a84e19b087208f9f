// CImage: pictures loaded through GDI+ into a bitmap and copied out with
// BitBlt; ownership of the bitmap.
#include "afx/afx_image.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/brevio/picture_files.h"
#include "tests/testkit/testkit.h"

TEST(AfxImage, LoadsABitmapAndCopiesItUnscaled) {
  testkit::TempDir dir;
  // 3 x 2: top row red, green, blue; bottom row white.
  const std::vector<COLORREF> pixels = {RGB(255, 0, 0),     RGB(0, 255, 0),     RGB(0, 0, 255),
                                        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)};
  ASSERT_TRUE(testkit::WriteFileBytes(dir.file("p.bmp"), picture_files::Bmp24(3, 2, pixels)));
  CImage image;
  EXPECT_TRUE(image.IsNull());
  EXPECT_FALSE(image.BitBlt(nullptr, 0, 0));
  ASSERT_EQ(S_OK, image.Load(dir.file("p.bmp").c_str()));
  EXPECT_FALSE(image.IsNull());
  EXPECT_EQ(3, image.GetWidth());
  EXPECT_EQ(2, image.GetHeight());
  EXPECT_EQ(E_UNEXPECTED, image.Load(dir.file("p.bmp").c_str()));  // destroy first

  testkit::MemorySurface surface(10, 10, RGB(9, 9, 9));
  ASSERT_TRUE(image.BitBlt(surface.dc.GetSafeHdc(), 4, 5));
  EXPECT_EQ(RGB(255, 0, 0), surface.dc.GetPixel(4, 5));
  EXPECT_EQ(RGB(0, 0, 255), surface.dc.GetPixel(6, 5));
  EXPECT_EQ(RGB(255, 255, 255), surface.dc.GetPixel(6, 6));
  EXPECT_EQ(RGB(9, 9, 9), surface.dc.GetPixel(7, 5));
  // From an offset inside the picture, into a larger area: what lies
  // outside the picture is not taken from it.
  ASSERT_TRUE(image.BitBlt(surface.dc.GetSafeHdc(), 0, 0, 2, 1, 1, 0));
  EXPECT_EQ(RGB(0, 255, 0), surface.dc.GetPixel(0, 0));
  EXPECT_EQ(RGB(0, 0, 255), surface.dc.GetPixel(1, 0));

  HBITMAP bitmap = image.Detach();
  EXPECT_TRUE(image.IsNull());
  EXPECT_EQ(OBJ_BITMAP, static_cast<int>(GetObjectType(bitmap)));
  image.Attach(bitmap);  // handed back: deleted with the object
  EXPECT_EQ(3, image.GetWidth());
  image.Destroy();
  EXPECT_EQ(0, static_cast<int>(GetObjectType(bitmap)));
}

TEST(AfxImage, FilesThatAreNotPicturesFail) {
  testkit::TempDir dir;
  CImage image;
  EXPECT_EQ(E_FAIL, image.Load(dir.file("missing.png").c_str()));
  EXPECT_EQ(E_FAIL, image.Load(""));
  EXPECT_EQ(E_FAIL, image.Load(nullptr));
  ASSERT_TRUE(testkit::WriteFileBytes(dir.file("text.png"), "not a picture"));
  EXPECT_EQ(E_FAIL, image.Load(dir.file("text.png").c_str()));
  EXPECT_TRUE(image.IsNull());
}
