// CRgnButton: sized to one cell and shaped by the normal cell's opaque
// pixels, painting the cell of each state, whenever its window comes.
#include "support/ormlace/rgn_button.h"

#include <gtest/gtest.h>

#include "afx/afxwin.h"
#include "skin_pictures.h"

namespace {

using picture_files::Near;
using skin_pictures::SkinFolder;

constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr int kCellWidth = 12;
constexpr int kCellHeight = 9;
constexpr UINT kButtonId = 501;
// Normal, hovered, pressed, focused, disabled.
const std::vector<COLORREF> kLooks = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0),
                                      RGB(0, 255, 255)};

// Every cell has a transparent 2 x 2 top-left corner; the pressed cell also
// a transparent bottom-right pixel, opaque in the normal cell.
bool Hole(int cell, int x, int y) {
  if (x < 2 && y < 2) return true;
  return cell == 2 && x == kCellWidth - 1 && y == kCellHeight - 1;
}

class RgnButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testkit::WriteFileBytes(m_folder.file("button5.bmp"),
                                        skin_pictures::CellsBmp(kLooks, kCellWidth, kCellHeight, kKey, Hole)));
    std::vector<COLORREF> two(kLooks.begin(), kLooks.begin() + 2);
    ASSERT_TRUE(testkit::WriteFileBytes(m_folder.file("button2.bmp"),
                                        skin_pictures::CellsBmp(two, kCellWidth, kCellHeight, kKey, Hole)));
    ASSERT_TRUE(
        m_host.CreateEx(0, nullptr, "rgn button host", WS_POPUP | WS_VISIBLE, 40, 40, 200, 120, nullptr, nullptr));
  }

  std::string Name(const char* file) const { return m_folder.name() + "\\" + file; }

  // The button's pixel as painted now.
  static COLORREF Pixel(CWnd& button, int x, int y) {
    button.UpdateWindow();
    HDC dc = ::GetDC(button.m_hWnd);
    const COLORREF colour = GetPixel(dc, x, y);
    ::ReleaseDC(button.m_hWnd, dc);
    return colour;
  }

  static CRect WindowRectInHost(CWnd& button, CWnd& host) {
    CRect rect;
    button.GetWindowRect(&rect);
    host.ScreenToClient(&rect);
    return rect;
  }

  SkinFolder m_folder;
  CWnd m_host;
};

TEST_F(RgnButtonTest, TakesOneCellKeepingItsPlaceAndTheNormalCellsOutline) {
  CRgnButton button;
  ASSERT_TRUE(button.Create("skin", WS_VISIBLE | BS_PUSHBUTTON, CRect(20, 30, 100, 60), &m_host, kButtonId));
  ASSERT_TRUE(button.LoadRgnImage(Name("button5.bmp").c_str(), kKey, 5));

  EXPECT_EQ(CRect(20, 30, 20 + kCellWidth, 30 + kCellHeight), WindowRectInHost(button, m_host));
  EXPECT_EQ(static_cast<UINT>(BS_OWNERDRAW), button.GetButtonStyle());
  EXPECT_TRUE(button.IsKindOf(RUNTIME_CLASS(CButton)));

  CRgn region;
  ASSERT_TRUE(region.CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(ERROR, ::GetWindowRgn(button.m_hWnd, region));
  EXPECT_FALSE(region.PtInRegion(0, 0));
  EXPECT_FALSE(region.PtInRegion(1, 1));
  EXPECT_TRUE(region.PtInRegion(2, 0));
  EXPECT_TRUE(region.PtInRegion(0, 2));
  EXPECT_TRUE(region.PtInRegion(kCellWidth - 1, kCellHeight - 1));  // transparent only in the pressed cell
  EXPECT_FALSE(region.PtInRegion(kCellWidth, 4));
  CRect box;
  region.GetRgnBox(&box);
  EXPECT_EQ(CRect(0, 0, kCellWidth, kCellHeight), box);
}

TEST_F(RgnButtonTest, PaintsTheCellOfEachState) {
  CRgnButton button;
  ASSERT_TRUE(button.Create("skin", WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 60, 40), &m_host, kButtonId));
  ASSERT_TRUE(button.LoadRgnImage(Name("button5.bmp").c_str(), kKey, 5));
  const int x = kCellWidth / 2, y = kCellHeight / 2;
  EXPECT_TRUE(Near(kLooks[0], Pixel(button, x, y), 8));

  button.SetState(TRUE);
  EXPECT_TRUE(Near(kLooks[2], Pixel(button, x, y), 8));
  // The pressed cell's transparent pixel shows the button face, not its key.
  EXPECT_TRUE(Near(GetSysColor(COLOR_BTNFACE), Pixel(button, kCellWidth - 1, kCellHeight - 1), 8));
  button.SetState(FALSE);
  EXPECT_TRUE(Near(kLooks[0], Pixel(button, x, y), 8));

  button.EnableWindow(FALSE);
  EXPECT_TRUE(Near(kLooks[4], Pixel(button, x, y), 8));
  button.EnableWindow(TRUE);
  EXPECT_TRUE(Near(kLooks[0], Pixel(button, x, y), 8));

  // Hovered while the mouse is over it, normal again when it leaves.
  CRect screen;
  button.GetWindowRect(&screen);
  SetCursorPos(screen.left + x, screen.top + y);
  button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  EXPECT_TRUE(Near(kLooks[1], Pixel(button, x, y), 8));
  button.SendMessage(WM_MOUSELEAVE);
  EXPECT_TRUE(Near(kLooks[0], Pixel(button, x, y), 8));

  SetForegroundWindow(m_host.m_hWnd);
  button.SetFocus();
  ASSERT_EQ(button.m_hWnd, ::GetFocus());
  EXPECT_TRUE(Near(kLooks[3], Pixel(button, x, y), 8));
}

