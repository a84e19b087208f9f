// CLocalVideoWindow and CRemoteVideoWindow driving the stand-in video
// controls: every automation call reaches the control with its dispatch id,
// kind and arguments (read back from the control's log), results come back
// as the control gives them, and the events reach the listener.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/fwctl/fwctl.h"
#include "support/videoctl/videoctl.h"
#include "tests/support/videoctl/videoctl_registration.h"
#include "tests/testkit/testkit.h"
#include "zavrel/media/local_video_window.h"
#include "zavrel/media/remote_video_window.h"

namespace {

std::vector<std::string> CallLines(HWND hWnd) {
  const int length = VideoCtlReadLog(hWnd, nullptr, 0);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  VideoCtlReadLog(hWnd, &text[0], length + 1);
  text.resize(static_cast<std::size_t>(length));
  // Only the calls (lines that start with a dispatch id).
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::string line = text.substr(start, end - start);
    if (!line.empty() && line[0] >= '0' && line[0] <= '9') lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

class RecordingListener : public IAVListner {
 public:
  void OnLoginResult(long lResult) override { events.push_back("login " + std::to_string(lResult)); }
  void OnRecvAudioResult(long a, long b) override {
    events.push_back("audio " + std::to_string(a) + " " + std::to_string(b));
  }
  void OnRecvVideoResult(long a, long b) override {
    events.push_back("video " + std::to_string(a) + " " + std::to_string(b));
  }
  std::vector<std::string> events;
};

// Counts the paint calls that reach the window's drawing hook.
class CCountingLocalWindow : public CLocalVideoWindow {
 public:
  int draws = 0;

 protected:
  void DrawView(CDC* pDC) override {
    ASSERT_NE(pDC, nullptr);
    ++draws;
  }
};

const RECT kRect = {0, 0, 176, 144};

class VideoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(videoctl_test::EnsureRegistered());
    ASSERT_TRUE(
        parent.CreateEx(0, nullptr, "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
    VideoCtlClearLog();
  }
  void TearDown() override {
    parent.DestroyWindow();
    OleUninitialize();
  }
  CWnd parent;
};

TEST_F(VideoWindowTest, EveryLocalCallReachesTheControl) {
  CLocalVideoWindow wnd;
  ASSERT_TRUE(wnd.Create(nullptr, "local", WS_CHILD | WS_VISIBLE, kRect, &parent, 8067, nullptr));
  EXPECT_EQ(wnd.StartVideoCapture(1, 320, 240), 1001);
  wnd.StopVideoCapture();
  EXPECT_EQ(wnd.SetVideoEncoderParam(15, 256, 2), 3015);
  wnd.ShowVideoPropertyPage(0);
  wnd.EnableShowLocalVideo(1);
  EXPECT_EQ(wnd.StartAudioCapture(0), 6000);
  wnd.StopAudioCapture();
  EXPECT_EQ(wnd.StartAudioPlayer(1), 8001);
  wnd.StopAudioPlayer();
  EXPECT_EQ(wnd.Login(0xC0A80001UL, 8000, 4123456789UL, "密码", 3), 10000 + static_cast<long>(0xC0A80001UL % 1000));
  wnd.Logout();
  EXPECT_EQ(wnd.StartRecvVideo(77), 12077);
  wnd.StopRecvVideo(77);
  EXPECT_EQ(wnd.StartRecvAudio(78), 14078);
  wnd.StopRecvAudio(78);
  wnd.EnableSendVideo(0);
  wnd.EnableSendAudio(1);
  EXPECT_EQ(wnd.get_VideoCapDeviceCount(), 2);
  EXPECT_STREQ(wnd.get_VideoCapDeviceName(1), "虚拟摄像头");
  EXPECT_EQ(wnd.get_AudioCapDeviceCount(), 1);
  EXPECT_STREQ(wnd.get_AudioCapDeviceName(0), "麦克风 (高清晰度音频设备)");
  EXPECT_EQ(wnd.get_AudioPlayDevCount(), 2);
  EXPECT_STREQ(wnd.get_AudioPlayDeviceName(1), "耳机");
  EXPECT_STREQ(wnd.get_AudioPlayDeviceName(5), "");

  static const std::vector<std::string> expected = {
      "1 method I4:1 I4:320 I4:240",
      "2 method",
      "3 method I4:15 I4:256 I4:2",
      "4 method I4:0",
      "5 method I4:1",
      "6 method I4:0",
      "7 method",
      "8 method I4:1",
      "9 method",
      "10 method UI4:3232235521 UI4:8000 UI4:4123456789 BSTR:密码 I2:3",
      "11 method",
      "12 method UI4:77",
      "13 method UI4:77",
      "14 method UI4:78",
      "15 method UI4:78",
      "16 method I4:0",
      "17 method I4:1",
      "18 get",
      "19 get I4:1",
      "20 get",
      "21 get I4:0",
      "22 get",
      "23 get I4:1",
      "23 get I4:5",
  };
  EXPECT_EQ(CallLines(wnd.m_hWnd), expected);
}

TEST_F(VideoWindowTest, RemotePropertiesReachTheControl) {
  CRemoteVideoWindow wnd;
  ASSERT_TRUE(wnd.Create("remote", WS_CHILD | WS_VISIBLE, kRect, &parent, 12));
  wnd.PutUserID(4000000001UL);
  EXPECT_EQ(wnd.GetUserID(), 4000000001UL);
  wnd.PutVisible(0);
  EXPECT_EQ(wnd.GetVisible(), 0);
  // The caller's own identifier is another field.
  const CRemoteVideoWindow& constWnd = wnd;
  EXPECT_EQ(constWnd.GetUserID(), 0xFFFFFFFFu);
  static const std::vector<std::string> expected = {"1 put UI4:4000000001", "1 get", "2 put I4:0", "2 get"};
  EXPECT_EQ(CallLines(wnd.m_hWnd), expected);
}

TEST_F(VideoWindowTest, FreshWindowsHoldTheirInitialValues) {
  const CLocalVideoWindow local;
  EXPECT_EQ(local.GetUserID(), 0xFFFFFFFFu);
  EXPECT_FALSE(local.IsLogin());
  const CRemoteVideoWindow remote;
  EXPECT_EQ(remote.GetUserID(), 0xFFFFFFFFu);
  EXPECT_FALSE(remote.IsVideoEnable());
  EXPECT_FALSE(remote.IsAudioEnable());
  EXPECT_TRUE(IsEqualCLSID(CLocalVideoWindow::GetClsid(), CLSID_VideoCtlLocal));
  EXPECT_TRUE(IsEqualCLSID(CRemoteVideoWindow::GetClsid(), CLSID_VideoCtlRemote));
  // Dynamic creation makes the same fresh objects.
  std::unique_ptr<CObject> made(RUNTIME_CLASS(CLocalVideoWindow)->CreateObject());
  ASSERT_TRUE(made);
  ASSERT_TRUE(made->IsKindOf(RUNTIME_CLASS(CLocalVideoWindow)));
  EXPECT_EQ(static_cast<CLocalVideoWindow*>(made.get())->GetUserID(), 0xFFFFFFFFu);
  std::unique_ptr<CObject> madeRemote(RUNTIME_CLASS(CRemoteVideoWindow)->CreateObject());
  ASSERT_TRUE(madeRemote && madeRemote->IsKindOf(RUNTIME_CLASS(CRemoteVideoWindow)));
  // Without a control, calls answer 0 and empty strings.
  CLocalVideoWindow none;
  EXPECT_EQ(none.StartVideoCapture(1, 2, 3), 0);
  EXPECT_STREQ(none.get_VideoCapDeviceName(0), "");
}

TEST_F(VideoWindowTest, BookkeepingAccessors) {
  CLocalVideoWindow wnd;
  wnd.SetWindowSize(320, 240);
  EXPECT_EQ(wnd.GetWindowSize()->cx, 320);
  SIZE size = {176, 144};
  wnd.SetWindowSize(&size);
  EXPECT_EQ(wnd.GetWindowSize()->cy, 144);
  wnd.SetUserID(5);
  EXPECT_EQ(wnd.GetUserID(), 5u);
  wnd.SetDefaultWindowSize(CRect(1, 2, 3, 4));
  EXPECT_EQ(wnd.GetDefaultWindowSize(), CRect(1, 2, 3, 4));
}

TEST_F(VideoWindowTest, LoginEventSetsTheFlagAndReachesTheListener) {
  CLocalVideoWindow wnd;
  RecordingListener listener;
  ASSERT_TRUE(wnd.Create(nullptr, "local", WS_CHILD | WS_VISIBLE, kRect, &parent, 8067, nullptr));
  wnd.SetAVListner(&listener);
  // The control answers a login with an empty password with 0, after its
  // timer.
  wnd.Login(1, 2, 3, "", 0);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return !listener.events.empty(); }, 5000));
  EXPECT_FALSE(wnd.IsLogin());
  wnd.Login(1, 2, 3, "口令", 0);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return listener.events.size() == 2; }, 5000));
  EXPECT_TRUE(wnd.IsLogin());
  EXPECT_EQ(VideoCtlFireEvent(wnd.m_hWnd, 1, 1, 0, 0), S_OK);
  EXPECT_FALSE(wnd.IsLogin());
  wnd.StartRecvAudio(41);
  wnd.StartRecvVideo(42);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return listener.events.size() == 5; }, 5000));
  EXPECT_EQ(listener.events, (std::vector<std::string>{"login 0", "login 1", "login 0", "audio 41 1", "video 42 1"}));
}

