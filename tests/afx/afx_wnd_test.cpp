// CWnd (creation, handle map, message maps, destruction) and the thread
// objects (CWinThread, CWinApp).
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "afx/afxwin.h"

// after <windows.h>
#include <commctrl.h>
#include "tests/testkit/testkit.h"

namespace {

constexpr UINT WM_PRIVATE = WM_USER + 100;
constexpr UINT WM_BASE_ONLY = WM_USER + 101;

// Records the messages its map handles, in order.
class RecordingWnd : public CWnd {
 public:
  std::vector<UINT> seen;
  int postNcDestroyCalls = 0;
  HWND handleAtPostNcDestroy = reinterpret_cast<HWND>(1);
  int createResult = 0;  // -1 fails the creation
  LPARAM lastCopyKind = 0;

 protected:
  afx_msg int OnCreate(LPCREATESTRUCTA cs) {
    seen.push_back(WM_CREATE);
    if (createResult != 0) return createResult;
    return CWnd::OnCreate(cs);
  }
  afx_msg void OnDestroy() {
    seen.push_back(WM_DESTROY);
    CWnd::OnDestroy();
  }
  afx_msg void OnNcDestroy() {
    seen.push_back(WM_NCDESTROY);
    CWnd::OnNcDestroy();
  }
  afx_msg LRESULT OnPrivate(WPARAM wParam, LPARAM lParam) {
    seen.push_back(WM_PRIVATE);
    return static_cast<LRESULT>(wParam + lParam);
  }
  afx_msg LRESULT OnBaseOnly(WPARAM, LPARAM) {
    seen.push_back(WM_BASE_ONLY);
    return 11;
  }
  afx_msg BOOL OnCopyData(CWnd* pWnd, COPYDATASTRUCT* pCds) {
    seen.push_back(WM_COPYDATA);
    lastCopyKind = static_cast<LPARAM>(pCds->dwData);
    if (pCds->dwData == 1) return pWnd != nullptr ? TRUE : 2;
    return CWnd::OnCopyData(pWnd, pCds);  // default processing: 0
  }
  void PostNcDestroy() override {
    ++postNcDestroyCalls;
    handleAtPostNcDestroy = m_hWnd;
  }

  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RecordingWnd, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_NCDESTROY()
ON_MESSAGE(WM_PRIVATE, OnPrivate)
ON_MESSAGE(WM_BASE_ONLY, OnBaseOnly)
ON_WM_COPYDATA()
END_MESSAGE_MAP()

// Overrides one entry of its base and adds commands; the rest chains.
class DerivedWnd : public RecordingWnd {
 public:
  int commands = 0;
  UINT rangeId = 0;
  UINT notifiedCode = 0;

 protected:
  afx_msg LRESULT OnPrivate(WPARAM, LPARAM) {
    seen.push_back(WM_PRIVATE + 1000);
    return 99;
  }
  afx_msg void OnCommand42() { ++commands; }
  afx_msg void OnRange(UINT nID) { rangeId = nID; }
  afx_msg void OnListNotify(NMHDR* pHdr, LRESULT* pResult) {
    notifiedCode = pHdr->code;
    *pResult = 77;
  }

  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedWnd, RecordingWnd)
ON_MESSAGE(WM_PRIVATE, OnPrivate)
ON_COMMAND(42, OnCommand42)
ON_COMMAND_RANGE(100, 110, OnRange)
ON_NOTIFY(NM_CLICK, 7, OnListNotify)
END_MESSAGE_MAP()

// Deletes itself when its window is gone, as frame windows do.
class SelfDeletingWnd : public CWnd {
 public:
  static int alive;
  SelfDeletingWnd() { ++alive; }
  ~SelfDeletingWnd() override { --alive; }

