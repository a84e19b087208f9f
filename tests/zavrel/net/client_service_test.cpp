// CClientService with the real Nuvrell.dll against the local hall server.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "afx/afx_thread.h"
#include "afx/afx_wnd.h"
#include "base/win_owners.h"
#include "support/ormlace/skin_message_box.h"
#include "tests/testkit/testkit.h"
#include "tests/zavrel/net/net_lab.h"
#include "zavrel/net/client_service.h"
#include "zavrel/net/client_service_factory.h"

namespace {

const char kCaption[] = "\xBF\xCD\xBB\xA7\xB6\xCB\xB7\xFE\xCE\xF1";  // 客户端服务 (GBK)
// 没能联接上服务器，请检查你的系统是否成功连接上网络,或防火墙设置！ (GBK)
const char kRefusedText[] =
    "\xC3\xBB\xC4\xDC\xC1\xAA\xBD\xD3\xC9\xCF\xB7\xFE\xCE\xF1\xC6\xF7\xA3\xAC\xC7\xEB\xBC\xEC\xB2\xE9\xC4\xE3\xB5\xC4"
    "\xCF\xB5\xCD\xB3\xCA\xC7\xB7\xF1\xB3\xC9\xB9\xA6\xC1\xAC\xBD\xD3\xC9\xCF\xCD\xF8\xC2\xE7,\xBB\xF2\xB7\xC0\xBB\xF0"
    "\xC7\xBD\xC9\xE8\xD6\xC3\xA3\xA1";

struct Box {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
  int param;
};

// Takes every skinned box of the test; none reaches the screen.
class BoxCapture {
 public:
  BoxCapture() { SetSkinMessageBoxHook(&BoxCapture::Hook, this); }
  BoxCapture(const BoxCapture&) = delete;
  BoxCapture& operator=(const BoxCapture&) = delete;
  ~BoxCapture() { SetSkinMessageBoxHook(nullptr, nullptr); }
  std::vector<Box> boxes;

 private:
  static int Hook(void* context, HWND hOwner, LPCSTR text, LPCSTR caption, UINT type, int param) {
    static_cast<BoxCapture*>(context)->boxes.push_back({hOwner, text, caption, type, param});
    return IDOK;
  }
};

struct Received {
  WORD main;
  WORD sub;
  std::string body;
};

unsigned SeqOf(const std::string& body) {
  if (body.size() < 4) return 0xFFFFFFFF;
  return static_cast<unsigned char>(body[0]) | (static_cast<unsigned char>(body[1]) << 8) |
         (static_cast<unsigned char>(body[2]) << 16) |
         (static_cast<unsigned>(static_cast<unsigned char>(body[3])) << 24);
}

// A host's service: records the hooks and reconnects after reconnectMs
// instead of 30 s.
class TestService : public CClientService {
 public:
  using CClientService::m_nMaxReconnectCount;
  using CClientService::m_nReconnectCount;
  using CClientService::m_nReconnectInterval;
  using CClientService::m_nReconnectTimerID;
  using CClientService::m_strServerAddress;
  using CClientService::m_wServerPort;
  using CClientService::ShowErrorInfo;
  using CClientService::StartReconnectTimer;
  using CClientService::StopReconnectTimer;

  int reconnectMs = 50;
  int succeeded = 0;
  int timerStarts = 0;
  int restarts = 0;
  std::vector<std::string> failures;
  std::vector<Received> messages;

  bool RestartService() override {
    ++restarts;
    return CClientService::RestartService();
  }

 protected:
  bool OnConnectSucced() override {
    ++succeeded;
    return true;
  }
  bool OnConnectFailed(LPCSTR pszErrorDesc) override {
    failures.push_back(pszErrorDesc);
    return CClientService::OnConnectFailed(pszErrorDesc);
  }
  bool OnNetMessage(CMD_Command Command, void* pBuffer, WORD wDataSize) override {
    messages.push_back({Command.wMainCmdID, Command.wSubCmdID,
                        std::string(static_cast<const char*>(pBuffer), pBuffer ? wDataSize : 0)});
    return true;
  }
  void StartReconnectTimer() override {
    ++timerStarts;
    CClientService::StartReconnectTimer(reconnectMs);
  }
};

bool Pump(const std::function<bool()>& done, DWORD ms = 15000) { return testkit::PumpMessagesUntil(done, ms); }

#define START_LAB(lab) ASSERT_TRUE((lab).Start()) << (lab).Error()

}  // namespace

