#include "support/ormlace/skin_picture.h"

#include <cstring>
#include <vector>

#include "support/picture/picture.h"

namespace ormlace {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The directory of the host executable with a trailing '\' (empty when the
// system does not tell). The last separator is found walking characters of
// the ANSI code page, since a trail byte of a double-byte character may be
// 0x5C.
std::string ExecutableDirectory() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    if (buffer.size() >= 32768) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  std::size_t cut = 0;
  for (std::size_t i = 0; i < buffer.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(buffer[i])) && i + 1 < buffer.size()) {
      ++i;
      continue;
    }
    if (IsSeparator(buffer[i])) cut = i + 1;
  }
  return std::string(buffer.data(), cut);
}

bool IsAbsolute(const std::string& name) {
  if (!name.empty() && IsSeparator(name[0])) return true;
  const unsigned char first = static_cast<unsigned char>(name.size() > 1 ? name[0] : 0);
  return name.size() > 1 && name[1] == ':' && ((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'));
}

// A 32-bit top-down section of width x height selected into a memory
// context, filled with one colour.
class Surface {
 public:
  Surface(int width, int height, COLORREF fill) : m_width(width), m_height(height), m_dc(CreateCompatibleDC(nullptr)) {
    if (!m_dc || width <= 0 || height <= 0) return;
    BITMAPINFO info = picture::TopDown32BitmapInfo(width, height);
    void* bits = nullptr;
    m_bitmap.reset(CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!m_bitmap || !bits) return;
    m_old = SelectObject(m_dc, m_bitmap.get());
    if (!m_old) return;
    m_bits = static_cast<DWORD*>(bits);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT all = {0, 0, width, height};
    FillRect(m_dc, &all, brush);
    DeleteObject(brush);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  ~Surface() {
    if (m_old) SelectObject(m_dc, m_old);
    if (m_dc) DeleteDC(m_dc);
  }
  bool ok() const { return m_bits != nullptr; }
  HDC dc() const { return m_dc; }
  // The pixel as 0x00RRGGBB; call after GdiFlush.
  DWORD Pixel(int x, int y) const { return m_bits[std::size_t(y) * m_width + x] & 0xFFFFFF; }
  void SetPixel(int x, int y, DWORD argb) { m_bits[std::size_t(y) * m_width + x] = argb; }
  // Gives up the section (deselected first).
  UniqueBitmap Release() {
    if (m_old) SelectObject(m_dc, m_old);
    m_old = nullptr;
    m_bits = nullptr;
    return std::move(m_bitmap);
  }

 private:
  int m_width;
  int m_height;
  HDC m_dc;
  UniqueBitmap m_bitmap;
  HGDIOBJ m_old = nullptr;
  DWORD* m_bits = nullptr;
};

DWORD KeyPixel(COLORREF key) { return (DWORD(GetRValue(key)) << 16) | (DWORD(GetGValue(key)) << 8) | GetBValue(key); }

}  // namespace

std::string ResolveSkinPath(const std::string& name) {
  if (name.empty()) return std::string();
  std::string path = IsAbsolute(name) ? name : ExecutableDirectory() + name;
  for (char& c : path) {
    if (c == '/') c = '\\';  // never a trail byte in the ANSI code pages
  }
  return path;
}

std::string SkinCacheKey(const std::string& resolvedPath) {
  std::string key = resolvedPath;
  for (std::size_t i = 0; i < key.size(); ++i) {
    const BYTE c = static_cast<BYTE>(key[i]);
    if (IsDBCSLeadByte(c)) {
      ++i;
    } else if (c >= 'A' && c <= 'Z') {
      key[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
  return key;
}

bool MakeKeyedCopy(const CxImage& source, COLORREF key, CxImage& copy) {
  if (source.GetWidth() == 0 || source.GetHeight() == 0) return false;
  copy.Copy(source);
  copy.DestroyFrames();
  if (!copy.IncreaseBpp(24)) return false;
  copy.SetTransIndex(0);
  copy.SetTransColor(RGBQUAD{GetBValue(key), GetGValue(key), GetRValue(key), 0});
  return true;
}

UniqueRgn RegionFromPicture(CxImage& picture, int left, int width, int height, COLORREF key) {
  Surface surface(width, height, key);
  if (!surface.ok()) return nullptr;
  picture.Draw(surface.dc(), -left, 0);
  GdiFlush();
  const DWORD keyPixel = KeyPixel(key);
  std::vector<RECT> runs;
  for (int y = 0; y < height; ++y) {
    int x = 0;
    while (x < width) {
      while (x < width && surface.Pixel(x, y) == keyPixel) ++x;
      const int start = x;
      while (x < width && surface.Pixel(x, y) != keyPixel) ++x;
      if (x > start) runs.push_back(RECT{start, y, x, y + 1});
    }
  }
  std::vector<BYTE> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  RGNDATAHEADER header = {};
  header.dwSize = sizeof(RGNDATAHEADER);
  header.iType = RDH_RECTANGLES;
  header.nCount = static_cast<DWORD>(runs.size());
  header.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
  header.rcBound = RECT{0, 0, width, height};
  std::memcpy(data.data(), &header, sizeof header);
  if (!runs.empty()) std::memcpy(data.data() + sizeof header, runs.data(), runs.size() * sizeof(RECT));
  return UniqueRgn(
      ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<const RGNDATA*>(data.data())));
}

UniqueIcon IconFromPicture(CxImage& picture, COLORREF key, int cx, int cy) {
  Surface colour(cx, cy, key);
  if (!colour.ok()) return nullptr;
  picture.Draw(colour.dc(), 0, 0, cx, cy);
  GdiFlush();
  // The mask: 1 where the picture left the key colour. The colour bitmap
  // keeps those pixels black and clear, the others opaque, so that the icon
  // shows the same with or without its alpha channel.
  const DWORD keyPixel = KeyPixel(key);
  const int stride = ((cx + 15) / 16) * 2;
  std::vector<BYTE> mask(std::size_t(stride) * cy, 0);
  for (int y = 0; y < cy; ++y) {
    for (int x = 0; x < cx; ++x) {
      if (colour.Pixel(x, y) == keyPixel) {
        mask[std::size_t(y) * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
        colour.SetPixel(x, y, 0);
      } else {
        colour.SetPixel(x, y, 0xFF000000 | colour.Pixel(x, y));
      }
    }
  }
  UniqueBitmap maskBitmap(CreateBitmap(cx, cy, 1, 1, mask.data()));
  UniqueBitmap colourBitmap = colour.Release();
  if (!maskBitmap || !colourBitmap) return nullptr;
  ICONINFO info = {};
  info.fIcon = TRUE;
  info.hbmMask = maskBitmap.get();
  info.hbmColor = colourBitmap.get();
  return UniqueIcon(CreateIconIndirect(&info));
}

}  // namespace ormlace
