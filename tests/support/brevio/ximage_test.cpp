// Brevio's CxImage: loading, transparency, drawing, cropping, frames and
// copies, checked on the pixels drawn into a memory canvas.
#include "support/brevio/ximage.h"

#include <gtest/gtest.h>

#include "tests/support/brevio/picture_files.h"
#include "tests/testkit/testkit.h"

using picture_files::Canvas;

namespace {

const COLORREF kBack = RGB(10, 20, 30);
const COLORREF kRed = RGB(200, 0, 0);
const COLORREF kGreen = RGB(0, 180, 0);
const COLORREF kBlue = RGB(0, 0, 160);
const COLORREF kWhite = RGB(250, 250, 250);
const COLORREF kKey = RGB(255, 0, 255);

RGBQUAD Quad(COLORREF c) { return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0}; }

class BrevioXImage : public ::testing::Test {
 protected:
  // Writes bytes into the temporary directory; the file's path.
  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = dir.file(name);
    EXPECT_TRUE(testkit::WriteFileBytes(path, bytes));
    return path;
  }
  // A 2 x 2 BMP: red, green / blue, white (8 bits, a palette of four).
  std::string Quadrants() {
    return Write("quad.bmp", picture_files::Bmp8(2, 2, {kRed, kGreen, kBlue, kWhite}, {0, 1, 2, 3}));
  }
  testkit::TempDir dir;
};

}  // namespace

TEST_F(BrevioXImage, EmptyPictureAnswersNothing) {
  CxImage image;
  Canvas canvas(4, 4, kBack);
  RECT all = {0, 0, 4, 4};
  EXPECT_EQ(0u, image.GetWidth());
  EXPECT_EQ(0u, image.GetHeight());
  EXPECT_EQ(0, image.GetNumFrames());
  EXPECT_EQ(nullptr, image.GetFrame(0));
  EXPECT_EQ(0, image.Draw(canvas.dc()));
  EXPECT_FALSE(image.Crop(all));
  EXPECT_FALSE(image.IncreaseBpp(24));
  EXPECT_FALSE(image.Destroy());
  EXPECT_EQ(kBack, canvas.Pixel(0, 0));
}

TEST_F(BrevioXImage, LoadsBmpTopRowFirstAndRaisesBpp) {
  CxImage image(CXIMAGE_FORMAT_BMP);
  ASSERT_TRUE(image.Load(Quadrants().c_str(), CXIMAGE_FORMAT_BMP));
  EXPECT_EQ(2u, image.GetWidth());
  EXPECT_EQ(2u, image.GetHeight());
  EXPECT_EQ(8, image.GetBpp());
  EXPECT_EQ(1, image.GetNumFrames());
  EXPECT_EQ(&image, image.GetFrame(0));
  EXPECT_EQ(nullptr, image.GetFrame(1));

  Canvas canvas(6, 6, kBack);
  EXPECT_NE(0, image.Draw(canvas.dc(), 1, 2));
  EXPECT_EQ(kRed, canvas.Pixel(1, 2));
  EXPECT_EQ(kGreen, canvas.Pixel(2, 2));
  EXPECT_EQ(kBlue, canvas.Pixel(1, 3));
  EXPECT_EQ(kWhite, canvas.Pixel(2, 3));
  EXPECT_EQ(kBack, canvas.Pixel(3, 2));
  EXPECT_EQ(kBack, canvas.Pixel(1, 4));

  EXPECT_FALSE(image.IncreaseBpp(4));
  EXPECT_FALSE(image.IncreaseBpp(16));
  EXPECT_TRUE(image.IncreaseBpp(8));
  EXPECT_TRUE(image.IncreaseBpp(24));
  EXPECT_EQ(24, image.GetBpp());
  canvas.Fill(kBack);
  image.Draw(canvas.dc());
  EXPECT_EQ(kGreen, canvas.Pixel(1, 0));
  EXPECT_EQ(kWhite, canvas.Pixel(1, 1));
}

TEST_F(BrevioXImage, TransparentIndexThenColourLeaveTheCanvasUntouched) {
  CxImage image;
  ASSERT_TRUE(image.Load(Quadrants().c_str(), CXIMAGE_FORMAT_UNKNOWN));
  Canvas canvas(2, 2, kBack);
  image.SetTransIndex(1);  // green, by palette index
  image.Draw(canvas.dc());
  EXPECT_EQ(kRed, canvas.Pixel(0, 0));
  EXPECT_EQ(kBack, canvas.Pixel(1, 0));

  // At 24 bits the index turns into its colour; then another colour.
  ASSERT_TRUE(image.IncreaseBpp(24));
  canvas.Fill(kBack);
  image.Draw(canvas.dc());
  EXPECT_EQ(kBack, canvas.Pixel(1, 0));
  image.SetTransIndex(24);
  image.SetTransColor(Quad(kBlue));
  canvas.Fill(kBack);
  image.Draw(canvas.dc());
  EXPECT_EQ(kGreen, canvas.Pixel(1, 0));
  EXPECT_EQ(kBack, canvas.Pixel(0, 1));
  EXPECT_EQ(kWhite, canvas.Pixel(1, 1));

  image.SetTransIndex(-1);
  canvas.Fill(kBack);
  image.Draw(canvas.dc());
  EXPECT_EQ(kBlue, canvas.Pixel(0, 1));
}

