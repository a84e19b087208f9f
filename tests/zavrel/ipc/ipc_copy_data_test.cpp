// CIPCSendCopyData and CIPCRecvCopyData between windows of this process.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/zavrel/ipc/recording_sinks.h"
#include "zavrel/ipc/ipc_recv_copy_data.h"
#include "zavrel/ipc/ipc_send_copy_data.h"

namespace {

const RECT kZero = {0, 0, 0, 0};

// A window that hands its WM_COPYDATA to a CIPCRecvCopyData.
class ReceiverWnd : public CWnd {
 public:
  CIPCRecvCopyData recv;
  std::vector<BOOL> answers;
  int copyDataMessages = 0;

 protected:
  afx_msg BOOL OnCopyData(CWnd*, COPYDATASTRUCT* pCds) {
    ++copyDataMessages;
    const BOOL answer = recv.OnCopyData(reinterpret_cast<HWND>(GetCurrentMessage()->wParam), pCds) ? TRUE : FALSE;
    answers.push_back(answer);
    return answer;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ReceiverWnd, CWnd)
ON_WM_COPYDATA()
END_MESSAGE_MAP()

class CopyDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(receiver.CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0));
    ASSERT_TRUE(client.CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0));
    ASSERT_TRUE(receiver.recv.SetChannelMessageSink(sinks.Unknown()));
    sender.SetServerHwnd(receiver.GetSafeHwnd());
    sender.SetClientHwnd(client.GetSafeHwnd());
  }
  ReceiverWnd receiver;
  CWnd client;
  RecordingSinks sinks;
  CIPCSendCopyData sender;
};

// A sink object that answers no interface.
class Mute : public IUnknownEx {
 public:
  bool IsValid() override { return true; }
  bool Release() override { return true; }
  void* QueryInterface(const IID&, DWORD) override { return nullptr; }
};

}  // namespace

TEST_F(CopyDataTest, RecordReachesTheSinkWithTheBodySizeAndTheSender) {
  const char body[] = "hello";
  ASSERT_TRUE(sender.SendData(3, 4, body, 5));
  ASSERT_EQ(1u, sinks.records.size());
  const ReceivedRecord& r = sinks.records[0];
  EXPECT_EQ(3, r.main);
  EXPECT_EQ(4, r.sub);
  EXPECT_EQ(5, r.headSize);
  EXPECT_EQ("hello", r.body);
  EXPECT_EQ(client.GetSafeHwnd(), r.sender);
  EXPECT_EQ(std::vector<BOOL>{TRUE}, receiver.answers);
}

TEST_F(CopyDataTest, EightByteRecordHasANullBody) {
  ASSERT_TRUE(sender.SendData(3, 4));
  ASSERT_TRUE(sender.SendData(3, 5, nullptr, 77));  // no body pointer: the size is ignored
  ASSERT_EQ(2u, sinks.records.size());
  for (const auto& r : sinks.records) {
    EXPECT_TRUE(r.bodyWasNull);
    EXPECT_EQ(0, r.headSize);
  }
}

TEST_F(CopyDataTest, BodyOf40960GoesAndOneByteMoreIsRefusedUnsent) {
  std::vector<char> big(IPC_PACKAGE + 1, 'z');
  ASSERT_TRUE(sender.SendData(1, 1, big.data(), IPC_PACKAGE));
  ASSERT_EQ(1u, sinks.records.size());
  EXPECT_EQ(IPC_PACKAGE, sinks.records[0].headSize);
  EXPECT_EQ(std::string(IPC_PACKAGE, 'z'), sinks.records[0].body);
  EXPECT_FALSE(sender.SendData(1, 2, big.data(), IPC_PACKAGE + 1));
  EXPECT_EQ(1, receiver.copyDataMessages);  // nothing was sent
}

TEST_F(CopyDataTest, MalformedCopyDataNeverReachesTheSink) {
  std::vector<unsigned char> rec(64, 0);
  auto head = [&](WORD version, WORD size) {
    const IPC_Head h = {version, size, 7, 7};
    std::memcpy(rec.data(), &h, sizeof(h));
  };
  HWND target = receiver.GetSafeHwnd();
  head(1, 8);
  EXPECT_TRUE(sender.SendIPCData(2, rec.data(), 8));  // raw data of another kind
  EXPECT_TRUE(sender.Send(target, IPC_IDENTIFIER, rec.data(), 4));
  head(2, 8);
  EXPECT_TRUE(sender.Send(target, IPC_IDENTIFIER, rec.data(), 8));
  head(1, 20);
  EXPECT_TRUE(sender.Send(target, IPC_IDENTIFIER, rec.data(), 24));
  EXPECT_TRUE(sinks.records.empty());
  EXPECT_EQ(4, receiver.copyDataMessages);
  for (BOOL a : receiver.answers) EXPECT_FALSE(a);
  // Null structure and no sink.
  EXPECT_FALSE(receiver.recv.OnCopyData(client.GetSafeHwnd(), nullptr));
  CIPCRecvCopyData noSink;
  head(1, 8);
  COPYDATASTRUCT cds = {IPC_IDENTIFIER, 8, rec.data()};
  EXPECT_FALSE(noSink.OnCopyData(client.GetSafeHwnd(), &cds));
  EXPECT_TRUE(receiver.recv.OnCopyData(client.GetSafeHwnd(), &cds));
}

