// CDialog (modal and modeless, resource and memory templates) and CButton
// (owner drawing through reflection, states).
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "afx/afxwin.h"
#include "afx_dialog_test_ids.h"
#include "tests/testkit/testkit.h"

namespace {

constexpr UINT_PTR kWatchdogTimer = 99;

// How a TestDialog ends itself once it is up.
enum class Ending { Ok, Close, ClickOther, Throw, Stay };

// An owner-drawn button that draws itself and counts it.
class SelfDrawingButton : public CButton {
 public:
  int draws = 0;
  UINT lastCtlId = 0;
  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override {
    ++draws;
    lastCtlId = lpDrawItemStruct->CtlID;
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    pDC->FillSolidRect(&lpDrawItemStruct->rcItem, RGB(0, 128, 0));
  }
};

class TestDialog : public CDialog {
 public:
  explicit TestDialog(Ending ending, UINT nID = IDD_TEST) : CDialog(nID), m_ending(ending) {}
  TestDialog(Ending ending, LPCSTR lpszName) : CDialog(lpszName), m_ending(ending) {}

  std::vector<std::string> events;
  bool controlsExisted = false;
  HWND windowAtPreSubclass = nullptr;
  int postNcDestroys = 0;
  std::vector<UINT> parentDrawnIds;
  SelfDrawingButton selfDrawn;
  CButton plainOwnerDraw;

  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    events.push_back("init");
    controlsExisted = GetDlgItem(IDC_OTHER) != nullptr;
    SetTimer(kWatchdogTimer, 10000, nullptr);  // never wait forever
    if (GetDlgItem(IDC_OWNERDRAW)) {
      selfDrawn.SubclassDlgItem(IDC_OWNERDRAW, this);
      plainOwnerDraw.SubclassDlgItem(IDC_PLAIN_OWNERDRAW, this);
    }
    switch (m_ending) {
      case Ending::Ok:
        PostMessage(WM_COMMAND, IDOK, 0);
        break;
      case Ending::Close:
        PostMessage(WM_CLOSE);
        break;
      case Ending::ClickOther:
        ::PostMessageA(::GetDlgItem(m_hWnd, IDC_OTHER), BM_CLICK, 0, 0);
        break;
      case Ending::Throw:
        throw std::runtime_error("init failed");
      case Ending::Stay:
        break;
    }
    return TRUE;
  }

 protected:
  void PreSubclassWindow() override {
    events.push_back("presubclass");
    windowAtPreSubclass = m_hWnd;
  }
  void OnOK() override {
    events.push_back("ok");
    CDialog::OnOK();
  }
  void OnCancel() override {
    events.push_back("cancel");
    CDialog::OnCancel();
  }
  afx_msg void OnOther() {
    events.push_back("other");
    EndDialog(42);
  }
  afx_msg void OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kWatchdogTimer) EndDialog(-2);
  }
  afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT) { parentDrawnIds.push_back(static_cast<UINT>(nIDCtl)); }
  void PostNcDestroy() override { ++postNcDestroys; }

  DECLARE_MESSAGE_MAP()

 private:
  Ending m_ending;
};

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
ON_BN_CLICKED(IDC_OTHER, OnOther)
ON_WM_TIMER()
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

TEST(DialogTest, ModalDialogRunsOnInitDialogAfterItsControlsAndEndsWithOk) {
  TestDialog dialog(Ending::Ok);
  EXPECT_EQ(IDOK, dialog.DoModal());
  EXPECT_TRUE(dialog.controlsExisted);
  const std::vector<std::string> expected = {"presubclass", "init", "ok"};
  EXPECT_EQ(expected, dialog.events);
  EXPECT_NE(nullptr, dialog.windowAtPreSubclass) << "linked before PreSubclassWindow";
  EXPECT_EQ(nullptr, dialog.GetSafeHwnd()) << "the window is gone after DoModal";
  EXPECT_EQ(1, dialog.postNcDestroys);
}

