// CPoint, CSize and CRect: the framework's value types over POINT, SIZE and
// RECT (MFC's names and semantics). Portable and header-only.
//
// A rectangle includes its left and top edges and excludes its right and
// bottom ones; it is empty when it has no area (right <= left or
// bottom <= top). The set operations follow the system's rules:
// IntersectRect and UnionRect make the result all zeros and answer FALSE
// when it is empty, and UnionRect ignores empty operands. Arithmetic wraps
// as LONG does on Windows; callers keep coordinates in the window system's
// range.
#pragma once

#include <algorithm>
#include <utility>

#include "afx/afx_port.h"

class CSize;

class CPoint : public POINT {
 public:
  CPoint() : POINT{0, 0} {}
  CPoint(int initX, int initY) : POINT{initX, initY} {}
  CPoint(POINT initPt) : POINT(initPt) {}  // NOLINT: converts, as in the framework

  void Offset(int xOffset, int yOffset) {
    x += xOffset;
    y += yOffset;
  }
  bool operator==(POINT point) const { return x == point.x && y == point.y; }
  bool operator!=(POINT point) const { return !(*this == point); }
  inline CPoint operator+(SIZE size) const;
  inline CPoint operator-(SIZE size) const;
  CPoint operator-() const { return CPoint(-x, -y); }
};

class CSize : public SIZE {
 public:
  CSize() : SIZE{0, 0} {}
  CSize(int initCX, int initCY) : SIZE{initCX, initCY} {}
  CSize(SIZE initSize) : SIZE(initSize) {}  // NOLINT: converts, as in the framework

  bool operator==(SIZE size) const { return cx == size.cx && cy == size.cy; }
  bool operator!=(SIZE size) const { return !(*this == size); }
  CSize operator+(SIZE size) const { return CSize(cx + size.cx, cy + size.cy); }
  CSize operator-(SIZE size) const { return CSize(cx - size.cx, cy - size.cy); }
};

inline CPoint CPoint::operator+(SIZE size) const { return CPoint(x + size.cx, y + size.cy); }
inline CPoint CPoint::operator-(SIZE size) const { return CPoint(x - size.cx, y - size.cy); }

class CRect : public RECT {
 public:
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
  CRect(const RECT& srcRect) : RECT(srcRect) {}  // NOLINT: converts, as in the framework
  CRect(LPCRECT lpSrcRect) : RECT(lpSrcRect ? *lpSrcRect : RECT{0, 0, 0, 0}) {}  // NOLINT
  CRect(POINT point, SIZE size) : RECT{point.x, point.y, point.x + size.cx, point.y + size.cy} {}
  CRect(POINT topLeft, POINT bottomRight) : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }

  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }

  // No area.
  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  // All four coordinates zero.
  bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  // The point lies inside (left/top edges in, right/bottom edges out).
  bool PtInRect(POINT point) const { return point.x >= left && point.x < right && point.y >= top && point.y < bottom; }

  void SetRect(int x1, int y1, int x2, int y2) { *this = CRect(x1, y1, x2, y2); }
  void SetRectEmpty() { SetRect(0, 0, 0, 0); }
  void CopyRect(LPCRECT lpSrcRect) { *this = CRect(lpSrcRect); }

  void OffsetRect(int x, int y) {
    left += x;
    right += x;
    top += y;
    bottom += y;
  }
  void OffsetRect(POINT point) { OffsetRect(point.x, point.y); }
  void OffsetRect(SIZE size) { OffsetRect(size.cx, size.cy); }
  void InflateRect(int x, int y) {
    left -= x;
    right += x;
    top -= y;
    bottom += y;
  }
  void InflateRect(SIZE size) { InflateRect(size.cx, size.cy); }
  void InflateRect(int l, int t, int r, int b) {
    left -= l;
    top -= t;
    right += r;
    bottom += b;
  }
  void DeflateRect(int x, int y) { InflateRect(-x, -y); }
  void DeflateRect(SIZE size) { InflateRect(-size.cx, -size.cy); }
  void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }

  // Swaps the edges so that left <= right and top <= bottom.
  void NormalizeRect() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
  }

  // The common part of the two; FALSE (and all zeros) when they do not
  // overlap.
  BOOL IntersectRect(LPCRECT lpRect1, LPCRECT lpRect2) {
    const CRect a(lpRect1), b(lpRect2);
    CRect r(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom));
    if (a.IsRectEmpty() || b.IsRectEmpty() || r.IsRectEmpty()) {
      SetRectEmpty();
      return FALSE;
    }
    *this = r;
    return TRUE;
  }
  // The smallest rectangle holding both non-empty operands; FALSE (and all
  // zeros) when both are empty.
  BOOL UnionRect(LPCRECT lpRect1, LPCRECT lpRect2) {
    const CRect a(lpRect1), b(lpRect2);
    if (a.IsRectEmpty() && b.IsRectEmpty()) {
      SetRectEmpty();
      return FALSE;
    }
    if (a.IsRectEmpty()) {
      *this = b;
    } else if (b.IsRectEmpty()) {
      *this = a;
    } else {
      *this = CRect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                    std::max(a.bottom, b.bottom));
    }
    return TRUE;
  }

  bool EqualRect(LPCRECT lpRect) const {
    return lpRect && left == lpRect->left && top == lpRect->top && right == lpRect->right && bottom == lpRect->bottom;
  }
  bool operator==(const RECT& rect) const { return EqualRect(&rect); }
  bool operator!=(const RECT& rect) const { return !EqualRect(&rect); }
  void operator+=(POINT point) { OffsetRect(point); }
  void operator-=(POINT point) { OffsetRect(-point.x, -point.y); }
  void operator&=(const RECT& rect) { IntersectRect(this, &rect); }
  void operator|=(const RECT& rect) { UnionRect(this, &rect); }
  CRect operator&(const RECT& rect) const {
    CRect r;
    r.IntersectRect(this, &rect);
    return r;
  }
  CRect operator|(const RECT& rect) const {
    CRect r;
    r.UnionRect(this, &rect);
    return r;
  }
};
