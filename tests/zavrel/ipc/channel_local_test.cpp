// CChannelService: two ends in this process, on this thread.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/testkit/testkit.h"
#include "tests/zavrel/ipc/recording_sinks.h"
#include "zavrel/component/create_functions.h"
#include "zavrel/ipc/channel_service.h"
#include "zavrel/ipc/ipc_send_copy_data.h"

namespace {

IChannelService* NewChannel() {
  return static_cast<IChannelService*>(CreateChannelService(IID_IChannelService, ZAVREL_INTERFACE_VERSION));
}

HWND WindowOf(IChannelService* p) { return static_cast<CChannelService*>(p)->GetSafeHwnd(); }

// Two connected ends, A (the hall) and B (the game), with their sinks.
class LocalChannels : public ::testing::Test {
 protected:
  void SetUp() override {
    a = NewChannel();
    b = NewChannel();
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    ASSERT_TRUE(a->SetChannelEventSink(sinksA.Unknown()));
    ASSERT_TRUE(a->SetChannelMessageSink(sinksA.Unknown()));
    ASSERT_TRUE(b->SetChannelEventSink(sinksB.Unknown()));
    ASSERT_TRUE(b->SetChannelMessageSink(sinksB.Unknown()));
    // The documented sequence: A makes its window, B connects to it, A
    // connects to B and gets the reply.
    EXPECT_FALSE(a->Connect(nullptr));
    ASSERT_NE(nullptr, WindowOf(a));
    EXPECT_TRUE(b->Connect(WindowOf(a)));  // dropped by A: not its peer yet
    EXPECT_TRUE(a->Connect(WindowOf(b)));
    ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return sinksA.Count(ChannelEvent::kConnectReply) == 1; }, 3000));
    ASSERT_TRUE(testkit::PumpUntilIdle());
    sinksA.events.clear();
    sinksB.events.clear();
  }
  void TearDown() override {
    if (a) a->Release();
    if (b) b->Release();
  }
  IChannelService* a = nullptr;
  IChannelService* b = nullptr;
  RecordingSinks sinksA, sinksB;
};

}  // namespace

TEST(ChannelService, CreationAnswersByTheQueryRule) {
  IChannelService* ch = NewChannel();
  ASSERT_NE(nullptr, ch);
  EXPECT_TRUE(ch->IsValid());
  EXPECT_EQ(ch, ch->QueryInterface(IID_IUnknownEx, 0x01010000));
  EXPECT_EQ(ch, ch->QueryInterface(IID_IChannelService, 0x010101FF));
  void* sink = ch->QueryInterface(IID_IChannelMessageSink, ZAVREL_INTERFACE_VERSION);
  EXPECT_EQ(static_cast<IChannelMessageSink*>(static_cast<CChannelService*>(ch)), sink);
  EXPECT_EQ(nullptr, ch->QueryInterface(IID_IChannelEventSink, ZAVREL_INTERFACE_VERSION));
  EXPECT_EQ(nullptr, ch->QueryInterface(IID_IChannelService, 0x01010200));
  EXPECT_TRUE(ch->Release());

  void* viaSink = CreateChannelService(IID_IChannelMessageSink, ZAVREL_INTERFACE_VERSION);
  ASSERT_NE(nullptr, viaSink);
  EXPECT_TRUE(static_cast<IChannelMessageSink*>(viaSink)->Release());
  EXPECT_EQ(nullptr, CreateChannelService(IID_IGameRankTable, ZAVREL_INTERFACE_VERSION));
  EXPECT_EQ(nullptr, CreateChannelService(IID_IChannelService, 0x02010100));
}

TEST(ChannelService, SinksAreHeldAsTheirQueriesAnswer) {
  IChannelService* ch = NewChannel();
  RecordingSinks sinks;
  EXPECT_EQ(nullptr, ch->GetChannelMessageSink(IID_IUnknownEx, ZAVREL_INTERFACE_VERSION));
  EXPECT_EQ(nullptr, ch->GetChannelEventSink(IID_IUnknownEx, ZAVREL_INTERFACE_VERSION));
  EXPECT_TRUE(ch->SetChannelMessageSink(sinks.Unknown()));
  EXPECT_EQ(static_cast<IChannelMessageSink*>(&sinks),
            ch->GetChannelMessageSink(IID_IChannelMessageSink, ZAVREL_INTERFACE_VERSION));
  EXPECT_EQ(sinks.Unknown(), ch->GetChannelMessageSink(IID_IUnknownEx, ZAVREL_INTERFACE_VERSION));
  EXPECT_TRUE(ch->SetChannelEventSink(sinks.Unknown()));
  EXPECT_EQ(static_cast<IChannelEventSink*>(&sinks),
            ch->GetChannelEventSink(IID_IChannelEventSink, ZAVREL_INTERFACE_VERSION));
  // An object that is not a channel event sink: the answer (null) is held.
  IChannelService* other = NewChannel();
  EXPECT_FALSE(ch->SetChannelEventSink(other));
  EXPECT_EQ(nullptr, ch->GetChannelEventSink(IID_IUnknownEx, ZAVREL_INTERFACE_VERSION));
  EXPECT_FALSE(ch->SetChannelMessageSink(nullptr));
  EXPECT_EQ(nullptr, ch->GetChannelMessageSink(IID_IUnknownEx, ZAVREL_INTERFACE_VERSION));
  other->Release();
  ch->Release();
}

