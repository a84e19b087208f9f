#include "support/ormlace/skin_picture.h"

#include <cstring>
#include <vector>

#include "afx/afx_mbcs.h"
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
  const std::string path(buffer.data(), buffer.size());
  const std::size_t last = afx_mbcs::FindLastOf(path, "\\/");
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
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
  Surface(int width, int height, COLORREF fill) : m_width(width) {
    if (width <= 0 || height <= 0 || !m_dc.CreateCompatibleDC(nullptr)) return;
    BITMAPINFO info = picture::TopDown32BitmapInfo(width, height);
    void* bits = nullptr;
    if (!m_bitmap.Attach(CreateDIBSection(m_dc.GetSafeHdc(), &info, DIB_RGB_COLORS, &bits, nullptr, 0)) || !bits) {
      return;
    }
    m_old = m_dc.SelectObject(m_bitmap.GetSafeHandle());
    if (!m_old) return;
    m_bits = static_cast<DWORD*>(bits);
    CBrush brush(fill);
    const RECT all = {0, 0, width, height};
    m_dc.FillRect(&all, &brush);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  ~Surface() { Deselect(); }
  bool ok() const { return m_bits != nullptr; }
  HDC dc() const { return m_dc.GetSafeHdc(); }
  // The pixel as 0x00RRGGBB; call after GdiFlush.
  DWORD Pixel(int x, int y) const { return m_bits[std::size_t(y) * m_width + x] & 0xFFFFFF; }
  void SetPixel(int x, int y, DWORD argb) { m_bits[std::size_t(y) * m_width + x] = argb; }
  // Hands the section (deselected first) to bitmap, which must be empty.
  bool Release(CBitmap& bitmap) {
    Deselect();
    m_bits = nullptr;
    return bitmap.Attach(m_bitmap.Detach());
  }

 private:
  void Deselect() {
    if (m_old) m_dc.SelectObject(m_old);
    m_old = nullptr;
  }

  int m_width;
  CBitmap m_bitmap;
  CDC m_dc;  // declared after the section, so it is deleted first
  HGDIOBJ m_old = nullptr;
  DWORD* m_bits = nullptr;
};

DWORD KeyPixel(COLORREF key) { return (DWORD(GetRValue(key)) << 16) | (DWORD(GetGValue(key)) << 8) | GetBValue(key); }

}  // namespace

std::string ResolveSkinPath(const std::string& name) {
  if (name.empty()) return std::string();
  std::string path = IsAbsolute(name) ? name : ExecutableDirectory() + name;
  for (std::size_t i = 0; i < path.size();) {
    const std::size_t n = afx_mbcs::CharBytes(path.data(), path.size(), i);
    if (n == 1 && path[i] == '/') path[i] = '\\';
    i += n;
  }
  return path;
}

std::string SkinCacheKey(const std::string& resolvedPath) {
  std::string key = resolvedPath;
  for (std::size_t i = 0; i < key.size();) {
    const std::size_t n = afx_mbcs::CharBytes(key.data(), key.size(), i);
    if (n == 1 && key[i] >= 'A' && key[i] <= 'Z') key[i] = static_cast<char>(key[i] - 'A' + 'a');
    i += n;
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

bool RegionFromPicture(CxImage& picture, int left, int width, int height, COLORREF key, CRgn& region) {
  Surface surface(width, height, key);
  if (!surface.ok()) return false;
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
  return region.CreateFromData(nullptr, static_cast<int>(data.size()), reinterpret_cast<const RGNDATA*>(data.data())) !=
         FALSE;
}

UniqueIcon IconFromPicture(CxImage& picture, COLORREF key, int cx, int cy) {
  Surface colour(cx, cy, key);
  if (!colour.ok()) return UniqueIcon();
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
  CBitmap maskBitmap;
  CBitmap colourBitmap;
  if (!maskBitmap.CreateBitmap(cx, cy, 1, 1, mask.data()) || !colour.Release(colourBitmap)) return UniqueIcon();
  ICONINFO info = {};
  info.fIcon = TRUE;
  info.hbmMask = maskBitmap;
  info.hbmColor = colourBitmap;
  return UniqueIcon(CreateIconIndirect(&info));
}

}  // namespace ormlace
