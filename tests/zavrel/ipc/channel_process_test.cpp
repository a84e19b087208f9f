// CChannelService between this process (the hall) and the peer helper
// program (the game), with real windows in two processes, and a hostile
// third process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/testkit/testkit.h"
#include "tests/zavrel/ipc/child_process.h"
#include "tests/zavrel/ipc/peer_protocol.h"
#include "tests/zavrel/ipc/recording_sinks.h"
#include "zavrel/component/create_functions.h"
#include "zavrel/ipc/channel_service.h"

namespace {

std::string HandleText(HWND h) {
  return std::to_string(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(h)));
}

class ProcessChannel : public ::testing::Test {
 protected:
  void SetUp() override {
    hall = static_cast<IChannelService*>(CreateChannelService(IID_IChannelService, ZAVREL_INTERFACE_VERSION));
    ASSERT_NE(nullptr, hall);
    ASSERT_TRUE(hall->SetChannelEventSink(sinks.Unknown()));
    ASSERT_TRUE(hall->SetChannelMessageSink(sinks.Unknown()));
    // The hall makes its window first; there is no peer to ask yet.
    EXPECT_FALSE(hall->Connect(nullptr));
    hallWnd = static_cast<CChannelService*>(hall)->GetSafeHwnd();
    ASSERT_NE(nullptr, hallWnd);

    // The game is started with the hall's window and connects to it; it
    // hands its own window back through a file.
    const std::string file = dir.file("game.hwnd");
    ASSERT_TRUE(game.Start("\"" + testkit::TestBinaryPath("channel_peer.exe") + "\" game " + HandleText(hallWnd) +
                           " \"" + file + "\""));
    ASSERT_TRUE(WaitFor(
        [&] {
          const std::string text = testkit::ReadFileBytes(file);
          if (text.empty()) return false;
          gameWnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text.c_str(), nullptr, 10)));
          return true;
        },
        20000));
    ASSERT_TRUE(IsWindow(gameWnd));
    // Its request reached the hall before the hall knew it: dropped.
    EXPECT_TRUE(sinks.events.empty());

    // Now the hall asks; the game's peer is already the hall's window.
    ASSERT_TRUE(hall->Connect(gameWnd));
    ASSERT_TRUE(WaitFor([&] { return sinks.Count(ChannelEvent::kConnectReply) == 1; }));
    ASSERT_TRUE(WaitFor([&] { return sinks.HasRecord(peer::kReport, peer::kGotConnect); }));
  }

  void TearDown() override {
    if (hall) hall->Release();  // sends the close record: the game ends
    if (game.Running()) game.WaitPumping(10000);
  }

  // Pumps until done() holds, looking at it at least every 20 ms (some
  // conditions change without a message to this thread).
  static bool WaitFor(const std::function<bool()>& done, DWORD ms = 10000) {
    const DWORD start = GetTickCount();
    while (!testkit::PumpMessagesUntil(done, 20)) {
      if (GetTickCount() - start >= ms) return done();
    }
    return true;
  }

  bool Instruct(WORD what, const void* body = nullptr, WORD size = 0) {
    return body ? hall->SendData(peer::kInstruct, what, body, size) : hall->SendData(peer::kInstruct, what);
  }

  // The records that are not the game's reports.
  std::vector<ReceivedRecord> Plain() const {
    std::vector<ReceivedRecord> out;
    for (const auto& r : sinks.records)
      if (r.main != peer::kReport) out.push_back(r);
    return out;
  }

  testkit::TempDir dir;
  RecordingSinks sinks;
  IChannelService* hall = nullptr;
  HWND hallWnd = nullptr;
  HWND gameWnd = nullptr;
  ChildProcess game;
};

}  // namespace

TEST_F(ProcessChannel, HandshakeWorksBothWays) {
  // Asked by the hall (in SetUp): the reply on the hall, the connect on the
  // game (which reported it).
  ASSERT_EQ(1u, sinks.events.size());
  EXPECT_EQ(ChannelEvent::kConnectReply, sinks.events[0].kind);
  EXPECT_EQ(gameWnd, sinks.events[0].peer);
  sinks.events.clear();

  // Asked by the game: the connect on the hall, the reply on the game.
  ASSERT_TRUE(Instruct(peer::kReconnect));
  ASSERT_TRUE(WaitFor([&] { return sinks.HasRecord(peer::kReport, peer::kGotConnectReply); }));
  ASSERT_EQ(1u, sinks.events.size());
  EXPECT_EQ(ChannelEvent::kConnect, sinks.events[0].kind);
  EXPECT_EQ(gameWnd, sinks.events[0].peer);
  EXPECT_TRUE(hall->IsConnect(true));
}

