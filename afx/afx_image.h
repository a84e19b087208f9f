// CImage: a picture held as a GDI bitmap, loaded from a file through GDI+
// (ATL's CImage names and signatures, the part the library uses). Windows
// only.
//
// Ownership: the object owns its bitmap (Destroy or the destructor deletes
// it); Attach hands a bitmap over to the object, Detach hands it back.
#pragma once

#include "afx/afx_gdi.h"
#include "afx/afx_port.h"

class AFX_API CImage {
 public:
  CImage();
  CImage(const CImage&) = delete;
  CImage& operator=(const CImage&) = delete;
  ~CImage();

  // Reads a picture in any format GDI+ reads (BMP, GIF's first frame, JPEG,
  // PNG...) into a 32-bit DIB section; the previous picture must have been
  // destroyed (E_UNEXPECTED otherwise). E_FAIL when the file cannot be read
  // or decoded, or a side is above 16384 pixels.
  HRESULT Load(LPCSTR pszFileName);
  void Destroy();
  BOOL IsNull() const;
  int GetWidth() const;
  int GetHeight() const;
  int GetBPP() const;

  // Takes over hBitmap (the previous picture must have been destroyed).
  void Attach(HBITMAP hBitmap);
  // Hands the bitmap back (the caller owns it); null when none.
  HBITMAP Detach();
  operator HBITMAP() const;

  // Copies the picture, from (xSrc, ySrc), to (xDest, yDest) of hDestDC,
  // unscaled; FALSE without a picture or context.
  BOOL BitBlt(HDC hDestDC, int xDest, int yDest, DWORD dwROP = SRCCOPY) const;
  BOOL BitBlt(HDC hDestDC, int xDest, int yDest, int nDestWidth, int nDestHeight, int xSrc, int ySrc,
              DWORD dwROP = SRCCOPY) const;

 private:
  CBitmap m_bitmap;
  int m_nWidth;
  int m_nHeight;
  int m_nBPP;
};