 protected:
  afx_msg LRESULT OnPrivate(WPARAM, LPARAM) {
    DestroyWindow();  // from inside its own handler
    return 5;
  }
  void PostNcDestroy() override { delete this; }
  DECLARE_MESSAGE_MAP()
};
int SelfDeletingWnd::alive = 0;

BEGIN_MESSAGE_MAP(SelfDeletingWnd, CWnd)
ON_MESSAGE(WM_PRIVATE, OnPrivate)
END_MESSAGE_MAP()

const RECT kZero = {0, 0, 0, 0};

// A plain window of a class registered here, outside the framework.
LRESULT CALLBACK RawProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_PRIVATE) return 1234;
  return DefWindowProcA(h, m, w, l);
}
HWND MakeRawWindow() {
  static const bool registered = [] {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &RawProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "AfxTestRaw";
    return RegisterClassA(&wc) != 0;
  }();
  EXPECT_TRUE(registered);
  return CreateWindowExA(0, "AfxTestRaw", "raw", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

}  // namespace

TEST(AfxWnd, CreateExMakesAHiddenChildOfTheDesktopWithTheDefaultClass) {
  RecordingWnd wnd;
  EXPECT_EQ(nullptr, wnd.GetSafeHwnd());
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, nullptr, WS_CHILD, kZero, CWnd::GetDesktopWindow(), 10));
  HWND h = wnd.GetSafeHwnd();
  ASSERT_TRUE(IsWindow(h));
  char cls[64] = {};
  GetClassNameA(h, cls, sizeof(cls));
  EXPECT_STREQ(AFX_WND_CLASS_NAME, cls);
  EXPECT_EQ(10, wnd.GetDlgCtrlID());
  EXPECT_EQ(static_cast<DWORD>(WS_CHILD), wnd.GetStyle() & (WS_CHILD | WS_VISIBLE | WS_POPUP));
  EXPECT_FALSE(wnd.IsWindowVisible());
  EXPECT_EQ(GetDesktopWindow(), GetParent(h));
  EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(h));
  EXPECT_EQ(&wnd, CWnd::FromHandle(h));
  // WM_CREATE passed through the object during creation.
  ASSERT_FALSE(wnd.seen.empty());
  EXPECT_EQ(static_cast<UINT>(WM_CREATE), wnd.seen.front());
  // A second creation on the same object is refused.
  EXPECT_FALSE(wnd.CreateEx(0, nullptr, nullptr, WS_CHILD, kZero, CWnd::GetDesktopWindow(), 11));
  EXPECT_EQ(h, wnd.GetSafeHwnd());
}

TEST(AfxWnd, MessagesReachTheMapAndUnhandledOnesTheDefaultProcedure) {
  RecordingWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, "title", WS_POPUP, kZero, nullptr, 0));
  wnd.seen.clear();
  EXPECT_EQ(7, wnd.SendMessage(WM_PRIVATE, 3, 4));
  EXPECT_TRUE(wnd.PostMessage(WM_PRIVATE, 1, 1));
  EXPECT_EQ(1u, wnd.seen.size());  // posted: not yet
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return wnd.seen.size() == 2; }, 2000));
  CString text;
  wnd.GetWindowText(text);  // WM_GETTEXT: not in the map, default procedure
  EXPECT_STREQ("title", text);
  wnd.SetWindowText("新标题");
  wnd.GetWindowText(text);
  EXPECT_STREQ("新标题", text);
  const std::vector<UINT> expected = {WM_PRIVATE, WM_PRIVATE};
  EXPECT_EQ(expected, wnd.seen);
}

TEST(AfxWnd, CopyDataHandlerGetsTheSenderAndCanFallBackToDefault) {
  RecordingWnd receiver, sender;
  ASSERT_TRUE(receiver.CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0));
  ASSERT_TRUE(sender.CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0));
  char bytes[4] = {1, 2, 3, 4};
  COPYDATASTRUCT cds = {1, sizeof(bytes), bytes};
  EXPECT_EQ(TRUE, receiver.SendMessage(WM_COPYDATA, reinterpret_cast<WPARAM>(sender.GetSafeHwnd()),
                                       reinterpret_cast<LPARAM>(&cds)));
  // No sending window: the handler gets null.
  EXPECT_EQ(2, receiver.SendMessage(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)));
  // The handler passes the message to Default(): the default procedure
  // answers 0.
  cds.dwData = 5;
  EXPECT_EQ(0, receiver.SendMessage(WM_COPYDATA, reinterpret_cast<WPARAM>(sender.GetSafeHwnd()),
                                    reinterpret_cast<LPARAM>(&cds)));
  EXPECT_EQ(5, receiver.lastCopyKind);
}

