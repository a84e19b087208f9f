// emoticon-pictures: writes the pictures of the demo's chat window.
//
//   emoticon-pictures EMOTION_DIR CHAT_DIR
//
// EMOTION_DIR receives eight animated emoticons (24 x 24 GIFs of four
// frames, named as the emoticon "config.ini" of the demo data names them)
// and their grid picture "grid.bmp" (the picker's 9 x 8 cells of 25 pixels
// with 1-pixel lines inside 2-pixel margins, each emoticon's first frame in
// its cell). CHAT_DIR receives the line icons "system.bmp", "player.bmp" and
// "speaker.bmp" (16 x 16, magenta where the chat's background shows).
// A native program: no Windows header, the files are written byte by byte
// (demo/common/picture_writer.h).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "demo/common/picture_writer.h"

namespace {

using picture_writer::Rgb;

// The emoticons' palette (GIF colour table of 8 entries).
const Rgb kPalette[8] = {{255, 255, 255}, {255, 214, 48},  {40, 30, 20},   {220, 40, 40},
                         {60, 140, 240},  {255, 150, 170}, {240, 120, 20}, {255, 255, 255}};
enum : std::uint8_t { kBack = 0, kFace = 1, kInk = 2, kRed = 3, kBlue = 4, kPink = 5, kOrange = 6 };

constexpr int kSide = 24;
constexpr int kFrames = 4;

using Frame = std::vector<std::uint8_t>;  // kSide x kSide palette indices, top row first

void Put(Frame& f, int x, int y, std::uint8_t c) {
  if (x >= 0 && y >= 0 && x < kSide && y < kSide) f[static_cast<std::size_t>(y * kSide + x)] = c;
}

void Disk(Frame& f, double cx, double cy, double r, std::uint8_t c) {
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      if ((x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy) <= r * r) Put(f, x, y, c);
}

void Ring(Frame& f, double cx, double cy, double r, std::uint8_t c) {
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const double d = std::sqrt((x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy));
      if (d <= r && d > r - 1.2) Put(f, x, y, c);
    }
}

void Bar(Frame& f, int x0, int y0, int x1, int y1, std::uint8_t c) {
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) Put(f, x, y, c);
}

// A smile (or a frown when sad) of the given width below the eyes.
void Mouth(Frame& f, int cx, int y, int half, bool sad, std::uint8_t c) {
  for (int dx = -half; dx <= half; ++dx) {
    const int dy = static_cast<int>(std::lround((half * half - dx * dx) / (2.0 * half)));
    Put(f, cx + dx, sad ? y + 2 - dy / 2 : y + dy / 2, c);
  }
}

Frame Face(int bob = 0, std::uint8_t face = kFace) {
  Frame f(kSide * kSide, kBack);
  Disk(f, 12, 12 + bob, 10.5, face);
  Ring(f, 12, 12 + bob, 10.5, kInk);
  return f;
}

void Eyes(Frame& f, int bob, bool leftClosed = false, bool rightClosed = false) {
  if (leftClosed)
    Bar(f, 6, 9 + bob, 9, 9 + bob, kInk);
  else
    Bar(f, 7, 7 + bob, 8, 10 + bob, kInk);
  if (rightClosed)
    Bar(f, 15, 9 + bob, 18, 9 + bob, kInk);
  else
    Bar(f, 15, 7 + bob, 16, 10 + bob, kInk);
}

void Heart(Frame& f, double cx, double cy, double s, std::uint8_t c) {
  Disk(f, cx - s / 2, cy - s / 3, s / 1.8, c);
  Disk(f, cx + s / 2, cy - s / 3, s / 1.8, c);
  for (int i = 0; i <= static_cast<int>(s * 1.4); ++i)
    Bar(f, static_cast<int>(cx - s + i * 0.7), static_cast<int>(cy - s / 3 + i * 0.7),
        static_cast<int>(cx + s - i * 0.7), static_cast<int>(cy - s / 3 + i * 0.7), c);
}

struct Emoticon {
  const char* file;
  std::function<Frame(int)> frame;  // frame 0..3
};