TEST(ClientService, FreshServiceAnswersItsInterfaces) {
  TestService service;
  EXPECT_EQ("CClientService", service.GetClassNameA());
  EXPECT_EQ("", service.GetServiceName());
  EXPECT_FALSE(service.IsEnableReconnect());
  EXPECT_TRUE(service.IsEnableProxy());
  EXPECT_FALSE(service.IsLogin());
  EXPECT_TRUE(service.IsDisconnect());
  EXPECT_FALSE(service.IsConnected());
  EXPECT_EQ(30000, service.m_nReconnectInterval);
  EXPECT_EQ(5, service.m_nMaxReconnectCount);
  EXPECT_EQ(0xFFFFFFFFu, service.m_nReconnectTimerID);
  EXPECT_NE(nullptr, service.GetClientSocket());

  IClientSocketSink* sink = &service;
  EXPECT_EQ(sink, service.QueryInterface(IID_IClientSocketSink, 0x01010100));
  EXPECT_EQ(sink, service.QueryInterface(IID_IUnknownEx, 0x01010005));
  EXPECT_EQ(nullptr, service.QueryInterface(IID_IClientSocketSink, 0x01010200));
  EXPECT_EQ(nullptr, service.QueryInterface(IID_IClientSocket, 0x01010100));
  EXPECT_TRUE(service.IsValid());
  // The socket has the service as its sink.
  EXPECT_EQ(static_cast<IUnknownEx*>(sink), service.GetClientSocket()->GetSocketSink());

  service.SetServiceName("login");
  service.SetClassName("CLoginService");
  service.SetLogin(true);
  service.DisableProxy();
  EXPECT_EQ("login", service.GetServiceName());
  EXPECT_EQ("CLoginService", service.GetClassNameA());
  EXPECT_TRUE(service.GetLogin());
  EXPECT_FALSE(service.IsEnableProxy());
  service.SetServerAddress("10.0.0.1", 9000);
  EXPECT_EQ("10.0.0.1", service.m_strServerAddress);
  EXPECT_EQ(9000, service.m_wServerPort);
  EXPECT_TRUE(service.IsDisconnect());  // storing connects nothing

  CClientService* heap = new CClientService();
  EXPECT_TRUE(heap->Release());
}

TEST(ClientService, FactoryMakesPlainServices) {
  CClientServiceFactory factory;
  EXPECT_EQ("CClientServiceFactory", factory.getType());
  EXPECT_EQ(&factory.getType(), &CClientServiceFactory().getType());
  CClientService* a = factory.createInstance("");
  CClientService* b = factory.createInstance("anything");
  ASSERT_NE(nullptr, a);
  ASSERT_NE(nullptr, b);
  EXPECT_NE(a, b);
  EXPECT_EQ("CClientService", b->GetClassNameA());
  EXPECT_EQ(nullptr, factory.cloneInstance(*a));
  factory.destroyInstance(a);
  factory.destroyInstance(b);
  factory.destroyInstance(nullptr);
}

namespace {

// Runs a copy of this program, with the DLLs beside it except Nuvrell.dll
// (replaced by `socketModule` when given), on one test with
// ZAVREL_NET_CHILD=mode; its exit code, or 99.
DWORD RunChild(const std::string& test, const char* mode, const char* socketModule) {
  testkit::TempDir dir;
  namespace fs = std::filesystem;
  const fs::path bin = testkit::TestBinaryDir();
  for (const auto& entry : fs::directory_iterator(bin)) {
    const std::string name = entry.path().filename().string();
    const bool dll = entry.path().extension() == ".dll" || entry.path().extension() == ".DLL";
    if ((dll && name != "Nuvrell.dll") || name == "net_tests.exe") fs::copy_file(entry.path(), dir.path() / name);
  }
  if (socketModule) fs::copy_file(bin / socketModule, dir.path() / "Nuvrell.dll");
  std::string command = "\"" + (dir.path() / "net_tests.exe").string() + "\" --gtest_filter=" + test;
  if (!SetEnvironmentVariableA("ZAVREL_NET_CHILD", mode)) return 99;
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  const BOOL started =
      CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir.path().string().c_str(), &si, &pi);
  SetEnvironmentVariableA("ZAVREL_NET_CHILD", nullptr);
  if (!started) return 99;
  const UniqueHandle process(pi.hProcess);
  const UniqueHandle thread(pi.hThread);
  const DWORD waited = WaitForSingleObject(process.get(), 40000);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.get(), 99);
  DWORD code = 99;
  GetExitCodeProcess(process.get(), &code);
  // The child leaves a mark, so a filter that matched nothing cannot pass.
  if (code == 0 && !fs::exists(dir.path() / "child-ran")) return 98;
  return code;
}