// A listener that ends the window (and its control) from inside the event.
class DeletingListener : public IAVListner {
 public:
  CLocalVideoWindow* pWnd = nullptr;
  int calls = 0;
  void OnLoginResult(long) override {
    ++calls;
    delete pWnd;
    pWnd = nullptr;
  }
  void OnRecvAudioResult(long, long) override {}
  void OnRecvVideoResult(long, long) override {}
};

TEST_F(VideoWindowTest, ListenerThatDeletesTheWindowDuringTheLoginEvent) {
  const int before = VideoCtlObjectCount();
  DeletingListener listener;
  listener.pWnd = new CLocalVideoWindow;
  ASSERT_TRUE(listener.pWnd->Create(nullptr, "local", WS_CHILD | WS_VISIBLE, kRect, &parent, 8067, nullptr));
  listener.pWnd->SetAVListner(&listener);
  HWND hWnd = listener.pWnd->m_hWnd;
  // From the control's timer, inside the message loop.
  listener.pWnd->Login(1, 2, 3, "x", 0);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return listener.calls > 0; }, 5000));
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(100));
  EXPECT_EQ(listener.calls, 1);
  EXPECT_FALSE(IsWindow(hWnd));
  EXPECT_EQ(VideoCtlObjectCount(), before);
}

TEST_F(VideoWindowTest, EventsWithoutListenerOnlyUpdateTheLoginFlag) {
  CLocalVideoWindow wnd;
  ASSERT_TRUE(wnd.Create(nullptr, "local", WS_CHILD | WS_VISIBLE, kRect, &parent, 8067, nullptr));
  EXPECT_EQ(VideoCtlFireEvent(wnd.m_hWnd, 1, 1, 7, 0), S_OK);
  EXPECT_TRUE(wnd.IsLogin());
  EXPECT_EQ(VideoCtlFireEvent(wnd.m_hWnd, 2, 2, 1, 2), S_OK);
  EXPECT_EQ(VideoCtlFireEvent(wnd.m_hWnd, 3, 2, 1, 2), S_OK);
  EXPECT_TRUE(wnd.IsLogin());
}