TEST_F(RgnButtonTest, FewerStatesDrawTheNormalCellForTheMissingOnes) {
  CRgnButton button;
  ASSERT_TRUE(button.Create("skin", WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 60, 40), &m_host, kButtonId));
  ASSERT_TRUE(button.LoadRgnImage(Name("button2.bmp").c_str(), kKey, 2));
  EXPECT_EQ(CRect(10, 10, 10 + kCellWidth, 10 + kCellHeight), WindowRectInHost(button, m_host));
  button.SetState(TRUE);
  EXPECT_TRUE(Near(kLooks[0], Pixel(button, 5, 5), 8));
  button.SetState(FALSE);
  button.EnableWindow(FALSE);
  EXPECT_TRUE(Near(kLooks[0], Pixel(button, 5, 5), 8));
}

TEST_F(RgnButtonTest, RefusesAMissingPictureOrNoStatesAndStaysAsItWas) {
  CRgnButton button;
  ASSERT_TRUE(button.Create("plain", WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 60, 40), &m_host, kButtonId));
  EXPECT_FALSE(button.LoadRgnImage(Name("missing.bmp").c_str(), kKey, 5));
  EXPECT_FALSE(button.LoadRgnImage(Name("button5.bmp").c_str(), kKey, 0));
  EXPECT_EQ(CRect(10, 10, 60, 40), WindowRectInHost(button, m_host));
  EXPECT_EQ(static_cast<UINT>(BS_PUSHBUTTON), button.GetButtonStyle());
  CRgn region;
  ASSERT_TRUE(region.CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(ERROR, ::GetWindowRgn(button.m_hWnd, region));  // no region was set
}

TEST_F(RgnButtonTest, ALoadedPictureShapesTheWindowWhenItIsLinked) {
  // Created after the picture was loaded: shaped once Create returns.
  CRgnButton created;
  ASSERT_TRUE(created.LoadRgnImage(Name("button5.bmp").c_str(), kKey, 5));
  ASSERT_TRUE(created.Create("skin", WS_VISIBLE | BS_PUSHBUTTON, CRect(5, 5, 80, 50), &m_host, kButtonId));
  EXPECT_EQ(CRect(5, 5, 5 + kCellWidth, 5 + kCellHeight), WindowRectInHost(created, m_host));
  EXPECT_EQ(static_cast<UINT>(BS_OWNERDRAW), created.GetButtonStyle());
  EXPECT_TRUE(Near(kLooks[0], Pixel(created, 6, 6), 8));

  // An existing control subclassed afterwards: shaped once messages flow.
  HWND plain =
      CreateWindowExA(0, "BUTTON", "plain", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 100, 20, 70, 40, m_host.m_hWnd,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId + 1)), nullptr, nullptr);
  ASSERT_NE(nullptr, plain);
  CRgnButton linked;
  ASSERT_TRUE(linked.LoadRgnImage(Name("button5.bmp").c_str(), kKey, 5));
  ASSERT_TRUE(linked.SubclassWindow(plain));
  EXPECT_TRUE(testkit::PumpMessagesUntil(
      [&] { return WindowRectInHost(linked, m_host) == CRect(100, 20, 100 + kCellWidth, 20 + kCellHeight); }, 5000));
  CRgn region;
  ASSERT_TRUE(region.CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(ERROR, ::GetWindowRgn(linked.m_hWnd, region));
  EXPECT_FALSE(region.PtInRegion(0, 0));
  EXPECT_TRUE(region.PtInRegion(4, 4));
}

}  // namespace