// True in the child of the given mode, which then marks its folder.
bool IsChild(const char* mode) {
  char value[16] = {};
  if (!GetEnvironmentVariableA("ZAVREL_NET_CHILD", value, sizeof(value)) || std::strcmp(value, mode) != 0) return false;
  testkit::WriteFileBytes("child-ran", "1");
  return true;
}

}  // namespace

// The child halves of the next two tests; they do nothing in a normal run.
TEST(ClientService, ChildWithoutSocketModule) {
  if (!IsChild("missing")) return;
  const std::string expected =
      "Nuvrell.dll \xBC\xD3\xD4\xD8\xCA\xA7\xB0\xDC\xA3\xAC\xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB\xA3\xBA"
      "126 \xA3\xA1";
  std::string caught = "<no throw>";
  try {
    CClientService service;
  } catch (char* message) {
    caught = message;
  }
  EXPECT_EQ(expected, caught);
  caught = "<no throw>";
  CClientServiceFactory factory;
  try {
    factory.createInstance("x");
  } catch (char* message) {
    caught = message;
  }
  EXPECT_EQ(expected, caught);
}

TEST(ClientService, ChildWithThrowingSocket) {
  if (!IsChild("throwing")) return;
  BoxCapture boxes;
  CClientService service;
  EXPECT_FALSE(service.StartService("somewhere", 1));
  EXPECT_FALSE(service.StartService("somewhere", 2));
  ASSERT_EQ(2u, boxes.boxes.size());
  EXPECT_EQ("socket says no", boxes.boxes[0].text);
  // 连接服务器的时候发生了未知错误! (GBK)
  EXPECT_EQ(
      "\xC1\xAC\xBD\xD3\xB7\xFE\xCE\xF1\xC6\xF7\xB5\xC4\xCA\xB1\xBA\xF2\xB7\xA2\xC9\xFA\xC1\xCB\xCE\xB4\xD6\xAA"
      "\xB4\xED\xCE\xF3!",
      boxes.boxes[1].text);
  EXPECT_EQ(kCaption, boxes.boxes[1].caption);
}

TEST(ClientService, ConstructionThrowsTheLoadersMessageWithoutTheSocketModule) {
  EXPECT_EQ(0u, RunChild("ClientService.ChildWithoutSocketModule", "missing", nullptr));
}

TEST(ClientService, ExceptionsFromTheSocketBecomeTheErrorBox) {
  EXPECT_EQ(0u, RunChild("ClientService.ChildWithThrowingSocket", "throwing", "ThrowingNuvrell.dll"));
}

TEST(ClientService, ConnectsAndHandsOnEveryMessageInOrder) {
  netlab::NetLab lab;
  lab.Hall("hall", "send 1000 3 4 24\necho\n");
  START_LAB(lab);
  BoxCapture boxes;
  TestService service;
  service.SetLogin(true);
  ASSERT_TRUE(service.StartService("127.0.0.1", lab.Port("hall")));
  EXPECT_FALSE(service.IsLogin());
  EXPECT_FALSE(service.IsConnected());
  EXPECT_FALSE(service.IsDisconnect());  // connecting is neither
  ASSERT_TRUE(Pump([&] { return service.succeeded == 1; }));
  EXPECT_TRUE(service.IsConnected());
  ASSERT_TRUE(Pump([&] { return service.messages.size() >= 1000; }));
  ASSERT_EQ(1000u, service.messages.size());
  for (unsigned i = 0; i < 1000; ++i) {
    ASSERT_EQ(3, service.messages[i].main);
    ASSERT_EQ(4, service.messages[i].sub);
    ASSERT_EQ(i, SeqOf(service.messages[i].body));
  }
  // The host sends through the service's socket.
  ASSERT_TRUE(service.GetClientSocket()->SendData(8, 9, "abc", 3));
  ASSERT_TRUE(Pump([&] { return service.messages.size() == 1001; }));
  EXPECT_EQ("abc", service.messages.back().body);

  // Already connected: refused, nothing stored, no box.
  EXPECT_FALSE(service.StartService("127.0.0.2", 1));
  EXPECT_EQ("127.0.0.1", service.m_strServerAddress);
  EXPECT_EQ(lab.Port("hall"), service.m_wServerPort);
  EXPECT_TRUE(service.IsConnected());
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_TRUE(service.failures.empty());
}

