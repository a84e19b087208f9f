// GDI objects, device contexts and run-time classes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "afx/afxwin.h"
#include "tests/testkit/testkit.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

using testkit::MemorySurface;

TEST(RuntimeClassTest, IsKindOfFollowsTheBaseChain) {
  CDialog dialog;
  EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CDialog)));
  EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CWnd)));
  EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(dialog.IsKindOf(RUNTIME_CLASS(CButton)));
  EXPECT_FALSE(dialog.IsKindOf(nullptr));
  EXPECT_STREQ("CDialog", dialog.GetRuntimeClass()->m_lpszClassName);
  EXPECT_EQ(static_cast<int>(sizeof(CDialog)), RUNTIME_CLASS(CDialog)->m_nObjectSize);
  EXPECT_TRUE(RUNTIME_CLASS(CPaintDC)->IsDerivedFrom(RUNTIME_CLASS(CDC)));
  EXPECT_FALSE(RUNTIME_CLASS(CDC)->IsDerivedFrom(RUNTIME_CLASS(CPaintDC)));
}

TEST(GdiObjectTest, OwnsWhatItCreatesOrAttaches) {
  HGDIOBJ handle = nullptr;
  {
    CBrush brush(kRed);
    handle = brush.GetSafeHandle();
    ASSERT_NE(nullptr, handle);
    EXPECT_EQ(static_cast<UINT>(OBJ_BRUSH), brush.GetObjectType());
    EXPECT_FALSE(brush.CreateSolidBrush(kWhite)) << "one handle at a time";
    EXPECT_FALSE(brush.Attach(nullptr));
  }
  EXPECT_EQ(0u, static_cast<UINT>(GetObjectType(handle))) << "deleted with its owner";

  HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  {
    CPen owner;
    EXPECT_TRUE(owner.Attach(pen));
    EXPECT_EQ(pen, owner.Detach());
    EXPECT_FALSE(owner.DeleteObject());
  }
  EXPECT_EQ(static_cast<DWORD>(OBJ_PEN), GetObjectType(pen)) << "detached handles survive";
  DeleteObject(pen);
}

TEST(GdiObjectTest, DeleteObjectKeepsTheLastError) {
  CBrush brush(kRed);
  SetLastError(0xdeadbeef);
  EXPECT_TRUE(brush.DeleteObject());
  EXPECT_EQ(0xdeadbeefu, GetLastError());
  EXPECT_EQ(nullptr, brush.GetSafeHandle());
}

TEST(GdiObjectTest, TemporaryObjectsAreSharedPerHandleAndClassUntilDeleted) {
  HBRUSH stock = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  CBrush* first = CBrush::FromHandle(stock);
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(first, CBrush::FromHandle(stock));
  EXPECT_EQ(stock, static_cast<HBRUSH>(*first));
  CGdiObject* plain = CGdiObject::FromHandle(stock);
  EXPECT_NE(static_cast<CGdiObject*>(first), plain);
  EXPECT_TRUE(first->IsKindOf(RUNTIME_CLASS(CBrush)));
  EXPECT_FALSE(plain->IsKindOf(RUNTIME_CLASS(CBrush)));
  EXPECT_EQ(nullptr, CBrush::FromHandle(nullptr));

  // Deleting the temporary objects never deletes their handles.
  CBrush owned(kRed);
  CBrush::FromHandle(owned);
  CGdiObject::DeleteTempMap();
  EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(owned.GetSafeHandle()));
}

TEST(DeviceContextTest, SelectObjectAnswersThePreviousObjectForRestoring) {
  CDC dc;
  ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
  HGDIOBJ original = GetCurrentObject(dc, OBJ_BITMAP);
  CBitmap bitmap;
  ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&dc, 4, 4));
  CBitmap* pOld = dc.SelectObject(&bitmap);
  ASSERT_NE(nullptr, pOld);
  EXPECT_EQ(original, pOld->GetSafeHandle());
  EXPECT_EQ(bitmap.GetSafeHandle(), dc.GetCurrentBitmap()->GetSafeHandle());

  // A bitmap cannot sit in two contexts: the failure is a null answer.
  CDC other;
  ASSERT_TRUE(other.CreateCompatibleDC(nullptr));
  EXPECT_EQ(nullptr, other.SelectObject(&bitmap));
  CBitmap empty;
  EXPECT_EQ(nullptr, dc.SelectObject(&empty));

  dc.SelectObject(pOld);
  EXPECT_EQ(original, GetCurrentObject(dc, OBJ_BITMAP));
}