TEST(AfxWnd, DerivedMapOverridesAndChainsToItsBase) {
  DerivedWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0));
  wnd.seen.clear();
  EXPECT_EQ(99, wnd.SendMessage(WM_PRIVATE));
  EXPECT_EQ(11, wnd.SendMessage(WM_BASE_ONLY));
  const std::vector<UINT> expected = {WM_PRIVATE + 1000, WM_BASE_ONLY};
  EXPECT_EQ(expected, wnd.seen);

  // Commands: a menu command, a range, a control notification with no entry.
  EXPECT_EQ(1, wnd.SendMessage(WM_COMMAND, MAKEWPARAM(42, 0), 0));
  EXPECT_EQ(1, wnd.commands);
  wnd.SendMessage(WM_COMMAND, MAKEWPARAM(105, 0), 0);
  EXPECT_EQ(105u, wnd.rangeId);
  wnd.SendMessage(WM_COMMAND, MAKEWPARAM(111, 0), 0);
  EXPECT_EQ(105u, wnd.rangeId);
  EXPECT_EQ(0, wnd.SendMessage(WM_COMMAND, MAKEWPARAM(42, EN_CHANGE), reinterpret_cast<LPARAM>(wnd.m_hWnd)));
  EXPECT_EQ(1, wnd.commands);

  NMHDR hdr = {wnd.m_hWnd, 7, static_cast<UINT>(NM_CLICK)};
  EXPECT_EQ(77, wnd.SendMessage(WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&hdr)));
  EXPECT_EQ(static_cast<UINT>(NM_CLICK), wnd.notifiedCode);
  hdr.idFrom = 8;  // no entry for this control
  EXPECT_EQ(0, wnd.SendMessage(WM_NOTIFY, 8, reinterpret_cast<LPARAM>(&hdr)));
}

TEST(AfxWnd, DestroyWindowUnlinksThenCallsPostNcDestroy) {
  RecordingWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0));
  HWND h = wnd.m_hWnd;
  wnd.seen.clear();
  EXPECT_TRUE(wnd.DestroyWindow());
  EXPECT_FALSE(IsWindow(h));
  const std::vector<UINT> expected = {WM_DESTROY, WM_NCDESTROY};
  EXPECT_EQ(expected, wnd.seen);
  EXPECT_EQ(1, wnd.postNcDestroyCalls);
  EXPECT_EQ(nullptr, wnd.handleAtPostNcDestroy);
  EXPECT_EQ(nullptr, wnd.GetSafeHwnd());
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(h));
  EXPECT_FALSE(wnd.DestroyWindow());
  // Without a window nothing is sent, and nothing is posted to the thread.
  EXPECT_EQ(0, wnd.SendMessage(WM_PRIVATE, 1, 2));
  EXPECT_FALSE(wnd.PostMessage(WM_PRIVATE));
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  // The object can make a new window afterwards.
  EXPECT_TRUE(wnd.CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0));
}

TEST(AfxWnd, DestructorDestroysTheWindow) {
  HWND h = nullptr;
  {
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0));
    h = wnd.m_hWnd;
  }
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(h));
}

TEST(AfxWnd, SelfDeletingWindowMayDestroyItselfInsideItsHandler) {
  SelfDeletingWnd::alive = 0;
  SelfDeletingWnd* wnd = new SelfDeletingWnd;
  ASSERT_TRUE(wnd->CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0));
  HWND h = wnd->m_hWnd;
  EXPECT_EQ(5, SendMessageA(h, WM_PRIVATE, 0, 0));
  EXPECT_EQ(0, SelfDeletingWnd::alive);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(h));
}

