// The framework's control container (afx_olecontrol.h) driving the
// stand-in video controls: creation and activation, InvokeHelper with each
// argument kind, properties, event routing, failures and teardown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "afx/afx_file.h"
#include "afx/afx_olecontrol.h"
#include "support/videoctl/videoctl.h"
#include "tests/support/videoctl/videoctl_registration.h"
#include "tests/testkit/com_server_registration.h"
#include "tests/testkit/testkit.h"

namespace {

std::string ControlLog(HWND hWnd) {
  const int length = VideoCtlReadLog(hWnd, nullptr, 0);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  VideoCtlReadLog(hWnd, &text[0], length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

bool HasLine(const std::string& log, const std::string& line) {
  return ("\n" + log).find("\n" + line + "\n") != std::string::npos;
}

// A top-level window whose event sink map takes the local control's events
// for child 8067.
class CHostWnd : public CWnd {
 public:
  BOOL Make() {
    return CreateEx(0, nullptr, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr);
  }
  std::vector<std::string> events;
  CWnd* pDestroyOnLogin = nullptr;

  afx_msg void OnLoginResult(long nResult) {
    events.push_back("login " + std::to_string(nResult));
    if (pDestroyOnLogin) pDestroyOnLogin->DestroyWindow();
  }
  afx_msg void OnRecvAudio(long nUser, long nResult) {
    events.push_back("audio " + std::to_string(nUser) + " " + std::to_string(nResult));
  }
  // Declines: the search goes on (and finds nothing more).
  afx_msg BOOL OnRecvVideo(long, long) {
    events.push_back("video declined");
    return FALSE;
  }

  DECLARE_EVENTSINK_MAP()
};

BEGIN_EVENTSINK_MAP(CHostWnd, CWnd)
ON_EVENT(CHostWnd, 8067, 1, OnLoginResult, VTS_I4)
ON_EVENT(CHostWnd, 8067, 2, OnRecvAudio, VTS_I4 VTS_I4)
ON_EVENT(CHostWnd, 8067, 3, OnRecvVideo, VTS_I4 VTS_I4)
END_EVENTSINK_MAP()

const RECT kRect = {10, 20, 170, 140};

class OleControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(videoctl_test::EnsureRegistered());
    ASSERT_TRUE(host.Make());
    VideoCtlClearLog();
  }
  void TearDown() override {
    host.DestroyWindow();
    OleUninitialize();
  }
  CHostWnd host;
};

TEST_F(OleControlTest, CreatedControlIsActiveInPlaceAndVisibleInItsParent) {
  const int before = VideoCtlObjectCount();
  CWnd ctl;
  ASSERT_TRUE(ctl.CreateControl(CLSID_VideoCtlLocal, "cam", WS_CHILD | WS_VISIBLE, kRect, &host, 8067));
  ASSERT_NE(ctl.m_hWnd, nullptr);
  EXPECT_EQ(::GetParent(ctl.m_hWnd), host.m_hWnd);
  EXPECT_EQ(ctl.GetDlgCtrlID(), 8067);
  EXPECT_TRUE(ctl.IsWindowVisible());
  EXPECT_EQ(CWnd::FromHandlePermanent(ctl.m_hWnd), &ctl);
  RECT rc;
  ctl.GetWindowRect(&rc);
  host.ScreenToClient(&rc);
  EXPECT_EQ(rc.left, 10);
  EXPECT_EQ(rc.top, 20);
  EXPECT_EQ(rc.right - rc.left, 160);
  EXPECT_EQ(rc.bottom - rc.top, 120);
  CString title;
  ctl.GetWindowText(title);
  EXPECT_STREQ(title, "cam");
  EXPECT_NE(ctl.GetControlUnknown(), nullptr);
  const std::string log = ControlLog(ctl.m_hWnd);
  EXPECT_TRUE(HasLine(log, "ambient user mode on")) << log;
  EXPECT_TRUE(HasLine(log, "init new")) << log;
  EXPECT_TRUE(HasLine(log, "advise")) << log;
  EXPECT_TRUE(HasLine(log, "in place active")) << log;
  EXPECT_EQ(VideoCtlObjectCount(), before + 1);

  HWND hWnd = ctl.m_hWnd;
  EXPECT_TRUE(ctl.DestroyWindow());
  EXPECT_FALSE(IsWindow(hWnd));
  EXPECT_EQ(ctl.m_hWnd, nullptr);
  EXPECT_EQ(ctl.m_pCtrlSite, nullptr);
  EXPECT_EQ(VideoCtlObjectCount(), before);
}

TEST_F(OleControlTest, HiddenStyleLeavesTheControlHidden) {
  CWnd ctl;
  ASSERT_TRUE(ctl.CreateControl(CLSID_VideoCtlRemote, nullptr, WS_CHILD, kRect, &host, 5));
  EXPECT_FALSE(ctl.IsWindowVisible());
}

TEST_F(OleControlTest, InvokeHelperPassesEachArgumentKindAndConvertsResults) {
  CWnd ctl;
  ASSERT_TRUE(ctl.CreateControl(CLSID_VideoCtlLocal, nullptr, WS_CHILD | WS_VISIBLE, kRect, &host, 8067));
  long result = -1;
  static const BYTE kThreeLongs[] = VTS_I4 VTS_I4 VTS_I4;
  ctl.InvokeHelper(1, DISPATCH_METHOD, VT_I4, &result, kThreeLongs, 7L, -640L, 480L);
  EXPECT_EQ(result, 1007);
  static const BYTE kLogin[] = VTS_UI4 VTS_UI4 VTS_UI4 VTS_BSTR VTS_I2;
  ctl.InvokeHelper(10, DISPATCH_METHOD, VT_I4, &result, kLogin, 4000000000UL, 2UL, 3UL, "房间·密码", short(-5));
  EXPECT_EQ(result, 10000 + static_cast<long>(4000000000UL % 1000));
  ctl.InvokeHelper(2, DISPATCH_METHOD, VT_EMPTY, nullptr, reinterpret_cast<const BYTE*>(VTS_NONE));
  CString name("stale");
  static const BYTE kOneLong[] = VTS_I4;
  ctl.InvokeHelper(19, DISPATCH_PROPERTYGET, VT_BSTR, &name, kOneLong, 1L);
  EXPECT_STREQ(name, "虚拟摄像头");
  const std::string log = ControlLog(ctl.m_hWnd);
  EXPECT_TRUE(HasLine(log, "1 method I4:7 I4:-640 I4:480")) << log;
  EXPECT_TRUE(HasLine(log, "10 method UI4:4000000000 UI4:2 UI4:3 BSTR:房间·密码 I2:-5")) << log;
  EXPECT_TRUE(HasLine(log, "2 method")) << log;
  EXPECT_TRUE(HasLine(log, "19 get I4:1")) << log;
}

TEST_F(OleControlTest, FailedCallLeavesTheResultEmpty) {
  CWnd ctl;
  ASSERT_TRUE(ctl.CreateControl(CLSID_VideoCtlLocal, nullptr, WS_CHILD, kRect, &host, 8067));
  // StartRecvVideo takes an unsigned long: a long is refused by the control.
  long result = 77;
  static const BYTE kOneLong[] = VTS_I4;
  ctl.InvokeHelper(12, DISPATCH_METHOD, VT_I4, &result, kOneLong, 5L);
  EXPECT_EQ(result, 0);
  CString name("stale");
  ctl.InvokeHelper(99, DISPATCH_PROPERTYGET, VT_BSTR, &name, nullptr);
  EXPECT_TRUE(name.IsEmpty());
  EXPECT_TRUE(HasLine(ControlLog(ctl.m_hWnd), "12 method I4:5 type mismatch"));
  // Without a control, nothing is called and the result is cleared.
  CWnd none;
  result = 5;
  none.InvokeHelper(1, DISPATCH_METHOD, VT_I4, &result, kOneLong, 1L);
  EXPECT_EQ(result, 0);
}

TEST_F(OleControlTest, PropertyGetAndPut) {
  CWnd ctl;
  ASSERT_TRUE(ctl.CreateControl(CLSID_VideoCtlRemote, nullptr, WS_CHILD | WS_VISIBLE, kRect, &host, 9));
  ctl.SetProperty(1, VT_UI4, 3000000000UL);
  unsigned long user = 0;
  ctl.GetProperty(1, VT_UI4, &user);
  EXPECT_EQ(user, 3000000000UL);
  static const BYTE kOneLong[] = VTS_I4;
  ctl.InvokeHelper(2, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, kOneLong, 0L);
  long visible = -1;
  ctl.InvokeHelper(2, DISPATCH_PROPERTYGET, VT_I4, &visible, nullptr);
  EXPECT_EQ(visible, 0);
  EXPECT_FALSE(ctl.IsWindowVisible());
  const std::string log = ControlLog(ctl.m_hWnd);
  EXPECT_TRUE(HasLine(log, "1 put UI4:3000000000")) << log;
  EXPECT_TRUE(HasLine(log, "1 get")) << log;
  EXPECT_TRUE(HasLine(log, "2 put I4:0")) << log;
}

TEST_F(OleControlTest, EventsReachTheWindowThatHostsTheControl) {
  CHostWnd other;
  ASSERT_TRUE(other.Make());
  CWnd ctlA;
  CWnd ctlB;
  ASSERT_TRUE(ctlA.CreateControl(CLSID_VideoCtlLocal, nullptr, WS_CHILD | WS_VISIBLE, kRect, &host, 8067));
  ASSERT_TRUE(ctlB.CreateControl(CLSID_VideoCtlLocal, nullptr, WS_CHILD | WS_VISIBLE, kRect, &other, 8067));
  EXPECT_EQ(VideoCtlFireEvent(ctlB.m_hWnd, 2, 2, 31, 1), S_OK);
  EXPECT_TRUE(host.events.empty());
  ASSERT_EQ(other.events.size(), 1u);
  EXPECT_EQ(other.events[0], "audio 31 1");
  // The control's own timer: Login's result arrives from the message loop.
  static const BYTE kLogin[] = VTS_UI4 VTS_UI4 VTS_UI4 VTS_BSTR VTS_I2;
  long result = 0;
  ctlA.InvokeHelper(10, DISPATCH_METHOD, VT_I4, &result, kLogin, 1UL, 2UL, 3UL, "", short(0));
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return !host.events.empty(); }, 5000));
  EXPECT_EQ(host.events, std::vector<std::string>{"login 0"});
  EXPECT_EQ(other.events.size(), 1u);
  // A handler that declines leaves the event unhandled; a wrong argument
  // count matches no handler.
  EXPECT_EQ(VideoCtlFireEvent(ctlA.m_hWnd, 3, 2, 1, 1), S_OK);
  EXPECT_EQ(VideoCtlFireEvent(ctlA.m_hWnd, 1, 2, 1, 1), S_OK);
  EXPECT_EQ(host.events, (std::vector<std::string>{"login 0", "video declined"}));
  other.DestroyWindow();
}

