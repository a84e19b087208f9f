// Test helpers for the picture classes: picture files written by hand (BMP,
// GIF; demo/common/picture_writer.h, which the demo's pictures use too) or
// with GDI+'s encoders (PNG, JPEG), and a memory canvas to draw into and
// read pixels back from.
#pragma once

#include <string>
#include <vector>

#include "afx/afx_port.h"
#include "base/gdiplus_owners.h"
#include "demo/common/picture_writer.h"
#include "support/picture/picture.h"

namespace picture_files {

using picture_writer::BmpHeaders;
using picture_writer::GifFrame;  // indices below 4
using picture_writer::PutLe16;
using picture_writer::PutLe32;

inline picture_writer::Rgb RgbOf(COLORREF c) { return {GetRValue(c), GetGValue(c), GetBValue(c)}; }

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
  return picture_writer::Bmp24(width, height, [&](int x, int y) { return RgbOf(pixels[std::size_t(y * width + x)]); });
}

// A GIF89a of four colours, 100 ms a frame; more than one frame makes an
// endless animation.
inline std::string Gif(int width, int height, const std::vector<COLORREF>& palette4,
                       const std::vector<GifFrame>& frames) {
  std::vector<picture_writer::Rgb> palette;
  for (COLORREF c : palette4) palette.push_back(RgbOf(c));
  return picture_writer::Gif(width, height, palette, frames, 10);
}

// Saves a 32-bit ARGB picture (top row first) with the GDI+ encoder of the
// MIME type ("image/png", "image/jpeg").
inline bool SaveWithGdiplus(const std::string& path, int width, int height, std::vector<DWORD> argb,
                            const wchar_t* mime) {
  namespace gp = Gdiplus;
  namespace gpx = Gdiplus::DllExports;
  if (!EnsureGdiplus()) return false;
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
  UniqueGdipBitmap bitmap;
  if (gpx::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                     reinterpret_cast<BYTE*>(argb.data()), bitmap.put()) != gp::Ok) {
    return false;
  }
  std::wstring wide(path.begin(), path.end());
  return gpx::GdipSaveImageToFile(bitmap.get(), wide.c_str(), encoder, nullptr) == gp::Ok;
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