TEST_F(VideoWindowTest, EventsOfAnotherChildIdentifierMissTheHandlers) {
  CLocalVideoWindow wnd;
  RecordingListener listener;
  ASSERT_TRUE(wnd.Create(nullptr, "local", WS_CHILD | WS_VISIBLE, kRect, &parent, 8068, nullptr));
  wnd.SetAVListner(&listener);
  EXPECT_EQ(VideoCtlFireEvent(wnd.m_hWnd, 1, 1, 1, 0), S_OK);
  EXPECT_FALSE(wnd.IsLogin());
  EXPECT_TRUE(listener.events.empty());
}

TEST_F(VideoWindowTest, CreateWithAnotherClassNameStillHostsTheControl) {
  CRemoteVideoWindow wnd;
  ASSERT_TRUE(wnd.Create("Button", "remote", WS_CHILD | WS_VISIBLE, kRect, &parent, 12, nullptr));
  char name[64] = {};
  GetClassNameA(wnd.m_hWnd, name, sizeof(name));
  EXPECT_STREQ(name, "VideoCtlStandIn");
  wnd.PutUserID(9);
  EXPECT_EQ(wnd.GetUserID(), 9u);
}

TEST_F(VideoWindowTest, WindowIsSubclassedAndPaintsThroughDrawView) {
  CCountingLocalWindow wnd;
  ASSERT_TRUE(wnd.Create(nullptr, "local", WS_CHILD | WS_VISIBLE, kRect, &parent, 8067, nullptr));
  EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd.m_hWnd, GWLP_WNDPROC)), &AfxWndProc);
  wnd.Invalidate();
  wnd.UpdateWindow();
  EXPECT_GE(wnd.draws, 1);
  // The background is never erased.
  CClientDC dc(&wnd);
  EXPECT_EQ(wnd.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC)), 0);
}

