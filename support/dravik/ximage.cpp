// Dravik's CxImage on the shared picture core.
#include "support/dravik/ximage.h"

#include <vector>

#include "support/picture/picture.h"

struct CxImage::Data {
  picture::Picture pic;
};

CxImage::CxImage(DWORD imagetype) : m_pData(new Data) { (void)imagetype; }

CxImage::CxImage(const char* filename, DWORD imagetype) : m_pData(new Data) { Load(filename, imagetype); }

CxImage::~CxImage() { delete m_pData; }

bool CxImage::Load(const char* filename, DWORD imagetype) {
  if (imagetype > 1) return false;
  std::vector<picture::Picture> frames;
  if (!picture::Picture::LoadFile(filename, imagetype == 1 ? picture::Format::Png : picture::Format::Unknown, frames) ||
      frames.empty()) {
    return false;
  }
  m_pData->pic = std::move(frames[0]);
  return true;
}

bool CxImage::IncreaseBpp(DWORD nbit) { return m_pData->pic.IncreaseBpp(nbit); }
void CxImage::SetTransIndex(long idx) { m_pData->pic.SetTransIndex(idx); }
void CxImage::SetTransColor(RGBQUAD rgb) { m_pData->pic.SetTransColor(rgb); }

RGBQUAD CxImage::RGBtoRGBQUAD(COLORREF cr) {
  RGBQUAD q;
  q.rgbRed = GetRValue(cr);
  q.rgbGreen = GetGValue(cr);
  q.rgbBlue = GetBValue(cr);
  q.rgbReserved = 0;
  return q;
}

DWORD CxImage::GetWidth() const { return m_pData->pic.Width(); }
DWORD CxImage::GetHeight() const { return m_pData->pic.Height(); }
WORD CxImage::GetBpp() const { return m_pData->pic.Bpp(); }

long CxImage::Draw(HDC hdc, long x, long y, long cx, long cy, RECT* pClipRect, bool bSmooth) {
  return m_pData->pic.Draw(hdc, x, y, cx, cy, pClipRect, bSmooth, false);
}

HBITMAP CxImage::MakeBitmap(HDC hdc) { return m_pData->pic.MakeBitmap(hdc); }