TEST(AfxWnd, FailedCreationLeavesNoWindowAndCallsPostNcDestroy) {
  RecordingWnd refuses;
  refuses.createResult = -1;
  SetLastError(0);
  EXPECT_FALSE(refuses.CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0));
  EXPECT_EQ(nullptr, refuses.GetSafeHwnd());
  EXPECT_EQ(1, refuses.postNcDestroyCalls);

  RecordingWnd badClass;
  SetLastError(0);
  EXPECT_FALSE(badClass.CreateEx(0, "NoSuchClassAnywhere", nullptr, WS_POPUP, kZero, nullptr, 0));
  const DWORD err = GetLastError();  // Windows and Wine name it differently
  EXPECT_TRUE(err == ERROR_CANNOT_FIND_WND_CLASS || err == ERROR_CLASS_DOES_NOT_EXIST) << err;
  EXPECT_EQ(nullptr, badClass.GetSafeHwnd());
  EXPECT_EQ(1, badClass.postNcDestroyCalls);
}

TEST(AfxWnd, AttachLinksWithoutRoutingAndDetachLeavesTheWindow) {
  HWND raw = MakeRawWindow();
  ASSERT_NE(nullptr, raw);
  {
    RecordingWnd wnd;
    EXPECT_FALSE(wnd.Attach(nullptr));
    EXPECT_FALSE(wnd.Attach(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7fff0))));  // not a window
    ASSERT_TRUE(wnd.Attach(raw));
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(raw));
    RecordingWnd other;
    EXPECT_FALSE(other.Attach(raw));  // one object per window
    // Attached only: the window's own procedure still answers.
    EXPECT_EQ(1234, wnd.SendMessage(WM_PRIVATE));
    EXPECT_TRUE(wnd.seen.empty());
    EXPECT_EQ(raw, wnd.Detach());
    EXPECT_EQ(nullptr, wnd.GetSafeHwnd());
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(raw));
  }
  EXPECT_TRUE(IsWindow(raw));  // the object's end did not destroy it

  // An attached (not subclassed) window destroyed through the object.
  CWnd holder;
  ASSERT_TRUE(holder.Attach(raw));
  EXPECT_TRUE(holder.DestroyWindow());
  EXPECT_EQ(nullptr, holder.GetSafeHwnd());
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(raw));
}

TEST(AfxWnd, SubclassWindowRoutesThroughTheMapAndUnsubclassRestores) {
  HWND raw = MakeRawWindow();
  ASSERT_NE(nullptr, raw);
  const LONG_PTR original = GetWindowLongPtrA(raw, GWLP_WNDPROC);
  RecordingWnd wnd;
  ASSERT_TRUE(wnd.SubclassWindow(raw));
  EXPECT_EQ(7, SendMessageA(raw, WM_PRIVATE, 3, 4));       // our map
  EXPECT_EQ(11, SendMessageA(raw, WM_BASE_ONLY, 0, 0));    // our map
  EXPECT_EQ(0, SendMessageA(raw, WM_PRIVATE + 50, 0, 0));  // old procedure's default
  EXPECT_EQ(raw, wnd.UnsubclassWindow());
  EXPECT_EQ(original, GetWindowLongPtrA(raw, GWLP_WNDPROC));
  EXPECT_EQ(1234, SendMessageA(raw, WM_PRIVATE, 3, 4));
  DestroyWindow(raw);
}

TEST(AfxWnd, FromHandleMakesTemporaryObjectsOnlyForLiveWindows) {
  HWND raw = MakeRawWindow();
  ASSERT_NE(nullptr, raw);
  CWnd* temp = CWnd::FromHandle(raw);
  ASSERT_NE(nullptr, temp);
  EXPECT_EQ(raw, temp->GetSafeHwnd());
  EXPECT_EQ(temp, CWnd::FromHandle(raw));
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(raw));
  EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));
  EXPECT_EQ(nullptr, CWnd::FromHandle(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7fff0))));
  CWnd::DeleteTempMap();
  EXPECT_TRUE(IsWindow(raw));  // temporary objects never destroy their window
  DestroyWindow(raw);
}

