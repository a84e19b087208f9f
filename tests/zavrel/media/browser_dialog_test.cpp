// CBrowserDialog: its template among Zavrel's resources, the layout of
// SetWebPageSize, the hosted browser in silent mode, SetURL reaching the
// browser, and the upload-mode message to the parent before the dialog
// ends. Wine here has no HTML engine: no page is rendered.
#include <gtest/gtest.h>

#include <exdispid.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/testkit/testkit.h"
#include "zavrel/media/browser_dialog.h"

namespace {

class CTestBrowserDialog : public CBrowserDialog {
 public:
  using CBrowserDialog::CBrowserDialog;
  CSkinHtmlCtrl& View() { return m_HtmlView; }
  CRgnButton& Button() { return m_btnClose; }
  bool cancelOnInit = false;
  std::vector<std::string> urls;

 protected:
  BOOL OnInitDialog() override {
    const BOOL result = CBrowserDialog::OnInitDialog();
    if (cancelOnInit) PostMessage(WM_COMMAND, IDCANCEL);
    return result;
  }
  // The page view's navigation, as its parent sees it.
  afx_msg void OnBeforeNavigate2(IDispatch*, VARIANT* pURL, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                                 VARIANT_BOOL* pCancel) {
    CString url;
    if (pURL && afx_event::TextFromVariant(*pURL, url)) urls.push_back(static_cast<LPCSTR>(url));
    if (pCancel) *pCancel = VARIANT_TRUE;
  }
  DECLARE_EVENTSINK_MAP()
};

BEGIN_EVENTSINK_MAP(CTestBrowserDialog, CBrowserDialog)
ON_EVENT(CTestBrowserDialog, 31, DISPID_BEFORENAVIGATE2, OnBeforeNavigate2,
         VTS_DISPATCH VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PBOOL)
END_EVENTSINK_MAP()

// The dialog's parent: records the upload message and whether the dialog
// was still up when it came.
class CUploadParent : public CWnd {
 public:
  CTestBrowserDialog* pDialog = nullptr;
  int messages = 0;
  bool dialogUpAtMessage = false;

  afx_msg LRESULT OnUploadClosed(WPARAM wParam, LPARAM lParam) {
    ++messages;
    // Still modal: EndDialog has not run yet (it re-enables the owner).
    dialogUpAtMessage =
        pDialog && ::IsWindow(pDialog->m_hWnd) && !::IsWindowEnabled(m_hWnd) && wParam == 0 && lParam == 0;
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CUploadParent, CWnd)
ON_MESSAGE(11025, OnUploadClosed)
END_MESSAGE_MAP()

class BrowserDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(
        parent.CreateEx(0, nullptr, "hall", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr));
  }
  void TearDown() override {
    parent.DestroyWindow();
    OleUninitialize();
  }
  CUploadParent parent;
};

TEST_F(BrowserDialogTest, TemplateIsAmongZavrelsChineseResources) {
  HMODULE zavrel = GetModuleHandleA("Zavrel.dll");
  ASSERT_NE(zavrel, nullptr);
  EXPECT_NE(FindResourceExA(zavrel, reinterpret_cast<LPCSTR>(RT_DIALOG), MAKEINTRESOURCEA(9009),
                            MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)),
            nullptr);
  EXPECT_EQ(static_cast<UINT>(CBrowserDialog::kUploadClosedMessage), 11025u);
  std::unique_ptr<CObject> made(RUNTIME_CLASS(CBrowserDialog)->CreateObject());
  ASSERT_TRUE(made);
  EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CRgnDialog)));
}

TEST_F(BrowserDialogTest, PageSizeLaysOutViewAndCloseButton) {
  CTestBrowserDialog dlg(&parent);
  ASSERT_TRUE(dlg.Create(CBrowserDialog::IDD, &parent));
  ASSERT_NE(dlg.View().m_hWnd, nullptr);
  ASSERT_NE(dlg.Button().m_hWnd, nullptr);
  EXPECT_EQ(dlg.Button().GetDlgCtrlID(), IDCANCEL);
  EXPECT_TRUE(dlg.GetStyle() & WS_CLIPCHILDREN);
  dlg.SetWebPageSize(600, 400);
  RECT window;
  dlg.GetWindowRect(&window);
  EXPECT_EQ(window.right - window.left, 600);
  EXPECT_EQ(window.bottom - window.top, 400);
  RECT view;
  dlg.View().GetWindowRect(&view);
  dlg.ScreenToClient(&view);
  EXPECT_EQ(view.left, 3);
  EXPECT_EQ(view.top, 28);
  EXPECT_EQ(view.right - view.left, 594);
  EXPECT_EQ(view.bottom - view.top, 368);
  RECT buttonBefore;
  dlg.Button().GetClientRect(&buttonBefore);
  RECT button;
  dlg.Button().GetWindowRect(&button);
  dlg.ScreenToClient(&button);
  EXPECT_EQ(button.right, 600 - 10);
  EXPECT_EQ(button.top, 6);
  EXPECT_EQ(button.right - button.left, buttonBefore.right);
  dlg.DestroyWindow();
}

TEST_F(BrowserDialogTest, HostedBrowserIsSilentAndSetUrlReachesIt) {
  CTestBrowserDialog dlg(&parent);
  ASSERT_TRUE(dlg.Create(CBrowserDialog::IDD, &parent));
  IWebBrowser2* browser = dlg.View().GetBrowser();
  ASSERT_NE(browser, nullptr);
  VARIANT_BOOL silent = VARIANT_FALSE;
  ASSERT_TRUE(SUCCEEDED(browser->get_Silent(&silent)));
  EXPECT_EQ(silent, VARIANT_TRUE);
  dlg.SetURL("http://127.0.0.1:9/upload.html");
  ASSERT_EQ(dlg.urls.size(), 1u);
  EXPECT_NE(dlg.urls[0].find("upload.html"), std::string::npos) << dlg.urls[0];
  dlg.DestroyWindow();
}

TEST_F(BrowserDialogTest, UploadModeTellsTheParentBeforeTheDialogEnds) {
  CTestBrowserDialog dlg(&parent);
  parent.pDialog = &dlg;
  dlg.SetUpLoad();
  dlg.cancelOnInit = true;
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(parent.messages, 1);
  EXPECT_TRUE(parent.dialogUpAtMessage);
  EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST_F(BrowserDialogTest, WithoutUploadModeNothingIsSent) {
  CTestBrowserDialog dlg(&parent);
  parent.pDialog = &dlg;
  dlg.cancelOnInit = true;
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(parent.messages, 0);
}

TEST_F(BrowserDialogTest, UploadModeWithoutParentStillCloses) {
  CTestBrowserDialog dlg(nullptr);
  dlg.SetUpLoad();
  dlg.cancelOnInit = true;
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(parent.messages, 0);
}

}  // namespace
