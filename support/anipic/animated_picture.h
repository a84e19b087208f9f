// The animated emoticon picture component (AniPic.dll): an in-process COM
// object that embeds in a rich edit control as an OLE object and shows a
// picture, stepping the frames of an animated GIF.
//
// The chat output creates it by class id (CLSCTX_ALL, for IUnknown, then
// OleRun) and drives it through the dual interface IAnimatedPicture. Where
// the component is not registered, creation fails and no emoticon picture
// is shown. Windows only.
#pragma once

#include "afx/afx_port.h"

#include <oaidl.h>

// {06ADA938-0FB0-4BC0-B19B-0A38AB17F182}
inline constexpr CLSID CLSID_AnimatedPicture = {
    0x06ADA938, 0x0FB0, 0x4BC0, {0xB1, 0x9B, 0x0A, 0x38, 0xAB, 0x17, 0xF1, 0x82}};
// {0C1CF2DF-05A3-4FEF-8CD4-F5CFC4355A16}
inline constexpr IID IID_IAnimatedPicture = {
    0x0C1CF2DF, 0x05A3, 0x4FEF, {0x8C, 0xD4, 0xF5, 0xCF, 0xC4, 0x35, 0x5A, 0x16}};

// A dual interface: IDispatch's seven slots, then its own two.
class IAnimatedPicture : public IDispatch {
 public:
  // Loads the picture (any format GDI+ reads; every frame of a GIF) from
  // the file; S_OK, or a failure code with the previous picture kept.
  virtual HRESULT STDMETHODCALLTYPE LoadFromFile(BSTR path) = 0;
  // The number of frames of the picture (0 when none, 1 for a still one).
  virtual HRESULT STDMETHODCALLTYPE GetFrameCount(SHORT* count) = 0;
};
