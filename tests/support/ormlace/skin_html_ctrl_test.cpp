// CSkinHtmlCtrl: the system's web browser control hosted through the
// framework's container. Wine here has no HTML engine, so no page is
// rendered: the tests check the control, that Navigate reaches the browser
// (its BeforeNavigate2 event carries the address) and its properties.
#include <gtest/gtest.h>

#include <exdispid.h>

#include <string>
#include <vector>

#include "support/ormlace/skin_html_ctrl.h"

namespace {

class CBrowserParent : public CWnd {
 public:
  std::vector<std::string> urls;

  afx_msg void OnBeforeNavigate2(IDispatch*, VARIANT* pURL, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                                 VARIANT_BOOL* pCancel) {
    CString url;
    if (pURL && afx_event::TextFromVariant(*pURL, url)) urls.push_back(static_cast<LPCSTR>(url));
    // Nothing is loaded: there is no engine to show it.
    if (pCancel) *pCancel = VARIANT_TRUE;
  }

  DECLARE_EVENTSINK_MAP()
};

BEGIN_EVENTSINK_MAP(CBrowserParent, CWnd)
ON_EVENT(CBrowserParent, 31, DISPID_BEFORENAVIGATE2, OnBeforeNavigate2,
         VTS_DISPATCH VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PBOOL)
END_EVENTSINK_MAP()

class SkinHtmlCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(
        parent.CreateEx(0, nullptr, "browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 400, nullptr, nullptr));
  }
  void TearDown() override {
    parent.DestroyWindow();
    OleUninitialize();
  }
  CBrowserParent parent;
};

TEST_F(SkinHtmlCtrlTest, HostsTheBrowserAndNavigates) {
  CSkinHtmlCtrl view;
  EXPECT_EQ(view.GetBrowser(), nullptr);
  EXPECT_FALSE(view.Navigate("about:blank"));
  const RECT rect = {3, 28, 417, 253};
  ASSERT_TRUE(view.Create(nullptr, nullptr, 0x50000000, rect, &parent, 31));
  ASSERT_NE(view.GetBrowser(), nullptr);
  ASSERT_NE(view.m_hWnd, nullptr);
  EXPECT_TRUE(IsChild(parent.m_hWnd, view.m_hWnd));
  EXPECT_EQ(view.GetDlgCtrlID(), 31);

  EXPECT_TRUE(view.Navigate("http://127.0.0.1:9/大厅/index.html"));
  ASSERT_EQ(parent.urls.size(), 1u);
  EXPECT_NE(parent.urls[0].find("127.0.0.1:9"), std::string::npos) << parent.urls[0];
  EXPECT_FALSE(view.Navigate(nullptr));

  VARIANT_BOOL silent = VARIANT_FALSE;
  ASSERT_TRUE(SUCCEEDED(view.GetBrowser()->put_Silent(VARIANT_TRUE)));
  ASSERT_TRUE(SUCCEEDED(view.GetBrowser()->get_Silent(&silent)));
  EXPECT_EQ(silent, VARIANT_TRUE);

  HWND hWnd = view.m_hWnd;
  EXPECT_TRUE(view.DestroyWindow());
  EXPECT_EQ(view.GetBrowser(), nullptr);
  EXPECT_FALSE(IsWindow(hWnd));
}

TEST_F(SkinHtmlCtrlTest, NoParentWindowNoBrowser) {
  CSkinHtmlCtrl view;
  CWnd none;
  const RECT rect = {0, 0, 100, 100};
  EXPECT_FALSE(view.Create(nullptr, nullptr, WS_VISIBLE, rect, &none, 31));
  EXPECT_EQ(view.GetBrowser(), nullptr);
  EXPECT_EQ(view.m_hWnd, nullptr);
}

}  // namespace
