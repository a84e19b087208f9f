// CNumberDrawer: digits cut from a skin picture, drawn into a memory
// surface and read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/zavrel/media/media_pictures.h"
#include "zavrel/media/number_drawer.h"

namespace {

using media_pictures::AreaIs;
using media_pictures::Put;

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kKey = RGB(255, 0, 255);

COLORREF DigitColour(int d) { return RGB(20 + d * 20, 200 - d * 15, (d * 70) % 256); }

std::vector<COLORREF> TenColours() {
  std::vector<COLORREF> colours;
  for (int d = 0; d < 10; ++d) colours.push_back(DigitColour(d));
  return colours;
}

class NumberDrawerTest : public ::testing::Test {
 protected:
  skin_pictures::SkinFolder folder;
  testkit::MemorySurface surface{200, 60, kWhite};

  // Ten 12 x 16 digit cells side by side.
  std::string Digits(const std::string& file) { return Put(folder, file, media_pictures::Strip(TenColours(), 12, 16)); }
  // Which digit's colour fills the 12 x 16 cell at (x, y); -1 for the
  // background, -2 for anything else.
  int DigitAt(int x, int y) {
    for (int d = 0; d < 10; ++d) {
      if (AreaIs(surface.dc, CRect(x, y, x + 12, y + 16), DigitColour(d))) return d;
    }
    return AreaIs(surface.dc, CRect(x, y, x + 12, y + 16), kWhite) ? -1 : -2;
  }
};

}  // namespace

TEST_F(NumberDrawerTest, OneHundredAndFiveAtTenFive) {
  CNumberDrawer drawer;
  ASSERT_TRUE(drawer.LoadNumberImage(Digits("strip.bmp"), CPoint(12, 16), nullptr));
  drawer.SetNumber(105);
  drawer.Draw(&surface.dc, 10, 5);
  EXPECT_EQ(1, DigitAt(10, 5));
  EXPECT_EQ(0, DigitAt(22, 5));
  EXPECT_EQ(5, DigitAt(34, 5));
  // Nothing around them.
  EXPECT_TRUE(AreaIs(surface.dc, CRect(0, 0, 200, 5), kWhite));
  EXPECT_TRUE(AreaIs(surface.dc, CRect(0, 21, 200, 60), kWhite));
  EXPECT_TRUE(AreaIs(surface.dc, CRect(0, 5, 10, 21), kWhite));
  EXPECT_TRUE(AreaIs(surface.dc, CRect(46, 5, 200, 21), kWhite));
}

TEST_F(NumberDrawerTest, ANewDrawerShowsNothingAndZeroOnceLoaded) {
  CNumberDrawer drawer;
  drawer.Draw(&surface.dc, 0, 0);  // no digit pictures yet
  drawer.Draw(nullptr, 0, 0);
  EXPECT_TRUE(AreaIs(surface.dc, CRect(0, 0, 200, 60), kWhite));
  ASSERT_TRUE(drawer.LoadNumberImage(Digits("zero.bmp"), CPoint(12, 16), nullptr));
  drawer.Draw(&surface.dc, 0, 0);
  EXPECT_EQ(0, DigitAt(0, 0));
  EXPECT_EQ(-1, DigitAt(12, 0));
}

TEST_F(NumberDrawerTest, TwoRowsOfFiveDigits) {
  // 60 x 32: 0 to 4 on top, 5 to 9 below.
  std::vector<COLORREF> pixels;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 60; ++x) pixels.push_back(DigitColour((y / 16) * 5 + x / 12));
  }
  const std::string name = Put(folder, "rows.bmp", picture_files::Bmp24(60, 32, pixels));
  CNumberDrawer drawer;
  ASSERT_TRUE(drawer.LoadNumberImage(name, CPoint(12, 16), nullptr));
  drawer.SetNumber(9876543210LL);
  drawer.Draw(&surface.dc, 3, 4);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(9 - i, DigitAt(3 + 12 * i, 4)) << "character " << i;
  EXPECT_EQ(-1, DigitAt(123, 4));
}

TEST_F(NumberDrawerTest, FiveThousandMillionKeepsAllTenDigits) {
  CNumberDrawer drawer;
  ASSERT_TRUE(drawer.LoadNumberImage(Digits("big.bmp"), CPoint(12, 16), nullptr));
  drawer.SetNumber(5000000000LL);
  drawer.Draw(&surface.dc, 0, 0);
  EXPECT_EQ(5, DigitAt(0, 0));
  for (int i = 1; i < 10; ++i) EXPECT_EQ(0, DigitAt(12 * i, 0)) << "character " << i;
  EXPECT_EQ(-1, DigitAt(120, 0));

  // The full 64-bit range.
  surface.dc.FillSolidRect(0, 0, 200, 60, kWhite);
  drawer.SetNumber(9223372036854775807LL);  // 19 digits
  CNumberDrawer narrow(drawer);
  narrow.Draw(&surface.dc, 0, 0);
  const std::string digits = "9223372036854775807";
  // The surface holds 16 cells of 12; each one checked is right.
  for (int i = 0; i < 16; ++i) EXPECT_EQ(digits[i] - '0', DigitAt(12 * i, 0)) << "character " << i;
}