TEST_F(OleControlTest, EventsForAnotherChildIdentifierAreNotHandled) {
  CWnd ctl;
  ASSERT_TRUE(ctl.CreateControl(CLSID_VideoCtlLocal, nullptr, WS_CHILD | WS_VISIBLE, kRect, &host, 8068));
  EXPECT_EQ(VideoCtlFireEvent(ctl.m_hWnd, 1, 1, 1, 0), S_OK);
  EXPECT_TRUE(host.events.empty());
}

TEST_F(OleControlTest, HandlerThatDestroysTheControlDuringItsEvent) {
  const int before = VideoCtlObjectCount();
  CWnd ctl;
  ASSERT_TRUE(ctl.CreateControl(CLSID_VideoCtlLocal, nullptr, WS_CHILD | WS_VISIBLE, kRect, &host, 8067));
  host.pDestroyOnLogin = &ctl;
  HWND hWnd = ctl.m_hWnd;
  EXPECT_EQ(VideoCtlFireEvent(hWnd, 1, 1, 1, 0), S_OK);
  EXPECT_EQ(host.events, std::vector<std::string>{"login 1"});
  EXPECT_FALSE(IsWindow(hWnd));
  EXPECT_EQ(ctl.m_pCtrlSite, nullptr);
  // The control is let go of once its event has returned to it.
  EXPECT_TRUE(testkit::PumpMessagesUntil([&] { return VideoCtlObjectCount() == before; }, 5000));
}

