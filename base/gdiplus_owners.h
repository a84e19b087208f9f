// GDI+ (flat API) for the modules that load pictures with it: its start and
// owners of its objects (see unique_owner.h). Windows only.
#pragma once

#include "base/win_types.h"
// After windows.h: GDI+'s headers use its types.
#include <objidl.h>

#include <gdiplus.h>

#include "base/unique_owner.h"

namespace owner_traits {

// A GDI+ image or bitmap (a bitmap is an image), disposed of.
template <class Image>
struct GdipImage {
  using Type = Image*;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type p) noexcept { Gdiplus::DllExports::GdipDisposeImage(p); }
};

struct GdipGraphics {
  using Type = Gdiplus::GpGraphics*;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type p) noexcept { Gdiplus::DllExports::GdipDeleteGraphics(p); }
};

}  // namespace owner_traits

using UniqueGdipImage = UniqueOwner<owner_traits::GdipImage<Gdiplus::GpImage>>;
using UniqueGdipBitmap = UniqueOwner<owner_traits::GdipImage<Gdiplus::GpBitmap>>;
using UniqueGdipGraphics = UniqueOwner<owner_traits::GdipGraphics>;

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
