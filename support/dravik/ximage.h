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
// Pictures are read from BMP, GIF (its first frame), JPEG and PNG files
// through GDI+. Transparency: with a transparent index set (SetTransIndex,
// negative for none), a paletted picture draws the pixels of that palette
// index transparent, a 24-bit picture the pixels of the transparent colour
// (SetTransColor); a GIF's transparent colour and a PNG's alpha are honoured
// as read. Windows only.
#pragma once

#include "base/library_api.h"

#ifndef _WIN32
#error "ximage.h is part of the Windows build only"
#endif

class DRAVIK_API CxImage {
 public:
  // Type codes: 0 detects the format from the data, 1 is PNG (the data must
  // then be a PNG); no other code reads anything.
  explicit CxImage(DWORD imagetype = 0);
  // Reads the file (an empty picture when it cannot be read).
  CxImage(const char* filename, DWORD imagetype);
  CxImage(const CxImage&) = delete;
  CxImage& operator=(const CxImage&) = delete;
  virtual ~CxImage();

  // Reads the file; false (picture unchanged) when it cannot: missing,
  // empty, truncated, not such a picture, of another type than asked, larger
  // than 16384 pixels a side, or not decodable.
  bool Load(const char* filename, DWORD imagetype = 0);
  // Raises the bits per pixel to nbit (1, 4, 8, 24); true when already
  // there; false for an empty picture, another nbit or a lower one. A
  // transparent index becomes the transparent colour at 24 bits.
  bool IncreaseBpp(DWORD nbit);
  void SetTransIndex(long idx);
  void SetTransColor(RGBQUAD rgb);
  // The colour's red, green and blue; rgbReserved 0.
  static RGBQUAD RGBtoRGBQUAD(COLORREF cr);
  DWORD GetWidth() const;
  DWORD GetHeight() const;
  // Bits per pixel: 1, 4, 8 or 24; 0 for an empty picture.
  WORD GetBpp() const;
  // Paints into hdc stretched to (x, y, cx, cy), -1 meaning the picture's
  // own width or height; only inside pClipRect when given; bilinear when
  // stretched and bSmooth; transparent pixels leave hdc untouched. Non-zero
  // when the picture and the arguments are valid (also when all is clipped
  // away); 0 for an empty picture, a null hdc or a size below 1.
  long Draw(HDC hdc, long x = 0, long y = 0, long cx = -1, long cy = -1, RECT* pClipRect = nullptr,
            bool bSmooth = false);
  // A new device-dependent bitmap of the picture's colours (transparency not
  // applied), compatible with hdc (the screen when null), owned by the
  // caller; null for an empty picture.
  HBITMAP MakeBitmap(HDC hdc = nullptr);

 private:
  struct Data;
  Data* m_pData;
};
