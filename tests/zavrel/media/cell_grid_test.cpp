// The cell walk of the frame animation and the number drawer.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <ostream>
#include <vector>

#include "zavrel/media/cell_grid.h"

namespace {

struct Cell {
  int index;
  LONG left, top, right, bottom;
  bool operator==(const Cell& o) const {
    return index == o.index && left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

void PrintTo(const Cell& c, std::ostream* os) {
  *os << "#" << c.index << "(" << c.left << "," << c.top << "," << c.right << "," << c.bottom << ")";
}

// Records every cell; the crop succeeds as the picture library's does: the
// cell must overlap a picture that is not empty.
struct Recorder {
  Recorder(long w, long h) : width(w), height(h) {}
  long width, height;
  std::vector<Cell> cells;
  int failAt = -1;  // a crop that fails there, whatever the picture
  bool operator()(int index, const CRect& r) {
    cells.push_back({index, r.left, r.top, r.right, r.bottom});
    if (index == failAt) return false;
    return width > 0 && height > 0 && r.left < width && r.top < height;
  }
};

template <class R>
int Cut(R& rec, long cellWidth, long cellHeight, int maxCells = -1) {
  return media::CutCells(rec.width, rec.height, cellWidth, cellHeight, maxCells, std::ref(rec));
}

}  // namespace

TEST(CellGrid, StripOfFiveCellsAndTheNarrowLastCell) {
  Recorder even{100, 20};
  EXPECT_EQ(5, Cut(even, 20, 20));
  const std::vector<Cell> five = {
      {0, 0, 0, 20, 20}, {1, 20, 0, 40, 20}, {2, 40, 0, 60, 20}, {3, 60, 0, 80, 20}, {4, 80, 0, 100, 20}};
  EXPECT_EQ(five, even.cells);

  // 30-pixel cells: the fourth reaches past the edge, the crop cuts it to 10.
  Recorder wide{100, 20};
  EXPECT_EQ(4, Cut(wide, 30, 20));
  const std::vector<Cell> four = {{0, 0, 0, 30, 20}, {1, 30, 0, 60, 20}, {2, 60, 0, 90, 20}, {3, 90, 0, 120, 20}};
  EXPECT_EQ(four, wide.cells);
}

TEST(CellGrid, RowsTopToBottomAndTheCellLimit) {
  // Two rows of five 12 x 16 cells: 0 to 4, then 5 to 9.
  Recorder digits{60, 32};
  EXPECT_EQ(10, Cut(digits, 12, 16, 10));
  ASSERT_EQ(10u, digits.cells.size());
  for (int d = 0; d < 10; ++d) {
    EXPECT_EQ((Cell{d, (d % 5) * 12, (d / 5) * 16, (d % 5) * 12 + 12, (d / 5) * 16 + 16}), digits.cells[d]);
  }
  // A taller picture stops at the limit, not at its bottom.
  Recorder tall{60, 64};
  EXPECT_EQ(10, Cut(tall, 12, 16, 10));
  EXPECT_EQ(10u, tall.cells.size());
  // Partial rows at the bottom are cut too.
  Recorder rows{40, 50};
  EXPECT_EQ(6, Cut(rows, 20, 20));
  EXPECT_EQ((Cell{5, 20, 40, 40, 60}), rows.cells.back());
}

TEST(CellGrid, AFailingCropEndsTheWalk) {
  // A zero-width picture: its first crop fails, and the cell is never
  // tried again (the walk does not move on without a crop).
  Recorder empty{0, 20};
  EXPECT_EQ(0, Cut(empty, 20, 20));
  EXPECT_EQ(1u, empty.cells.size());

  Recorder broken{100, 20};
  broken.failAt = 2;
  EXPECT_EQ(2, Cut(broken, 20, 20));
  EXPECT_EQ(3u, broken.cells.size());
  EXPECT_EQ(2, broken.cells.back().index);
}

TEST(CellGrid, NoCellsForSidesThatAreNotPositiveOrAPictureWithoutHeight) {
  for (long side : {0L, -5L}) {
    Recorder rec{100, 20};
    EXPECT_EQ(0, Cut(rec, side, 20));
    EXPECT_EQ(0, Cut(rec, 20, side));
    EXPECT_TRUE(rec.cells.empty());
  }
  Recorder flat{100, 0};
  EXPECT_EQ(0, Cut(flat, 20, 20));
  EXPECT_TRUE(flat.cells.empty());
}

TEST(CellGrid, CellsPastTheIntRangeAreClampedNotOverflowed) {
  // The second cell starts at 1,500,000,000: its right edge and the next x
  // lie past what an int holds.
  Recorder rec{INT_MAX, 10};
  EXPECT_EQ(2, Cut(rec, 1500000000L, 10));
  const std::vector<Cell> two = {{0, 0, 0, 1500000000, 10}, {1, 1500000000, 0, INT_MAX, 10}};
  EXPECT_EQ(two, rec.cells);

  Recorder both{100, 30};
  EXPECT_EQ(1, Cut(both, INT_MAX, INT_MAX));
  EXPECT_EQ((Cell{0, 0, 0, INT_MAX, INT_MAX}), both.cells[0]);
}
