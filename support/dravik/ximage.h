// CxImage of Dravik: the picture class that ZavrelCom draws with (a class of
// its own, not Brevio's).
//
// What ZavrelCom relies on: construction with type 0 makes an empty picture,
// from a file with type 1 reads a PNG file; Load(path, 0) reads a file,
// detecting its format; IncreaseBpp(24) makes the picture 24 bits per pixel;
// the colour set with SetTransIndex/SetTransColor is drawn transparent;
// Draw paints the picture stretched to the rectangle, smoothed when asked,
// leaving transparent pixels untouched; MakeBitmap answers a new
// device-dependent bitmap owned by the caller.
//
// Declared here as the contract of the library; its implementation comes
// with the component server's pictures. Windows only.
#pragma once

#include "support/dravik/dravik_api.h"

#ifndef _WIN32
#error "ximage.h is part of the Windows build only"
#endif

class DRAVIK_API CxImage {
 public:
  // Type codes: 0 detects the format from the data, 1 is PNG.
  explicit CxImage(DWORD imagetype = 0);
  // Reads the file (an empty picture when it cannot be read).
  CxImage(const char* filename, DWORD imagetype);
  CxImage(const CxImage&) = delete;
  CxImage& operator=(const CxImage&) = delete;
  virtual ~CxImage();

  // Reads the file; false (picture unchanged) when it cannot.
  bool Load(const char* filename, DWORD imagetype = 0);
  bool IncreaseBpp(DWORD nbit);
  void SetTransIndex(long idx);
  void SetTransColor(RGBQUAD rgb);
  static RGBQUAD RGBtoRGBQUAD(COLORREF cr);
  DWORD GetWidth() const;
  DWORD GetHeight() const;
  // Paints into hdc stretched to (x, y, cx, cy); non-zero when drawn.
  long Draw(HDC hdc, long x = 0, long y = 0, long cx = -1, long cy = -1, RECT* pClipRect = nullptr,
            bool bSmooth = false);
  // A new device-dependent bitmap of the picture, owned by the caller; null
  // for an empty picture.
  HBITMAP MakeBitmap(HDC hdc = nullptr);

 private:
  struct Data;
  Data* m_pData;
};
