#include "afx/afx_image.h"

#include <vector>

#include "base/gdiplus_owners.h"

namespace {

namespace gp = Gdiplus;
namespace gpx = Gdiplus::DllExports;

constexpr UINT kMaxSide = 16384;

}  // namespace

CImage::CImage() : m_nWidth(0), m_nHeight(0), m_nBPP(0) {}

CImage::~CImage() { Destroy(); }

HRESULT CImage::Load(LPCSTR pszFileName) {
  if (!IsNull()) return E_UNEXPECTED;
  if (!pszFileName || !*pszFileName || !EnsureGdiplus()) return E_FAIL;
  const int length = MultiByteToWideChar(CP_ACP, 0, pszFileName, -1, nullptr, 0);
  if (length <= 0) return E_FAIL;
  std::vector<WCHAR> path(static_cast<std::size_t>(length));
  MultiByteToWideChar(CP_ACP, 0, pszFileName, -1, path.data(), length);
  UniqueGdipBitmap bitmap;
  if (gpx::GdipCreateBitmapFromFile(path.data(), bitmap.put()) != gp::Ok || !bitmap.valid()) return E_FAIL;
  UINT width = 0, height = 0;
  gpx::GdipGetImageWidth(bitmap.get(), &width);
  gpx::GdipGetImageHeight(bitmap.get(), &height);
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return E_FAIL;
  HBITMAP hBitmap = nullptr;
  if (gpx::GdipCreateHBITMAPFromBitmap(bitmap.get(), &hBitmap, 0xFF000000) != gp::Ok || !hBitmap) return E_FAIL;
  Attach(hBitmap);
  return S_OK;
}

void CImage::Destroy() {
  m_bitmap.DeleteObject();
  m_nWidth = m_nHeight = m_nBPP = 0;
}

BOOL CImage::IsNull() const { return m_bitmap.GetSafeHandle() == nullptr; }
int CImage::GetWidth() const { return m_nWidth; }
int CImage::GetHeight() const { return m_nHeight; }
int CImage::GetBPP() const { return m_nBPP; }

void CImage::Attach(HBITMAP hBitmap) {
  Destroy();
  if (!hBitmap || !m_bitmap.Attach(hBitmap)) return;
  BITMAP info = {};
  m_bitmap.GetBitmap(&info);
  m_nWidth = info.bmWidth;
  m_nHeight = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  m_nBPP = info.bmBitsPixel;
}

HBITMAP CImage::Detach() {
  m_nWidth = m_nHeight = m_nBPP = 0;
  return static_cast<HBITMAP>(m_bitmap.Detach());
}

CImage::operator HBITMAP() const { return static_cast<HBITMAP>(m_bitmap.GetSafeHandle()); }

BOOL CImage::BitBlt(HDC hDestDC, int xDest, int yDest, DWORD dwROP) const {
  return BitBlt(hDestDC, xDest, yDest, m_nWidth, m_nHeight, 0, 0, dwROP);
}

BOOL CImage::BitBlt(HDC hDestDC, int xDest, int yDest, int nDestWidth, int nDestHeight, int xSrc, int ySrc,
                    DWORD dwROP) const {
  if (IsNull() || !hDestDC) return FALSE;
  CDC source;
  if (!source.Attach(::CreateCompatibleDC(hDestDC))) return FALSE;
  const HGDIOBJ old = ::SelectObject(source.GetSafeHdc(), m_bitmap.GetSafeHandle());
  const BOOL done = ::BitBlt(hDestDC, xDest, yDest, nDestWidth, nDestHeight, source.GetSafeHdc(), xSrc, ySrc, dwROP);
  ::SelectObject(source.GetSafeHdc(), old);
  return done;
}