TEST_F(BrevioXImage, StretchesClipsFlipsAndSmooths) {
  CxImage image;
  ASSERT_TRUE(image.Load(Quadrants().c_str(), CXIMAGE_FORMAT_BMP));
  Canvas canvas(20, 20, kBack);
  EXPECT_NE(0, image.Draw(canvas.dc(), 2, 4, 8, 6));
  EXPECT_EQ(kRed, canvas.Pixel(2, 4));
  EXPECT_EQ(kRed, canvas.Pixel(5, 6));
  EXPECT_EQ(kGreen, canvas.Pixel(6, 4));
  EXPECT_EQ(kGreen, canvas.Pixel(9, 6));
  EXPECT_EQ(kBlue, canvas.Pixel(2, 7));
  EXPECT_EQ(kWhite, canvas.Pixel(9, 9));
  EXPECT_EQ(kBack, canvas.Pixel(10, 9));
  EXPECT_EQ(kBack, canvas.Pixel(9, 10));

  // Only inside the clip rectangle.
  canvas.Fill(kBack);
  RECT clip = {4, 5, 7, 20};
  EXPECT_NE(0, image.Draw(canvas.dc(), 2, 4, 8, 6, &clip));
  EXPECT_EQ(kBack, canvas.Pixel(3, 6));
  EXPECT_EQ(kBack, canvas.Pixel(5, 4));
  EXPECT_EQ(kRed, canvas.Pixel(4, 5));
  EXPECT_EQ(kGreen, canvas.Pixel(6, 5));
  EXPECT_EQ(kWhite, canvas.Pixel(6, 9));
  EXPECT_EQ(kBack, canvas.Pixel(7, 9));
  RECT nowhere = {15, 15, 18, 18};
  canvas.Fill(kBack);
  EXPECT_NE(0, image.Draw(canvas.dc(), 2, 4, 8, 6, &nowhere));
  EXPECT_EQ(kBack, canvas.Pixel(2, 4));

  // Upside down: the bottom row on top.
  canvas.Fill(kBack);
  image.Draw(canvas.dc(), 0, 0, -1, -1, nullptr, false, true);
  EXPECT_EQ(kBlue, canvas.Pixel(0, 0));
  EXPECT_EQ(kWhite, canvas.Pixel(1, 0));
  EXPECT_EQ(kRed, canvas.Pixel(0, 1));

  // Smoothing blends neighbours where a stretch falls between them; without
  // it every pixel is one of the picture's.
  canvas.Fill(kBack);
  image.Draw(canvas.dc(), 0, 0, 16, 2, nullptr, true);
  COLORREF middle = canvas.Pixel(8, 0);
  EXPECT_NE(kRed, middle);
  EXPECT_NE(kGreen, middle);
  EXPECT_GT(GetRValue(middle), 0);
  EXPECT_GT(GetGValue(middle), 0);
  EXPECT_EQ(kRed, canvas.Pixel(0, 0));
  canvas.Fill(kBack);
  image.Draw(canvas.dc(), 0, 0, 16, 2, nullptr, false);
  EXPECT_EQ(kRed, canvas.Pixel(7, 0));
  EXPECT_EQ(kGreen, canvas.Pixel(8, 0));

  EXPECT_EQ(0, image.Draw(nullptr));
  EXPECT_EQ(0, image.Draw(canvas.dc(), 0, 0, 0, 5));
}

