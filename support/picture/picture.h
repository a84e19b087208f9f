// The pixel, loading and drawing core shared by the picture classes of
// Brevio and Dravik (both named CxImage, each with its own API). A plain
// value class, linked statically into each library; nothing here is
// exported. Windows only.
//
// A picture holds its size, its bits per pixel (1, 4 or 8 with a palette,
// or 24), the colour of every pixel, the palette index of every pixel when
// paletted, an optional alpha layer, and its transparency settings: a
// transparent index (negative: none) and a transparent colour. With an index
// set, a paletted picture draws the pixels of that palette index
// transparent, a 24-bit picture the pixels of the transparent colour.
#pragma once

#include <cstdint>
#include <vector>

#include "afx/afx_port.h"

#ifndef _WIN32
#error "picture.h is part of the Windows build only"
#endif

namespace picture {

enum class Format { Unknown, Bmp, Gif, Jpeg, Png };

// Largest width or height accepted, and the largest pixel count of one
// picture and of all the frames of one file together.
constexpr DWORD kMaxSide = 16384;
constexpr std::uint64_t kMaxPixels = static_cast<std::uint64_t>(kMaxSide) * kMaxSide;
// Largest picture file read, in bytes.
constexpr std::uint64_t kMaxFileBytes = 64u << 20;
// Most frames kept from one multi-frame file.
constexpr DWORD kMaxFrames = 4096;

// The header of a 32-bit top-down DIB of width x height (BI_RGB): its
// pixels are laid out as RGBQUAD (blue, green, red, unused), top row first.
inline BITMAPINFO TopDown32BitmapInfo(LONG width, LONG height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

class Picture {
 public:
  Picture() = default;

  // Reads a BMP, GIF, JPEG or PNG file through GDI+ into one picture per
  // frame (one for a still picture). `format` Unknown detects the format
  // from the data; any other format must match the data. False, with
  // `frames` and `loaded` untouched, when the file is missing, empty,
  // truncated, of another format, too large (see the limits above) or
  // cannot be decoded.
  static bool LoadFile(const char* path, Format format, std::vector<Picture>& frames, Format* loaded = nullptr);
  // The format of a file's first bytes (Unknown when none of the four).
  static Format DetectFormat(const unsigned char* data, std::size_t size);

  bool IsValid() const { return m_width != 0; }
  DWORD Width() const { return m_width; }
  DWORD Height() const { return m_height; }
  WORD Bpp() const { return m_bpp; }
  bool HasAlpha() const { return !m_alpha.empty(); }

  // Frees everything; the transparency settings return to none.
  void Clear();
  // The same size, bits per pixel, palette and settings, every pixel at
  // palette entry 0 (black when 24-bit), no alpha layer.
  Picture Blank() const;
  void DropAlpha() { m_alpha.clear(); }

  // Raises the bits per pixel to nbit (1, 4, 8 or 24). True when the
  // picture already has nbit; false when empty, for another nbit or for a
  // lower one. Going to 24 bits turns a transparent index into the colour
  // of that palette entry.
  bool IncreaseBpp(DWORD nbit);

  void SetTransIndex(long idx) { m_transIndex = idx; }
  long TransIndex() const { return m_transIndex; }
  void SetTransColor(RGBQUAD rgb);
  RGBQUAD TransColor() const { return m_transColor; }

  // Writes the part of rect (top row 0) that lies inside the picture into
  // dst (which may be this picture), with this picture's bits per pixel,
  // palette, alpha and settings. False, dst untouched, when that part is
  // empty.
  bool Crop(const RECT& rect, Picture& dst) const;

  // Paints into hdc at (x, y) with size (cx, cy), -1 meaning the picture's
  // own; only inside clip when given and inside the context's clip box;
  // bilinear filtering when stretched and smooth; upside down when flip.
  // Transparent pixels leave the context untouched; partly transparent ones
  // are blended. Non-zero when the picture and the arguments are valid (also
  // when everything is clipped away); 0 otherwise.
  long Draw(HDC hdc, long x, long y, long cx, long cy, const RECT* clip, bool smooth, bool flip) const;

  // A new device-dependent bitmap compatible with hdc (the screen when
  // null) holding the picture's colours (transparency not applied), owned by
  // the caller; null for an empty picture or when it cannot be made.
  HBITMAP MakeBitmap(HDC hdc) const;

 private:
  struct Texel {
    std::uint32_t b, g, r, a;  // colour premultiplied by alpha
  };
  Texel TexelAt(std::size_t i) const;
  Texel Sample(std::int64_t sx256, std::int64_t sy256) const;

  DWORD m_width = 0;
  DWORD m_height = 0;
  WORD m_bpp = 0;
  std::vector<RGBQUAD> m_palette;  // 2^bpp entries when paletted
  std::vector<BYTE> m_index;       // palette index of each pixel when paletted
  std::vector<RGBQUAD> m_color;    // colour of each pixel, top row first
  std::vector<BYTE> m_alpha;       // alpha of each pixel; empty: opaque
  long m_transIndex = -1;
  RGBQUAD m_transColor = {0, 0, 0, 0};

  friend class Loader;
};

}  // namespace picture