TEST(DeviceContextTest, DrawingLandsInTheSelectedBitmap) {
  MemorySurface surface(20, 10);
  CDC& dc = surface.dc;
  dc.SetBkColor(RGB(1, 2, 3));
  dc.FillSolidRect(CRect(2, 2, 6, 6), kRed);
  EXPECT_EQ(RGB(1, 2, 3), dc.GetBkColor()) << "FillSolidRect restores the background colour";
  EXPECT_EQ(kRed, dc.GetPixel(2, 2));
  EXPECT_EQ(kRed, dc.GetPixel(5, 5));
  EXPECT_EQ(kWhite, dc.GetPixel(6, 6));

  CPen pen(PS_SOLID, 1, RGB(0, 0, 255));
  CPen* pOldPen = dc.SelectObject(&pen);
  dc.MoveTo(0, 8);
  EXPECT_TRUE(dc.LineTo(20, 8));
  dc.SelectObject(pOldPen);
  EXPECT_EQ(RGB(0, 0, 255), dc.GetPixel(10, 8));

  // Logical coordinates follow the window origin.
  const CPoint oldOrg = dc.SetWindowOrg(10, 0);
  EXPECT_EQ(CPoint(0, 0), oldOrg);
  dc.SetPixel(10, 0, kRed);
  dc.SetWindowOrg(oldOrg);
  EXPECT_EQ(kRed, dc.GetPixel(0, 0));

  CRect box;
  EXPECT_NE(ERROR, dc.GetClipBox(box));
  EXPECT_EQ(CRect(0, 0, 20, 10), box);
  EXPECT_GT(dc.GetTextExtent(CString("Zavrel")).cx, 0);
}

TEST(DeviceContextTest, ARegionClipsDrawing) {
  MemorySurface surface(20, 20);
  CRgn left, right, both;
  ASSERT_TRUE(left.CreateRectRgn(0, 0, 5, 20));
  ASSERT_TRUE(right.CreateRectRgn(15, 0, 20, 20));
  ASSERT_TRUE(both.CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(COMPLEXREGION, both.CombineRgn(&left, &right, RGN_OR));
  EXPECT_TRUE(both.PtInRegion(2, 2));
  EXPECT_FALSE(both.PtInRegion(10, 2));
  CRgn unmade;
  EXPECT_EQ(ERROR, unmade.CombineRgn(&left, &right, RGN_OR)) << "the target region must exist";
  EXPECT_EQ(ERROR, both.CombineRgn(&left, nullptr, RGN_OR));

  EXPECT_NE(ERROR, surface.dc.SelectClipRgn(&both));
  surface.dc.FillSolidRect(0, 0, 20, 20, kRed);
  surface.dc.SelectClipRgn(nullptr);
  EXPECT_EQ(kRed, surface.dc.GetPixel(1, 1));
  EXPECT_EQ(kWhite, surface.dc.GetPixel(10, 1));
  EXPECT_EQ(kRed, surface.dc.GetPixel(18, 1));
}

TEST(DeviceContextTest, RegionFromRectanglesAndARoundedOutline) {
  // Two rectangles as RGNDATA: x 0..4 and x 15..19 of row 3.
  const RECT runs[2] = {{0, 3, 5, 4}, {15, 3, 20, 4}};
  std::vector<BYTE> data(sizeof(RGNDATAHEADER) + sizeof runs);
  RGNDATAHEADER header = {};
  header.dwSize = sizeof header;
  header.iType = RDH_RECTANGLES;
  header.nCount = 2;
  header.nRgnSize = sizeof runs;
  header.rcBound = RECT{0, 3, 20, 4};
  std::memcpy(data.data(), &header, sizeof header);
  std::memcpy(data.data() + sizeof header, runs, sizeof runs);
  const RGNDATA* rgnData = reinterpret_cast<const RGNDATA*>(data.data());
  CRgn region;
  ASSERT_TRUE(region.CreateFromData(nullptr, static_cast<int>(data.size()), rgnData));
  EXPECT_TRUE(region.PtInRegion(4, 3));
  EXPECT_FALSE(region.PtInRegion(10, 3));
  EXPECT_TRUE(region.PtInRegion(19, 3));
  EXPECT_FALSE(region.PtInRegion(4, 4));
  EXPECT_FALSE(region.CreateFromData(nullptr, static_cast<int>(data.size()), rgnData)) << "one is held already";

  MemorySurface surface(20, 20);
  CPen pen(PS_SOLID, 1, kRed);
  CPen* pOldPen = surface.dc.SelectObject(&pen);
  CGdiObject* pOldBrush = surface.dc.SelectStockObject(NULL_BRUSH);
  EXPECT_TRUE(surface.dc.RoundRect(0, 0, 20, 20, 8, 8));
  surface.dc.SelectObject(pOldBrush);
  surface.dc.SelectObject(pOldPen);
  EXPECT_EQ(kRed, surface.dc.GetPixel(0, 10));
  EXPECT_EQ(kRed, surface.dc.GetPixel(10, 0));
  EXPECT_EQ(kWhite, surface.dc.GetPixel(0, 0)) << "the corner is rounded";
  EXPECT_EQ(kWhite, surface.dc.GetPixel(10, 10)) << "a null brush leaves the inside";
}

TEST(GdiObjectTest, PointFontAndBitmapForTheScreenWithoutAContext) {
  CFont font;
  ASSERT_TRUE(font.CreatePointFont(90, "Arial"));
  LOGFONTA lf = {};
  ASSERT_EQ(static_cast<int>(sizeof lf), font.GetLogFont(&lf));
  CClientDC screen(nullptr);
  ASSERT_NE(nullptr, screen.m_hDC);
  EXPECT_EQ(-MulDiv(screen.GetDeviceCaps(LOGPIXELSY), 90, 720), lf.lfHeight);
  EXPECT_STREQ("Arial", lf.lfFaceName);

  CBitmap bitmap;
  ASSERT_TRUE(bitmap.CreateCompatibleBitmap(nullptr, 3, 2));
  BITMAP info = {};
  ASSERT_NE(0, bitmap.GetBitmap(&info));
  EXPECT_EQ(3, info.bmWidth);
  EXPECT_EQ(screen.GetDeviceCaps(BITSPIXEL), info.bmBitsPixel) << "the screen's format";
}

TEST(DeviceContextTest, OwnsItsContextAndTemporariesDoNot) {
  HDC made = nullptr;
  {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    made = dc.GetSafeHdc();
    EXPECT_FALSE(dc.CreateCompatibleDC(nullptr));
    CDC* temp = CDC::FromHandle(made);
    EXPECT_NE(&dc, temp);
    EXPECT_EQ(temp, CDC::FromHandle(made));
    CDC::DeleteTempMap();
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(made)) << "temporaries free nothing";
  }
  EXPECT_EQ(0u, static_cast<UINT>(GetObjectType(made)));

  CDC empty;
  EXPECT_EQ(nullptr, empty.SelectObject(static_cast<CBrush*>(nullptr)));
  EXPECT_FALSE(empty.DeleteDC());
  EXPECT_FALSE(empty.Rectangle(0, 0, 1, 1));
}

