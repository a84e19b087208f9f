// The picture core: loading through the GDI+ flat API, pixel operations and
// drawing with transparency by hand-made resampling.
#include "support/picture/picture.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "afx/afx_gdi.h"
#include "base/gdiplus_owners.h"
#include "base/win_owners.h"

namespace picture {

namespace gp = Gdiplus;
namespace gpx = Gdiplus::DllExports;

namespace {

// ---- sizes ----

bool SizeAcceptable(std::uint64_t width, std::uint64_t height) {
  return width != 0 && height != 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

// ---- reading the file and its header ----

bool ReadWholeFile(const char* path, std::string& bytes) {
  if (!path || !*path) return false;
  const UniqueFileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > kMaxFileBytes) {
    return false;
  }
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    if (!ReadFile(file.get(), &bytes[done], want, &got, nullptr) || got == 0) return false;
    done += got;
  }
  return true;
}

std::uint32_t Le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t Le32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint32_t Be16(const unsigned char* p) { return (p[0] << 8) | p[1]; }
std::uint32_t Be32(const unsigned char* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// The size that the header announces, read before the decoder allocates
// anything; false when the header is cut short or names no size.
bool ProbeSize(Format format, const unsigned char* d, std::size_t n, std::uint64_t& width, std::uint64_t& height) {
  switch (format) {
    case Format::Bmp: {
      if (n < 26) return false;
      std::uint32_t header = Le32(d + 14);
      if (header == 12) {
        width = Le16(d + 18);
        height = Le16(d + 20);
        return true;
      }
      std::int32_t w = static_cast<std::int32_t>(Le32(d + 18));
      std::int32_t h = static_cast<std::int32_t>(Le32(d + 22));
      if (w <= 0 || h == INT32_MIN) return false;
      width = static_cast<std::uint64_t>(w);
      height = static_cast<std::uint64_t>(h < 0 ? -static_cast<std::int64_t>(h) : h);
      return true;
    }
    case Format::Gif:
      if (n < 13) return false;
      width = Le16(d + 6);
      height = Le16(d + 8);
      return true;
    case Format::Png:
      if (n < 24) return false;
      width = Be32(d + 16);
      height = Be32(d + 20);
      return true;
    case Format::Jpeg: {
      std::size_t pos = 2;
      while (pos + 4 <= n) {
        if (d[pos] != 0xFF) return false;
        unsigned marker = d[pos + 1];
        if (marker == 0xFF) {  // fill byte
          ++pos;
          continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
          pos += 2;
          continue;
        }
        std::size_t length = Be16(d + pos + 2);
        if (length < 2) return false;
        bool frameHeader = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frameHeader) {
          if (pos + 9 > n) return false;
          height = Be16(d + pos + 5);
          width = Be16(d + pos + 7);
          return true;
        }
        pos += 2 + length;
      }
      return false;
    }
    case Format::Unknown:
      break;
  }
  return false;
}

}  // namespace

// ---- decoding through GDI+ ----

