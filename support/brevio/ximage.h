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
// Pictures are read from BMP, GIF (every frame of an animated GIF), JPEG and
// PNG files through GDI+. A picture has 1, 4 or 8 bits per pixel with a
// palette, or 24, and may carry an alpha layer (a PNG with transparency).
// Transparency: with a transparent index set (SetTransIndex, negative for
// none), a paletted picture draws the pixels of that palette index
// transparent, a 24-bit picture the pixels of the transparent colour
// (SetTransColor); a GIF's transparent colour is set when it is read.
// Transparent pixels leave the device context untouched. Windows only.
#pragma once

#include "base/library_api.h"

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

  // Makes this picture a copy of src (itself included): with copypixels
  // false, a picture of src's size, bits per pixel, palette and settings
  // whose pixels are all palette entry 0 (black at 24 bits), no frames; with
  // copyalpha false, without the alpha layer. This library keeps no
  // selection, so copyselection changes nothing.
  void Copy(const CxImage& src, bool copypixels = true, bool copyselection = true, bool copyalpha = true);

  // Reads a BMP, GIF, JPEG or PNG file (imagetype CXIMAGE_FORMAT_UNKNOWN
  // detects the format from the data; another type must match the data),
  // with every frame of a multi-frame GIF, frame 0 shown. False, the picture
  // unchanged, when the file is missing, empty, truncated, not such a
  // picture, larger than 16384 pixels a side or cannot be decoded.
  bool Load(const char* filename, DWORD imagetype = CXIMAGE_FORMAT_UNKNOWN);

  DWORD GetWidth() const;
  DWORD GetHeight() const;
  WORD GetBpp() const;
  // Raises the bits per pixel to nbit (1, 4, 8, 24), the frames' too; true
  // when already there; false for an empty picture, another nbit or a lower
  // one. A transparent index becomes the transparent colour at 24 bits.
  bool IncreaseBpp(DWORD nbit);

  // The palette index, or the colour, drawn transparent (see above); they
  // apply to the frames too.
  void SetTransIndex(long idx);
  void SetTransColor(RGBQUAD rgb);

  // Writes the rectangle of this picture (top row 0; cut to the picture's
  // bounds) into iDst, as a still picture with this one's bits per pixel,
  // palette, alpha and transparency (into this picture when null, which
  // then drops its frames); false, iDst unchanged, when the rectangle lies
  // outside or the picture is empty.
  bool Crop(const RECT& rect, CxImage* iDst = nullptr);

  // Frames of a multi-frame picture: their count (1 for a still picture, 0
  // for an empty one), each frame as a picture owned by this one (a still
  // picture answers itself for frame 0; null outside the range), and the
  // frame that Draw, Crop and the size show (ignored outside the range).
  long GetNumFrames() const;
  CxImage* GetFrame(long nFrame) const;
  void SetFrame(long nFrame);

  // Paints into hdc at (x, y) with size (cx, cy), -1 meaning the picture's
  // own; clipped to pClipRect when given; smoothed when stretched and
  // bSmooth (bilinear); mirrored upside down when bFlip. Non-zero when the
  // picture and the arguments are valid, also when all is clipped away; 0
  // for an empty picture, a null hdc or a size below 1.
  long Draw(HDC hdc, long x = 0, long y = 0, long cx = -1, long cy = -1, RECT* pClipRect = nullptr,
            bool bSmooth = false, bool bFlip = false);

  // Frees the pixels (and the frames); true when there was something.
  // DestroyFrames frees only the frames, keeping the picture shown; true
  // when there were frames.
  bool Destroy();
  bool DestroyFrames();

 private:
  struct Data;
  Data* m_pData;
};