TEST(ClientService, EmptyAddressFailsWithoutABox) {
  BoxCapture boxes;
  TestService service;
  service.SetServerAddress("127.0.0.1", 5000);
  EXPECT_FALSE(service.StartService("", 5000));
  EXPECT_EQ("", service.m_strServerAddress);
  EXPECT_TRUE(service.RestartService());
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_TRUE(service.IsDisconnect());
}

TEST(ClientService, RefusedPortFailsAndEveryFailureRestartsTheCycle) {
  netlab::NetLab lab;
  lab.Closed("closed");
  START_LAB(lab);
  BoxCapture boxes;
  TestService service;
  service.EnableReconnect();
  ASSERT_TRUE(service.StartService("127.0.0.1", lab.Port("closed")));
  // Each failure starts the timer afresh, so attempts go on past the limit.
  ASSERT_TRUE(Pump([&] { return service.failures.size() >= 8; }, 30000));
  EXPECT_GE(service.restarts, 7);
  EXPECT_GE(service.timerStarts, 8);
  EXPECT_LT(service.m_nReconnectCount, service.m_nMaxReconnectCount);
  EXPECT_NE(std::string::npos, service.failures[0].find("10061"));
  EXPECT_TRUE(boxes.boxes.empty());  // failed outcomes are not shown
  EXPECT_EQ(0, service.succeeded);
}

TEST(ClientService, RefusedPortWithoutReconnectStaysIdle) {
  netlab::NetLab lab;
  lab.Closed("closed");
  START_LAB(lab);
  TestService service;
  service.SetLogin(true);
  ASSERT_TRUE(service.StartService("127.0.0.1", lab.Port("closed")));
  ASSERT_TRUE(Pump([&] { return service.failures.size() == 1; }));
  EXPECT_FALSE(service.IsLogin());
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(300));
  EXPECT_EQ(1u, service.failures.size());
  EXPECT_EQ(0, service.timerStarts);
  EXPECT_TRUE(service.IsDisconnect());
}

TEST(ClientService, DropWithReconnectComesBack) {
  netlab::NetLab lab;
  lab.Hall("hall", "connection 1\nsend 2\ndrop\nconnection *\nsend 1 9 9 4\necho\n");
  START_LAB(lab);
  TestService service;
  service.EnableReconnect();
  ASSERT_TRUE(service.StartService("127.0.0.1", lab.Port("hall")));
  ASSERT_TRUE(Pump([&] { return service.succeeded == 2 && service.messages.size() == 3; }));
  EXPECT_EQ(9, service.messages[2].main);
  EXPECT_EQ(1, service.restarts);
  EXPECT_TRUE(service.IsConnected());
  EXPECT_EQ(2, lab.CountLog("hall", "accept"));
}

TEST(ClientService, DropWithoutReconnectStaysIdle) {
  netlab::NetLab lab;
  lab.Hall("hall", "send 2\ndrop\n");
  START_LAB(lab);
  TestService service;
  ASSERT_TRUE(service.StartService("127.0.0.1", lab.Port("hall")));
  ASSERT_TRUE(Pump([&] { return service.messages.size() == 2 && service.IsDisconnect(); }));
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(300));
  EXPECT_EQ(0, service.timerStarts);
  EXPECT_EQ(0, service.restarts);
  EXPECT_EQ(1, lab.CountLog("hall", "accept"));
}

TEST(ClientService, MalformedFrameIsADrop) {
  netlab::NetLab lab;
  lab.Hall("hall", "connection 1\nsend 1\nmalformed huge\nconnection *\nsend 1 6 6 4\n");
  START_LAB(lab);
  TestService service;
  service.EnableReconnect();
  ASSERT_TRUE(service.StartService("127.0.0.1", lab.Port("hall")));
  ASSERT_TRUE(Pump([&] { return service.succeeded == 2 && service.messages.size() == 2; }));
  EXPECT_EQ(1, service.messages[0].main);
  EXPECT_EQ(6, service.messages[1].main);
}

