// CRgnDialog: borderless once initialised, shaped as a rounded rectangle
// that follows its size, painting its skin and icon, modeless or modal.
#include "support/ormlace/rgn_dialog.h"

#include <gtest/gtest.h>

#include "afx/afxwin.h"
#include "ormlace_test_ids.h"
#include "skin_pictures.h"

namespace {

using picture_files::Near;
using skin_pictures::SkinFolder;

constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr COLORREF kIconColour = RGB(0, 160, 0);
constexpr int kIconSide = 12;
constexpr UINT_PTR kEndTimer = 7;
constexpr UINT_PTR kWatchdogTimer = 8;

class TestRgnDialog : public CRgnDialog {
 public:
  explicit TestRgnDialog(bool endItself = false) : CRgnDialog(IDD_RGN_TEST), m_endItself(endItself) {}

  DWORD styleAtInit = 0;
  DWORD exStyleAtInit = 0;
  CRect clientAtInit;
  CRect windowAtInit;
  int views = 0;

  BOOL OnInitDialog() override {
    const BOOL result = CRgnDialog::OnInitDialog();
    styleAtInit = GetStyle();
    exStyleAtInit = GetExStyle();
    GetClientRect(&clientAtInit);
    GetWindowRect(&windowAtInit);
    if (m_endItself) {
      SetTimer(kEndTimer, 50, nullptr);
      SetTimer(kWatchdogTimer, 10000, nullptr);
    }
    return result;
  }

 protected:
  void DrawView(CDC* pDC) override {
    ++views;
    CRgnDialog::DrawView(pDC);
  }
  afx_msg void OnTimer(UINT_PTR nIDEvent) {
    KillTimer(nIDEvent);
    EndDialog(nIDEvent == kEndTimer ? IDCANCEL : -2);
  }
  DECLARE_MESSAGE_MAP()

 private:
  bool m_endItself;
};

BEGIN_MESSAGE_MAP(TestRgnDialog, CRgnDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

// The region the window has now (an empty region when it has none).
struct WindowRegion {
  explicit WindowRegion(CWnd& wnd) {
    rgn.CreateRectRgn(0, 0, 0, 0);
    type = ::GetWindowRgn(wnd.m_hWnd, rgn);
  }
  CRgn rgn;
  int type = ERROR;
};

COLORREF Pixel(CWnd& wnd, int x, int y) {
  wnd.UpdateWindow();
  HDC dc = ::GetDC(wnd.m_hWnd);
  const COLORREF colour = GetPixel(dc, x, y);
  ::ReleaseDC(wnd.m_hWnd, dc);
  return colour;
}

class RgnDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < kIconSide; ++y) {
      for (int x = 0; x < kIconSide; ++x) pixels.push_back(x < 3 && y < 3 ? kKey : kIconColour);
    }
    ASSERT_TRUE(testkit::WriteFileBytes(m_folder.file("logo.bmp"), picture_files::Bmp24(kIconSide, kIconSide, pixels)));
  }
  SkinFolder m_folder;
};

TEST_F(RgnDialogTest, IsBorderlessAndRoundedAfterInitDialog) {
  TestRgnDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_RGN_TEST));
  EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CRgnDialog)));
  EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CDialog)));
  EXPECT_EQ(0u, dialog.styleAtInit & (WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME));
  EXPECT_EQ(0u, dialog.exStyleAtInit & (WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
  EXPECT_NE(0u, dialog.GetStyle() & WS_CLIPCHILDREN);
  // No frame is left: the client area is the whole window.
  EXPECT_EQ(dialog.windowAtInit.Width(), dialog.clientAtInit.Width());
  EXPECT_EQ(dialog.windowAtInit.Height(), dialog.clientAtInit.Height());
  ASSERT_GT(dialog.clientAtInit.Width(), 100);

  const int cx = dialog.clientAtInit.Width(), cy = dialog.clientAtInit.Height();
  WindowRegion region(dialog);
  ASSERT_NE(ERROR, region.type);
  EXPECT_FALSE(region.rgn.PtInRegion(0, 0));  // rounded corners
  EXPECT_FALSE(region.rgn.PtInRegion(cx - 1, cy - 1));
  EXPECT_TRUE(region.rgn.PtInRegion(cx / 2, 0));
  EXPECT_TRUE(region.rgn.PtInRegion(0, cy / 2));
  EXPECT_TRUE(region.rgn.PtInRegion(cx - 1, cy / 2));
  EXPECT_TRUE(region.rgn.PtInRegion(cx / 2, cy - 1));
  EXPECT_FALSE(region.rgn.PtInRegion(cx, cy / 2));
  EXPECT_FALSE(region.rgn.PtInRegion(cx / 2, cy));
  dialog.DestroyWindow();
}

TEST_F(RgnDialogTest, TheRegionFollowsRectifyControlAndResizing) {
  TestRgnDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_RGN_TEST));

  dialog.RectifyControl(100, 50);
  {
    WindowRegion region(dialog);
    CRect box;
    region.rgn.GetRgnBox(&box);
    EXPECT_EQ(CRect(0, 0, 100, 50), box);
    EXPECT_TRUE(region.rgn.PtInRegion(99, 25));
    EXPECT_FALSE(region.rgn.PtInRegion(100, 25));
  }

  dialog.MoveWindow(0, 0, 420, 300);
  {
    WindowRegion region(dialog);
    CRect box;
    region.rgn.GetRgnBox(&box);
    EXPECT_EQ(CRect(0, 0, 420, 300), box);
    EXPECT_TRUE(region.rgn.PtInRegion(419, 150));
    EXPECT_TRUE(region.rgn.PtInRegion(210, 299));
    EXPECT_FALSE(region.rgn.PtInRegion(419, 299));
  }
  dialog.DestroyWindow();
}