TEST(DialogTest, CloseBoxCancelsAndTheObjectRunsAgain) {
  TestDialog dialog(Ending::Close);
  EXPECT_EQ(IDCANCEL, dialog.DoModal());
  EXPECT_EQ("cancel", dialog.events.back());
  EXPECT_EQ(IDCANCEL, dialog.DoModal());
  EXPECT_EQ(2, dialog.postNcDestroys);
}

TEST(DialogTest, ACommandHandlerEndsTheDialogWithItsResult) {
  TestDialog dialog(Ending::ClickOther);
  EXPECT_EQ(42, dialog.DoModal());
  EXPECT_EQ("other", dialog.events.back());
}

TEST(DialogTest, NamedAndMemoryTemplates) {
  TestDialog named(Ending::Ok, "NAMED_DIALOG");
  EXPECT_EQ(IDOK, named.DoModal());

  // A template with no controls: DLGTEMPLATE, no menu, default class, title.
  alignas(4) WORD words[32] = {};
  auto* tmpl = reinterpret_cast<DLGTEMPLATE*>(words);
  tmpl->style = WS_POPUP | WS_CAPTION;
  tmpl->cx = 100;
  tmpl->cy = 40;
  WORD* p = reinterpret_cast<WORD*>(tmpl + 1);
  *p++ = 0;  // no menu
  *p++ = 0;  // the dialog class
  for (const wchar_t* c = L"Memory"; *c; ++c) *p++ = static_cast<WORD>(*c);

  TestDialog memory(Ending::Ok, 0u);
  EXPECT_FALSE(memory.InitModalIndirect(nullptr));
  ASSERT_TRUE(memory.InitModalIndirect(tmpl));
  EXPECT_EQ(IDOK, memory.DoModal());
  EXPECT_FALSE(memory.controlsExisted);
}

TEST(DialogTest, MissingTemplateOrFailedInitAnswerMinusOne) {
  TestDialog missing(Ending::Ok, 4242u);
  EXPECT_EQ(-1, missing.DoModal());
  EXPECT_TRUE(missing.events.empty());
  TestDialog unnamed(Ending::Ok, static_cast<LPCSTR>(nullptr));
  EXPECT_EQ(-1, unnamed.DoModal());
  EXPECT_FALSE(unnamed.Create(static_cast<LPCSTR>(nullptr)));

  TestDialog throwing(Ending::Throw);
  EXPECT_EQ(-1, throwing.DoModal());
  EXPECT_EQ(nullptr, throwing.GetSafeHwnd());

  // The creation hook was released: a plain window still links normally.
  CWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, "after", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(wnd.GetSafeHwnd()));
}

TEST(DialogTest, ModelessDialogLivesUntilDestroyed) {
  TestDialog dialog(Ending::Stay);
  ASSERT_TRUE(dialog.Create(IDD_TEST));
  ASSERT_NE(nullptr, dialog.GetSafeHwnd());
  EXPECT_FALSE(dialog.Create(IDD_TEST)) << "one window per object";
  EXPECT_EQ((std::vector<std::string>{"presubclass", "init"}), dialog.events);
  EXPECT_EQ(&dialog, CWnd::FromHandlePermanent(dialog.GetSafeHwnd()));

  // The default push button is the template's until changed.
  EXPECT_EQ(static_cast<DWORD>(MAKELONG(IDOK, DC_HASDEFID)), dialog.GetDefID());
  dialog.SetDefID(IDCANCEL);
  EXPECT_EQ(static_cast<DWORD>(IDCANCEL), LOWORD(dialog.GetDefID()));
  // Commands reach the map (sent as the button does, without the focus
  // change of a click on a hidden dialog).
  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_OTHER, BN_CLICKED),
                     reinterpret_cast<LPARAM>(::GetDlgItem(dialog.GetSafeHwnd(), IDC_OTHER)));
  EXPECT_EQ("other", dialog.events.back());

  EXPECT_TRUE(dialog.DestroyWindow());
  EXPECT_EQ(nullptr, dialog.GetSafeHwnd());
  EXPECT_EQ(1, dialog.postNcDestroys);
  TestDialog missing(Ending::Stay);
  EXPECT_FALSE(missing.Create(4242u));
}