TEST_F(VideoWindowTest, CreateWithPersistenceAndLicenceKey) {
  testkit::TempDir dir;
  const std::string path = dir.file("state.bin");
  ASSERT_TRUE(testkit::WriteFileBytes(path, "local-state"));
  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
  BSTR key = SysAllocString(L"LIC");
  CLocalVideoWindow wnd;
  ASSERT_TRUE(wnd.Create("local", WS_CHILD, kRect, &parent, 8067, &file, FALSE, key));
  SysFreeString(key);
  const int length = VideoCtlReadLog(wnd.m_hWnd, nullptr, 0);
  std::string log(static_cast<std::size_t>(length) + 1, '\0');
  VideoCtlReadLog(wnd.m_hWnd, &log[0], length + 1);
  EXPECT_NE(log.find("licence LIC\n"), std::string::npos) << log;
  EXPECT_NE(log.find("load stream local-state\n"), std::string::npos) << log;
}

TEST_F(VideoWindowTest, FailedCreationLeavesNoWindow) {
  CLocalVideoWindow wnd;
  CWnd noWindow;
  EXPECT_FALSE(wnd.Create(nullptr, "local", WS_CHILD, kRect, &noWindow, 8067, nullptr));
  EXPECT_EQ(wnd.m_hWnd, nullptr);
  EXPECT_EQ(wnd.m_pCtrlSite, nullptr);
}

TEST_F(VideoWindowTest, DestroyingTheWindowEndsTheControl) {
  const int before = VideoCtlObjectCount();
  {
    CLocalVideoWindow wnd;
    ASSERT_TRUE(wnd.Create(nullptr, "local", WS_CHILD | WS_VISIBLE, kRect, &parent, 8067, nullptr));
    EXPECT_EQ(VideoCtlObjectCount(), before + 1);
  }
  EXPECT_EQ(VideoCtlObjectCount(), before);
}

