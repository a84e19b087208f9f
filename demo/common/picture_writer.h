// Picture files written byte by byte (24-bit BMP, GIF89a of 4 or 8 colours),
// for the demo's picture programs and the tests' picture files. Portable: no
// Windows header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/file_owner.h"

namespace picture_writer {

struct Rgb {
  std::uint8_t r, g, b;
};

inline void PutLe16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}

inline void PutLe32(std::string& s, unsigned v) {
  PutLe16(s, v & 0xFFFF);
  PutLe16(s, v >> 16);
}

// BITMAPFILEHEADER + BITMAPINFOHEADER of a bottom-up picture without
// compression.
inline std::string BmpHeaders(int width, int height, int bitsPerPixel, unsigned paletteEntries, unsigned imageBytes) {
  std::string s = "BM";
  const unsigned offset = 14 + 40 + paletteEntries * 4;
  PutLe32(s, offset + imageBytes);
  PutLe32(s, 0);
  PutLe32(s, offset);
  PutLe32(s, 40);
  PutLe32(s, static_cast<unsigned>(width));
  PutLe32(s, static_cast<unsigned>(height));
  PutLe16(s, 1);
  PutLe16(s, static_cast<unsigned>(bitsPerPixel));
  PutLe32(s, 0);  // BI_RGB
  PutLe32(s, imageBytes);
  PutLe32(s, 2835);  // 72 dots per inch
  PutLe32(s, 2835);
  PutLe32(s, paletteEntries);
  PutLe32(s, 0);
  return s;
}

// A 24-bit BMP; pixel(x, y) answers the Rgb of a pixel, y from the top.
template <class Pixel>
std::string Bmp24(int width, int height, const Pixel& pixel) {
  const unsigned stride = (static_cast<unsigned>(width) * 3 + 3) & ~3u;
  std::string s = BmpHeaders(width, height, 24, 0, stride * static_cast<unsigned>(height));
  for (int y = height - 1; y >= 0; --y) {  // bottom row first
    for (int x = 0; x < width; ++x) {
      const Rgb c = pixel(x, y);
      s += static_cast<char>(c.b);
      s += static_cast<char>(c.g);
      s += static_cast<char>(c.r);
    }
    s.append(stride - static_cast<unsigned>(width) * 3, '\0');
  }
  return s;
}

struct GifFrame {
  std::vector<std::uint8_t> indices;  // palette indices, top row first
  int transparent = -1;               // palette index drawn transparent, or -1
};

// A GIF89a with a global palette of 4 or 8 colours; more than one frame
// makes an endless animation, delay (hundredths of a second) apart, each
// frame left in place. The image data is LZW with a clear code every half
// palette of pixels, so that the codes keep their first width (3 bits for
// 4 colours, 4 for 8).
inline std::string Gif(int width, int height, const std::vector<Rgb>& palette, const std::vector<GifFrame>& frames,
                       unsigned delay) {
  const unsigned colourBits = palette.size() > 4 ? 3 : 2;
  const unsigned clear = 1u << colourBits, end = clear + 1, codeBits = colourBits + 1;
  std::string s = "GIF89a";
  PutLe16(s, static_cast<unsigned>(width));
  PutLe16(s, static_cast<unsigned>(height));
  s += static_cast<char>(0x80 | (colourBits - 1));  // global colour table
  s += static_cast<char>(0);                        // background index
  s += static_cast<char>(0);
  for (unsigned i = 0; i < clear; ++i) {
    const Rgb c = i < palette.size() ? palette[i] : Rgb{0, 0, 0};
    s += static_cast<char>(c.r);
    s += static_cast<char>(c.g);
    s += static_cast<char>(c.b);
  }
  if (frames.size() > 1) s += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  for (const GifFrame& frame : frames) {
    s += std::string("\x21\xF9\x04", 3);
    s += static_cast<char>((1 << 2) | (frame.transparent >= 0 ? 1 : 0));  // do not dispose
    PutLe16(s, delay);
    s += static_cast<char>(frame.transparent >= 0 ? frame.transparent : 0);
    s += static_cast<char>(0);
    s += static_cast<char>(0x2C);
    PutLe16(s, 0);
    PutLe16(s, 0);
    PutLe16(s, static_cast<unsigned>(width));
    PutLe16(s, static_cast<unsigned>(height));
    s += static_cast<char>(0);
    s += static_cast<char>(colourBits);  // LZW minimum code size
    std::string data;
    unsigned acc = 0, bits = 0;
    auto emit = [&](unsigned code) {
      acc |= code << bits;
      bits += codeBits;
      while (bits >= 8) {
        data += static_cast<char>(acc & 0xFF);
        acc >>= 8;
        bits -= 8;
      }
    };
    for (std::size_t i = 0; i < frame.indices.size(); ++i) {
      if (i % (clear / 2) == 0) emit(clear);
      emit(frame.indices[i]);
    }
    emit(end);
    if (bits) data += static_cast<char>(acc & 0xFF);
    for (std::size_t at = 0; at < data.size(); at += 255) {
      const std::string block = data.substr(at, 255);
      s += static_cast<char>(block.size());
      s += block;
    }
    s += static_cast<char>(0);
  }
  s += static_cast<char>(0x3B);
  return s;
}

// Writes bytes to path (replacing the file); false when not every byte
// reached it.
inline bool SaveBytes(const std::string& path, const std::string& bytes) {
  UniqueFile f(std::fopen(path.c_str(), "wb"));
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
  return std::fclose(f.release()) == 0 && ok;
}

}  // namespace picture_writer