TEST_F(OleControlTest, ControlThatFailsToCreateLeavesNoWindow) {
  static const CLSID kUnknown = {0x1F2E3D4C, 0x5B6A, 0x4789, {0x9A, 0x8B, 0x7C, 0x6D, 0x5E, 0x4F, 0x30, 0x21}};
  CWnd ctl;
  EXPECT_FALSE(ctl.CreateControl(kUnknown, nullptr, WS_CHILD | WS_VISIBLE, kRect, &host, 8067));
  EXPECT_EQ(ctl.m_hWnd, nullptr);
  EXPECT_EQ(ctl.m_pCtrlSite, nullptr);
  EXPECT_EQ(::GetWindow(host.m_hWnd, GW_CHILD), nullptr);
  EXPECT_FALSE(ctl.CreateControl("VideoCtl.NoSuchControl", nullptr, WS_CHILD, kRect, &host, 1));
  CWnd noParent;
  EXPECT_FALSE(ctl.CreateControl(CLSID_VideoCtlLocal, nullptr, WS_CHILD, kRect, &noParent, 1));
  EXPECT_FALSE(ctl.CreateControl(CLSID_VideoCtlLocal, nullptr, WS_CHILD, kRect, nullptr, 1));
  EXPECT_EQ(ctl.m_hWnd, nullptr);
  // The same object still hosts a control afterwards.
  EXPECT_TRUE(ctl.CreateControl("VideoCtl.RemoteVideo.1", nullptr, WS_CHILD, kRect, &host, 1));
  EXPECT_FALSE(ctl.CreateControl(CLSID_VideoCtlLocal, nullptr, WS_CHILD, kRect, &host, 2));
}