class Loader {
 public:
  // Converts the active frame of the bitmap into pic.
  static bool ReadFrame(gp::GpImage* image, Picture& pic) {
    UINT width = 0, height = 0;
    if (gpx::GdipGetImageWidth(image, &width) != gp::Ok || gpx::GdipGetImageHeight(image, &height) != gp::Ok ||
        !SizeAcceptable(width, height)) {
      return false;
    }
    gp::PixelFormat format = 0;
    if (gpx::GdipGetImagePixelFormat(image, &format) != gp::Ok) return false;
    WORD bpp = 24;
    if (format == PixelFormat1bppIndexed) bpp = 1;
    if (format == PixelFormat4bppIndexed) bpp = 4;
    if (format == PixelFormat8bppIndexed) bpp = 8;

    Picture out;
    out.m_width = width;
    out.m_height = height;
    out.m_bpp = bpp;
    std::size_t count = static_cast<std::size_t>(width) * height;
    out.m_color.resize(count);

    auto* bitmap = static_cast<gp::GpBitmap*>(image);
    gp::GpRect rect(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    gp::BitmapData data = {};
    if (bpp <= 8) {
      std::vector<BYTE> alphas;
      if (!ReadPalette(image, bpp, out.m_palette, alphas)) return false;
      if (gpx::GdipBitmapLockBits(bitmap, &rect, gp::ImageLockModeRead, format, &data) != gp::Ok) return false;
      out.m_index.resize(count);
      for (UINT y = 0; y < height; ++y) {
        const BYTE* row = static_cast<const BYTE*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride;
        for (UINT x = 0; x < width; ++x) {
          BYTE index;
          if (bpp == 8) {
            index = row[x];
          } else if (bpp == 4) {
            index = (row[x / 2] >> ((x % 2) ? 0 : 4)) & 0x0F;
          } else {
            index = (row[x / 8] >> (7 - x % 8)) & 0x01;
          }
          out.m_index[std::size_t(y) * width + x] = index;
          out.m_color[std::size_t(y) * width + x] = out.m_palette[index];
        }
      }
      gpx::GdipBitmapUnlockBits(bitmap, &data);
      ApplyPaletteAlpha(out, alphas);
    } else {
      if (gpx::GdipBitmapLockBits(bitmap, &rect, gp::ImageLockModeRead, PixelFormat32bppARGB, &data) != gp::Ok) {
        return false;
      }
      bool translucent = false;
      out.m_alpha.resize(count);
      for (UINT y = 0; y < height; ++y) {
        const BYTE* row = static_cast<const BYTE*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride;
        for (UINT x = 0; x < width; ++x) {
          const BYTE* px = row + std::size_t(x) * 4;
          std::size_t i = std::size_t(y) * width + x;
          out.m_color[i] = RGBQUAD{px[0], px[1], px[2], 0};
          out.m_alpha[i] = px[3];
          translucent = translucent || px[3] != 255;
        }
      }
      gpx::GdipBitmapUnlockBits(bitmap, &data);
      if (!translucent) out.m_alpha.clear();
    }
    pic = std::move(out);
    return true;
  }

  static bool ReadPalette(gp::GpImage* image, WORD bpp, std::vector<RGBQUAD>& palette, std::vector<BYTE>& alphas) {
    INT bytes = 0;
    if (gpx::GdipGetImagePaletteSize(image, &bytes) != gp::Ok || bytes < static_cast<INT>(sizeof(gp::ColorPalette))) {
      return false;
    }
    if (bytes > static_cast<INT>(sizeof(gp::ColorPalette) + 256 * sizeof(gp::ARGB))) return false;
    std::vector<std::uint64_t> storage((static_cast<std::size_t>(bytes) + 7) / 8);
    auto* colors = reinterpret_cast<gp::ColorPalette*>(storage.data());
    if (gpx::GdipGetImagePalette(image, colors, bytes) != gp::Ok) return false;
    std::size_t entries = std::size_t(1) << bpp;
    palette.assign(entries, RGBQUAD{0, 0, 0, 0});
    alphas.assign(entries, 255);
    std::size_t given = std::min<std::size_t>(colors->Count, entries);
    std::size_t room = (static_cast<std::size_t>(bytes) - offsetof(gp::ColorPalette, Entries)) / sizeof(gp::ARGB);
    given = std::min(given, room);
    for (std::size_t i = 0; i < given; ++i) {
      gp::ARGB c = colors->Entries[i];
      palette[i] = RGBQUAD{BYTE(c & 0xFF), BYTE((c >> 8) & 0xFF), BYTE((c >> 16) & 0xFF), 0};
      alphas[i] = BYTE(c >> 24);
    }
    return true;
  }

  // One fully transparent palette entry becomes the transparent index; any
  // other transparency in the palette becomes an alpha layer.
  static void ApplyPaletteAlpha(Picture& pic, const std::vector<BYTE>& alphas) {
    long clear = -1;
    bool partial = false;
    for (std::size_t i = 0; i < alphas.size(); ++i) {
      if (alphas[i] == 0 && clear < 0) {
        clear = static_cast<long>(i);
      } else if (alphas[i] != 255) {
        partial = true;
      }
    }
    if (!partial) {
      pic.m_transIndex = clear;
      if (clear >= 0) pic.m_transColor = pic.m_palette[std::size_t(clear)];
      return;
    }
    pic.m_alpha.resize(pic.m_index.size());
    for (std::size_t i = 0; i < pic.m_index.size(); ++i) pic.m_alpha[i] = alphas[pic.m_index[i]];
  }

  static bool Decode(const std::string& bytes, std::vector<Picture>& frames) {
    if (!EnsureGdiplus()) return false;
    UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    if (!memory) return false;
    void* target = GlobalLock(memory.get());
    if (!target) return false;
    std::copy(bytes.begin(), bytes.end(), static_cast<char*>(target));
    GlobalUnlock(memory.get());
    UniqueComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(memory.get(), TRUE, stream.put()))) return false;
    memory.release();  // the stream frees it now
    gp::GpBitmap* rawBitmap = nullptr;
    if (gpx::GdipCreateBitmapFromStream(stream.get(), &rawBitmap) != gp::Ok || !rawBitmap) return false;
    UniqueGdipImage image(rawBitmap);