// Paints its client area red through CPaintDC and remembers what it was
// given to paint.
class PaintedWnd : public CWnd {
 public:
  int paints = 0;
  CRect lastPaint;
  bool paintHadContext = false;

 protected:
  afx_msg void OnPaint() {
    CPaintDC dc(this);
    ++paints;
    paintHadContext = dc.GetSafeHdc() != nullptr;
    lastPaint = dc.m_ps.rcPaint;
    CRect client;
    GetClientRect(client);
    dc.FillSolidRect(client, kRed);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(PaintedWnd, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

TEST(DeviceContextTest, PaintAndClientContextsOfAWindow) {
  PaintedWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, "paint", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30, nullptr, nullptr));
  wnd.UpdateWindow();
  ASSERT_GE(wnd.paints, 1);
  EXPECT_TRUE(wnd.paintHadContext);
  EXPECT_FALSE(GetUpdateRect(wnd.GetSafeHwnd(), nullptr, FALSE)) << "EndPaint validated the window";

  wnd.InvalidateRect(CRect(5, 5, 10, 10), FALSE);
  wnd.UpdateWindow();
  EXPECT_EQ(CRect(5, 5, 10, 10), wnd.lastPaint);

  CClientDC client(&wnd);
  ASSERT_NE(nullptr, client.GetSafeHdc());
  EXPECT_EQ(kRed, client.GetPixel(20, 15));

  CDC* pDC = wnd.GetDC();
  ASSERT_NE(nullptr, pDC);
  EXPECT_EQ(kRed, pDC->GetPixel(1, 1));
  EXPECT_EQ(1, wnd.ReleaseDC(pDC));
  EXPECT_EQ(0, wnd.ReleaseDC(nullptr));

  CPaintDC noWindow(nullptr);
  EXPECT_EQ(nullptr, noWindow.GetSafeHdc());
}

}  // namespace
