// CPoint, CSize and CRect: edges, emptiness and the set operations.
#include <gtest/gtest.h>

#include "afx/afx_rect.h"

namespace {

TEST(RectTest, EdgesAreInclusiveLeftTopExclusiveRightBottom) {
  const CRect r(10, 20, 30, 40);
  EXPECT_EQ(20, r.Width());
  EXPECT_EQ(20, r.Height());
  EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
  EXPECT_TRUE(r.PtInRect(CPoint(29, 39)));
  EXPECT_FALSE(r.PtInRect(CPoint(30, 39)));
  EXPECT_FALSE(r.PtInRect(CPoint(29, 40)));
  EXPECT_EQ(CPoint(20, 30), r.CenterPoint());
  EXPECT_EQ(CSize(20, 20), r.Size());
  EXPECT_EQ(CRect(CPoint(10, 20), CSize(20, 20)), r);
}

TEST(RectTest, EmptinessAndNormalizing) {
  EXPECT_TRUE(CRect().IsRectEmpty());
  EXPECT_TRUE(CRect().IsRectNull());
  EXPECT_TRUE(CRect(5, 5, 5, 9).IsRectEmpty());  // no width
  CRect inverted(30, 40, 10, 20);
  EXPECT_TRUE(inverted.IsRectEmpty());
  EXPECT_FALSE(inverted.IsRectNull());
  inverted.NormalizeRect();
  EXPECT_EQ(CRect(10, 20, 30, 40), inverted);
  const CRect fromNull(static_cast<LPCRECT>(nullptr));
  EXPECT_TRUE(fromNull.IsRectNull());
}

TEST(RectTest, IntersectionIsZeroWhenOperandsDoNotOverlap) {
  CRect r(1, 1, 1, 1);
  EXPECT_TRUE(r.IntersectRect(CRect(0, 0, 10, 10), CRect(5, 5, 20, 20)));
  EXPECT_EQ(CRect(5, 5, 10, 10), r);
  // Touching edges share no pixel.
  EXPECT_FALSE(r.IntersectRect(CRect(0, 0, 10, 10), CRect(10, 0, 20, 10)));
  EXPECT_TRUE(r.IsRectNull());
  // An empty operand yields nothing even when it lies inside the other.
  r.SetRect(1, 1, 2, 2);
  EXPECT_FALSE(r.IntersectRect(CRect(0, 0, 10, 10), CRect(4, 4, 4, 8)));
  EXPECT_TRUE(r.IsRectNull());
  EXPECT_EQ(CRect(5, 5, 10, 10), CRect(0, 0, 10, 10) & CRect(5, 5, 20, 20));
}

TEST(RectTest, UnionIgnoresEmptyOperands) {
  CRect r;
  EXPECT_TRUE(r.UnionRect(CRect(0, 0, 10, 10), CRect(20, 5, 30, 40)));
  EXPECT_EQ(CRect(0, 0, 30, 40), r);
  EXPECT_TRUE(r.UnionRect(CRect(100, 100, 100, 200), CRect(5, 5, 6, 6)));
  EXPECT_EQ(CRect(5, 5, 6, 6), r);
  EXPECT_FALSE(r.UnionRect(CRect(3, 3, 3, 3), CRect(9, 9, 1, 1)));
  EXPECT_TRUE(r.IsRectNull());
  CRect grown(0, 0, 1, 1);
  grown |= CRect(-5, 2, 0, 3);
  EXPECT_EQ(CRect(-5, 0, 1, 3), grown);
}

TEST(RectTest, OffsetInflateDeflate) {
  CRect r(10, 10, 20, 20);
  r.OffsetRect(5, -5);
  EXPECT_EQ(CRect(15, 5, 25, 15), r);
  r += CPoint(-15, -5);
  EXPECT_EQ(CRect(0, 0, 10, 10), r);
  r.InflateRect(2, 3);
  EXPECT_EQ(CRect(-2, -3, 12, 13), r);
  r.DeflateRect(2, 3);
  EXPECT_EQ(CRect(0, 0, 10, 10), r);
  r.DeflateRect(1, 2, 3, 4);
  EXPECT_EQ(CRect(1, 2, 7, 6), r);
  EXPECT_EQ(CPoint(3, 4), CPoint(1, 1) + CSize(2, 3));
  EXPECT_EQ(CPoint(-1, -2), CPoint(1, 1) - CSize(2, 3));
}

}  // namespace
