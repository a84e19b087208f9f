// The framework's control container (afx_olecontrol.h) hosting a control
// that behaves as framework-made controls do (support/fwctl): saved state
// kept as storage, moves through the site, keys through the active object,
// a release inside the control's own event, VARIANT results and event
// arguments converted by their VTS_ description.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "afx/afx_dialog.h"
#include "afx/afx_file.h"
#include "afx/afx_olecontrol.h"
#include "afx/afx_thread.h"
#include "support/fwctl/fwctl.h"
#include "tests/testkit/com_server_registration.h"
#include "tests/testkit/testkit.h"

namespace {

std::string ControlLog(HWND hWnd) {
  const int length = FwCtlReadLog(hWnd, nullptr, 0);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  FwCtlReadLog(hWnd, &text[0], length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

bool HasLine(const std::string& log, const std::string& line) {
  return ("\n" + log).find("\n" + line + "\n") != std::string::npos;
}

VARIANT Long(long value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

class CHostWnd : public CWnd {
 public:
  BOOL Make() {
    return CreateEx(0, nullptr, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr);
  }
  std::vector<std::string> events;
  CWnd* pDestroyOnEvent = nullptr;
  CWnd* pDeleteOnEvent = nullptr;

  afx_msg void OnDestroyingEvent(long) {
    events.push_back("destroying");
    if (pDestroyOnEvent) pDestroyOnEvent->DestroyWindow();
    if (pDeleteOnEvent) delete std::exchange(pDeleteOnEvent, nullptr);
  }
  afx_msg void OnCount(int n) { events.push_back("count " + std::to_string(n)); }
  afx_msg void OnFlag(BOOL b) { events.push_back("flag " + std::to_string(b)); }
  afx_msg void OnLong(long n) { events.push_back("long " + std::to_string(n)); }
  afx_msg void OnShort(short n) { events.push_back("short " + std::to_string(n)); }
  afx_msg void OnText(LPCSTR text) { events.push_back(std::string("text ") + text); }
  afx_msg void OnCancelable(long n, VARIANT_BOOL* pCancel) {
    events.push_back("cancelable " + std::to_string(n));
    *pCancel = VARIANT_TRUE;
  }

  DECLARE_EVENTSINK_MAP()
};

BEGIN_EVENTSINK_MAP(CHostWnd, CWnd)
ON_EVENT(CHostWnd, 7, 1, OnDestroyingEvent, VTS_I4)
ON_EVENT(CHostWnd, 7, 11, OnCount, VTS_I4)
ON_EVENT(CHostWnd, 7, 12, OnFlag, VTS_BOOL)
ON_EVENT(CHostWnd, 7, 13, OnLong, VTS_I4)
ON_EVENT(CHostWnd, 7, 14, OnShort, VTS_I2)
ON_EVENT(CHostWnd, 7, 15, OnText, VTS_BSTR)
ON_EVENT(CHostWnd, 7, 16, OnCancelable, VTS_I4 VTS_PBOOL)
END_EVENTSINK_MAP()

const RECT kRect = {10, 20, 170, 140};

class FwCtlContainerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(testkit::EnsureServerRegistered("{B3F1C0A2-6D4E-4A57-9C21-7E5D8F3A1B64}", "FwCtl.dll"));
    ASSERT_TRUE(host.Make());
    FwCtlSetBehaviour(0);
    FwCtlClearLog();
  }
  void TearDown() override {
    host.DestroyWindow();
    FwCtlSetBehaviour(0);
    OleUninitialize();
  }
  RECT PlaceInHost(const CWnd& ctl) {
    RECT rc;
    ctl.GetWindowRect(&rc);
    host.ScreenToClient(&rc);
    return rc;
  }
  CHostWnd host;
};

// A compound file whose "Contents" stream holds n patterned bytes.
std::string WriteStorage(testkit::TempDir& dir, std::size_t n) {
  const std::string path = dir.file("state.stg");
  std::wstring wide(path.begin(), path.end());
  IStorage* raw = nullptr;
  if (FAILED(StgCreateDocfile(wide.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &raw))) return "";
  UniqueComPtr<IStorage> storage(raw);
  IStream* rawStream = nullptr;
  if (FAILED(
          storage.get()->CreateStream(L"Contents", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &rawStream)))
    return "";
  UniqueComPtr<IStream> stream(rawStream);
  std::string bytes(n, '\0');
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(i * 7 + 3);
  ULONG put = 0;
  stream.get()->Write(bytes.data(), static_cast<ULONG>(n), &put);
  return put == n ? path : "";
}

TEST_F(FwCtlContainerTest, StorageStaysReadableWhileTheControlLivesAndIsHandedOffAtTheEnd) {
  testkit::TempDir dir;
  const std::string path = WriteStorage(dir, 20000);
  ASSERT_FALSE(path.empty());
  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
  CWnd ctl;
  ASSERT_TRUE(ctl.CreateControl(CLSID_FwCtl, nullptr, WS_CHILD | WS_VISIBLE, kRect, &host, 7, &file, TRUE));
  EXPECT_TRUE(HasLine(ControlLog(ctl.m_hWnd), "load storage 20000 bytes"));
  // Memory freed since Load would be taken by these.
  std::vector<UniqueGlobal> churn;
  for (int i = 0; i < 8; ++i) {
    churn.emplace_back(GlobalAlloc(GMEM_MOVEABLE, 24576));
    if (void* p = GlobalLock(churn.back().get())) {
      memset(p, 0xCD, 24576);
      GlobalUnlock(churn.back().get());
    }
  }
  long reread = 0;
  ctl.InvokeHelper(2, DISPATCH_METHOD, VT_I4, &reread, reinterpret_cast<const BYTE*>(VTS_NONE));
  EXPECT_EQ(reread, 20000) << ControlLog(ctl.m_hWnd);
  ASSERT_TRUE(ctl.DestroyWindow());
  const std::string log = ControlLog(nullptr);
  const std::size_t handsOff = log.find("hands off storage\n");
  EXPECT_NE(handsOff, std::string::npos) << log;
}

TEST_F(FwCtlContainerTest, MovesGoThroughTheSiteSoActivationKeepsThePlace) {
  CWnd ctl;
  ASSERT_TRUE(ctl.CreateControl(CLSID_FwCtl, nullptr, WS_CHILD | WS_VISIBLE, kRect, &host, 7));
  FwCtlClearLog();
  ctl.MoveWindow(30, 40, 200, 100);
  RECT rc = PlaceInHost(ctl);
  EXPECT_EQ(rc.left, 30);
  EXPECT_EQ(rc.right - rc.left, 200);
  std::string log = ControlLog(ctl.m_hWnd);
  EXPECT_TRUE(HasLine(log, "rects 30,40,230,140")) << log;
  EXPECT_NE(log.find("extent "), std::string::npos) << log;
  // Focus UI-activates the control, which asks the site where it stands.
  ctl.SetFocus();
  EXPECT_TRUE(HasLine(ControlLog(ctl.m_hWnd), "ui active"));
  rc = PlaceInHost(ctl);
  EXPECT_EQ(rc.left, 30);
  EXPECT_EQ(rc.top, 40);
  EXPECT_EQ(rc.right - rc.left, 200);
  EXPECT_EQ(rc.bottom - rc.top, 100);

  host.SetFocus();
  ASSERT_TRUE(ctl.SetWindowPos(nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  ctl.SetFocus();
  rc = PlaceInHost(ctl);
  EXPECT_EQ(rc.left, 50);
  EXPECT_EQ(rc.top, 60);
  EXPECT_EQ(rc.right - rc.left, 200);
  EXPECT_EQ(rc.bottom - rc.top, 100);
  ASSERT_TRUE(ctl.SetWindowPos(nullptr, 0, 0, 120, 90, SWP_NOMOVE | SWP_NOZORDER));
  host.SetFocus();
  ctl.SetFocus();
  rc = PlaceInHost(ctl);
  EXPECT_EQ(rc.left, 50);
  EXPECT_EQ(rc.right - rc.left, 120);
  EXPECT_EQ(rc.bottom - rc.top, 90);
}

// Takes every message of the queue through the thread object's pump.
void PumpThroughThread(CWinThread& thread) {
  MSG msg;
  for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); ++i) thread.PumpMessage();
}

TEST_F(FwCtlContainerTest, KeysPumpedByTheThreadReachTheActiveControlFirst) {
  CWnd ctl;
  ASSERT_TRUE(ctl.CreateControl(CLSID_FwCtl, nullptr, WS_CHILD | WS_VISIBLE, kRect, &host, 7));
  CWinThread thread;
  ctl.SetFocus();
  FwCtlClearLog();
  ctl.PostMessage(WM_KEYDOWN, VK_TAB, 0);
  ctl.PostMessage(WM_KEYDOWN, VK_RETURN, 0);
  ctl.PostMessage(WM_KEYDOWN, 'A', 0);
  PumpThroughThread(thread);
  const std::string log = ControlLog(ctl.m_hWnd);
  // Tab and Enter are the control's accelerators; others go on to its window.
  EXPECT_TRUE(HasLine(log, "accelerator key down 9")) << log;
  EXPECT_TRUE(HasLine(log, "accelerator key down 13")) << log;
  EXPECT_FALSE(HasLine(log, "key down 9")) << log;
  EXPECT_FALSE(HasLine(log, "key down 13")) << log;
  EXPECT_TRUE(HasLine(log, "accelerator key down 65")) << log;
  EXPECT_TRUE(HasLine(log, "key down 65")) << log;
  // After the control is gone nothing is offered to it.
  ctl.DestroyWindow();
  host.PostMessage(WM_KEYDOWN, VK_TAB, 0);
  PumpThroughThread(thread);
}

// A modal dialog (the system's dialog loop) hosting the control.
class CControlDialog : public CDialog {
 public:
  CControlDialog() {
    // An empty template: a popup of 200 x 120 dialog units.
    memset(m_template, 0, sizeof(m_template));
    auto* t = reinterpret_cast<DLGTEMPLATE*>(m_template);
    t->style = WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME;
    t->cx = 200;
    t->cy = 120;
    InitModalIndirect(t, nullptr);
  }
  CWnd ctl;
  std::string log;

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    if (ctl.CreateControl(CLSID_FwCtl, nullptr, WS_CHILD | WS_VISIBLE, kRect, this, 7)) {
      ctl.SetFocus();
      ctl.PostMessage(WM_KEYDOWN, VK_RETURN, 0);
    }
    PostMessage(WM_COMMAND, IDCANCEL);
    return FALSE;  // the focus is set
  }
  void OnCancel() override {
    log = ControlLog(ctl.m_hWnd);
    ctl.DestroyWindow();
    CDialog::OnCancel();
  }
  void OnOK() override {
    log = ControlLog(ctl.m_hWnd);
    ctl.DestroyWindow();
    CDialog::OnOK();
  }

 private:
  alignas(DWORD) BYTE m_template[64];
};

TEST_F(FwCtlContainerTest, EnterInAModalDialogGoesToTheActiveControlFirst) {
  CControlDialog dlg;
  EXPECT_EQ(dlg.DoModal(), IDCANCEL) << dlg.log;
  EXPECT_TRUE(HasLine(dlg.log, "accelerator key down 13")) << dlg.log;
}

TEST_F(FwCtlContainerTest, ControlLetGoInsideItsOwnEventLivesUntilTheEventReturns) {
  const int before = FwCtlObjectCount();
  CWnd ctl;
  ASSERT_TRUE(ctl.CreateControl(CLSID_FwCtl, nullptr, WS_CHILD | WS_VISIBLE, kRect, &host, 7));
  host.pDestroyOnEvent = &ctl;
  HWND hWnd = ctl.m_hWnd;
  VARIANT arg = Long(1);
  EXPECT_EQ(FwCtlFire(hWnd, 1, 1, &arg), S_OK);
  EXPECT_EQ(host.events, std::vector<std::string>{"destroying"});
  EXPECT_FALSE(IsWindow(hWnd));
  EXPECT_EQ(ctl.m_pCtrlSite, nullptr);
  std::string log = ControlLog(nullptr);
  EXPECT_FALSE(HasLine(log, "destroyed inside its own event")) << log;
  EXPECT_FALSE(HasLine(log, "event returned into a destroyed control")) << log;
  // Let go of once the thread's messages run again.
  EXPECT_TRUE(testkit::PumpMessagesUntil([&] { return FwCtlObjectCount() == before; }, 5000));

  // The same with the hosting object deleted.
  host.pDestroyOnEvent = nullptr;
  host.pDeleteOnEvent = new CWnd;
  ASSERT_TRUE(host.pDeleteOnEvent->CreateControl(CLSID_FwCtl, nullptr, WS_CHILD, kRect, &host, 7));
  hWnd = host.pDeleteOnEvent->m_hWnd;
  EXPECT_EQ(FwCtlFire(hWnd, 1, 1, &arg), S_OK);
  EXPECT_EQ(host.pDeleteOnEvent, nullptr);
  log = ControlLog(nullptr);
  EXPECT_FALSE(HasLine(log, "destroyed inside its own event")) << log;
  EXPECT_FALSE(HasLine(log, "event returned into a destroyed control")) << log;
  EXPECT_TRUE(testkit::PumpMessagesUntil([&] { return FwCtlObjectCount() == before; }, 5000));
}

// An object that counts the references given back to it.
class CountingUnknown : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
    if (ppv) *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override {
    ++releases;
    return 1;
  }
  int releases = 0;
};

