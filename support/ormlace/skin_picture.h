// Ormlace's private helpers for skin pictures: where a skin name lives on
// disk, the cache key of a name, and the pixel work shared by the region
// button and the region dialog (a window region from the opaque pixels, a
// small icon from a picture). Not exported. Windows only.
#pragma once

#include <string>

#include "afx/afx_gdi.h"
#include "afx/afx_port.h"
#include "base/win_owners.h"
#include "support/brevio/ximage.h"

namespace ormlace {

// The file of a skin name: a relative name ('\' or '/' separators) is taken
// from the directory of the host executable, an absolute one (a drive
// letter, or a leading separator for a root or UNC path) as it is. '/'
// becomes '\'. Empty for an empty name.
std::string ResolveSkinPath(const std::string& name);

// The cache key of a resolved path: single-byte ASCII letters lowered
// (double-byte characters of the ANSI code page, trail bytes included, left
// alone), separators already '\'.
std::string SkinCacheKey(const std::string& resolvedPath);

// A private copy of a picture at 24 bits whose pixels of colour key draw
// transparent (and whose alpha, if any, is kept). False for an empty
// picture.
bool MakeKeyedCopy(const CxImage& source, COLORREF key, CxImage& copy);

// The window region of the pixels of picture, from column left on, over a
// width x height box, that do not show the colour key once drawn onto it
// (transparent pixels, fully transparent alpha and pixels of the key
// colour). Built from runs of each row in one CreateFromData call into
// region, which must be empty; false (region left empty) when it cannot be
// made.
bool RegionFromPicture(CxImage& picture, int left, int width, int height, COLORREF key, CRgn& region);

// An icon of cx x cy pixels showing the picture stretched to that size, its
// key-coloured and transparent pixels masked out. Null when it cannot be
// made.
UniqueIcon IconFromPicture(CxImage& picture, COLORREF key, int cx, int cy);

}  // namespace ormlace
