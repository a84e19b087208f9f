// Timers when memory runs out: SetTimer answers failure and leaves no timer
// running, KillAllTimer changes nothing, and a CmmTimer is destroyed (and
// stops its timers) whatever memory is left: a destructor that threw would
// end the process.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "tests/testkit/failing_new.h"
#include "tests/testkit/testkit.h"
#include "zavrel/timer/mm_timer.h"
#include "zavrel/timer/ui_timer.h"

namespace {

struct UiTimer : CUiTimer {
  using CUiTimer::getTimerMap;
};

// Counts ticks and signals each, so a wait for one wakes at once.
struct CountingListener : ImmTimerListener {
  CountingListener() : ticked(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~CountingListener() override { CloseHandle(ticked); }
  void OnTimer(UINT) override {
    ++ticks;
    SetEvent(ticked);
  }
  bool WaitForTick() {
    return testkit::PumpMessagesUntil([&] { return ticks.load() > 0; }, 5000, ticked);
  }
  std::atomic<int> ticks{0};
  HANDLE ticked;
};

}  // namespace

TEST(TimerNoThrow, UiTimerSetTimerAnswersZeroAndLeavesNoEntry) {
  UiTimer timer;
  const std::size_t before = UiTimer::getTimerMap().size();
  UINT id = 1;
  {
    testkit::FailAllocationsAfter fail(0);
    id = timer.SetTimer(10);
  }
  EXPECT_EQ(0u, id);
  EXPECT_EQ(before, UiTimer::getTimerMap().size());
  // With memory the same call works.
  const UINT later = timer.SetTimer(10);
  EXPECT_NE(0u, later);
  EXPECT_TRUE(timer.KillTimer(later));
}

TEST(TimerNoThrow, MmTimerWithoutRegistrationSetsNoTimer) {
  CountingListener listener;
  std::unique_ptr<CmmTimer> timer;
  {
    testkit::FailAllocationsAfter fail(1);  // the object itself, not its registration
    timer.reset(new CmmTimer);
  }
  timer->RegisterListener(&listener);
  EXPECT_FALSE(timer->SetTimer(1, 5, false));
  EXPECT_TRUE(timer->getTimerMap().empty());
  timer.reset();
  EXPECT_EQ(0, listener.ticks.load());
}

TEST(TimerNoThrow, MmTimerKillAllAndDestructionWithoutMemory) {
  CountingListener listener;
  auto timer = std::make_unique<CmmTimer>();
  timer->RegisterListener(&listener);
  for (UINT id = 1; id <= 4; ++id) ASSERT_TRUE(timer->SetTimer(id, 5, false));
  bool killed = true;
  {
    testkit::FailAllocationsAfter fail(0);
    killed = timer->KillAllTimer();
  }
  EXPECT_FALSE(killed);
  EXPECT_EQ(4u, timer->getTimerMap().size());  // nothing changed
  EXPECT_TRUE(listener.WaitForTick());
  {
    // Destroyed with no memory at all: every timer still stops.
    testkit::FailAllocationsAfter fail(0);
    timer.reset();
  }
  const int ticks = listener.ticks.load();
  // No tick enters the listener once the destructor has returned.
  CmmTimer probe;
  CountingListener probeListener;
  probe.RegisterListener(&probeListener);
  ASSERT_TRUE(probe.SetTimer(1, 5, true));
  EXPECT_TRUE(probeListener.WaitForTick());
  EXPECT_EQ(ticks, listener.ticks.load());
}
