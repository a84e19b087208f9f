// CxImage of Brevio: the picture class of the image library that Zavrel
// links, also the type of the pictures of Ormlace's skin picture cache.
//
// What Zavrel relies on: a picture knows its size and bits per pixel; Crop
// writes the given rectangle into the destination and answers success; a
// multi-frame picture (an animated GIF) answers its frame count and each
// frame as a picture; Draw paints the picture into the device context at the
// given place and size (-1 for the picture's own width or height, a null
// clip rectangle for no clipping), honouring the transparent colour or index
// that was set.
//
// Declared here as the contract of the library; the library's implementation
// comes with the presentation pieces that draw with it. Windows only.
#pragma once

#include "support/brevio/brevio_api.h"

#ifndef _WIN32
#error "ximage.h is part of the Windows build only"
#endif

// Image-type codes of the constructor and of Load.
enum ENUM_CXIMAGE_FORMATS : DWORD {
  CXIMAGE_FORMAT_UNKNOWN = 0,  // detect from the data
  CXIMAGE_FORMAT_BMP = 1,
  CXIMAGE_FORMAT_GIF = 2,
  CXIMAGE_FORMAT_JPG = 3,
  CXIMAGE_FORMAT_PNG = 4,
};

class BREVIO_API CxImage {
 public:
  // An empty picture of the given type.
  explicit CxImage(DWORD imagetype = CXIMAGE_FORMAT_UNKNOWN);
  // A copy: pixels, selection and alpha as asked.
  CxImage(const CxImage& src, bool copypixels = true, bool copyselection = true, bool copyalpha = true);
  CxImage& operator=(const CxImage& src);
  virtual ~CxImage();

  void Copy(const CxImage& src, bool copypixels = true, bool copyselection = true, bool copyalpha = true);

  DWORD GetWidth() const;
  DWORD GetHeight() const;
  WORD GetBpp() const;
  // Raises the bits per pixel to nbit (1, 4, 8, 24); false when it cannot.
  bool IncreaseBpp(DWORD nbit);

  // The palette index, or the colour, drawn transparent.
  void SetTransIndex(long idx);
  void SetTransColor(RGBQUAD rgb);

  // Writes the rectangle of this picture into iDst (into this picture when
  // null); false when the rectangle lies outside or the picture is empty.
  bool Crop(const RECT& rect, CxImage* iDst = nullptr);

  // Frames of a multi-frame picture: their count (1 for a still picture),
  // each frame as a picture owned by this one (null outside the range), and
  // the frame that Draw shows.
  long GetNumFrames() const;
  CxImage* GetFrame(long nFrame) const;
  void SetFrame(long nFrame);

  // Paints into hdc at (x, y) with size (cx, cy), -1 meaning the picture's
  // own; clipped to pClipRect when given; smoothed when stretched and
  // bSmooth; mirrored upside down when bFlip. Non-zero when drawn.
  long Draw(HDC hdc, long x = 0, long y = 0, long cx = -1, long cy = -1, RECT* pClipRect = nullptr,
            bool bSmooth = false, bool bFlip = false);

  // Frees the pixels (and the frames); true when there was something.
  bool Destroy();
  bool DestroyFrames();

 private:
  struct Data;
  Data* m_pData;
};