TEST_F(OleControlTest, SavedStateAndLicenceKeyReachTheControl) {
  testkit::TempDir dir;
  const std::string streamPath = dir.file("state.bin");
  ASSERT_TRUE(testkit::WriteFileBytes(streamPath, "saved-stream"));
  CFile file;
  ASSERT_TRUE(file.Open(streamPath.c_str(), CFile::modeRead));
  BSTR key = SysAllocString(L"KEY-42");
  CWnd ctl;
  ASSERT_TRUE(ctl.CreateControl(CLSID_VideoCtlLocal, nullptr, WS_CHILD, kRect, &host, 8067, &file, FALSE, key));
  SysFreeString(key);
  std::string log = ControlLog(ctl.m_hWnd);
  EXPECT_TRUE(HasLine(log, "licence KEY-42")) << log;
  EXPECT_TRUE(HasLine(log, "load stream saved-stream")) << log;
  EXPECT_FALSE(HasLine(log, "init new")) << log;

  // A compound file with the control's "Contents" stream.
  const std::string storagePath = dir.file("state.stg");
  {
    std::wstring wide(storagePath.begin(), storagePath.end());
    IStorage* raw = nullptr;
    ASSERT_TRUE(
        SUCCEEDED(StgCreateDocfile(wide.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &raw)));
    UniqueComPtr<IStorage> storage(raw);
    IStream* rawStream = nullptr;
    ASSERT_TRUE(SUCCEEDED(
        storage.get()->CreateStream(L"Contents", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &rawStream)));
    UniqueComPtr<IStream> stream(rawStream);
    ULONG put = 0;
    stream.get()->Write("in-storage", 10, &put);
  }
  CFile storageFile;
  ASSERT_TRUE(storageFile.Open(storagePath.c_str(), CFile::modeRead));
  CWnd ctl2;
  ASSERT_TRUE(ctl2.CreateControl(CLSID_VideoCtlRemote, nullptr, WS_CHILD, kRect, &host, 2, &storageFile, TRUE));
  log = ControlLog(ctl2.m_hWnd);
  EXPECT_TRUE(HasLine(log, "load storage in-storage")) << log;
}