TEST(ChannelService, ChannelWindowIsAHiddenChildOfTheDesktopKeptAcrossConnects) {
  IChannelService* ch = NewChannel();
  EXPECT_FALSE(ch->IsConnect(false));
  EXPECT_EQ(nullptr, WindowOf(ch));
  EXPECT_FALSE(ch->Connect(nullptr));  // window made, nothing to send to
  HWND h = WindowOf(ch);
  ASSERT_TRUE(IsWindow(h));
  char cls[64] = {};
  GetClassNameA(h, cls, sizeof(cls));
  EXPECT_STREQ(AFX_WND_CLASS_NAME, cls);
  EXPECT_EQ(0, GetWindowTextLengthA(h));
  EXPECT_EQ(static_cast<LONG_PTR>(WS_CHILD), GetWindowLongPtrA(h, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CLIPSIBLINGS));
  EXPECT_FALSE(IsWindowVisible(h));
  EXPECT_EQ(GetDesktopWindow(), GetParent(h));
  EXPECT_EQ(10, GetDlgCtrlID(h));
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(0, r.right - r.left);
  EXPECT_EQ(0, r.bottom - r.top);
  EXPECT_FALSE(ch->IsConnect(false));

  // A second connect keeps the window; a peer that is no window fails the
  // send but stays stored.
  CWnd stale;
  const RECT zero = {0, 0, 0, 0};
  ASSERT_TRUE(stale.CreateEx(0, nullptr, nullptr, WS_POPUP, zero, nullptr, 0));
  HWND staleHandle = stale.GetSafeHwnd();
  stale.DestroyWindow();
  EXPECT_FALSE(ch->Connect(staleHandle));
  EXPECT_EQ(h, WindowOf(ch));
  EXPECT_TRUE(ch->IsConnect(false));
  EXPECT_FALSE(ch->IsConnect(true));
  EXPECT_TRUE(ch->CloseChannel(false, false));
  EXPECT_FALSE(IsWindow(h));
  EXPECT_FALSE(ch->CloseChannel(true, true));  // nothing left to close
  ch->Release();
}

TEST_F(LocalChannels, HandshakeCallsConnectOnTheAskedEndAndReplyOnTheAsker) {
  EXPECT_TRUE(b->Connect(WindowOf(a)));  // now A's peer is B: accepted
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return sinksB.Count(ChannelEvent::kConnectReply) == 1; }, 3000));
  ASSERT_EQ(1u, sinksA.events.size());
  EXPECT_EQ(ChannelEvent::kConnect, sinksA.events[0].kind);
  EXPECT_EQ(WindowOf(b), sinksA.events[0].peer);
  EXPECT_EQ(WindowOf(a), sinksB.events[0].peer);
  EXPECT_TRUE(sinksA.records.empty());  // control records never reach the message sink
  EXPECT_TRUE(sinksB.records.empty());
}

TEST_F(LocalChannels, RecordsAreHandedOnLaterOnePerPrivateMessageInOrder) {
  const char* bodies[] = {"one", "", "three"};
  for (WORD i = 0; i < 3; ++i) {
    EXPECT_TRUE(a->SendData(7, i, bodies[i], static_cast<WORD>(std::strlen(bodies[i]))));
    // The send has returned and the record is not handled yet.
    EXPECT_TRUE(sinksB.records.empty());
  }
  // Dispatch by hand: each private message hands exactly one record on.
  int privateMessages = 0;
  MSG msg;
  const DWORD start = GetTickCount();
  while (sinksB.records.size() < 3 && GetTickCount() - start < 3000) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
    const std::size_t before = sinksB.records.size();
    DispatchMessageA(&msg);
    if (msg.message == WM_IPC_MESSAGE && msg.hwnd == WindowOf(b)) {
      ++privateMessages;
      EXPECT_EQ(before + 1, sinksB.records.size());
    } else {
      EXPECT_EQ(before, sinksB.records.size());
    }
  }
  ASSERT_EQ(3u, sinksB.records.size());
  EXPECT_EQ(3, privateMessages);
  for (WORD i = 0; i < 3; ++i) {
    const ReceivedRecord& r = sinksB.records[i];
    EXPECT_EQ(7, r.main);
    EXPECT_EQ(i, r.sub);
    EXPECT_EQ(bodies[i], r.body);
    EXPECT_EQ(i == 1, r.bodyWasNull);
    EXPECT_EQ(std::strlen(bodies[i]), r.headSize);
    EXPECT_EQ(WindowOf(a), r.sender);
    EXPECT_EQ(WM_IPC_MESSAGE, r.duringMessage);
  }
}