TEST(ClientService, RefusalAtOnceShowsTheBoxAndTheFifthTickEndsTheTimer) {
  BoxCapture boxes;
  TestService service;
  EXPECT_FALSE(service.StartService("127.0.0.1", 0));  // the socket refuses port 0 at once
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(kRefusedText, boxes.boxes[0].text);
  EXPECT_EQ(kCaption, boxes.boxes[0].caption);
  EXPECT_EQ(0x10u, boxes.boxes[0].type);
  EXPECT_EQ(5, boxes.boxes[0].param);
  EXPECT_EQ(nullptr, boxes.boxes[0].owner);  // no framework thread object

  service.StartReconnectTimer(20);
  ASSERT_TRUE(Pump([&] { return boxes.boxes.size() == 6; }, 10000));
  EXPECT_EQ(5, service.restarts);
  EXPECT_EQ(5, service.m_nReconnectCount);
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(300));
  EXPECT_EQ(6u, boxes.boxes.size());  // the timer has stopped
  EXPECT_EQ(5, service.restarts);
}

TEST(ClientService, RestartServiceReconnectsAConnectedService) {
  netlab::NetLab lab;
  lab.Hall("hall", "echo");
  START_LAB(lab);
  TestService service;
  ASSERT_TRUE(service.StartService("localhost", lab.Port("hall")));
  ASSERT_TRUE(Pump([&] { return service.succeeded == 1; }));
  service.SetLogin(true);
  EXPECT_TRUE(service.RestartService());
  EXPECT_FALSE(service.IsLogin());
  EXPECT_FALSE(service.IsConnected());
  ASSERT_TRUE(Pump([&] { return service.succeeded == 2; }));
  // The client sees the connection before the server logs its accept.
  ASSERT_TRUE(Pump([&] { return lab.CountLog("hall", "close 1") == 1 && lab.CountLog("hall", "accept") == 2; }, 5000));
  EXPECT_EQ(1, lab.CountLog("hall", "close"));  // the old connection only

  // StopService closes without reporting back.
  EXPECT_TRUE(service.StopService());
  EXPECT_FALSE(service.StopService());
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(200));
  EXPECT_EQ(0, service.timerStarts);
}

TEST(ClientService, TickOfAReplacedTimerIsIgnored) {
  BoxCapture boxes;
  TestService service;
  service.SetServerAddress("127.0.0.1", 0);
  service.StartReconnectTimer(15);
  const UINT first = service.m_nReconnectTimerID;
  service.StartReconnectTimer(600000);
  EXPECT_NE(first, service.m_nReconnectTimerID);
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(300));  // the first timer would have ticked many times
  EXPECT_EQ(0, service.restarts);
  EXPECT_EQ(0, service.m_nReconnectCount);
  EXPECT_TRUE(boxes.boxes.empty());
  service.StopReconnectTimer();
}

namespace {

// Records every reconnect tick that reaches the service, ticks of replaced
// timers included.
class TickRecordingService : public TestService {
 public:
  std::vector<UINT> ticks;

  int TicksOf(UINT id) const { return static_cast<int>(std::count(ticks.begin(), ticks.end(), id)); }

 protected:
  void OnTimerEx(UINT nIDEvent) override {
    ticks.push_back(nIDEvent);
    TestService::OnTimerEx(nIDEvent);
  }
};

struct TickCounter : IUiTimerListener {
  int ticks = 0;
  void OnTimerEx(UINT) override { ++ticks; }
};

}  // namespace

TEST(ClientService, RestartedReconnectTimerStopsTheOldOne) {
  TickRecordingService service;  // no address: a restart connects nothing
  service.StartReconnectTimer(15);
  const UINT first = service.m_nReconnectTimerID;
  service.StartReconnectTimer(600000);
  const UINT second = service.m_nReconnectTimerID;
  EXPECT_NE(first, second);
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(300));
  EXPECT_EQ(0, service.TicksOf(first));
  EXPECT_EQ(0, service.restarts);

  service.StopReconnectTimer();
  EXPECT_EQ(0xFFFFFFFFu, service.m_nReconnectTimerID);
  service.StopReconnectTimer();  // nothing left to stop
  EXPECT_EQ(0xFFFFFFFFu, service.m_nReconnectTimerID);
}

// The system hands a stopped timer's identifier out again; the service must
// not stop the new owner's timer through its old record.
TEST(ClientService, StaleReconnectIdentifierNeverStopsAnotherTimer) {
  TickRecordingService service;
  service.StartReconnectTimer(600000);
  const UINT stale = service.m_nReconnectTimerID;
  ASSERT_NE(0u, stale);
  service.StopReconnectTimer();

  TickCounter counter;
  CUiTimer other;
  other.RegisterListener(&counter);
  UINT id = 0;
  for (int i = 0; i < 200000 && id != stale; ++i) {
    id = other.SetTimer(10);
    if (id != stale) other.KillTimer(id);
  }
  ASSERT_EQ(stale, id) << "the system never reused the identifier";

  service.StopReconnectTimer();
  service.StartReconnectTimer(600000);  // replacing stops only its own timer
  EXPECT_NE(stale, service.m_nReconnectTimerID);
  service.StopReconnectTimer();
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return counter.ticks >= 3; }, 3000));
  EXPECT_EQ(0, service.TicksOf(stale));
}