TEST_F(ProcessChannel, RecordsArriveInOrderEachInItsOwnPrivateMessage) {
  const peer::SendOrder order = {3, 7, 100};
  ASSERT_TRUE(Instruct(peer::kSend, &order, sizeof(order)));
  // Pump by hand: records reach the sink only while a private message of
  // the hall's window is dispatched, one per message, never inside the
  // game's WM_COPYDATA (which runs inside PeekMessage here).
  int privateMessages = 0;
  const DWORD start = GetTickCount();
  while (Plain().size() < 3 && GetTickCount() - start < 10000) {
    std::size_t before = sinks.records.size();
    MSG msg;
    const BOOL got = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(before, sinks.records.size());
    if (!got) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
      continue;
    }
    before = sinks.records.size();
    DispatchMessageA(&msg);
    if (msg.message == WM_IPC_MESSAGE && msg.hwnd == hallWnd) {
      ++privateMessages;
      EXPECT_LE(sinks.records.size(), before + 1);
    } else {
      EXPECT_EQ(before, sinks.records.size());
    }
  }
  const auto got = Plain();
  ASSERT_EQ(3u, got.size());
  for (unsigned i = 0; i < 3; ++i) {
    EXPECT_EQ(7, got[i].main);
    EXPECT_EQ(i, got[i].sub);
    EXPECT_EQ(gameWnd, got[i].sender);
    EXPECT_EQ(WM_IPC_MESSAGE, got[i].duringMessage);
    ASSERT_EQ(100u, got[i].body.size());
    for (unsigned k = 0; k < 100; ++k) ASSERT_EQ(peer::BodyByte(i, k), static_cast<unsigned char>(got[i].body[k]));
  }
  EXPECT_GE(privateMessages, 3);
}

TEST_F(ProcessChannel, SinkMaySendFromInsideItsCallback) {
  // Every record from the game is answered from inside the hall's callback;
  // the game echoes the answers back.
  sinks.onRecord = [&](const ReceivedRecord& r) {
    if (r.main == 7) {
      EXPECT_TRUE(hall->SendData(8, r.sub, r.body.data(), static_cast<WORD>(r.body.size())));
    }
  };
  const peer::SendOrder order = {5, 7, 10};
  ASSERT_TRUE(Instruct(peer::kSend, &order, sizeof(order)));
  std::vector<const ReceivedRecord*> echoes;
  ASSERT_TRUE(WaitFor([&] {
    echoes.clear();
    for (const auto& r : sinks.records)
      if (r.main == peer::kReport && r.sub == peer::kEcho) echoes.push_back(&r);
    return echoes.size() == 5;
  }));
  for (unsigned i = 0; i < 5; ++i) {
    WORD main = 0, sub = 0;
    ASSERT_EQ(4u + 10u, echoes[i]->body.size());
    std::memcpy(&main, echoes[i]->body.data(), 2);
    std::memcpy(&sub, echoes[i]->body.data() + 2, 2);
    EXPECT_EQ(8, main);
    EXPECT_EQ(i, sub);
    EXPECT_EQ(peer::BodyByte(i, 9), static_cast<unsigned char>(echoes[i]->body[4 + 9]));
  }
}

TEST_F(ProcessChannel, RecordFromAThirdWindowNeverReachesASink) {
  sinks.events.clear();
  ASSERT_TRUE(Instruct(peer::kThirdWindow));
  ASSERT_TRUE(WaitFor([&] { return sinks.HasRecord(peer::kEndMark, 0); }));
  ASSERT_TRUE(testkit::PumpUntilIdle());
  EXPECT_FALSE(sinks.HasRecord(7, 99));
  EXPECT_EQ(1u, Plain().size());
  EXPECT_TRUE(sinks.events.empty());
}

TEST_F(ProcessChannel, MalformedCopyDataFromThePeerNeverReachesASink) {
  sinks.events.clear();
  ASSERT_TRUE(Instruct(peer::kMalformed));
  ASSERT_TRUE(WaitFor([&] { return sinks.HasRecord(peer::kEndMark, 0); }));
  ASSERT_TRUE(testkit::PumpUntilIdle());
  const auto got = Plain();
  ASSERT_EQ(1u, got.size());
  EXPECT_EQ(peer::kEndMark, got[0].main);
  EXPECT_TRUE(sinks.events.empty());  // the malformed close record did nothing
  EXPECT_TRUE(hall->IsConnect(true));
}

