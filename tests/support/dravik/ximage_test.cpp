// Dravik's CxImage as the component server uses it: pictures read from
// files, a colour made transparent at 24 bits, stretched drawing and
// bitmaps made for the caller.
#include "support/dravik/ximage.h"

#include <gtest/gtest.h>

#include "tests/support/brevio/picture_files.h"
#include "tests/testkit/testkit.h"

using picture_files::Canvas;

namespace {

const COLORREF kBack = RGB(10, 20, 30);
const COLORREF kKey = RGB(0, 128, 128);
const COLORREF kRed = RGB(220, 10, 10);
const COLORREF kYellow = RGB(240, 230, 20);

class DravikXImage : public ::testing::Test {
 protected:
  void SetUp() override {
    // 4 x 2: key, red, red, yellow / yellow, key, key, red (8 bits).
    ASSERT_TRUE(
        testkit::WriteFileBytes(bmp, picture_files::Bmp8(4, 2, {kKey, kRed, kYellow}, {0, 1, 1, 2, 2, 0, 0, 1})));
    std::vector<DWORD> argb;
    for (int i = 0; i < 6; ++i) argb.push_back(picture_files::Argb(255, i < 3 ? kRed : kYellow));
    ASSERT_TRUE(picture_files::SaveWithGdiplus(png, 3, 2, argb, L"image/png"));
  }
  testkit::TempDir dir;
  std::string bmp = dir.file("face.bmp");
  std::string png = dir.file("default.png");
};

}  // namespace

TEST_F(DravikXImage, ReadsFilesByTypeCode) {
  CxImage empty(0);
  EXPECT_EQ(0u, empty.GetWidth());
  EXPECT_EQ(0u, empty.GetHeight());
  EXPECT_EQ(nullptr, empty.MakeBitmap());

  CxImage fromPng(png.c_str(), 1);
  EXPECT_EQ(3u, fromPng.GetWidth());
  EXPECT_EQ(2u, fromPng.GetHeight());
  CxImage notPng(bmp.c_str(), 1);
  EXPECT_EQ(0u, notPng.GetWidth());

  CxImage image(0);
  ASSERT_TRUE(image.Load(bmp.c_str(), 0));
  EXPECT_EQ(4u, image.GetWidth());
  EXPECT_EQ(8, image.GetBpp());
  EXPECT_FALSE(image.Load(bmp.c_str(), 7));
  EXPECT_FALSE(image.Load(dir.file("none.png").c_str(), 0));
  ASSERT_TRUE(testkit::WriteFileBytes(dir.file("cut.bmp"), testkit::ReadFileBytes(bmp).substr(0, 20)));
  EXPECT_FALSE(image.Load(dir.file("cut.bmp").c_str(), 0));
  EXPECT_EQ(4u, image.GetWidth());
  ASSERT_TRUE(image.Load(png.c_str(), 0));
  EXPECT_EQ(3u, image.GetWidth());
  EXPECT_EQ(24, image.GetBpp());
}

TEST_F(DravikXImage, ColourKeyAt24BitsLeavesTheCanvasUntouched) {
  RGBQUAD q = CxImage::RGBtoRGBQUAD(RGB(1, 2, 3));
  EXPECT_EQ(1, q.rgbRed);
  EXPECT_EQ(2, q.rgbGreen);
  EXPECT_EQ(3, q.rgbBlue);
  EXPECT_EQ(0, q.rgbReserved);

  CxImage image(0);
  ASSERT_TRUE(image.Load(bmp.c_str(), 0));
  ASSERT_TRUE(image.IncreaseBpp(24));
  EXPECT_EQ(24, image.GetBpp());
  image.SetTransIndex(0);
  image.SetTransColor(CxImage::RGBtoRGBQUAD(kKey));

  Canvas canvas(16, 8, kBack);
  EXPECT_NE(0, image.Draw(canvas.dc(), 0, 0, -1, -1));
  EXPECT_EQ(kBack, canvas.Pixel(0, 0));
  EXPECT_EQ(kRed, canvas.Pixel(1, 0));
  EXPECT_EQ(kYellow, canvas.Pixel(3, 0));
  EXPECT_EQ(kBack, canvas.Pixel(1, 1));

  // Stretched twice as large with smoothing: keyed pixels stay untouched,
  // inner pixels of a colour run keep their colour.
  canvas.Fill(kBack);
  EXPECT_NE(0, image.Draw(canvas.dc(), 8, 4, 8, 4, nullptr, true));
  EXPECT_EQ(kBack, canvas.Pixel(8, 4));
  EXPECT_EQ(kRed, canvas.Pixel(11, 4));
  EXPECT_EQ(kBack, canvas.Pixel(11, 7));
  EXPECT_EQ(kRed, canvas.Pixel(15, 7));
  EXPECT_EQ(kBack, canvas.Pixel(7, 4));

  // Clipped to the left half of the stretched picture.
  canvas.Fill(kBack);
  RECT clip = {8, 4, 12, 8};
  image.Draw(canvas.dc(), 8, 4, 8, 4, &clip, false);
  EXPECT_EQ(kRed, canvas.Pixel(11, 4));
  EXPECT_EQ(kBack, canvas.Pixel(12, 4));
  EXPECT_EQ(kBack, canvas.Pixel(15, 7));
}

TEST_F(DravikXImage, MakeBitmapHasTheSizeAndColours) {
  CxImage image(0);
  ASSERT_TRUE(image.Load(bmp.c_str(), 0));
  image.IncreaseBpp(24);
  image.SetTransIndex(0);
  image.SetTransColor(CxImage::RGBtoRGBQUAD(kKey));
  HBITMAP bitmap = image.MakeBitmap();
  ASSERT_NE(nullptr, bitmap);
  BITMAP info = {};
  ASSERT_EQ(static_cast<int>(sizeof info), GetObject(bitmap, sizeof info, &info));
  EXPECT_EQ(4, info.bmWidth);
  EXPECT_EQ(2, info.bmHeight);

  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  EXPECT_EQ(kKey, GetPixel(dc, 0, 0));
  EXPECT_EQ(kRed, GetPixel(dc, 2, 0));
  EXPECT_EQ(kYellow, GetPixel(dc, 0, 1));
  EXPECT_EQ(kRed, GetPixel(dc, 3, 1));
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_TRUE(DeleteObject(bitmap));

  // A second call answers another bitmap.
  HBITMAP a = image.MakeBitmap();
  HBITMAP b = image.MakeBitmap();
  EXPECT_NE(a, b);
  DeleteObject(a);
  DeleteObject(b);
}
