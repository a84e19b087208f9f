// GDI+ (flat API) for the modules that load pictures with it: its start and
// owners of its objects (see unique_owner.h). Windows only.
#pragma once

#include "base/win_types.h"
// After windows.h: GDI+'s headers use its types.
#include <objidl.h>

#include <gdiplus.h>

#include "base/unique_owner.h"

// A GDI+ image or bitmap (a bitmap is an image) is disposed of.
using UniqueGdipImage = UniqueOwner<CloseWith<Gdiplus::GpImage*, Gdiplus::DllExports::GdipDisposeImage>>;
using UniqueGdipBitmap = UniqueOwner<CloseWith<Gdiplus::GpBitmap*, Gdiplus::DllExports::GdipDisposeImage>>;
using UniqueGdipGraphics = UniqueOwner<CloseWith<Gdiplus::GpGraphics*, Gdiplus::DllExports::GdipDeleteGraphics>>;

// Starts GDI+ once for the calling module (each DLL that includes this has
// its own start), on first use; false when it cannot start. It is never shut
// down: that must not happen from DllMain, and GDI+ ends with the process.
inline bool EnsureGdiplus() {
  static const bool started = [] {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return started;
}
