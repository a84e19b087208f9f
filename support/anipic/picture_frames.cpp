#include "support/anipic/picture_frames.h"

#include <map>
#include <mutex>
#include <new>
#include <string>
#include <tuple>

#include "afx/afx_gdi.h"
#include "base/gdiplus_owners.h"

namespace {

namespace gp = Gdiplus;
namespace gpx = Gdiplus::DllExports;

// {6AEDBD6D-3FB5-418A-83A6-7F45229DC872}: FrameDimensionTime.
const GUID kFrameDimensionTime = {0x6AEDBD6D, 0x3FB5, 0x418A, {0x83, 0xA6, 0x7F, 0x45, 0x22, 0x9D, 0xC8, 0x72}};
constexpr PROPID kPropertyTagFrameDelay = 0x5100;

// The delays of the frames in milliseconds (GIF delays are in 1/100 s).
std::vector<UINT> FrameDelays(gp::GpImage* image, UINT count) {
  std::vector<UINT> delays(count, 100);
  UINT size = 0;
  if (gpx::GdipGetPropertyItemSize(image, kPropertyTagFrameDelay, &size) != gp::Ok || size < sizeof(gp::PropertyItem)) {
    return delays;
  }
  std::vector<unsigned char> buffer(size);
  auto* item = reinterpret_cast<gp::PropertyItem*>(buffer.data());
  if (gpx::GdipGetPropertyItem(image, kPropertyTagFrameDelay, size, item) != gp::Ok || !item->value) return delays;
  const auto* values = static_cast<const unsigned char*>(item->value);
  const std::size_t n = static_cast<std::size_t>(item->length) / 4;
  for (UINT i = 0; i < count && i < n; ++i) {
    const UINT v = values[i * 4] | (values[i * 4 + 1] << 8) | (values[i * 4 + 2] << 16) |
                   (static_cast<UINT>(values[i * 4 + 3]) << 24);
    delays[i] = v ? v * 10 : 100;
  }
  return delays;
}

// The decoded files: full path (upper case), size, time of last change and
// background.
using CacheKey = std::tuple<std::wstring, std::uint64_t, std::uint64_t, COLORREF>;

struct Cache {
  std::mutex lock;
  std::map<CacheKey, std::weak_ptr<const PictureFrames>> files;
};

Cache& TheCache() {
  static Cache* cache = new Cache;  // lives with the module (no exit-time order)
  return *cache;
}

bool MakeKey(const wchar_t* path, COLORREF background, CacheKey* key) {
  wchar_t full[MAX_PATH * 2];
  const DWORD n = GetFullPathNameW(path, MAX_PATH * 2, full, nullptr);
  if (n == 0 || n >= MAX_PATH * 2) return false;
  CharUpperBuffW(full, n);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(full, GetFileExInfoStandard, &data)) return false;
  const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  const std::uint64_t time =
      (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  *key = CacheKey(std::wstring(full, n), size, time, background);
  return true;
}

}  // namespace

std::shared_ptr<const PictureFrames> PictureFrames::Shared(const wchar_t* path, COLORREF background) {
  if (!path || !*path) return nullptr;
  try {
    CacheKey key;
    if (!MakeKey(path, background, &key)) return nullptr;
    Cache& cache = TheCache();
    {
      std::lock_guard<std::mutex> guard(cache.lock);
      auto it = cache.files.find(key);
      if (it != cache.files.end()) {
        if (auto held = it->second.lock()) return held;
      }
    }
    auto frames = std::make_shared<PictureFrames>();
    if (!frames->Load(path, background)) return nullptr;
    std::lock_guard<std::mutex> guard(cache.lock);
    // Forget the files no picture holds any more.
    for (auto it = cache.files.begin(); it != cache.files.end();) {
      it = it->second.expired() ? cache.files.erase(it) : std::next(it);
    }
    auto& slot = cache.files[key];
    if (auto held = slot.lock()) return held;  // decoded meanwhile on another thread
    slot = frames;
    return frames;
  } catch (...) {  // out of memory: no picture
    return nullptr;
  }
}

std::size_t PictureFrames::SharedCount() {
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> guard(cache.lock);
  std::size_t live = 0;
  for (const auto& file : cache.files) live += !file.second.expired();
  return live;
}

