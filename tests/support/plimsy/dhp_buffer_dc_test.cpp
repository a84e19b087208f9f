// Plimsy's double-buffered paint context: nothing reaches the target before
// the buffer is destroyed, then everything at once, in the target's own
// coordinates, with undrawn pixels kept.
#include <gtest/gtest.h>

#include "afx/afxwin.h"
#include "support/plimsy/dhp_buffer_dc.h"
#include "tests/testkit/testkit.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A white 40 x 30 memory surface.
struct Surface : testkit::MemorySurface {
  Surface() : MemorySurface(40, 30, kWhite) {}
};

TEST(DHPBufferDCTest, DrawingAppearsOnlyWhenTheBufferIsDestroyed) {
  Surface target;
  {
    CDHPBufferDC buffer(&target.dc);
    ASSERT_TRUE(buffer.IsBuffered());
    EXPECT_EQ(CRect(0, 0, 40, 30), buffer.GetBufferRect());
    EXPECT_EQ(kWhite, buffer.GetPixel(30, 20)) << "starts as a copy of the target";
    buffer.FillSolidRect(5, 5, 10, 10, kRed);
    EXPECT_EQ(kRed, buffer.GetPixel(7, 7));
    EXPECT_EQ(kWhite, target.dc.GetPixel(7, 7)) << "nothing shown before the end";
  }
  EXPECT_EQ(kRed, target.dc.GetPixel(7, 7));
  EXPECT_EQ(kRed, target.dc.GetPixel(14, 14));
  EXPECT_EQ(kWhite, target.dc.GetPixel(15, 15));
  EXPECT_EQ(kWhite, target.dc.GetPixel(30, 20)) << "undrawn pixels keep their look";
}

TEST(DHPBufferDCTest, UsesTheTargetsCoordinatesClipAndAttributes) {
  Surface target;
  target.dc.IntersectClipRect(10, 10, 30, 20);
  target.dc.SetWindowOrg(-5, -5);  // logical (0, 0) is device (5, 5)
  target.dc.SetTextColor(kBlue);
  target.dc.SetBkMode(TRANSPARENT);
  {
    CDHPBufferDC buffer(&target.dc);
    ASSERT_TRUE(buffer.IsBuffered());
    // The clip box in logical units (5..25, 5..15) is the device area
    // 10..30, 10..20.
    EXPECT_EQ(CRect(10, 10, 30, 20), buffer.GetBufferRect());
    EXPECT_EQ(kBlue, buffer.GetTextColor());
    EXPECT_EQ(TRANSPARENT, buffer.GetBkMode());
    buffer.SetPixel(5, 5, kRed);    // device (10, 10)
    buffer.SetPixel(24, 14, kRed);  // device (29, 19)
  }
  target.dc.SetWindowOrg(0, 0);
  target.dc.SelectClipRgn(nullptr);
  EXPECT_EQ(kRed, target.dc.GetPixel(10, 10));
  EXPECT_EQ(kRed, target.dc.GetPixel(29, 19));
  EXPECT_EQ(kWhite, target.dc.GetPixel(11, 11));
  EXPECT_EQ(CPoint(0, 0), target.dc.GetWindowOrg());
}

TEST(DHPBufferDCTest, WithoutATargetContextNothingIsBufferedOrBroken) {
  CDHPBufferDC none(nullptr);
  EXPECT_FALSE(none.IsBuffered());
  EXPECT_EQ(nullptr, none.GetSafeHdc());
  EXPECT_FALSE(none.Rectangle(0, 0, 5, 5));

  CDC empty;
  CDHPBufferDC onEmpty(&empty);
  EXPECT_FALSE(onEmpty.IsBuffered());

  // Another mapping than pixels: drawing goes straight to the target,
  // which keeps its context after the buffer is gone.
  Surface target;
  SetMapMode(target.dc, MM_LOMETRIC);
  {
    CDHPBufferDC direct(&target.dc);
    EXPECT_FALSE(direct.IsBuffered());
    EXPECT_EQ(target.dc.GetSafeHdc(), direct.GetSafeHdc());
  }
  EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(target.dc.GetSafeHdc()));
}

// Paints through a buffer on its CPaintDC.
class BufferedWnd : public CWnd {
 public:
  int paints = 0;
  bool buffered = false;
  CRect bufferRect;
  COLORREF color = kBlue;

 protected:
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }  // the paint covers all
  afx_msg void OnPaint() {
    CPaintDC dc(this);
    CDHPBufferDC buffer(&dc);
    ++paints;
    buffered = buffer.IsBuffered() != FALSE;
    bufferRect = buffer.GetBufferRect();
    CRect client;
    GetClientRect(client);
    buffer.FillSolidRect(client, color);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BufferedWnd, CWnd)
ON_WM_ERASEBKGND()
ON_WM_PAINT()
END_MESSAGE_MAP()

TEST(DHPBufferDCTest, BuffersAWindowsPaintArea) {
  BufferedWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, "buffered", WS_POPUP | WS_VISIBLE, 0, 0, 60, 40, nullptr, nullptr));
  wnd.UpdateWindow();
  ASSERT_GE(wnd.paints, 1);
  EXPECT_TRUE(wnd.buffered);
  EXPECT_EQ(CRect(0, 0, 60, 40), wnd.bufferRect);
  {
    CClientDC dc(&wnd);
    EXPECT_EQ(kBlue, dc.GetPixel(1, 1));
    EXPECT_EQ(kBlue, dc.GetPixel(59, 39));
  }

  // A partial repaint buffers only the invalid area and changes only it.
  wnd.color = kRed;
  wnd.InvalidateRect(CRect(10, 10, 20, 20), FALSE);
  wnd.UpdateWindow();
  EXPECT_EQ(CRect(10, 10, 20, 20), wnd.bufferRect);
  CClientDC dc(&wnd);
  EXPECT_EQ(kRed, dc.GetPixel(10, 10));
  EXPECT_EQ(kRed, dc.GetPixel(19, 19));
  EXPECT_EQ(kBlue, dc.GetPixel(20, 20));
  EXPECT_EQ(kBlue, dc.GetPixel(5, 5));
}

}  // namespace