TEST_F(BrevioXImage, CropCopiesTheRectangleCutToTheBounds) {
  // 4 x 3, each pixel a colour of its own.
  std::vector<COLORREF> pixels;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) pixels.push_back(RGB(40 * x + 10, 60 * y + 20, 90));
  }
  CxImage image;
  ASSERT_TRUE(image.Load(Write("grid.bmp", picture_files::Bmp24(4, 3, pixels)).c_str(), CXIMAGE_FORMAT_BMP));
  EXPECT_EQ(24, image.GetBpp());

  CxImage part;
  RECT inner = {1, 1, 3, 3};
  ASSERT_TRUE(image.Crop(inner, &part));
  EXPECT_EQ(2u, part.GetWidth());
  EXPECT_EQ(2u, part.GetHeight());
  Canvas canvas(4, 4, kBack);
  part.Draw(canvas.dc());
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) EXPECT_EQ(pixels[std::size_t((y + 1) * 4 + x + 1)], canvas.Pixel(x, y)) << x << y;
  }
  EXPECT_EQ(kBack, canvas.Pixel(2, 0));

  RECT edge = {3, 2, 10, 10};
  ASSERT_TRUE(image.Crop(edge, &part));
  EXPECT_EQ(1u, part.GetWidth());
  EXPECT_EQ(1u, part.GetHeight());
  RECT outside = {4, 0, 8, 3};
  EXPECT_FALSE(image.Crop(outside, &part));
  EXPECT_EQ(1u, part.GetWidth());

  // Without a destination the picture itself is cut.
  RECT left = {0, 0, 1, 3};
  ASSERT_TRUE(image.Crop(left));
  EXPECT_EQ(1u, image.GetWidth());
  EXPECT_EQ(3u, image.GetHeight());
  canvas.Fill(kBack);
  image.Draw(canvas.dc());
  EXPECT_EQ(pixels[8], canvas.Pixel(0, 2));
}

TEST_F(BrevioXImage, AnimatedGifHasFramesThatDiffer) {
  std::vector<picture_files::GifFrame> frames(2);
  frames[0].indices = {0, 0, 0, 1};
  frames[1].indices = {2, 2, 2, 2};
  std::string path = Write("anim.gif", picture_files::Gif(2, 2, {kRed, kGreen, kBlue, kWhite}, frames));
  CxImage image;
  ASSERT_TRUE(image.Load(path.c_str(), CXIMAGE_FORMAT_GIF));
  ASSERT_EQ(2, image.GetNumFrames());
  EXPECT_EQ(nullptr, image.GetFrame(2));
  EXPECT_EQ(nullptr, image.GetFrame(-1));
  CxImage* first = image.GetFrame(0);
  CxImage* second = image.GetFrame(1);
  ASSERT_NE(nullptr, first);
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(2u, second->GetWidth());

  Canvas canvas(2, 2, kBack);
  first->Draw(canvas.dc());
  EXPECT_EQ(kRed, canvas.Pixel(0, 0));
  EXPECT_EQ(kGreen, canvas.Pixel(1, 1));
  second->Draw(canvas.dc());
  EXPECT_EQ(kBlue, canvas.Pixel(0, 0));
  EXPECT_EQ(kBlue, canvas.Pixel(1, 1));

  // The picture shows frame 0 until another is chosen.
  canvas.Fill(kBack);
  image.Draw(canvas.dc());
  EXPECT_EQ(kRed, canvas.Pixel(0, 0));
  image.SetFrame(1);
  image.Draw(canvas.dc());
  EXPECT_EQ(kBlue, canvas.Pixel(0, 0));
  image.SetFrame(5);
  image.Draw(canvas.dc());
  EXPECT_EQ(kBlue, canvas.Pixel(0, 0));

  // A copy owns frames of its own.
  CxImage copy(image);
  ASSERT_EQ(2, copy.GetNumFrames());
  EXPECT_NE(second, copy.GetFrame(1));
  canvas.Fill(kBack);
  copy.GetFrame(0)->Draw(canvas.dc());
  EXPECT_EQ(kRed, canvas.Pixel(0, 0));

  EXPECT_TRUE(image.DestroyFrames());
  EXPECT_FALSE(image.DestroyFrames());
  EXPECT_EQ(1, image.GetNumFrames());
  EXPECT_EQ(2u, image.GetWidth());
  EXPECT_TRUE(image.Destroy());
  EXPECT_EQ(0, image.GetNumFrames());
  EXPECT_EQ(0u, image.GetWidth());
  EXPECT_EQ(2, copy.GetNumFrames());
}

TEST_F(BrevioXImage, GifTransparentIndexIsHonoured) {
  std::vector<picture_files::GifFrame> frames(1);
  frames[0].indices = {0, 3, 3, 1};
  frames[0].transparent = 3;
  CxImage image;
  ASSERT_TRUE(image.Load(Write("still.gif", picture_files::Gif(2, 2, {kRed, kGreen, kBlue, kKey}, frames)).c_str(),
                         CXIMAGE_FORMAT_UNKNOWN));
  EXPECT_EQ(1, image.GetNumFrames());
  Canvas canvas(2, 2, kBack);
  image.Draw(canvas.dc());
  EXPECT_EQ(kRed, canvas.Pixel(0, 0));
  EXPECT_EQ(kBack, canvas.Pixel(1, 0));
  EXPECT_EQ(kBack, canvas.Pixel(0, 1));
  EXPECT_EQ(kGreen, canvas.Pixel(1, 1));
}

