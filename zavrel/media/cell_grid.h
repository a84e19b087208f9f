// Cutting a picture into equal cells, row by row: the walk shared by the
// frame animation and the number drawer. Portable.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>

#include "afx/afx_rect.h"

namespace media {

// Walks the cells of cellWidth x cellHeight over a picture of width x
// height from (0, 0): left to right, and when x reaches or passes the width,
// back to x = 0 one row lower, until y reaches or passes the height or
// maxCells cells were cut (maxCells < 0: no limit). For each cell it calls
// cropCell(index, rect) with the cell's rectangle (cells at the right and
// bottom edges reach past the picture; the crop cuts them to what remains).
// A crop that answers false ends the walk: the same cell is never tried
// again, so a picture that cannot be cropped (an empty one) cannot keep the
// walk going. Answers the number of cells cut (each crop that succeeded);
// 0 for a cell size that is not positive.
inline int Clamped(std::int64_t v) { return static_cast<int>(std::min<std::int64_t>(v, INT_MAX)); }

template <class CropCell>
int CutCells(long width, long height, long cellWidth, long cellHeight, int maxCells, CropCell cropCell) {
  if (cellWidth <= 0 || cellHeight <= 0) return 0;
  // 64-bit positions: a cell as large as a long still moves on without
  // overflowing, and its rectangle is clamped to what a RECT holds.
  const std::int64_t w = width, h = height;
  std::int64_t x = 0, y = 0;
  int count = 0;
  while (y < h && (maxCells < 0 || count < maxCells)) {
    const CRect cell(Clamped(x), Clamped(y), Clamped(x + cellWidth), Clamped(y + cellHeight));
    if (!cropCell(count, cell)) break;
    ++count;
    x += cellWidth;
    if (x >= w) {
      x = 0;
      y += cellHeight;
    }
  }
  return count;
}

}  // namespace media
