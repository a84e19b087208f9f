// Test helpers for the picture classes: picture files written by hand (BMP,
// GIF) or with GDI+'s encoders (PNG, JPEG), and a memory canvas to draw
// into and read pixels back from.
#pragma once

#include <objidl.h>

#include <gdiplus.h>

#include <string>
#include <vector>

#include "afx/afx_port.h"
#include "support/picture/picture.h"

namespace picture_files {

inline void PutLe16(std::string& s, unsigned v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
inline void PutLe32(std::string& s, unsigned v) {
  PutLe16(s, v & 0xFFFF);
  PutLe16(s, v >> 16);
}

// BITMAPFILEHEADER + BITMAPINFOHEADER for a bottom-up picture.
inline std::string BmpHeaders(int width, int height, int bpp, unsigned paletteEntries, unsigned imageBytes) {
  std::string s = "BM";
  unsigned offset = 14 + 40 + paletteEntries * 4;
  PutLe32(s, offset + imageBytes);
  PutLe32(s, 0);
  PutLe32(s, offset);
  PutLe32(s, 40);
  PutLe32(s, static_cast<unsigned>(width));
  PutLe32(s, static_cast<unsigned>(height));
  PutLe16(s, 1);
  PutLe16(s, static_cast<unsigned>(bpp));
  PutLe32(s, 0);  // BI_RGB
  PutLe32(s, imageBytes);
  PutLe32(s, 2835);
  PutLe32(s, 2835);
  PutLe32(s, paletteEntries);
  PutLe32(s, 0);
  return s;
}

// An 8-bit paletted BMP; indices are given top row first.
inline std::string Bmp8(int width, int height, const std::vector<COLORREF>& palette, const std::vector<BYTE>& indices) {
  unsigned stride = (static_cast<unsigned>(width) + 3) & ~3u;
  std::string s = BmpHeaders(width, height, 8, static_cast<unsigned>(palette.size()), stride * height);
  for (COLORREF c : palette) {
    s += char(GetBValue(c));
    s += char(GetGValue(c));
    s += char(GetRValue(c));
    s += char(0);
  }
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) s += char(indices[std::size_t(y * width + x)]);
    s.append(stride - width, '\0');
  }
  return s;
}

// A 24-bit BMP; pixels are given top row first.
inline std::string Bmp24(int width, int height, const std::vector<COLORREF>& pixels) {
  unsigned stride = (static_cast<unsigned>(width) * 3 + 3) & ~3u;
  std::string s = BmpHeaders(width, height, 24, 0, stride * height);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      COLORREF c = pixels[std::size_t(y * width + x)];
      s += char(GetBValue(c));
      s += char(GetGValue(c));
      s += char(GetRValue(c));
    }
    s.append(stride - width * 3, '\0');
  }
  return s;
}

struct GifFrame {
  std::vector<BYTE> indices;  // top row first, each below 4
  int transparent = -1;       // palette index drawn transparent, or -1
};

// A GIF89a of four colours; more than one frame makes an endless animation.
// The image data is LZW with a clear code every two pixels, so that the
// codes stay 3 bits wide.
inline std::string Gif(int width, int height, const std::vector<COLORREF>& palette4,
                       const std::vector<GifFrame>& frames) {
  std::string s = "GIF89a";
  PutLe16(s, static_cast<unsigned>(width));
  PutLe16(s, static_cast<unsigned>(height));
  s += char(0x81);  // global colour table of 4 entries
  s += char(0);
  s += char(0);
  for (COLORREF c : palette4) {
    s += char(GetRValue(c));
    s += char(GetGValue(c));
    s += char(GetBValue(c));
  }
  if (frames.size() > 1) {
    s += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  }
  for (const GifFrame& frame : frames) {
    s += std::string("\x21\xF9\x04", 3);
    s += char((1 << 2) | (frame.transparent >= 0 ? 1 : 0));  // do not dispose
    PutLe16(s, 10);
    s += char(frame.transparent >= 0 ? frame.transparent : 0);
    s += char(0);
    s += char(0x2C);
    PutLe16(s, 0);
    PutLe16(s, 0);
    PutLe16(s, static_cast<unsigned>(width));
    PutLe16(s, static_cast<unsigned>(height));
    s += char(0);
    s += char(2);  // LZW minimum code size
    std::vector<unsigned> codes;
    for (std::size_t i = 0; i < frame.indices.size(); ++i) {
      if (i % 2 == 0) codes.push_back(4);  // clear
      codes.push_back(frame.indices[i]);
    }
    codes.push_back(5);  // end of information
    std::string data;
    unsigned acc = 0, bits = 0;
    for (unsigned code : codes) {
      acc |= code << bits;
      bits += 3;
      while (bits >= 8) {
        data += char(acc & 0xFF);
        acc >>= 8;
        bits -= 8;
      }
    }
    if (bits) data += char(acc & 0xFF);
    for (std::size_t at = 0; at < data.size(); at += 255) {
      std::string block = data.substr(at, 255);
      s += char(block.size());
      s += block;
    }
    s += char(0);
  }
  s += char(0x3B);
  return s;
}