    UINT frameCount = 1;
    GUID dimension = {};
    UINT dimensions = 0;
    if (gpx::GdipImageGetFrameDimensionsCount(image.get(), &dimensions) == gp::Ok && dimensions >= 1) {
      std::vector<GUID> list(std::min<UINT>(dimensions, 16));
      if (gpx::GdipImageGetFrameDimensionsList(image.get(), list.data(), static_cast<UINT>(list.size())) == gp::Ok) {
        dimension = list[0];
        UINT n = 0;
        if (gpx::GdipImageGetFrameCount(image.get(), &dimension, &n) == gp::Ok && n > 1) frameCount = n;
      }
    }
    if (frameCount > kMaxFrames) return false;

    std::vector<Picture> decoded;
    std::uint64_t total = 0;
    for (UINT i = 0; i < frameCount; ++i) {
      if (frameCount > 1 && gpx::GdipImageSelectActiveFrame(image.get(), &dimension, i) != gp::Ok) return false;
      Picture pic;
      if (!ReadFrame(image.get(), pic)) return false;
      total += std::uint64_t(pic.m_width) * pic.m_height;
      if (total > kMaxPixels) return false;
      decoded.push_back(std::move(pic));
    }
    frames = std::move(decoded);
    return true;
  }
};

Format Picture::DetectFormat(const unsigned char* d, std::size_t n) {
  static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (n >= 8 && std::equal(kPng, kPng + 8, d)) return Format::Png;
  if (n >= 6 && d[0] == 'G' && d[1] == 'I' && d[2] == 'F' && d[3] == '8' && (d[4] == '7' || d[4] == '9') &&
      d[5] == 'a') {
    return Format::Gif;
  }
  if (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) return Format::Jpeg;
  if (n >= 2 && d[0] == 'B' && d[1] == 'M') return Format::Bmp;
  return Format::Unknown;
}

