// Helpers of the media tests: skin pictures written into a folder beside
// the test program (where the skin cache looks for relative names), a
// listener call log, and pixel checks on a memory surface.
#pragma once

#include <string>
#include <vector>

#include "tests/support/ormlace/skin_pictures.h"
#include "tests/testkit/testkit.h"

namespace media_pictures {

// Writes bytes as fileName in the folder; the name to give the skin cache.
inline std::string Put(const skin_pictures::SkinFolder& folder, const std::string& fileName, const std::string& bytes) {
  testkit::WriteFileBytes(folder.file(fileName), bytes);
  return folder.name() + "\\" + fileName;
}

// A strip of solid cells side by side.
inline std::string Strip(const std::vector<COLORREF>& colours, int cellWidth, int cellHeight) {
  return skin_pictures::CellsBmp(colours, cellWidth, cellHeight, 0, [](int, int, int) { return false; });
}

// Whether every pixel of the rectangle is colour.
inline bool AreaIs(CDC& dc, const RECT& area, COLORREF colour) {
  for (LONG y = area.top; y < area.bottom; ++y) {
    for (LONG x = area.left; x < area.right; ++x) {
      if (dc.GetPixel(x, y) != colour) return false;
    }
  }
  return true;
}

}  // namespace media_pictures