TEST_F(FwCtlContainerTest, VariantResultIsWrittenWithoutClearingTheCallersVariable) {
  CWnd ctl;
  ASSERT_TRUE(ctl.CreateControl(CLSID_FwCtl, nullptr, WS_CHILD, kRect, &host, 7));
  // Not initialised: whatever the stack held, here what looks like an object.
  CountingUnknown garbage;
  VARIANT result;
  result.vt = VT_UNKNOWN;
  result.punkVal = &garbage;
  ctl.InvokeHelper(1, DISPATCH_PROPERTYGET, VT_VARIANT, &result, reinterpret_cast<const BYTE*>(VTS_NONE));
  EXPECT_EQ(garbage.releases, 0);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_STREQ(result.bstrVal, L"framework");
  VariantClear(&result);
  // A failed call and a window without a control leave it empty, untouched.
  result.vt = VT_UNKNOWN;
  result.punkVal = &garbage;
  CWnd none;
  none.InvokeHelper(1, DISPATCH_PROPERTYGET, VT_VARIANT, &result, reinterpret_cast<const BYTE*>(VTS_NONE));
  EXPECT_EQ(garbage.releases, 0);
  EXPECT_EQ(result.vt, VT_EMPTY);
}

TEST_F(FwCtlContainerTest, EventArgumentsAreConvertedAsTheEntryDescribesThem) {
  CWnd ctl;
  ASSERT_TRUE(ctl.CreateControl(CLSID_FwCtl, nullptr, WS_CHILD, kRect, &host, 7));
  VARIANT arg = Long(42);
  EXPECT_EQ(FwCtlFire(ctl.m_hWnd, 11, 1, &arg), S_OK);  // int, VTS_I4
  EXPECT_EQ(FwCtlFire(ctl.m_hWnd, 12, 1, &arg), S_OK);  // BOOL, VTS_BOOL
  VARIANT flag;
  VariantInit(&flag);
  flag.vt = VT_BOOL;
  flag.boolVal = VARIANT_TRUE;
  EXPECT_EQ(FwCtlFire(ctl.m_hWnd, 12, 1, &flag), S_OK);
  flag.boolVal = VARIANT_FALSE;
  EXPECT_EQ(FwCtlFire(ctl.m_hWnd, 12, 1, &flag), S_OK);
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(L"17");
  EXPECT_EQ(FwCtlFire(ctl.m_hWnd, 13, 1, &text), S_OK);  // long, VTS_I4
  EXPECT_EQ(FwCtlFire(ctl.m_hWnd, 14, 1, &text), S_OK);  // short, VTS_I2
  VariantClear(&text);
  EXPECT_EQ(FwCtlFire(ctl.m_hWnd, 15, 1, &arg), S_OK);  // LPCSTR, VTS_BSTR
  // Out of range for VTS_I2: a type mismatch, no call.
  VARIANT big = Long(70000);
  EXPECT_EQ(FwCtlFire(ctl.m_hWnd, 14, 1, &big), DISP_E_TYPEMISMATCH);
  // A by-reference flag reaches the handler as it came.
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT cancelable[2] = {Long(3), {}};
  cancelable[1].vt = VT_BYREF | VT_BOOL;
  cancelable[1].pboolVal = &cancel;
  EXPECT_EQ(FwCtlFire(ctl.m_hWnd, 16, 2, cancelable), S_OK);
  EXPECT_EQ(cancel, VARIANT_TRUE);
  EXPECT_EQ(host.events, (std::vector<std::string>{"count 42", "flag 1", "flag 1", "flag 0", "long 17", "short 17",
                                                   "text 42", "cancelable 3"}));
}

