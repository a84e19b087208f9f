// demo-pictures: writes the demo hall's skin pictures (24-bit BMP files).
//
//   demo-pictures DIR
//
// DIR/digits.bmp  the ten digits 0 to 9 as seven-segment figures, in 12 x 16
//                 cells side by side (120 x 16)
// DIR/coin.bmp    a spinning coin, eight 32 x 32 frames side by side
//                 (256 x 32)
// The digits' background is magenta, RGB(255, 0, 255), the transparent colour
// the hall gives the number drawer; the coin's is the green of the hall's
// window, RGB(0, 96, 56). A native program, run when the demo is staged, so
// that no picture is kept in the repository.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "demo/common/picture_writer.h"

namespace {

using picture_writer::Rgb;

const Rgb kKey = {255, 0, 255};
const Rgb kTable = {0, 96, 56};

class Picture {
 public:
  Picture(int width, int height, Rgb background)
      : m_width(width), m_height(height), m_pixels(std::size_t(width) * height, background) {}
  void Set(int x, int y, Rgb c) {
    if (x >= 0 && y >= 0 && x < m_width && y < m_height) m_pixels[std::size_t(y) * m_width + x] = c;
  }
  void Fill(int x0, int y0, int x1, int y1, Rgb c) {
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) Set(x, y, c);
    }
  }
  bool Save(const std::string& path) const {
    return picture_writer::SaveBytes(path, picture_writer::Bmp24(m_width, m_height, [&](int x, int y) {
                                       return m_pixels[std::size_t(y) * m_width + x];
                                     }));
  }

 private:
  int m_width, m_height;
  std::vector<Rgb> m_pixels;
};

// Seven segments per digit: a (top), b (top right), c (bottom right),
// d (bottom), e (bottom left), f (top left), g (middle).
void DrawDigit(Picture& p, int left, int digit) {
  static const char* const kSegments[10] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                                            "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
  const Rgb gold = {255, 204, 51};
  for (const char* s = kSegments[digit]; *s; ++s) {
    switch (*s) {
      case 'a':
        p.Fill(left + 3, 1, left + 9, 3, gold);
        break;
      case 'b':
        p.Fill(left + 9, 2, left + 11, 8, gold);
        break;
      case 'c':
        p.Fill(left + 9, 8, left + 11, 14, gold);
        break;
      case 'd':
        p.Fill(left + 3, 13, left + 9, 15, gold);
        break;
      case 'e':
        p.Fill(left + 1, 8, left + 3, 14, gold);
        break;
      case 'f':
        p.Fill(left + 1, 2, left + 3, 8, gold);
        break;
      case 'g':
        p.Fill(left + 3, 7, left + 9, 9, gold);
        break;
    }
  }
}

// Frame k of 8: the coin turned by k eighths of a half turn, seen edge on
// at frame 4.
void DrawCoin(Picture& p, int left, int k) {
  const double pi = 3.14159265358979323846;
  const double turn = std::cos(k * pi / 8);
  const double rx = std::fmax(1.5, 14.0 * std::fabs(turn)), ry = 14.0;
  const Rgb rim = {176, 120, 16};
  const Rgb face = turn >= 0 ? Rgb{255, 215, 64} : Rgb{230, 180, 40};
  const Rgb mark = {200, 140, 20};
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const double dx = (x + 0.5 - 16) / rx, dy = (y + 0.5 - 16) / ry;
      const double d = dx * dx + dy * dy;
      if (d > 1) continue;
      Rgb c = d > 0.72 ? rim : face;
      // A bar across the face, narrowing with the turn.
      if (d <= 0.72 && std::fabs(dx) < 0.25 && std::fabs(dy) < 0.55) c = mark;
      p.Set(left + x, y, c);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: demo-pictures DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  Picture digits(120, 16, kKey);
  for (int d = 0; d < 10; ++d) DrawDigit(digits, d * 12, d);
  Picture coin(256, 32, kTable);
  for (int k = 0; k < 8; ++k) DrawCoin(coin, k * 32, k);
  if (!digits.Save(dir + "/digits.bmp") || !coin.Save(dir + "/coin.bmp")) {
    std::fprintf(stderr, "demo-pictures: cannot write into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