TEST_F(RgnDialogTest, PaintsTheSkinAndTheIconOnTheTitleStrip) {
  TestRgnDialog dialog;
  // Set before the window exists: applied by OnInitDialog.
  ASSERT_TRUE(dialog.SetIcon(m_folder.name() + "\\logo.bmp", kKey));
  ASSERT_TRUE(dialog.Create(IDD_RGN_TEST));
  EXPECT_NE(nullptr, dialog.GetIcon(FALSE));
  dialog.MoveWindow(0, 0, 300, 200);
  dialog.ShowWindow(SW_SHOWNOACTIVATE);
  dialog.Invalidate(FALSE);

  const int top = (CRgnDialog::kTitleHeight - kIconSide) / 2;
  EXPECT_TRUE(Near(kIconColour, Pixel(dialog, 6 + kIconSide / 2, top + kIconSide / 2), 8));
  EXPECT_TRUE(Near(kIconColour, Pixel(dialog, 6 + kIconSide - 1, top + kIconSide - 1), 8));
  EXPECT_TRUE(Near(CRgnDialog::kTitleColor, Pixel(dialog, 6, top), 8));  // the icon's transparent corner
  EXPECT_TRUE(Near(CRgnDialog::kTitleColor, Pixel(dialog, 100, CRgnDialog::kTitleHeight - 1), 8));
  EXPECT_TRUE(Near(CRgnDialog::kBackgroundColor, Pixel(dialog, 100, CRgnDialog::kTitleHeight + 5), 8));
  EXPECT_TRUE(Near(CRgnDialog::kBorderColor, Pixel(dialog, 150, 199), 8));
  EXPECT_TRUE(Near(CRgnDialog::kBorderColor, Pixel(dialog, 0, 100), 8));
  EXPECT_GT(dialog.views, 0);

  // Erasing draws nothing: the skin stays as painted.
  HDC dc = ::GetDC(dialog.m_hWnd);
  EXPECT_TRUE(dialog.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc)));
  EXPECT_TRUE(Near(CRgnDialog::kBackgroundColor, GetPixel(dc, 100, CRgnDialog::kTitleHeight + 5), 8));
  ::ReleaseDC(dialog.m_hWnd, dc);
  dialog.DestroyWindow();
}

TEST_F(RgnDialogTest, SetIconGivesASmallIconOrFalseForAMissingPicture) {
  TestRgnDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_RGN_TEST));
  EXPECT_EQ(nullptr, dialog.GetIcon(FALSE));
  EXPECT_FALSE(dialog.SetIcon(m_folder.name() + "\\missing.bmp", kKey));
  EXPECT_EQ(nullptr, dialog.GetIcon(FALSE));

  ASSERT_TRUE(dialog.SetIcon(m_folder.file("logo.bmp"), kKey));
  HICON icon = dialog.GetIcon(FALSE);
  ASSERT_NE(nullptr, icon);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP mask = {};
  GetObject(info.hbmMask, sizeof mask, &mask);
  EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), mask.bmWidth);
  DeleteObject(info.hbmMask);
  DeleteObject(info.hbmColor);

  EXPECT_FALSE(dialog.SetIcon(m_folder.name() + "\\missing.bmp", kKey));
  EXPECT_EQ(icon, dialog.GetIcon(FALSE));  // a failure changes nothing
  dialog.DestroyWindow();
}

TEST_F(RgnDialogTest, AModalDialogIsShapedToo) {
  TestRgnDialog dialog(true);
  EXPECT_EQ(IDCANCEL, dialog.DoModal());
  EXPECT_EQ(0u, dialog.styleAtInit & (WS_CAPTION | WS_THICKFRAME));
  EXPECT_NE(0u, dialog.styleAtInit & WS_CLIPCHILDREN);
  EXPECT_EQ(dialog.windowAtInit.Width(), dialog.clientAtInit.Width());
}

}  // namespace