TEST_F(NumberDrawerTest, NegativeNumbersLeaveTheSignCellEmpty) {
  CNumberDrawer drawer;
  ASSERT_TRUE(drawer.LoadNumberImage(Digits("minus.bmp"), CPoint(12, 16), nullptr));
  EXPECT_FALSE(drawer.LoadSignImage(Digits("signs.bmp"), CPoint(12, 16), nullptr));
  drawer.SetNumber(-25);
  drawer.Draw(&surface.dc, 0, 0);
  EXPECT_EQ(-1, DigitAt(0, 0));
  EXPECT_EQ(2, DigitAt(12, 0));
  EXPECT_EQ(5, DigitAt(24, 0));
}

TEST_F(NumberDrawerTest, TheTransparentColourShowsTheBackground) {
  // An 8-bit picture (raised to 24 bits by SetTransColor): each digit cell
  // has a key-coloured hole in its top left 4 x 4.
  std::vector<COLORREF> palette = TenColours();
  palette.push_back(kKey);
  std::vector<BYTE> indices;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 120; ++x) indices.push_back(x % 12 < 4 && y < 4 ? 10 : static_cast<BYTE>(x / 12));
  }
  const std::string name = Put(folder, "holes.bmp", picture_files::Bmp8(120, 16, palette, indices));
  CNumberDrawer drawer;
  ASSERT_TRUE(drawer.LoadNumberImage(name, CPoint(12, 16), nullptr));
  drawer.SetNumber(38);

  drawer.Draw(&surface.dc, 0, 0);  // before: the key colour is painted
  EXPECT_TRUE(AreaIs(surface.dc, CRect(0, 0, 4, 4), kKey));

  surface.dc.FillSolidRect(0, 0, 200, 60, kWhite);
  drawer.SetTransColor(kKey);
  drawer.Draw(&surface.dc, 0, 0);
  EXPECT_TRUE(AreaIs(surface.dc, CRect(0, 0, 4, 4), kWhite));
  EXPECT_TRUE(AreaIs(surface.dc, CRect(12, 0, 16, 4), kWhite));
  EXPECT_TRUE(AreaIs(surface.dc, CRect(4, 0, 12, 16), DigitColour(3)));
  EXPECT_TRUE(AreaIs(surface.dc, CRect(0, 4, 12, 16), DigitColour(3)));
  EXPECT_TRUE(AreaIs(surface.dc, CRect(16, 0, 24, 16), DigitColour(8)));

  // A later load replaces the pictures and their transparency.
  ASSERT_TRUE(drawer.LoadNumberImage(name, CPoint(12, 16), nullptr));
  surface.dc.FillSolidRect(0, 0, 200, 60, kWhite);
  drawer.Draw(&surface.dc, 0, 0);
  EXPECT_TRUE(AreaIs(surface.dc, CRect(0, 0, 4, 4), kKey));
}

TEST_F(NumberDrawerTest, HideAndShow) {
  CNumberDrawer drawer;
  ASSERT_TRUE(drawer.LoadNumberImage(Digits("hide.bmp"), CPoint(12, 16), nullptr));
  drawer.SetNumber(42);
  drawer.Hide();
  drawer.Draw(&surface.dc, 0, 0);
  EXPECT_TRUE(AreaIs(surface.dc, CRect(0, 0, 200, 60), kWhite));
  drawer.Show();
  drawer.Draw(&surface.dc, 0, 0);
  EXPECT_EQ(4, DigitAt(0, 0));
  EXPECT_EQ(2, DigitAt(12, 0));
}

TEST_F(NumberDrawerTest, FewerCellsLeaveTheHigherDigitsEmpty) {
  CNumberDrawer drawer;
  ASSERT_TRUE(drawer.LoadNumberImage(Digits("ten.bmp"), CPoint(12, 16), nullptr));
  // Three cells: 0, 1 and 2. The digits of the earlier load are gone.
  const std::string three =
      Put(folder, "three.bmp", media_pictures::Strip({DigitColour(0), DigitColour(1), DigitColour(2)}, 12, 16));
  ASSERT_TRUE(drawer.LoadNumberImage(three, CPoint(12, 16), nullptr));
  drawer.SetNumber(2931);
  drawer.Draw(&surface.dc, 0, 0);
  EXPECT_EQ(2, DigitAt(0, 0));
  EXPECT_EQ(-1, DigitAt(12, 0));
  EXPECT_EQ(-1, DigitAt(24, 0));
  EXPECT_EQ(1, DigitAt(36, 0));
}

TEST_F(NumberDrawerTest, LoadRefusesBadCellsAndMissingPictures) {
  CNumberDrawer drawer;
  ASSERT_TRUE(drawer.LoadNumberImage(Digits("keep.bmp"), CPoint(12, 16), nullptr));
  EXPECT_FALSE(drawer.LoadNumberImage(folder.name() + "\\keep.bmp", CPoint(0, 16), nullptr));
  EXPECT_FALSE(drawer.LoadNumberImage(folder.name() + "\\keep.bmp", CPoint(12, -16), nullptr));
  // A missing picture keeps the digits; the cell size given is stored.
  EXPECT_FALSE(drawer.LoadNumberImage(folder.name() + "\\missing.bmp", CPoint(20, 16), nullptr));
  drawer.SetNumber(77);
  drawer.Draw(&surface.dc, 0, 0);
  EXPECT_EQ(7, DigitAt(0, 0));
  EXPECT_TRUE(AreaIs(surface.dc, CRect(12, 0, 20, 16), kWhite));
  EXPECT_EQ(7, DigitAt(20, 0));
}