TEST_F(BrevioXImage, ReadsEncodedPngAndJpegAndCopiesWithOrWithoutPixelsAndAlpha) {
  // 4 x 4: the left half opaque red, the right half fully transparent.
  std::vector<DWORD> argb;
  for (int i = 0; i < 16; ++i)
    argb.push_back(i % 4 < 2 ? picture_files::Argb(255, kRed) : picture_files::Argb(0, kWhite));
  std::string png = dir.file("alpha.png");
  ASSERT_TRUE(picture_files::SaveWithGdiplus(png, 4, 4, argb, L"image/png"));
  CxImage image;
  EXPECT_FALSE(image.Load(png.c_str(), CXIMAGE_FORMAT_JPG));
  ASSERT_TRUE(image.Load(png.c_str(), CXIMAGE_FORMAT_PNG));
  EXPECT_EQ(4u, image.GetWidth());
  Canvas canvas(4, 4, kBack);
  image.Draw(canvas.dc());
  EXPECT_EQ(kRed, canvas.Pixel(1, 3));
  EXPECT_EQ(kBack, canvas.Pixel(2, 0));

  CxImage withAlpha(image);
  canvas.Fill(kBack);
  withAlpha.Draw(canvas.dc());
  EXPECT_EQ(kBack, canvas.Pixel(3, 3));
  CxImage noAlpha(image, true, true, false);
  noAlpha.Draw(canvas.dc());
  EXPECT_NE(kBack, canvas.Pixel(3, 3));
  EXPECT_EQ(kRed, canvas.Pixel(0, 0));
  CxImage blank;
  blank.Copy(image, false, true, false);
  EXPECT_EQ(4u, blank.GetWidth());
  EXPECT_EQ(4u, blank.GetHeight());
  blank.Draw(canvas.dc());
  EXPECT_EQ(RGB(0, 0, 0), canvas.Pixel(0, 0));
  blank = image;
  canvas.Fill(kBack);
  blank.Draw(canvas.dc());
  EXPECT_EQ(kRed, canvas.Pixel(0, 0));
  EXPECT_EQ(kBack, canvas.Pixel(3, 0));

  std::vector<DWORD> solid(64, picture_files::Argb(255, kBlue));
  std::string jpg = dir.file("solid.jpg");
  ASSERT_TRUE(picture_files::SaveWithGdiplus(jpg, 8, 8, solid, L"image/jpeg"));
  ASSERT_TRUE(image.Load(jpg.c_str(), CXIMAGE_FORMAT_UNKNOWN));
  EXPECT_EQ(8u, image.GetWidth());
  EXPECT_EQ(24, image.GetBpp());
  canvas.Fill(kBack);
  image.Draw(canvas.dc());
  EXPECT_TRUE(picture_files::Near(kBlue, canvas.Pixel(2, 2), 12)) << std::hex << canvas.Pixel(2, 2);
}

TEST_F(BrevioXImage, BadFilesFailAndLeaveThePictureAlone) {
  CxImage image;
  ASSERT_TRUE(image.Load(Quadrants().c_str(), CXIMAGE_FORMAT_BMP));

  std::vector<DWORD> argb(64 * 64, picture_files::Argb(255, kGreen));
  std::string png = dir.file("big.png");
  ASSERT_TRUE(picture_files::SaveWithGdiplus(png, 64, 64, argb, L"image/png"));
  std::string whole = testkit::ReadFileBytes(png);
  ASSERT_GT(whole.size(), 60u);

  // A BMP header announcing 100000 x 100000 pixels.
  std::string huge = picture_files::Bmp24(1, 1, {kRed});
  huge[18] = huge[22] = char(0xA0);
  huge[19] = huge[23] = char(0x86);
  huge[20] = huge[24] = char(0x01);

  const std::string bad[] = {
      dir.file("missing.png"),
      Write("empty.png", ""),
      Write("cut.png", whole.substr(0, whole.size() / 2)),
      Write("header.png", whole.substr(0, 30)),
      Write("text.bmp", "this is not a picture at all"),
      Write("huge.bmp", huge),
      Write("headless.gif", "GIF89a"),
  };
  for (const std::string& path : bad) {
    EXPECT_FALSE(image.Load(path.c_str(), CXIMAGE_FORMAT_UNKNOWN)) << path;
    EXPECT_EQ(2u, image.GetWidth()) << path;
  }
  EXPECT_FALSE(image.Load(nullptr, CXIMAGE_FORMAT_UNKNOWN));
  EXPECT_FALSE(image.Load(Quadrants().c_str(), 99));
  EXPECT_FALSE(image.Load(Quadrants().c_str(), CXIMAGE_FORMAT_PNG));
  EXPECT_EQ(2u, image.GetWidth());
  ASSERT_TRUE(image.Load(png.c_str(), CXIMAGE_FORMAT_PNG));
  EXPECT_EQ(64u, image.GetWidth());
}