TEST(AfxWnd, ManyForeignSendersDoNotGrowTheTemporaryMapWithoutBound) {
  // Windows that come and go, each seen once through FromHandle: dead ones
  // are pruned, so this stays cheap; every live answer is right.
  for (int i = 0; i < 80; ++i) {
    HWND raw = MakeRawWindow();
    ASSERT_NE(nullptr, raw);
    CWnd* temp = CWnd::FromHandle(raw);
    ASSERT_NE(nullptr, temp);
    EXPECT_EQ(raw, temp->GetSafeHwnd());
    DestroyWindow(raw);
  }
}

TEST(AfxThread, CWinAppIsTheConstructingThreadsObject) {
  EXPECT_EQ(nullptr, AfxGetThread());
  EXPECT_EQ(nullptr, AfxGetApp());
  EXPECT_EQ(nullptr, AfxGetMainWnd());
  {
    CWinApp app("demo");
    EXPECT_EQ(&app, AfxGetThread());
    EXPECT_EQ(&app, AfxGetApp());
    EXPECT_EQ(GetCurrentThreadId(), app.m_nThreadID);
    EXPECT_EQ(nullptr, AfxGetMainWnd());

    RecordingWnd main;
    ASSERT_TRUE(main.CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0));
    app.m_pMainWnd = &main;
    EXPECT_EQ(&main, AfxGetMainWnd());

    // Another thread has no thread object of its own.
    CWinThread* seenThere = reinterpret_cast<CWinThread*>(1);
    std::thread([&] { seenThere = AfxGetThread(); }).join();
    EXPECT_EQ(nullptr, seenThere);

    // Destroying the main window clears the pointer.
    main.DestroyWindow();
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    EXPECT_EQ(nullptr, AfxGetMainWnd());
  }
  EXPECT_EQ(nullptr, AfxGetThread());
  EXPECT_EQ(nullptr, AfxGetApp());
}

namespace {
class CountingWnd : public CWnd {
 public:
  int pretranslated = 0;
  BOOL PreTranslateMessage(MSG* pMsg) override {
    if (pMsg->message == WM_PRIVATE) {
      ++pretranslated;
      return TRUE;  // eaten: never dispatched
    }
    return FALSE;
  }
};
}  // namespace

TEST(AfxThread, RunPumpsUntilQuitAndOffersMessagesToPreTranslate) {
  CWinApp app;
  CountingWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0));
  wnd.PostMessage(WM_PRIVATE);
  wnd.PostMessage(WM_PRIVATE);
  PostQuitMessage(3);
  EXPECT_EQ(3, app.Run());
  EXPECT_EQ(2, wnd.pretranslated);
}

namespace {

// Every entry macro of the message map, each recording its arguments.
class AllEntriesWnd : public CWnd {
 public:
  std::vector<std::string> log;