// FwCtl.dll's own entry points, in this process, against a private classes
// root.
TEST(FwCtlServer, UnregistrationIsQuietForAbsentKeysAndFailsForKeysThatStay) {
  testkit::ServerEntries server(GetModuleHandleA("FwCtl.dll"));
  ASSERT_TRUE(server.valid());
  testkit::PrivateClassesRoot root;
  ASSERT_TRUE(root.valid());
  ASSERT_EQ(S_OK, server.registerServer());
  const std::string key = "CLSID\\{B3F1C0A2-6D4E-4A57-9C21-7E5D8F3A1B64}";
  EXPECT_TRUE(root.Exists(key + "\\Control"));
  EXPECT_EQ("FwCtl.Control.1", root.Value(key + "\\ProgID"));
  EXPECT_EQ(S_OK, server.unregisterServer());
  EXPECT_FALSE(root.Exists(key));
  EXPECT_FALSE(root.Exists("FwCtl.Control.1"));
  EXPECT_EQ(S_OK, server.unregisterServer());
  ASSERT_EQ(S_OK, server.registerServer());
  root.Break();
  EXPECT_EQ(SELFREG_E_CLASS, server.unregisterServer());
}

TEST(FwCtlServer, AHeldClassFactoryKeepsTheModuleLoaded) {
  testkit::ServerEntries server(GetModuleHandleA("FwCtl.dll"));
  ASSERT_TRUE(server.valid());
  ASSERT_EQ(S_OK, server.canUnloadNow()) << "a control of this process is still alive";
  UniqueComPtr<IClassFactory> factory;
  ASSERT_EQ(S_OK, server.getClassObject(CLSID_FwCtl, IID_IClassFactory, reinterpret_cast<void**>(factory.put())));
  EXPECT_EQ(S_FALSE, server.canUnloadNow());
  // A framework control's factory has no licensing.
  UniqueComPtr<IClassFactory2> licensed;
  EXPECT_EQ(E_NOINTERFACE, factory.get()->QueryInterface(IID_IClassFactory2, reinterpret_cast<void**>(licensed.put())));
  factory.reset();
  EXPECT_EQ(S_OK, server.canUnloadNow());
}

}  // namespace
