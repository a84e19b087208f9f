// CBrowserDialog: its template among Zavrel's resources, the layout of
// SetWebPageSize, the hosted browser in silent mode, SetURL reaching the
// browser, and the upload-mode message to the parent before the dialog
// ends. Wine here has no HTML engine: no page is rendered.
#include <gtest/gtest.h>

#include <exdispid.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
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
  // Per OnInitDialog: whether the page view had a live window and browser.
  std::vector<bool> viewUp;

 protected:
  BOOL OnInitDialog() override {
    const BOOL result = CBrowserDialog::OnInitDialog();
    viewUp.push_back(::IsWindow(m_HtmlView.m_hWnd) && m_HtmlView.GetBrowser() &&
                     CWnd::FromHandlePermanent(m_HtmlView.m_hWnd) == &m_HtmlView);
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

TEST_F(BrowserDialogTest, SecondModalRunOfTheSameObjectShowsThePageAgain) {
  CTestBrowserDialog dlg(&parent);
  dlg.cancelOnInit = true;
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.View().m_hWnd, nullptr);
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.viewUp, (std::vector<bool>{true, true}));
}

// A dialog whose memory stays readable after delete: poisoned, with its
// window handle replaced by another dialog's, so that a member still run
// on the deleted object ends that dialog instead.
class CPoisonedBrowserDialog : public CTestBrowserDialog {
 public:
  using CTestBrowserDialog::CTestBrowserDialog;
  static void* operator new(std::size_t size) { return ::operator new(size); }
  static void operator delete(void* p) {
    memset(p, 0, s_size);
    *reinterpret_cast<HWND*>(static_cast<char*>(p) + s_hWndOffset) = s_hWndDecoy;
    s_graveyard.push_back(p);
  }
  static std::size_t s_size;
  static std::size_t s_hWndOffset;
  static HWND s_hWndDecoy;
  static std::vector<void*> s_graveyard;
};
std::size_t CPoisonedBrowserDialog::s_size = sizeof(CPoisonedBrowserDialog);
std::size_t CPoisonedBrowserDialog::s_hWndOffset = 0;
HWND CPoisonedBrowserDialog::s_hWndDecoy = nullptr;
std::vector<void*> CPoisonedBrowserDialog::s_graveyard;

// Deletes the modeless dialog while it tells about its closing.
class CDeletingParent : public CWnd {
 public:
  CPoisonedBrowserDialog* pDialog = nullptr;
  afx_msg LRESULT OnUploadClosed(WPARAM, LPARAM) {
    delete std::exchange(pDialog, nullptr);
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDeletingParent, CWnd)
ON_MESSAGE(11025, OnUploadClosed)
END_MESSAGE_MAP()

TEST_F(BrowserDialogTest, ParentThatDeletesTheDialogWhileHandlingTheUploadMessage) {
  CDeletingParent owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "hall", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr));
  CBrowserDialog decoy(&owner);
  ASSERT_TRUE(decoy.Create(CBrowserDialog::IDD, &owner));
  decoy.ShowWindow(SW_SHOW);
  owner.pDialog = new CPoisonedBrowserDialog(&owner);
  CPoisonedBrowserDialog::s_hWndOffset = static_cast<std::size_t>(reinterpret_cast<char*>(&owner.pDialog->m_hWnd) -
                                                                  reinterpret_cast<char*>(owner.pDialog));
  CPoisonedBrowserDialog::s_hWndDecoy = decoy.m_hWnd;
  owner.pDialog->SetUpLoad();
  ASSERT_TRUE(owner.pDialog->Create(CBrowserDialog::IDD, &owner));
  HWND hWnd = owner.pDialog->m_hWnd;
  ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(owner.pDialog, nullptr);
  EXPECT_FALSE(::IsWindow(hWnd));
  // Nothing ran on the deleted object after the message.
  EXPECT_TRUE(decoy.IsWindowVisible());
  decoy.DestroyWindow();
  owner.DestroyWindow();
  for (void* p : CPoisonedBrowserDialog::s_graveyard) ::operator delete(p);
  CPoisonedBrowserDialog::s_graveyard.clear();
}

}  // namespace