 protected:
  afx_msg void OnClose() { log.push_back("close"); }  // not chained: the window stays
  afx_msg void OnPaint() {
    log.push_back("paint");
    CWnd::OnPaint();
  }
  afx_msg void OnTimer(UINT_PTR nIDEvent) { log.push_back("timer " + std::to_string(nIDEvent)); }
  afx_msg void OnSize(UINT nType, int cx, int cy) {
    log.push_back("size " + std::to_string(nType) + " " + std::to_string(cx) + " " + std::to_string(cy));
  }
  afx_msg void OnShowWindow(BOOL bShow, UINT nStatus) {
    log.push_back("show " + std::to_string(bShow) + " " + std::to_string(nStatus));
  }
  afx_msg void OnButton() { log.push_back("clicked"); }
  afx_msg void OnEditChange() { log.push_back("changed"); }
  afx_msg void OnEditFocus() { log.push_back("focus"); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(AllEntriesWnd, CWnd)
ON_WM_CLOSE()
ON_WM_PAINT()
ON_WM_TIMER()
ON_WM_SIZE()
ON_WM_SHOWWINDOW()
ON_BN_CLICKED(201, OnButton)
ON_EN_CHANGE(202, OnEditChange)
ON_CONTROL(EN_SETFOCUS, 202, OnEditFocus)
END_MESSAGE_MAP()

}  // namespace

TEST(AfxWnd, EntryMacrosUnpackTheirArguments) {
  AllEntriesWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0));
  CWnd edit;  // a system control as a child, made through the framework
  const RECT editRect = {0, 0, 50, 20};
  ASSERT_TRUE(edit.Create("EDIT", "", WS_VISIBLE, editRect, &wnd, 202));
  EXPECT_EQ(&wnd, edit.GetParent());
  EXPECT_EQ(202, edit.GetDlgCtrlID());
  wnd.log.clear();

  wnd.SendMessage(WM_CLOSE);
  EXPECT_TRUE(IsWindow(wnd.m_hWnd));  // the handler did not pass it on
  wnd.SendMessage(WM_TIMER, 17);
  wnd.SendMessage(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480));
  wnd.SendMessage(WM_SHOWWINDOW, TRUE, SW_PARENTOPENING);
  wnd.SendMessage(WM_COMMAND, MAKEWPARAM(201, BN_CLICKED), reinterpret_cast<LPARAM>(edit.m_hWnd));
  edit.SetWindowText("typed");  // the control itself tells its parent: EN_CHANGE
  wnd.SendMessage(WM_COMMAND, MAKEWPARAM(202, EN_SETFOCUS), reinterpret_cast<LPARAM>(edit.m_hWnd));
  wnd.SendMessage(WM_COMMAND, MAKEWPARAM(202, EN_KILLFOCUS), reinterpret_cast<LPARAM>(edit.m_hWnd));  // no entry
  const std::vector<std::string> expected = {"close",   "timer 17", "size 2 640 480", "show 1 3",
                                             "clicked", "changed",  "focus"};
  EXPECT_EQ(expected, wnd.log);
  CString text;
  edit.GetWindowText(text);
  EXPECT_STREQ("typed", text);
}

namespace {

// Makes its child from inside its own WM_CREATE (nested creation).
class ParentWnd : public RecordingWnd {
 public:
  RecordingWnd child;

 protected:
  afx_msg int OnCreate(LPCREATESTRUCTA cs) {
    const RECT rect = {0, 0, 10, 10};
    if (!child.Create(nullptr, "child", 0, rect, this, 5)) return -1;
    return RecordingWnd::OnCreate(cs);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ParentWnd, RecordingWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()

}  // namespace

TEST(AfxWnd, WindowsCreatedInsideCreationAreLinkedToTheirOwnObjects) {
  ParentWnd parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, kZero, nullptr, 0));
  ASSERT_TRUE(IsWindow(parent.child.m_hWnd));
  EXPECT_EQ(&parent.child, CWnd::FromHandlePermanent(parent.child.m_hWnd));
  EXPECT_EQ(&parent, CWnd::FromHandlePermanent(parent.m_hWnd));
  EXPECT_EQ(parent.m_hWnd, GetParent(parent.child.m_hWnd));
  ASSERT_FALSE(parent.child.seen.empty());
  EXPECT_EQ(static_cast<UINT>(WM_CREATE), parent.child.seen.front());
  EXPECT_EQ(std::vector<UINT>{WM_CREATE}, parent.seen);
  // A window made afterwards without the framework is left alone.
  HWND raw = MakeRawWindow();
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(raw));
  DestroyWindow(raw);
  // Destroying the parent destroys the child, which unlinks its object.
  parent.DestroyWindow();
  EXPECT_EQ(nullptr, parent.child.m_hWnd);
  EXPECT_EQ(1, parent.child.postNcDestroyCalls);
}
