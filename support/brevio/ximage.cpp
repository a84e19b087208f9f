// Brevio's CxImage on the shared picture core.
#include "support/brevio/ximage.h"

#include <memory>
#include <utility>
#include <vector>

#include "support/picture/picture.h"

struct CxImage::Data {
  DWORD type = CXIMAGE_FORMAT_UNKNOWN;
  picture::Picture shown;                        // the picture, or the frame chosen
  std::vector<std::unique_ptr<CxImage>> frames;  // every frame, when more than one
  long current = 0;
};

namespace {

picture::Format ToFormat(DWORD imagetype, bool& known) {
  known = true;
  switch (imagetype) {
    case CXIMAGE_FORMAT_UNKNOWN:
      return picture::Format::Unknown;
    case CXIMAGE_FORMAT_BMP:
      return picture::Format::Bmp;
    case CXIMAGE_FORMAT_GIF:
      return picture::Format::Gif;
    case CXIMAGE_FORMAT_JPG:
      return picture::Format::Jpeg;
    case CXIMAGE_FORMAT_PNG:
      return picture::Format::Png;
    default:
      known = false;
      return picture::Format::Unknown;
  }
}

DWORD ToType(picture::Format format) {
  switch (format) {
    case picture::Format::Bmp:
      return CXIMAGE_FORMAT_BMP;
    case picture::Format::Gif:
      return CXIMAGE_FORMAT_GIF;
    case picture::Format::Jpeg:
      return CXIMAGE_FORMAT_JPG;
    case picture::Format::Png:
      return CXIMAGE_FORMAT_PNG;
    case picture::Format::Unknown:
      break;
  }
  return CXIMAGE_FORMAT_UNKNOWN;
}

}  // namespace

CxImage::CxImage(DWORD imagetype) : m_pData(new Data) { m_pData->type = imagetype; }

CxImage::CxImage(const CxImage& src, bool copypixels, bool copyselection, bool copyalpha) : m_pData(new Data) {
  Copy(src, copypixels, copyselection, copyalpha);
}

CxImage& CxImage::operator=(const CxImage& src) {
  Copy(src);
  return *this;
}

CxImage::~CxImage() { delete m_pData; }

void CxImage::Copy(const CxImage& src, bool copypixels, bool copyselection, bool copyalpha) {
  (void)copyselection;  // no selection is kept
  std::unique_ptr<Data> copy(new Data);
  const Data& from = *src.m_pData;
  copy->type = from.type;
  copy->shown = copypixels ? from.shown : from.shown.Blank();
  if (!copyalpha) copy->shown.DropAlpha();
  if (copypixels) {
    for (const auto& frame : from.frames) {
      copy->frames.push_back(std::make_unique<CxImage>(*frame, true, copyselection, copyalpha));
    }
    copy->current = from.current;
  }
  delete std::exchange(m_pData, copy.release());
}

bool CxImage::Load(const char* filename, DWORD imagetype) {
  bool known = false;
  picture::Format format = ToFormat(imagetype, known);
  if (!known) return false;
  std::vector<picture::Picture> pictures;
  picture::Format found = picture::Format::Unknown;
  if (!picture::Picture::LoadFile(filename, format, pictures, &found) || pictures.empty()) return false;
  std::unique_ptr<Data> loaded(new Data);
  loaded->type = ToType(found);
  loaded->shown = pictures[0];
  if (pictures.size() > 1) {
    for (auto& pic : pictures) {
      auto frame = std::make_unique<CxImage>(loaded->type);
      frame->m_pData->shown = std::move(pic);
      loaded->frames.push_back(std::move(frame));
    }
  }
  delete std::exchange(m_pData, loaded.release());
  return true;
}

DWORD CxImage::GetWidth() const { return m_pData->shown.Width(); }
DWORD CxImage::GetHeight() const { return m_pData->shown.Height(); }
WORD CxImage::GetBpp() const { return m_pData->shown.Bpp(); }

bool CxImage::IncreaseBpp(DWORD nbit) {
  if (!m_pData->shown.IncreaseBpp(nbit)) return false;
  for (auto& frame : m_pData->frames) frame->IncreaseBpp(nbit);
  return true;
}

void CxImage::SetTransIndex(long idx) {
  m_pData->shown.SetTransIndex(idx);
  for (auto& frame : m_pData->frames) frame->SetTransIndex(idx);
}

void CxImage::SetTransColor(RGBQUAD rgb) {
  m_pData->shown.SetTransColor(rgb);
  for (auto& frame : m_pData->frames) frame->SetTransColor(rgb);
}

bool CxImage::Crop(const RECT& rect, CxImage* iDst) {
  picture::Picture part;
  if (!m_pData->shown.Crop(rect, part)) return false;
  Data& to = *(iDst ? iDst : this)->m_pData;
  to.type = m_pData->type;
  to.shown = std::move(part);
  to.frames.clear();
  to.current = 0;
  return true;
}

long CxImage::GetNumFrames() const {
  if (!m_pData->frames.empty()) return static_cast<long>(m_pData->frames.size());
  return m_pData->shown.IsValid() ? 1 : 0;
}

CxImage* CxImage::GetFrame(long nFrame) const {
  if (nFrame < 0 || nFrame >= GetNumFrames()) return nullptr;
  if (m_pData->frames.empty()) return const_cast<CxImage*>(this);
  return m_pData->frames[static_cast<std::size_t>(nFrame)].get();
}

void CxImage::SetFrame(long nFrame) {
  if (nFrame < 0 || static_cast<std::size_t>(nFrame) >= m_pData->frames.size() || nFrame == m_pData->current) return;
  m_pData->shown = m_pData->frames[static_cast<std::size_t>(nFrame)]->m_pData->shown;
  m_pData->current = nFrame;
}

long CxImage::Draw(HDC hdc, long x, long y, long cx, long cy, RECT* pClipRect, bool bSmooth, bool bFlip) {
  return m_pData->shown.Draw(hdc, x, y, cx, cy, pClipRect, bSmooth, bFlip);
}

bool CxImage::Destroy() {
  bool had = m_pData->shown.IsValid() || !m_pData->frames.empty();
  m_pData->shown.Clear();
  m_pData->frames.clear();
  m_pData->current = 0;
  return had;
}

bool CxImage::DestroyFrames() {
  bool had = !m_pData->frames.empty();
  m_pData->frames.clear();
  m_pData->current = 0;
  return had;
}