// Exchanges a name, a check box and a bound button with its controls.
class DataDialog : public CDialog {
 public:
  DataDialog() : CDialog(IDD_DATA) {}
  CString name = "Zavrel";
  int remember = BST_CHECKED;
  CButton other;
  bool bindMissingControl = false;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_OTHER, other);
    DDX_Text(pDX, IDC_NAME, name);
    DDX_Check(pDX, IDC_CHECK, remember);
    if (bindMissingControl) DDX_Text(pDX, 4242, name);
  }
};

TEST(DialogDataTest, InitFillsTheControlsAndUpdateDataReadsThemBack) {
  DataDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_DATA));
  EXPECT_EQ(::GetDlgItem(dialog.GetSafeHwnd(), IDC_OTHER), dialog.other.GetSafeHwnd()) << "bound by the exchange";
  EXPECT_EQ(&dialog.other, CWnd::FromHandlePermanent(dialog.other.GetSafeHwnd()));
  CString shown;
  dialog.GetDlgItem(IDC_NAME)->GetWindowText(shown);
  EXPECT_STREQ("Zavrel", shown);
  EXPECT_EQ(BST_CHECKED,
            static_cast<int>(::SendMessageA(::GetDlgItem(dialog.GetSafeHwnd(), IDC_CHECK), BM_GETCHECK, 0, 0)));

  ::SetDlgItemTextA(dialog.GetSafeHwnd(), IDC_NAME, "\xd6\xd0\xce\xc4");  // GBK text passes unchanged
  ::CheckDlgButton(dialog.GetSafeHwnd(), IDC_CHECK, BST_UNCHECKED);
  EXPECT_TRUE(dialog.UpdateData(TRUE));
  EXPECT_STREQ("\xd6\xd0\xce\xc4", dialog.name);
  EXPECT_EQ(BST_UNCHECKED, dialog.remember);
  EXPECT_TRUE(dialog.UpdateData(TRUE)) << "a second exchange keeps the binding";

  dialog.bindMissingControl = true;
  dialog.name = "kept";
  EXPECT_FALSE(dialog.UpdateData(FALSE)) << "no control 4242";
  dialog.DestroyWindow();
  EXPECT_FALSE(dialog.UpdateData(TRUE)) << "no window";
}

// Types a name and presses OK once it is up.
class TypingDialog : public DataDialog {
 public:
  UINT watchdogMs = 10000;
  BOOL OnInitDialog() override {
    DataDialog::OnInitDialog();
    SetTimer(kWatchdogTimer, watchdogMs, nullptr);
    ::SetDlgItemTextA(m_hWnd, IDC_NAME, "typed");
    PostMessage(WM_COMMAND, IDOK, 0);
    return TRUE;
  }

 protected:
  afx_msg void OnTimer(UINT_PTR) { EndDialog(-2); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TypingDialog, DataDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

TEST(DialogDataTest, OkReadsTheControlsBackBeforeEnding) {
  TypingDialog dialog;
  EXPECT_EQ(IDOK, dialog.DoModal());
  EXPECT_STREQ("typed", dialog.name);

  // A failing exchange keeps the dialog open (here until the watchdog).
  TypingDialog failing;
  failing.bindMissingControl = true;
  failing.watchdogMs = 500;
  EXPECT_EQ(-2, failing.DoModal());
}

// A window class that the run-time record can make.
class CreatableWnd : public CWnd {
  DECLARE_DYNCREATE(CreatableWnd)
};
IMPLEMENT_DYNCREATE(CreatableWnd, CWnd)

TEST(RuntimeClassTest, DynCreateClassesAreMadeByTheirRecord) {
  CObject* made = RUNTIME_CLASS(CreatableWnd)->CreateObject();
  ASSERT_NE(nullptr, made);
  EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CreatableWnd)));
  EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CWnd)));
  EXPECT_STREQ("CreatableWnd", made->GetRuntimeClass()->m_lpszClassName);
  delete made;
  EXPECT_EQ(nullptr, RUNTIME_CLASS(CDialog)->CreateObject()) << "only dynamic";
}