// Saves a 32-bit ARGB picture (top row first) with the GDI+ encoder of the
// MIME type ("image/png", "image/jpeg").
inline bool SaveWithGdiplus(const std::string& path, int width, int height, std::vector<DWORD> argb,
                            const wchar_t* mime) {
  namespace gp = Gdiplus;
  namespace gpx = Gdiplus::DllExports;
  static const bool started = [] {
    ULONG_PTR token = 0;
    gp::GdiplusStartupInput input;
    return gp::GdiplusStartup(&token, &input, nullptr) == gp::Ok;
  }();
  if (!started) return false;
  UINT count = 0, bytes = 0;
  if (gpx::GdipGetImageEncodersSize(&count, &bytes) != gp::Ok || bytes == 0) return false;
  std::vector<std::uint64_t> storage(bytes / 8 + 1);
  auto* codecs = reinterpret_cast<gp::ImageCodecInfo*>(storage.data());
  if (gpx::GdipGetImageEncoders(count, bytes, codecs) != gp::Ok) return false;
  const CLSID* encoder = nullptr;
  for (UINT i = 0; i < count; ++i) {
    if (std::wstring(codecs[i].MimeType) == mime) encoder = &codecs[i].Clsid;
  }
  if (!encoder) return false;
  gp::GpBitmap* bitmap = nullptr;
  if (gpx::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                     reinterpret_cast<BYTE*>(argb.data()), &bitmap) != gp::Ok) {
    return false;
  }
  std::wstring wide(path.begin(), path.end());
  bool saved = gpx::GdipSaveImageToFile(bitmap, wide.c_str(), encoder, nullptr) == gp::Ok;
  gpx::GdipDisposeImage(bitmap);
  return saved;
}

inline DWORD Argb(BYTE a, COLORREF c) {
  return (DWORD(a) << 24) | (DWORD(GetRValue(c)) << 16) | (DWORD(GetGValue(c)) << 8) | GetBValue(c);
}

// A 32-bit memory canvas filled with one colour.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill) : m_dc(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info = picture::TopDown32BitmapInfo(width, height);
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_old = SelectObject(m_dc, m_bitmap);
    Fill(fill);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas() {
    SelectObject(m_dc, m_old);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
  }
  void Fill(COLORREF fill) {
    BITMAP bm = {};
    GetObject(m_bitmap, sizeof bm, &bm);
    RECT all = {0, 0, bm.bmWidth, bm.bmHeight};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(m_dc, &all, brush);
    DeleteObject(brush);
  }
  HDC dc() const { return m_dc; }
  COLORREF Pixel(int x, int y) const { return GetPixel(m_dc, x, y); }
  bool ok() const { return m_dc && m_bitmap && m_old; }

 private:
  HDC m_dc;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_old = nullptr;
};

// Whether every channel of a and b differs by at most tolerance.
inline bool Near(COLORREF a, COLORREF b, int tolerance) {
  auto close = [&](int x, int y) { return x - y <= tolerance && y - x <= tolerance; };
  return close(GetRValue(a), GetRValue(b)) && close(GetGValue(a), GetGValue(b)) && close(GetBValue(a), GetBValue(b));
}

}  // namespace picture_files