TEST_F(LocalChannels, RecordFromAThirdWindowReachesNoSink) {
  CWnd third;
  const RECT zero = {0, 0, 0, 0};
  ASSERT_TRUE(third.CreateEx(0, nullptr, nullptr, WS_POPUP, zero, nullptr, 0));
  CIPCSendCopyData forger(WindowOf(b), third.GetSafeHwnd());
  EXPECT_TRUE(forger.SendData(7, 1, "x", 1));
  EXPECT_TRUE(forger.SendData(0, 3));                          // a close record, not from the peer
  EXPECT_EQ(0, SendMessageA(WindowOf(b), WM_COPYDATA, 0, 0));  // no structure at all
  ASSERT_TRUE(testkit::PumpUntilIdle());
  EXPECT_TRUE(sinksB.records.empty());
  EXPECT_TRUE(sinksB.events.empty());
  EXPECT_TRUE(b->IsConnect(true));
}

TEST_F(LocalChannels, CloseRecordFromThePeerClosesAndTellsTheSink) {
  HWND windowA = WindowOf(a);
  HWND windowB = WindowOf(b);
  EXPECT_TRUE(a->CloseChannel(true, false));
  EXPECT_FALSE(IsWindow(windowA));
  EXPECT_FALSE(a->IsConnect(false));
  EXPECT_TRUE(sinksA.events.empty());  // A was not asked to tell its sink
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return !sinksB.events.empty(); }, 3000));
  ASSERT_EQ(1u, sinksB.events.size());
  EXPECT_EQ(ChannelEvent::kClose, sinksB.events[0].kind);
  EXPECT_EQ(windowA, sinksB.events[0].peer);
  EXPECT_TRUE(sinksB.events[0].initiative);
  EXPECT_FALSE(IsWindow(windowB));
  EXPECT_FALSE(b->IsConnect(false));
  EXPECT_FALSE(b->SendData(1, 1));
}

TEST_F(LocalChannels, DestructionSendsCloseButDoesNotCallItsOwnSink) {
  HWND windowA = WindowOf(a);
  a->Release();
  a = nullptr;
  EXPECT_FALSE(IsWindow(windowA));
  EXPECT_TRUE(sinksA.events.empty());
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return sinksB.Count(ChannelEvent::kClose) == 1; }, 3000));
  EXPECT_FALSE(b->IsConnect(false));
}

TEST_F(LocalChannels, IsConnectChecksThePeerWindowOnlyWhenAsked) {
  b->CloseChannel(false, false);  // B's window goes without telling A
  ASSERT_TRUE(testkit::PumpUntilIdle());
  EXPECT_TRUE(a->IsConnect(false));
  EXPECT_FALSE(a->IsConnect(true));
  EXPECT_FALSE(a->SendData(1, 1));
  EXPECT_TRUE(sinksA.events.empty());
}

TEST_F(LocalChannels, BodyBoundaryAndRecordsWithoutAMessageSink) {
  std::vector<char> big(IPC_PACKAGE + 1, 'q');
  EXPECT_TRUE(a->SendData(7, 1, big.data(), IPC_PACKAGE));
  EXPECT_FALSE(a->SendData(7, 2, big.data(), IPC_PACKAGE + 1));
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return sinksB.records.size() == 1; }, 3000));
  EXPECT_EQ(std::string(IPC_PACKAGE, 'q'), sinksB.records[0].body);

  // No message sink: records are consumed and lost; later ones still flow.
  EXPECT_FALSE(b->SetChannelMessageSink(nullptr));
  EXPECT_TRUE(a->SendData(7, 3));
  ASSERT_TRUE(testkit::PumpUntilIdle());
  EXPECT_TRUE(b->SetChannelMessageSink(sinksB.Unknown()));
  EXPECT_TRUE(a->SendData(7, 4));
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return sinksB.records.size() == 2; }, 3000));
  EXPECT_EQ(4, sinksB.records[1].sub);
  // Unknown control records are dropped.
  EXPECT_TRUE(a->SendData(0, 9));
  EXPECT_TRUE(a->SendData(7, 5));
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return sinksB.records.size() == 3; }, 3000));
  EXPECT_TRUE(sinksB.events.empty());
}

TEST_F(LocalChannels, SinksMaySendCloseOrReleaseInsideTheirCalls) {
  // B answers every record from inside its callback; A collects the answers.
  sinksB.onRecord = [&](const ReceivedRecord& r) {
    if (r.main == 7) b->SendData(8, r.sub, r.body.data(), static_cast<WORD>(r.body.size()));
  };
  for (WORD i = 0; i < 5; ++i) a->SendData(7, i, "abc", 3);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return sinksA.records.size() == 5; }, 3000));
  for (WORD i = 0; i < 5; ++i) {
    EXPECT_EQ(8, sinksA.records[i].main);
    EXPECT_EQ(i, sinksA.records[i].sub);
  }
  // B ends itself inside the close notification.
  sinksB.onEvent = [&](const ChannelEvent& e) {
    if (e.kind == ChannelEvent::kClose) {
      b->Release();
      b = nullptr;
    }
  };
  a->CloseChannel(true, true);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return b == nullptr; }, 3000));
  ASSERT_TRUE(testkit::PumpUntilIdle());
}