// The windows hosting a control that behaves as framework-made controls do
// (FwCtl), registered in this process under the video controls' classes.
class FrameworkControlVideoWindowTest : public VideoWindowTest {
 protected:
  void SetUp() override {
    VideoWindowTest::SetUp();
    FwCtlSetBehaviour(0);
    FwCtlClearLog();
    for (const CLSID* clsid : {&CLSID_VideoCtlLocal, &CLSID_VideoCtlRemote}) {
      DWORD cookie = 0;
      ASSERT_TRUE(SUCCEEDED(
          CoRegisterClassObject(*clsid, FwCtlClassFactory(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie)));
      cookies.push_back(cookie);
    }
  }
  void TearDown() override {
    FwCtlSetBehaviour(0);
    for (DWORD cookie : cookies) CoRevokeClassObject(cookie);
    VideoWindowTest::TearDown();
  }
  std::string AllLog() {
    const int length = FwCtlReadLog(nullptr, nullptr, 0);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    FwCtlReadLog(nullptr, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
  }
  std::vector<DWORD> cookies;
};

TEST_F(FrameworkControlVideoWindowTest, ListenerThatDeletesTheWindowInsideTheControlsOwnEvent) {
  const int before = FwCtlObjectCount();
  DeletingListener listener;
  listener.pWnd = new CLocalVideoWindow;
  ASSERT_TRUE(listener.pWnd->Create(nullptr, "local", WS_CHILD | WS_VISIBLE, kRect, &parent, 8067, nullptr));
  EXPECT_EQ(FwCtlObjectCount(), before + 1);
  listener.pWnd->SetAVListner(&listener);
  HWND hWnd = listener.pWnd->m_hWnd;
  VARIANT result;
  VariantInit(&result);
  result.vt = VT_I4;
  result.lVal = 1;
  EXPECT_EQ(FwCtlFire(hWnd, 1, 1, &result), S_OK);
  EXPECT_EQ(listener.calls, 1);
  EXPECT_FALSE(IsWindow(hWnd));
  const std::string log = AllLog();
  EXPECT_EQ(log.find("destroyed inside its own event"), std::string::npos) << log;
  EXPECT_EQ(log.find("event returned into a destroyed control"), std::string::npos) << log;
  EXPECT_TRUE(testkit::PumpMessagesUntil([&] { return FwCtlObjectCount() == before; }, 5000));
}

TEST_F(FrameworkControlVideoWindowTest, WindowThatCannotBeSubclassedAgainFailsTheCreation) {
  // The control makes a new window when its caption is set, so the handle
  // the creation linked is gone before it is subclassed.
  FwCtlSetBehaviour(kFwCtlRecreateOnCaption);
  const int before = FwCtlObjectCount();
  CLocalVideoWindow local;
  EXPECT_FALSE(local.Create(nullptr, "local", WS_CHILD | WS_VISIBLE, kRect, &parent, 8067, nullptr));
  EXPECT_EQ(local.m_hWnd, nullptr);
  EXPECT_EQ(local.m_pCtrlSite, nullptr);
  CRemoteVideoWindow remote;
  EXPECT_FALSE(remote.Create("remote", WS_CHILD | WS_VISIBLE, kRect, &parent, 12));
  EXPECT_EQ(remote.m_hWnd, nullptr);
  EXPECT_EQ(remote.m_pCtrlSite, nullptr);
  EXPECT_NE(AllLog().find("window recreated"), std::string::npos);
  // No control and no window is left behind.
  EXPECT_EQ(FwCtlObjectCount(), before);
  EXPECT_EQ(::GetWindow(parent.m_hWnd, GW_CHILD), nullptr);
  // Without a caption nothing is recreated and the window is made.
  EXPECT_TRUE(local.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, kRect, &parent, 8067, nullptr));
  EXPECT_EQ(CWnd::FromHandlePermanent(local.m_hWnd), &local);
}

TEST_F(FrameworkControlVideoWindowTest, NothingThrownOutOfTheWindowsReachesTheHost) {
  CLocalVideoWindow local;
  ASSERT_TRUE(local.Create(nullptr, "local", WS_CHILD | WS_VISIBLE, kRect, &parent, 8067, nullptr));
  CRemoteVideoWindow remote;
  ASSERT_TRUE(remote.Create("remote", WS_CHILD | WS_VISIBLE, kRect, &parent, 12));
  FwCtlSetBehaviour(kFwCtlThrowFromInvoke);
  EXPECT_NO_THROW({
    EXPECT_EQ(local.StartVideoCapture(1, 2, 3), 0);
    local.StopVideoCapture();
    EXPECT_EQ(local.SetVideoEncoderParam(1, 2, 3), 0);
    local.ShowVideoPropertyPage(0);
    local.EnableShowLocalVideo(1);
    EXPECT_EQ(local.StartAudioCapture(0), 0);
    local.StopAudioCapture();
    EXPECT_EQ(local.StartAudioPlayer(0), 0);
    local.StopAudioPlayer();
    EXPECT_EQ(local.Login(1, 2, 3, "x", 0), 0);
    local.Logout();
    EXPECT_EQ(local.StartRecvVideo(1), 0);
    local.StopRecvVideo(1);
    EXPECT_EQ(local.StartRecvAudio(1), 0);
    local.StopRecvAudio(1);
    local.EnableSendVideo(1);
    local.EnableSendAudio(1);
    EXPECT_EQ(local.get_VideoCapDeviceCount(), 0);
    EXPECT_STREQ(local.get_VideoCapDeviceName(0), "");
    EXPECT_EQ(local.get_AudioCapDeviceCount(), 0);
    EXPECT_STREQ(local.get_AudioCapDeviceName(0), "");
    EXPECT_EQ(local.get_AudioPlayDevCount(), 0);
    EXPECT_STREQ(local.get_AudioPlayDeviceName(0), "");
    EXPECT_EQ(remote.GetUserID(), 0u);
    remote.PutUserID(5);
    EXPECT_EQ(remote.GetVisible(), 0);
    remote.PutVisible(1);
  });
  // Every call did reach the control.
  const std::string log = AllLog();
  std::size_t invokes = 0;
  for (std::size_t at = log.find("invoke "); at != std::string::npos; at = log.find("invoke ", at + 1)) ++invokes;
  EXPECT_EQ(invokes, 27u) << log;
}

}  // namespace