// VideoCtl.dll's own entry points, in this process, against a private
// classes root.
TEST(VideoCtlServer, RegistersBothControlsAndUnregistersThemEvenWhenAbsent) {
  testkit::ServerEntries server(GetModuleHandleA("VideoCtl.dll"));
  ASSERT_TRUE(server.valid());
  testkit::PrivateClassesRoot root;
  ASSERT_TRUE(root.valid());
  ASSERT_EQ(S_OK, server.registerServer());
  const std::string local = "CLSID\\{075083C0-5319-4938-8E1E-734023126D72}";
  const std::string remote = "CLSID\\{4994C1B7-684C-4818-B61B-4D9011F6E8BD}";
  EXPECT_EQ("VideoCtl local video control", root.Value(local));
  EXPECT_EQ(0,
            lstrcmpiA(testkit::TestBinaryPath("VideoCtl.dll").c_str(), root.Value(local + "\\InprocServer32").c_str()));
  EXPECT_EQ("Apartment", root.Value(local + "\\InprocServer32", "ThreadingModel"));
  EXPECT_TRUE(root.Exists(local + "\\Control"));
  EXPECT_EQ("VideoCtl.LocalVideo.1", root.Value(local + "\\ProgID"));
  EXPECT_EQ("{075083C0-5319-4938-8E1E-734023126D72}", root.Value("VideoCtl.LocalVideo.1\\CLSID"));
  EXPECT_EQ("VideoCtl.RemoteVideo.1", root.Value(remote + "\\ProgID"));
  EXPECT_TRUE(root.Exists(remote + "\\Control"));

  EXPECT_EQ(S_OK, server.unregisterServer());
  EXPECT_FALSE(root.Exists(local));
  EXPECT_FALSE(root.Exists(remote));
  EXPECT_FALSE(root.Exists("VideoCtl.LocalVideo.1"));
  EXPECT_FALSE(root.Exists("VideoCtl.RemoteVideo.1"));
  // Nothing left to delete is no error.
  EXPECT_EQ(S_OK, server.unregisterServer());
}

TEST(VideoCtlServer, KeysThatCannotBeDeletedOrWrittenFailTheRegistrationCalls) {
  testkit::ServerEntries server(GetModuleHandleA("VideoCtl.dll"));
  ASSERT_TRUE(server.valid());
  testkit::PrivateClassesRoot root;
  ASSERT_TRUE(root.valid());
  ASSERT_EQ(S_OK, server.registerServer());
  root.Break();
  EXPECT_EQ(SELFREG_E_CLASS, server.unregisterServer());
  EXPECT_EQ(SELFREG_E_CLASS, server.registerServer());
}

// A client that holds the class factory keeps the module: DllCanUnloadNow
// must not let COM free it under the client.
TEST(VideoCtlServer, AHeldClassFactoryKeepsTheModuleLoaded) {
  testkit::ServerEntries server(GetModuleHandleA("VideoCtl.dll"));
  ASSERT_TRUE(server.valid());
  ASSERT_EQ(S_OK, server.canUnloadNow()) << "a control of this process is still alive";
  UniqueComPtr<IClassFactory> factory;
  ASSERT_EQ(S_OK,
            server.getClassObject(CLSID_VideoCtlLocal, IID_IClassFactory, reinterpret_cast<void**>(factory.put())));
  UniqueComPtr<IClassFactory2> licensed;
  ASSERT_EQ(S_OK, factory.get()->QueryInterface(IID_IClassFactory2, reinterpret_cast<void**>(licensed.put())));
  EXPECT_EQ(S_FALSE, server.canUnloadNow());
  factory.reset();
  EXPECT_EQ(S_FALSE, server.canUnloadNow());
  licensed.reset();
  EXPECT_EQ(S_OK, server.canUnloadNow());
}

}  // namespace