TEST(CenterWindowTest, CentresOnTheOwnerOrTheWorkArea) {
  CWnd owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr));
  CWnd popup;
  ASSERT_TRUE(popup.CreateEx(0, nullptr, "popup", WS_POPUP, 0, 0, 100, 50, owner.GetSafeHwnd(), nullptr));
  popup.CenterWindow();
  CRect rc;
  popup.GetWindowRect(rc);
  EXPECT_EQ(CRect(250, 225, 350, 275), rc);

  CWnd child;
  ASSERT_TRUE(child.Create(nullptr, "child", WS_VISIBLE, CRect(0, 0, 40, 20), &owner, 1));
  child.CenterWindow();
  child.GetWindowRect(rc);
  owner.ScreenToClient(rc);
  CRect client;
  owner.GetClientRect(client);
  EXPECT_EQ(client.CenterPoint(), rc.CenterPoint());

  CWnd alone;
  ASSERT_TRUE(alone.CreateEx(0, nullptr, "alone", WS_POPUP, 0, 0, 100, 50, nullptr, nullptr));
  alone.CenterWindow();
  alone.GetWindowRect(rc);
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(CRect(work).CenterPoint(), rc.CenterPoint());
}

TEST(ButtonTest, OwnerDrawnButtonsDrawThemselvesThroughReflection) {
  TestDialog dialog(Ending::Stay);
  ASSERT_TRUE(dialog.Create(IDD_TEST));
  dialog.ShowWindow(SW_SHOW);
  dialog.UpdateWindow();
  testkit::PumpMessagesUntil([&] { return dialog.selfDrawn.draws > 0 && !dialog.parentDrawnIds.empty(); }, 3000);
  EXPECT_GT(dialog.selfDrawn.draws, 0);
  EXPECT_EQ(static_cast<UINT>(IDC_OWNERDRAW), dialog.selfDrawn.lastCtlId);
  // The parent saw only the button whose class does not draw.
  ASSERT_FALSE(dialog.parentDrawnIds.empty());
  for (UINT id : dialog.parentDrawnIds) EXPECT_EQ(static_cast<UINT>(IDC_PLAIN_OWNERDRAW), id);

  CClientDC dc(&dialog.selfDrawn);
  EXPECT_EQ(RGB(0, 128, 0), dc.GetPixel(2, 2));
  dialog.DestroyWindow();
}

TEST(ButtonTest, CreateAndCheckState) {
  CWnd parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr));
  CButton check;
  ASSERT_TRUE(check.Create("check", WS_VISIBLE | BS_AUTOCHECKBOX, CRect(5, 5, 100, 25), &parent, 7));
  EXPECT_EQ(&parent, check.GetParent());
  EXPECT_EQ(7, check.GetDlgCtrlID());
  EXPECT_EQ(static_cast<UINT>(BS_AUTOCHECKBOX), check.GetButtonStyle());
  EXPECT_EQ(BST_UNCHECKED, check.GetCheck());
  check.SetCheck(BST_CHECKED);
  EXPECT_EQ(BST_CHECKED, check.GetCheck());
  EXPECT_TRUE(check.GetState() & BST_CHECKED);
  CString text;
  check.GetWindowText(text);
  EXPECT_STREQ("check", text);
  EXPECT_TRUE(check.IsKindOf(RUNTIME_CLASS(CButton)));

  CButton orphan;
  EXPECT_FALSE(orphan.Create("no parent", WS_VISIBLE, CRect(0, 0, 10, 10), nullptr, 1))
      << "a child window needs a parent";
}

}  // namespace
