#include "support/anipic/picture_frames.h"

#include <vector>

#include "support/base/gdiplus_owners.h"

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

}  // namespace

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
  const std::vector<UINT> delays = FrameDelays(image.get(), count);

  std::vector<Frame> frames;
  CClientDC screen(nullptr);
  for (UINT i = 0; i < count; ++i) {
    if (count > 1) gpx::GdipImageSelectActiveFrame(image.get(), &kFrameDimensionTime, i);
    Frame frame;
    frame.bitmap = std::make_unique<CBitmap>();
    if (!frame.bitmap->CreateCompatibleBitmap(&screen, static_cast<int>(width), static_cast<int>(height))) return false;
    CDC dc;
    if (!dc.CreateCompatibleDC(&screen)) return false;
    CBitmap* old = dc.SelectObject(frame.bitmap.get());
    dc.FillSolidRect(0, 0, static_cast<int>(width), static_cast<int>(height), background);
    UniqueGdipGraphics graphics;
    if (gpx::GdipCreateFromHDC(dc.GetSafeHdc(), graphics.put()) == gp::Ok) {
      gpx::GdipDrawImageRectI(graphics.get(), image.get(), 0, 0, static_cast<INT>(width), static_cast<INT>(height));
    }
    graphics.reset();
    dc.SelectObject(old);
    frame.delay = delays[i] < 20 ? 20 : delays[i];
    frames.push_back(std::move(frame));
  }
  m_frames = std::move(frames);
  m_nWidth = static_cast<int>(width);
  m_nHeight = static_cast<int>(height);
  return true;
}

HBITMAP PictureFrames::GetBitmap(int i) const {
  if (i < 0 || i >= GetCount()) return nullptr;
  return static_cast<HBITMAP>(m_frames[static_cast<std::size_t>(i)].bitmap->GetSafeHandle());
}

UINT PictureFrames::GetDelay(int i) const {
  if (i < 0 || i >= GetCount()) return 100;
  return m_frames[static_cast<std::size_t>(i)].delay;
}