TEST_F(CopyDataTest, GetIPCDataSplitsAndChecks) {
  std::vector<unsigned char> rec(12, 0x33);
  const IPC_Head h = {1, 12, 5, 6};
  std::memcpy(rec.data(), &h, sizeof(h));
  COPYDATASTRUCT cds = {IPC_IDENTIFIER, 12, rec.data()};
  IPC_Head out;
  const void* body = nullptr;
  WORD size = 0;
  ASSERT_TRUE(receiver.recv.GetIPCData(out, body, size, &cds));
  EXPECT_EQ(4, size);
  EXPECT_EQ(4, out.wDataSize);
  EXPECT_EQ(rec.data() + 8, body);
  cds.dwData = 2;
  EXPECT_FALSE(receiver.recv.GetIPCData(out, body, size, &cds));
  EXPECT_FALSE(receiver.recv.GetIPCData(out, body, size, nullptr));
}

TEST_F(CopyDataTest, StaleServerHandleClearsAndRefuses) {
  EXPECT_TRUE(sender.IsConnect());
  CWnd gone;
  ASSERT_TRUE(gone.CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0));
  HWND stale = gone.GetSafeHwnd();
  gone.DestroyWindow();
  EXPECT_FALSE(sender.SetServerHwnd(stale));
  EXPECT_EQ(nullptr, sender.GetServerHwnd());
  EXPECT_FALSE(sender.IsConnect());
  EXPECT_FALSE(sender.SendData(1, 1));
  EXPECT_FALSE(sender.SendIPCData(1, "x", 1));
  EXPECT_FALSE(sender.Send(stale, 1, "x", 1));
  EXPECT_EQ(0, receiver.copyDataMessages);

  CIPCSendCopyData built(stale, client.GetSafeHwnd());
  EXPECT_EQ(nullptr, built.GetServerHwnd());
  EXPECT_EQ(client.GetSafeHwnd(), built.GetClientHwnd());
  EXPECT_FALSE(built.SetClientHwnd(stale));
  EXPECT_EQ(nullptr, built.GetClientHwnd());

  // A copy takes both handles.
  CIPCSendCopyData copy(sender);
  copy.SetServerHwnd(receiver.GetSafeHwnd());
  CIPCSendCopyData second;
  second = copy;
  EXPECT_EQ(receiver.GetSafeHwnd(), second.GetServerHwnd());
  EXPECT_EQ(client.GetSafeHwnd(), second.GetClientHwnd());
}

TEST_F(CopyDataTest, ServerFoundByWindowClassName) {
  static const bool registered = [] {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "IpcTestServerClass";
    return RegisterClassA(&wc) != 0;
  }();
  ASSERT_TRUE(registered);
  CIPCSendCopyData byName;
  EXPECT_FALSE(byName.SetServerHwnd("IpcTestServerClass"));
  EXPECT_FALSE(byName.SetServerHwnd(static_cast<LPCSTR>(nullptr)));
  HWND top = CreateWindowExA(0, "IpcTestServerClass", "t", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, top);
  EXPECT_TRUE(byName.SetServerHwnd("IpcTestServerClass"));
  EXPECT_EQ(top, byName.GetServerHwnd());
  DestroyWindow(top);
}

TEST_F(CopyDataTest, SinkChoiceFollowsTheQuery) {
  Mute mute;
  EXPECT_FALSE(receiver.recv.SetChannelMessageSink(&mute));
  EXPECT_EQ(nullptr, receiver.recv.GetChannelMessageSink());
  EXPECT_TRUE(sender.SendData(1, 1));
  EXPECT_TRUE(sinks.records.empty());
  EXPECT_FALSE(receiver.recv.SetChannelMessageSink(nullptr));
  EXPECT_TRUE(receiver.recv.SetChannelMessageSink(sinks.Unknown()));
  EXPECT_EQ(static_cast<IChannelMessageSink*>(&sinks), receiver.recv.GetChannelMessageSink());
}