bool PictureFrames::Load(const wchar_t* path, COLORREF background) {
  if (!path || !*path || !EnsureGdiplus()) return false;
  UniqueGdipImage image;
  if (gpx::GdipLoadImageFromFile(path, image.put()) != gp::Ok || !image.valid()) return false;
  UINT width = 0, height = 0;
  gpx::GdipGetImageWidth(image.get(), &width);
  gpx::GdipGetImageHeight(image.get(), &height);
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return false;
  UINT count = 0;
  if (gpx::GdipImageGetFrameCount(image.get(), &kFrameDimensionTime, &count) != gp::Ok || count == 0) count = 1;
  if (count > kMaxFrames) count = kMaxFrames;
  const std::uint64_t framePixels = static_cast<std::uint64_t>(width) * height;
  if (framePixels * count > kMaxPixels) count = static_cast<UINT>(kMaxPixels / framePixels);
  if (count == 0) count = 1;  // one frame of at most 4096 x 4096
  std::vector<UINT> delays = FrameDelays(image.get(), count);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(framePixels) * count);

  const gp::ARGB fill = 0xFF000000u | (static_cast<gp::ARGB>(GetRValue(background)) << 16) |
                        (static_cast<gp::ARGB>(GetGValue(background)) << 8) | GetBValue(background);
  for (UINT i = 0; i < count; ++i) {
    if (count > 1) gpx::GdipImageSelectActiveFrame(image.get(), &kFrameDimensionTime, i);
    // A GDI+ bitmap on the frame's own pixels: transparent pixels show the
    // background.
    std::uint32_t* frame = pixels.data() + static_cast<std::size_t>(framePixels) * i;
    UniqueGdipBitmap target;
    if (gpx::GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), static_cast<INT>(width * 4),
                                       PixelFormat32bppRGB, reinterpret_cast<BYTE*>(frame), target.put()) != gp::Ok) {
      return false;
    }
    UniqueGdipGraphics graphics;
    if (gpx::GdipGetImageGraphicsContext(target.get(), graphics.put()) != gp::Ok) return false;
    gpx::GdipGraphicsClear(graphics.get(), fill);
    gpx::GdipDrawImageRectI(graphics.get(), image.get(), 0, 0, static_cast<INT>(width), static_cast<INT>(height));
    graphics.reset();
    target.reset();
    if (delays[i] < 20) delays[i] = 20;
  }
  m_pixels = std::move(pixels);
  m_delays = std::move(delays);
  m_nWidth = static_cast<int>(width);
  m_nHeight = static_cast<int>(height);
  return true;
}

UINT PictureFrames::GetDelay(int i) const {
  if (i < 0 || i >= GetCount()) return 100;
  return m_delays[static_cast<std::size_t>(i)];
}

const std::uint32_t* PictureFrames::Pixels(int i) const {
  if (i < 0 || i >= GetCount()) return nullptr;
  return m_pixels.data() + static_cast<std::size_t>(m_nWidth) * m_nHeight * static_cast<std::size_t>(i);
}

void PictureFrames::FillInfo(BITMAPINFO& info) const {
  ZeroMemory(&info, sizeof(info));
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = m_nWidth;
  info.bmiHeader.biHeight = -m_nHeight;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
}

bool PictureFrames::Draw(HDC dc, const RECT& bounds, int i) const {
  const std::uint32_t* pixels = Pixels(i);
  if (!pixels || !dc) return false;
  BITMAPINFO info;
  FillInfo(info);
  const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
  if (width == m_nWidth && height == m_nHeight) {
    return SetDIBitsToDevice(dc, bounds.left, bounds.top, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0,
                             0, static_cast<UINT>(m_nHeight), pixels, &info, DIB_RGB_COLORS) != 0;
  }
  const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  const int lines = StretchDIBits(dc, bounds.left, bounds.top, width, height, 0, 0, m_nWidth, m_nHeight, pixels, &info,
                                  DIB_RGB_COLORS, SRCCOPY);
  if (oldMode) SetStretchBltMode(dc, oldMode);
  return lines != 0 && lines != static_cast<int>(GDI_ERROR);
}

HBITMAP PictureFrames::CopyBitmap(int i) const {
  const std::uint32_t* pixels = Pixels(i);
  if (!pixels) return nullptr;
  BITMAPINFO info;
  FillInfo(info);
  CClientDC screen(nullptr);
  CBitmap bitmap;
  if (!bitmap.CreateCompatibleBitmap(&screen, m_nWidth, m_nHeight)) return nullptr;
  if (!SetDIBits(screen.GetSafeHdc(), static_cast<HBITMAP>(bitmap.GetSafeHandle()), 0, static_cast<UINT>(m_nHeight),
                 pixels, &info, DIB_RGB_COLORS)) {
    return nullptr;
  }
  return static_cast<HBITMAP>(bitmap.Detach());
}