namespace {

// Ends itself inside a reconnect restart, as a host may while the restart's
// error box runs its message loop, and puts a new service in its place
// (which the heap may place where the old one was).
class SelfEndingService : public TickRecordingService {
 public:
  static int ended;
  bool endOnRestart = false;
  SelfEndingService** slot = nullptr;

  bool RestartService() override {
    if (!endOnRestart) return TickRecordingService::RestartService();
    SelfEndingService** where = slot;
    ++ended;
    delete this;
    auto* next = new SelfEndingService();
    next->StartReconnectTimer(20);
    next->m_nReconnectCount = next->m_nMaxReconnectCount;  // as if it had tried as often as allowed
    *where = next;
    return true;
  }
};

int SelfEndingService::ended = 0;

}  // namespace

TEST(ClientService, ServiceEndedDuringItsRestartIsNotTouchedAfterwards) {
  SelfEndingService::ended = 0;  // a repeated run starts afresh
  SelfEndingService* service = new SelfEndingService();
  service->endOnRestart = true;
  service->slot = &service;
  service->StartReconnectTimer(15);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return SelfEndingService::ended == 1; }, 3000));
  const UINT id = service->m_nReconnectTimerID;
  ASSERT_NE(0xFFFFFFFFu, id);
  // The new service's timer runs on (nothing of the ended one stopped it)
  // until its own first tick reaches the attempt limit.
  EXPECT_TRUE(testkit::PumpMessagesUntil([&] { return service->TicksOf(id) == 1; }, 3000));
  EXPECT_EQ(1, service->restarts);
  service->Release();
}

TEST(ClientService, ConnectsThroughAProxy) {
  netlab::NetLab lab;
  lab.Hall("hall", "send 1 4 4 4");
  lab.Dante("dante");
  lab.Closed("closed");
  START_LAB(lab);
  TestService service;
  tagProxyInfo proxy{};
  proxy.cbProxyType = ProxyType_Socks5;
  proxy.wProxyPort = lab.Port("dante");
  std::strcpy(proxy.szProxyServer, "127.0.0.1");
  service.SetProxy(proxy);
  ASSERT_TRUE(service.StartService("127.0.0.1", lab.Port("hall")));
  ASSERT_TRUE(Pump([&] { return service.messages.size() == 1; }));
  EXPECT_EQ(1, service.succeeded);
  EXPECT_EQ(lab.Port("dante"), service.GetClientSocket()->GetServerPort());

  // A proxy that cannot reach the target: a failed outcome with its text.
  ASSERT_TRUE(service.StopService());
  ASSERT_TRUE(service.StartService("127.0.0.1", lab.Port("closed")));
  ASSERT_TRUE(Pump([&] { return service.failures.size() == 1; }));
  // "目标服务器拒绝了代理服务器的连接" (GBK)
  EXPECT_EQ(
      "\xC4\xBF\xB1\xEA\xB7\xFE\xCE\xF1\xC6\xF7\xBE\xDC\xBE\xF8\xC1\xCB\xB4\xFA\xC0\xED\xB7\xFE\xCE\xF1\xC6\xF7\xB5\xC4"
      "\xC1\xAC\xBD\xD3",
      service.failures[0]);
}

TEST(ClientService, ErrorBoxBelongsToTheThreadsMainWindow) {
  BoxCapture boxes;
  TestService service;
  HWND hwnd = CreateWindowExA(0, "STATIC", "main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, hwnd);
  {
    CWinApp app("net_tests");
    CWnd main;
    ASSERT_TRUE(main.Attach(hwnd));
    app.m_pMainWnd = &main;
    service.ShowErrorInfo("text one");
    app.m_pMainWnd = nullptr;
    main.Detach();
  }
  service.ShowErrorInfo("text two");
  DestroyWindow(hwnd);
  ASSERT_EQ(2u, boxes.boxes.size());
  EXPECT_EQ(hwnd, boxes.boxes[0].owner);
  EXPECT_EQ("text one", boxes.boxes[0].text);
  EXPECT_EQ(kCaption, boxes.boxes[0].caption);
  EXPECT_EQ(nullptr, boxes.boxes[1].owner);
}