const std::vector<Emoticon>& Emoticons() {
  static const std::vector<Emoticon> list = {
      {"smile.gif",
       [](int i) {
         Frame f = Face();
         Eyes(f, 0);
         Mouth(f, 12, 14, 4 + (i % 2), false, kInk);
         return f;
       }},
      {"wink.gif",
       [](int i) {
         Frame f = Face();
         Eyes(f, 0, false, i >= 2);
         Mouth(f, 12, 14, 5, false, kInk);
         return f;
       }},
      {"cry.gif",
       [](int i) {
         Frame f = Face();
         Eyes(f, 0, true, true);
         Mouth(f, 12, 15, 4, true, kInk);
         Disk(f, 7, 12 + i * 2.5, 1.6, kBlue);
         Disk(f, 17, 13 + ((i + 2) % 4) * 2.5, 1.6, kBlue);
         return f;
       }},
      {"laugh.gif",
       [](int i) {
         const int bob = i % 2 ? -1 : 1;
         Frame f = Face(bob);
         Eyes(f, bob, true, true);
         Bar(f, 7, 14 + bob, 17, 15 + bob, kInk);
         Bar(f, 8, 16 + bob, 16, 17 + bob, kRed);
         return f;
       }},
      {"angry.gif",
       [](int i) {
         Frame f = Face(0, i % 2 ? kRed : kOrange);
         Eyes(f, 0);
         Bar(f, 5, 5, 9, 5, kInk);
         Bar(f, 14, 5, 18, 5, kInk);
         Mouth(f, 12, 15, 4, true, kInk);
         return f;
       }},
      {"love.gif",
       [](int i) {
         Frame f = Face();
         Heart(f, 7.5, 9, 2.0 + (i % 2) * 0.6, kRed);
         Heart(f, 16.5, 9, 2.0 + (i % 2) * 0.6, kRed);
         Mouth(f, 12, 15, 4, false, kInk);
         return f;
       }},
      {"shy.gif",
       [](int i) {
         Frame f = Face();
         Eyes(f, 0, true, true);
         Disk(f, 6, 13, 2 + (i % 2) * 0.5, kPink);
         Disk(f, 18, 13, 2 + (i % 2) * 0.5, kPink);
         Mouth(f, 12, 15, 2, false, kInk);
         return f;
       }},
      {"wow.gif",
       [](int i) {
         Frame f = Face();
         Eyes(f, 0);
         Ring(f, 12, 16, 2.0 + i * 0.5, kInk);
         return f;
       }},
  };
  return list;
}

// An endless GIF89a animation of the 8 colours, 200 ms a frame.
std::string Gif(const std::vector<Frame>& frames) {
  std::vector<picture_writer::GifFrame> gifFrames;
  for (const Frame& frame : frames) gifFrames.push_back({frame, -1});
  return picture_writer::Gif(kSide, kSide, std::vector<Rgb>(std::begin(kPalette), std::end(kPalette)), gifFrames, 20);
}

// The picker's grid: 9 x 8 cells of 25 pixels, 1-pixel lines, 2-pixel
// margins (239 x 213), each emoticon's first frame in its cell.
std::string Grid() {
  std::vector<Frame> firsts;
  for (const Emoticon& e : Emoticons()) firsts.push_back(e.frame(0));
  return picture_writer::Bmp24(239, 213, [&](int x, int y) -> Rgb {
    const int gx = x - 2, gy = y - 2;
    if (gx < 0 || gy < 0 || gx > 9 * 26 || gy > 8 * 26) return {250, 250, 250};
    if (gx % 26 == 0 || gy % 26 == 0) return {200, 210, 225};
    const int col = gx / 26, row = gy / 26, index = row * 9 + col;
    const int px = gx % 26 - 1, py = gy % 26 - 1;
    if (index < static_cast<int>(firsts.size()) && px < kSide && py < kSide) {
      return kPalette[firsts[static_cast<std::size_t>(index)][static_cast<std::size_t>(py * kSide + px)]];
    }
    return {255, 255, 255};
  });
}

// A 16 x 16 line icon: shape(x, y) gives its colour or magenta.
std::string Icon(const std::function<Rgb(int, int)>& shape) { return picture_writer::Bmp24(16, 16, shape); }

const Rgb kMagenta = {255, 0, 255};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: emoticon-pictures EMOTION_DIR CHAT_DIR\n");
    return 2;
  }
  const std::string emotion = argv[1], chat = argv[2];
  bool ok = true;
  for (const Emoticon& e : Emoticons()) {
    std::vector<Frame> frames;
    for (int i = 0; i < kFrames; ++i) frames.push_back(e.frame(i));
    ok = picture_writer::SaveBytes(emotion + "/" + e.file, Gif(frames)) && ok;
  }
  ok = picture_writer::SaveBytes(emotion + "/grid.bmp", Grid()) && ok;
  // System: a red disc with a white bar; player: a blue head and shoulders;
  // loudspeaker: an orange horn.
  ok = picture_writer::SaveBytes(chat + "/system.bmp", Icon([](int x, int y) -> Rgb {
                                   const double d = std::hypot(x - 7.5, y - 7.5);
                                   if (d > 7.5) return kMagenta;
                                   if (x >= 7 && x <= 8 && ((y >= 3 && y <= 9) || (y >= 11 && y <= 12)))
                                     return {255, 255, 255};
                                   return {210, 30, 30};
                                 })) &&
       ok;
  ok = picture_writer::SaveBytes(chat + "/player.bmp", Icon([](int x, int y) -> Rgb {
                                   if (std::hypot(x - 7.5, y - 5) <= 3.5) return {40, 110, 220};
                                   if (y >= 10 && std::hypot(x - 7.5, y - 16) <= 7) return {40, 110, 220};
                                   return kMagenta;
                                 })) &&
       ok;
  ok = picture_writer::SaveBytes(chat + "/speaker.bmp", Icon([](int x, int y) -> Rgb {
                                   if (x >= 2 && x <= 5 && y >= 6 && y <= 9) return {240, 130, 20};
                                   if (x >= 5 && x <= 13 && std::abs(y - 7.5) <= (x - 5) * 0.7 + 1.5)
                                     return {240, 130, 20};
                                   return kMagenta;
                                 })) &&
       ok;
  if (!ok) {
    std::fprintf(stderr, "emoticon-pictures: cannot write into %s or %s\n", emotion.c_str(), chat.c_str());
    return 1;
  }
  return 0;
}
