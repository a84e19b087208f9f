// CUiTimer: thread timers without a window, ticks through the message loop.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "tests/testkit/testkit.h"
#include "zavrel/timer/ui_timer.h"

namespace {

class Recorder : public IUiTimerListener {
 public:
  void OnTimerEx(UINT nIDEvent) override {
    ticks.push_back(nIDEvent);
    ++perTimer[nIDEvent];
  }
  std::vector<UINT> ticks;
  std::map<UINT, int> perTimer;
};

// Exposes the protected table for the tests.
class InspectableTimer : public CUiTimer {
 public:
  using CUiTimer::getListener;
  static std::map<UINT, CUiTimer*>& Table() { return getTimerMap(); }
};

}  // namespace

TEST(UiTimer, TicksReachTheListenerOnlyThroughTheMessageLoop) {
  Recorder rec;
  InspectableTimer timer;
  timer.RegisterListener(&rec);
  EXPECT_EQ(&rec, timer.getListener());
  const UINT id = timer.SetTimer(10);
  ASSERT_NE(0u, id);
  EXPECT_EQ(&timer, InspectableTimer::Table().at(id));

  // No pumping: a tick falls due but does not reach the listener.
  ASSERT_EQ(WAIT_OBJECT_0, MsgWaitForMultipleObjects(0, nullptr, FALSE, 3000, QS_TIMER));
  EXPECT_TRUE(rec.ticks.empty());
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return rec.ticks.size() >= 3; }, 3000));
  for (UINT t : rec.ticks) EXPECT_EQ(id, t);
}

TEST(UiTimer, ListenerTellsItsTwoTimersApart) {
  Recorder rec;
  CUiTimer timer;
  timer.RegisterListener(&rec);
  const UINT fast = timer.SetTimer(10);
  const UINT slow = timer.SetTimer(25);
  ASSERT_NE(fast, slow);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return rec.perTimer[slow] >= 2 && rec.perTimer[fast] >= 2; }, 3000));
  EXPECT_EQ(2u, rec.perTimer.size());
  EXPECT_GE(rec.perTimer[fast], rec.perTimer[slow]);
}

TEST(UiTimer, KillAllTimerStopsOnlyItsOwnTimers) {
  Recorder first, second;
  CUiTimer a, b;
  a.RegisterListener(&first);
  b.RegisterListener(&second);
  const UINT ida = a.SetTimer(10);
  const UINT idb = b.SetTimer(10);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return !first.ticks.empty() && !second.ticks.empty(); }, 3000));

  EXPECT_EQ(1, a.KillAllTimer());
  EXPECT_EQ(0u, InspectableTimer::Table().count(ida));
  EXPECT_EQ(1u, InspectableTimer::Table().count(idb));
  const std::size_t firstSeen = first.ticks.size();
  const std::size_t secondSeen = second.ticks.size();
  EXPECT_TRUE(testkit::PumpMessagesUntil([&] { return second.ticks.size() >= secondSeen + 3; }, 3000));
  EXPECT_EQ(firstSeen, first.ticks.size());
  EXPECT_EQ(1, a.KillAllTimer());  // nothing left: still 1
}

TEST(UiTimer, KillTimerStopsAnotherOwnersTimer) {
  Recorder rec;
  CUiTimer owner, other;
  owner.RegisterListener(&rec);
  const UINT id = owner.SetTimer(10);
  EXPECT_NE(0, other.KillTimer(id));
  EXPECT_EQ(0u, InspectableTimer::Table().count(id));
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(100));
  EXPECT_TRUE(rec.ticks.empty());
  // Forgotten: a second kill finds nothing.
  EXPECT_EQ(0, owner.KillTimer(id));
  EXPECT_EQ(0, owner.KillTimer(0xFFFFFFFF));
}

TEST(UiTimer, DestructionStopsTicks) {
  Recorder rec;
  UINT id = 0;
  {
    CUiTimer timer;
    timer.RegisterListener(&rec);
    id = timer.SetTimer(10);
    ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return !rec.ticks.empty(); }, 3000));
  }
  EXPECT_EQ(0u, InspectableTimer::Table().count(id));
  const std::size_t seen = rec.ticks.size();
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(150));
  EXPECT_EQ(seen, rec.ticks.size());
}

TEST(UiTimer, NoListenerConsumesTicksSilently) {
  Recorder rec;
  CUiTimer silent, counting;
  const UINT quiet = silent.SetTimer(10);
  counting.RegisterListener(&rec);
  counting.SetTimer(10);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return rec.ticks.size() >= 3; }, 3000));
  EXPECT_EQ(0u, rec.perTimer.count(quiet));
  EXPECT_EQ(1u, InspectableTimer::Table().count(quiet));  // still running
  // Replacing the listener by null silences the other one too.
  counting.RegisterListener(nullptr);
  const std::size_t seen = rec.ticks.size();
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(100));
  EXPECT_EQ(seen, rec.ticks.size());
}

TEST(UiTimer, CopyTakesTheListenerButNoTimers) {
  Recorder rec;
  InspectableTimer original;
  original.RegisterListener(&rec);
  const UINT id = original.SetTimer(10);
  {
    InspectableTimer copy(original);
    EXPECT_EQ(&rec, copy.getListener());
    InspectableTimer assigned;
    assigned = original;
    EXPECT_EQ(&rec, assigned.getListener());
  }  // the copies' destruction leaves the original's timer alone
  EXPECT_EQ(&original, InspectableTimer::Table().at(id));
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return !rec.ticks.empty(); }, 3000));
}

TEST(UiTimer, ListenerMayKillItsTimerInsideTheTick) {
  struct SelfStopping : IUiTimerListener {
    CUiTimer* timer = nullptr;
    int calls = 0;
    void OnTimerEx(UINT id) override {
      ++calls;
      timer->KillTimer(id);
    }
  } listener;
  CUiTimer timer;
  listener.timer = &timer;
  timer.RegisterListener(&listener);
  timer.SetTimer(5);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return listener.calls > 0; }, 3000));
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(100));
  EXPECT_EQ(1, listener.calls);
  EXPECT_TRUE(InspectableTimer::Table().empty());
}