bool Picture::LoadFile(const char* path, Format format, std::vector<Picture>& frames, Format* loaded) {
  try {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return false;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    Format found = DetectFormat(data, bytes.size());
    if (found == Format::Unknown || (format != Format::Unknown && format != found)) return false;
    std::uint64_t width = 0, height = 0;
    if (!ProbeSize(found, data, bytes.size(), width, height) || !SizeAcceptable(width, height)) return false;
    if (!Loader::Decode(bytes, frames)) return false;
    if (loaded) *loaded = found;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// ---- pixel operations ----

void Picture::Clear() { *this = Picture(); }

Picture Picture::Blank() const {
  Picture out;
  out.m_width = m_width;
  out.m_height = m_height;
  out.m_bpp = m_bpp;
  out.m_palette = m_palette;
  out.m_transIndex = m_transIndex;
  out.m_transColor = m_transColor;
  std::size_t count = std::size_t(m_width) * m_height;
  RGBQUAD first = m_palette.empty() ? RGBQUAD{0, 0, 0, 0} : m_palette[0];
  out.m_color.assign(count, first);
  if (!m_index.empty()) out.m_index.assign(count, 0);
  return out;
}

bool Picture::IncreaseBpp(DWORD nbit) {
  if (!IsValid() || (nbit != 1 && nbit != 4 && nbit != 8 && nbit != 24) || nbit < m_bpp) return false;
  if (nbit == m_bpp) return true;
  if (nbit == 24) {
    if (m_transIndex >= 0 && static_cast<std::size_t>(m_transIndex) < m_palette.size()) {
      SetTransColor(m_palette[std::size_t(m_transIndex)]);
    }
    m_palette.clear();
    m_index.clear();
  } else {
    m_palette.resize(std::size_t(1) << nbit, RGBQUAD{0, 0, 0, 0});
  }
  m_bpp = static_cast<WORD>(nbit);
  return true;
}

void Picture::SetTransColor(RGBQUAD rgb) {
  m_transColor = rgb;
  m_transColor.rgbReserved = 0;
}

bool Picture::Crop(const RECT& rect, Picture& dst) const {
  std::int64_t left = std::max<std::int64_t>(rect.left, 0);
  std::int64_t top = std::max<std::int64_t>(rect.top, 0);
  std::int64_t right = std::min<std::int64_t>(rect.right, m_width);
  std::int64_t bottom = std::min<std::int64_t>(rect.bottom, m_height);
  if (!IsValid() || left >= right || top >= bottom) return false;
  try {
    Picture out;
    out.m_width = static_cast<DWORD>(right - left);
    out.m_height = static_cast<DWORD>(bottom - top);
    out.m_bpp = m_bpp;
    out.m_palette = m_palette;
    out.m_transIndex = m_transIndex;
    out.m_transColor = m_transColor;
    auto copyRows = [&](const auto& from, auto& to) {
      if (from.empty()) return;
      to.reserve(std::size_t(out.m_width) * out.m_height);
      for (std::int64_t y = top; y < bottom; ++y) {
        auto begin = from.begin() + static_cast<std::ptrdiff_t>(y * m_width + left);
        to.insert(to.end(), begin, begin + static_cast<std::ptrdiff_t>(out.m_width));
      }
    };
    copyRows(m_color, out.m_color);
    copyRows(m_index, out.m_index);
    copyRows(m_alpha, out.m_alpha);
    dst = std::move(out);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// ---- drawing ----

Picture::Texel Picture::TexelAt(std::size_t i) const {
  std::uint32_t a = m_alpha.empty() ? 255 : m_alpha[i];
  if (m_transIndex >= 0) {
    const RGBQUAD& c = m_color[i];
    bool keyed = m_bpp <= 8 ? m_index[i] == m_transIndex
                            : c.rgbRed == m_transColor.rgbRed && c.rgbGreen == m_transColor.rgbGreen &&
                                  c.rgbBlue == m_transColor.rgbBlue;
    if (keyed) a = 0;
  }
  const RGBQUAD& c = m_color[i];
  if (a == 255) return Texel{c.rgbBlue, c.rgbGreen, c.rgbRed, 255};
  return Texel{(c.rgbBlue * a + 127) / 255, (c.rgbGreen * a + 127) / 255, (c.rgbRed * a + 127) / 255, a};
}

// Bilinear sample at a source position given in 1/256 pixel, clamped to
// the picture.
Picture::Texel Picture::Sample(std::int64_t sx256, std::int64_t sy256) const {
  sx256 = std::clamp<std::int64_t>(sx256, 0, std::int64_t(m_width - 1) * 256);
  sy256 = std::clamp<std::int64_t>(sy256, 0, std::int64_t(m_height - 1) * 256);
  std::size_t x0 = std::size_t(sx256 >> 8), y0 = std::size_t(sy256 >> 8);
  std::uint32_t wx = std::uint32_t(sx256 & 255), wy = std::uint32_t(sy256 & 255);
  std::size_t x1 = std::min<std::size_t>(x0 + 1, m_width - 1), y1 = std::min<std::size_t>(y0 + 1, m_height - 1);
  Texel t[4] = {TexelAt(y0 * m_width + x0), TexelAt(y0 * m_width + x1), TexelAt(y1 * m_width + x0),
                TexelAt(y1 * m_width + x1)};
  std::uint32_t w[4] = {(256 - wx) * (256 - wy), wx * (256 - wy), (256 - wx) * wy, wx * wy};
  Texel out = {0, 0, 0, 0};
  for (int k = 0; k < 4; ++k) {
    out.b += t[k].b * w[k];
    out.g += t[k].g * w[k];
    out.r += t[k].r * w[k];
    out.a += t[k].a * w[k];
  }
  out.b = (out.b + 32768) >> 16;
  out.g = (out.g + 32768) >> 16;
  out.r = (out.r + 32768) >> 16;
  out.a = (out.a + 32768) >> 16;
  return out;
}

long Picture::Draw(HDC hdc, long x, long y, long cx, long cy, const RECT* clip, bool smooth, bool flip) const {
  if (!IsValid() || !hdc) return 0;
  if (cx == -1) cx = static_cast<long>(m_width);
  if (cy == -1) cy = static_cast<long>(m_height);
  if (cx <= 0 || cy <= 0) return 0;

  // The visible part of the destination rectangle.
  std::int64_t left = x, top = y, right = std::int64_t(x) + cx, bottom = std::int64_t(y) + cy;
  if (clip) {
    left = std::max<std::int64_t>(left, clip->left);
    top = std::max<std::int64_t>(top, clip->top);
    right = std::min<std::int64_t>(right, clip->right);
    bottom = std::min<std::int64_t>(bottom, clip->bottom);
  }
  RECT box;
  int kind = GetClipBox(hdc, &box);
  if (kind == ERROR) return 0;
  if (kind == NULLREGION) return 1;
  left = std::max<std::int64_t>(left, box.left);
  top = std::max<std::int64_t>(top, box.top);
  right = std::min<std::int64_t>(right, box.right);
  bottom = std::min<std::int64_t>(bottom, box.bottom);
  if (left >= right || top >= bottom) return 1;

  const bool stretched = cx != static_cast<long>(m_width) || cy != static_cast<long>(m_height);
  const bool filter = smooth && stretched;
  const bool blend = !m_alpha.empty() || m_transIndex >= 0;

  // Painted in bands of at most about a million pixels through a 32-bit
  // top-down section: read back from hdc first when blending.
  const int bandWidth = static_cast<int>(right - left);
  const int bandRows = static_cast<int>(std::clamp<std::int64_t>((1 << 20) / bandWidth, 1, bottom - top));
  BITMAPINFO info = TopDown32BitmapInfo(bandWidth, bandRows);
  void* bits = nullptr;
  CBitmap section;
  if (!section.Attach(CreateDIBSection(hdc, &info, DIB_RGB_COLORS, &bits, nullptr, 0)) || !bits) return 0;
  // Declared after the section, so the context is deleted (and the section
  // deselected with it) before the section is.
  CDC memory;
  if (!memory.Attach(CreateCompatibleDC(hdc)) || !memory.SelectObject(section.GetSafeHandle())) return 0;

  // Source column of each destination column: a pixel index (nearest) or a
  // position in 1/256 pixel (filtered), both from pixel centres.
  std::vector<std::int64_t> columns(static_cast<std::size_t>(bandWidth));
  for (int i = 0; i < bandWidth; ++i) {
    std::int64_t u = left + i - x;
    columns[std::size_t(i)] = filter ? (2 * u + 1) * m_width * 128 / cx - 128 : (2 * u + 1) * m_width / (2 * cx);
  }

  BYTE* out = static_cast<BYTE*>(bits);
  for (std::int64_t bandTop = top; bandTop < bottom; bandTop += bandRows) {
    int rows = static_cast<int>(std::min<std::int64_t>(bandRows, bottom - bandTop));
    if (blend) {
      if (!BitBlt(memory.GetSafeHdc(), 0, 0, bandWidth, rows, hdc, static_cast<int>(left), static_cast<int>(bandTop),
                  SRCCOPY)) {
        return 0;
      }
    }
    GdiFlush();
    for (int r = 0; r < rows; ++r) {
      std::int64_t v = bandTop + r - y;
      if (flip) v = cy - 1 - v;
      std::int64_t row = filter ? (2 * v + 1) * m_height * 128 / cy - 128 : (2 * v + 1) * m_height / (2 * cy);
      BYTE* px = out + std::size_t(r) * bandWidth * 4;
      for (int i = 0; i < bandWidth; ++i, px += 4) {
        Texel t = filter ? Sample(columns[std::size_t(i)], row)
                         : TexelAt(std::size_t(row) * m_width + std::size_t(columns[std::size_t(i)]));
        if (t.a == 0 && blend) continue;
        if (t.a >= 255 || !blend) {
          px[0] = BYTE(t.b);
          px[1] = BYTE(t.g);
          px[2] = BYTE(t.r);
        } else {
          std::uint32_t rest = 255 - t.a;
          px[0] = BYTE(std::min<std::uint32_t>(255, t.b + (px[0] * rest + 127) / 255));
          px[1] = BYTE(std::min<std::uint32_t>(255, t.g + (px[1] * rest + 127) / 255));
          px[2] = BYTE(std::min<std::uint32_t>(255, t.r + (px[2] * rest + 127) / 255));
        }
        px[3] = 0;
      }
    }
    if (!BitBlt(hdc, static_cast<int>(left), static_cast<int>(bandTop), bandWidth, rows, memory.GetSafeHdc(), 0, 0,
                SRCCOPY)) {
      return 0;
    }
  }
  return 1;
}

HBITMAP Picture::MakeBitmap(HDC hdc) const {
  if (!IsValid()) return nullptr;
  try {
    std::optional<CClientDC> screen;
    if (!hdc) screen.emplace(nullptr);
    HDC reference = hdc ? hdc : screen->GetSafeHdc();
    if (!reference) return nullptr;
    BITMAPINFO info = TopDown32BitmapInfo(static_cast<LONG>(m_width), static_cast<LONG>(m_height));
    // RGBQUAD is laid out as a 32-bit DIB pixel (blue, green, red, unused).
    return CreateDIBitmap(reference, &info.bmiHeader, CBM_INIT, m_color.data(), &info, DIB_RGB_COLORS);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace picture