TEST_F(ProcessChannel, BodyOf40960CrossesAndOneByteMoreIsRefused) {
  ASSERT_TRUE(Instruct(peer::kBoundary));
  ASSERT_TRUE(WaitFor([&] { return sinks.HasRecord(peer::kReport, peer::kBoundaryResults); }));
  for (const auto& r : sinks.records) {
    if (r.main == peer::kReport && r.sub == peer::kBoundaryResults) {
      EXPECT_EQ(std::string("\1\0", 2), r.body);
    }
  }
  const auto got = Plain();
  ASSERT_EQ(1u, got.size());
  EXPECT_EQ(1, got[0].sub);
  EXPECT_EQ(IPC_PACKAGE, got[0].headSize);
  EXPECT_EQ(std::string(IPC_PACKAGE, '\x5A'), got[0].body);
}

TEST_F(ProcessChannel, CloseRecordFromThePeerClosesTheHall) {
  sinks.events.clear();
  ASSERT_TRUE(Instruct(peer::kClose));
  ASSERT_TRUE(WaitFor([&] { return !sinks.events.empty(); }));
  ASSERT_EQ(1u, sinks.events.size());
  EXPECT_EQ(ChannelEvent::kClose, sinks.events[0].kind);
  EXPECT_EQ(gameWnd, sinks.events[0].peer);
  EXPECT_TRUE(sinks.events[0].initiative);
  EXPECT_FALSE(IsWindow(hallWnd));
  EXPECT_FALSE(hall->IsConnect(false));
  DWORD code = 0;
  ASSERT_TRUE(game.WaitPumping(10000, &code));
  EXPECT_EQ(35u, code);  // the game closed itself and was not answered
}

TEST_F(ProcessChannel, DestroyingTheHallSendsCloseWithoutCallingItsOwnSink) {
  sinks.events.clear();
  hall->Release();
  hall = nullptr;
  EXPECT_FALSE(IsWindow(hallWnd));
  DWORD code = 0;
  ASSERT_TRUE(game.WaitPumping(10000, &code));
  EXPECT_EQ(peer::kExitClosedByPeer, code);
  EXPECT_TRUE(sinks.events.empty());
}

TEST_F(ProcessChannel, GameReleasingItsChannelInsideACallbackClosesTheHall) {
  sinks.events.clear();
  ASSERT_TRUE(Instruct(peer::kRelease));
  DWORD code = 0;
  ASSERT_TRUE(game.WaitPumping(10000, &code));
  EXPECT_EQ(peer::kExitReleased, code);
  ASSERT_TRUE(WaitFor([&] { return sinks.Count(ChannelEvent::kClose) == 1; }));
  EXPECT_FALSE(hall->IsConnect(false));
}

TEST_F(ProcessChannel, IsConnectAfterThePeersWindowDied) {
  game.Kill();
  ASSERT_FALSE(game.Running());
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(gameWnd); }));
  EXPECT_TRUE(hall->IsConnect(false));
  EXPECT_FALSE(hall->IsConnect(true));
  EXPECT_FALSE(hall->SendData(7, 1));
  EXPECT_TRUE(sinks.Count(ChannelEvent::kClose) == 0);
}

TEST_F(ProcessChannel, HostileFloodNeitherCrashesNorReachesASink) {
  sinks.events.clear();
  const std::size_t reportsBefore = sinks.records.size();
  ChildProcess flooder;
  ASSERT_TRUE(flooder.Start("\"" + testkit::TestBinaryPath("channel_peer.exe") + "\" flood " + HandleText(hallWnd) +
                            " " + HandleText(gameWnd) + " 100000 20261207"));
  DWORD code = 1;
  ASSERT_TRUE(flooder.WaitPumping(240000, &code));
  EXPECT_EQ(peer::kExitFloodDone, code);
  EXPECT_EQ(reportsBefore, sinks.records.size());
  EXPECT_TRUE(sinks.events.empty());

  // Then the real peer sends 100 valid records.
  const peer::SendOrder order = {100, 7, 64};
  ASSERT_TRUE(Instruct(peer::kSend, &order, sizeof(order)));
  ASSERT_TRUE(WaitFor([&] { return Plain().size() >= 100; }, 30000));
  ASSERT_TRUE(testkit::PumpUntilIdle());
  const auto got = Plain();
  ASSERT_EQ(100u, got.size());
  for (unsigned i = 0; i < 100; ++i) {
    EXPECT_EQ(7, got[i].main);
    EXPECT_EQ(i, got[i].sub);
    EXPECT_EQ(gameWnd, got[i].sender);
    ASSERT_EQ(64u, got[i].body.size());
    EXPECT_EQ(peer::BodyByte(i, 63), static_cast<unsigned char>(got[i].body[63]));
  }
  EXPECT_TRUE(sinks.events.empty());
  EXPECT_TRUE(hall->IsConnect(true));
}
