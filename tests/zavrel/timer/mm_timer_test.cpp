// CmmTimer: multimedia timer ticks on the timer thread, its table, and the
// guarantees of destruction.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <vector>

#include "base/win_owners.h"
#include "tests/zavrel/timer/reusing_timer_ids.h"
#include "zavrel/timer/mm_timer.h"

#include <mmsystem.h>

namespace {

// Caller identifiers far from the small numbers the system hands out, so that
// a multimedia identifier reaching the listener would be noticed.
constexpr UINT kFirst = 70001;
constexpr UINT kSecond = 70002;

// Waits (sleeping, no message loop: the ticks need none) until done() holds.
template <typename F>
bool WaitFor(F done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    Sleep(2);
  }
  return true;
}

// Waits until a one-shot sentinel timer of delayMs has fired. WinMM serves
// every timer of the process from its one timer thread, in the order they
// fall due: a tick still inside a listener, and a tick of any timer with a
// shorter delay that still runs, come before the sentinel's.
bool WaitForSentinel(UINT delayMs) {
  const UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!event.valid()) return false;
  const MMRESULT id = timeSetEvent(delayMs, 1, reinterpret_cast<LPTIMECALLBACK>(event.get()), 0,
                                   TIME_ONESHOT | TIME_CALLBACK_EVENT_SET);
  if (!id) return false;
  if (WaitForSingleObject(event.get(), 10000 + delayMs) == WAIT_OBJECT_0) return true;
  timeKillEvent(id);
  return false;
}

class Recorder : public ImmTimerListener {
 public:
  void OnTimer(UINT nIDEvent) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_counts[nIDEvent];
    if (GetCurrentThreadId() == m_callerThread) ++m_onCallerThread;
  }
  int count(UINT id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_counts[id];
  }
  std::map<UINT, int> counts() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_counts;
  }
  int onCallerThread() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_onCallerThread;
  }

 private:
  std::mutex m_mutex;
  std::map<UINT, int> m_counts;
  DWORD m_callerThread = GetCurrentThreadId();
  int m_onCallerThread = 0;
};

std::set<UINT> CallerIds(const CmmTimer& timer) {
  std::set<UINT> ids;
  for (const auto& entry : timer.getTimerMap()) ids.insert(entry.second);
  return ids;
}

}  // namespace

TEST(MmTimer, TwoIdentifiersTickToTheListenerWithTheCallersIdentifiers) {
  Recorder rec;
  CmmTimer timer;
  EXPECT_EQ(nullptr, timer.getListener());
  timer.RegisterListener(&rec);
  EXPECT_EQ(&rec, timer.getListener());
  ASSERT_TRUE(timer.SetTimer(kFirst, 5, false));
  ASSERT_TRUE(timer.SetTimer(kSecond, 10, false));
  EXPECT_EQ(2u, timer.getTimerMap().size());
  EXPECT_EQ((std::set<UINT>{kFirst, kSecond}), CallerIds(timer));
  for (const auto& entry : timer.getTimerMap()) EXPECT_NE(entry.first, entry.second);

  ASSERT_TRUE(WaitFor([&] { return rec.count(kFirst) >= 3 && rec.count(kSecond) >= 3; }, 5000));
  EXPECT_TRUE(timer.KillAllTimer());
  const std::map<UINT, int> seen = rec.counts();
  EXPECT_EQ(2u, seen.size()) << "only the caller's identifiers reach the listener";
  EXPECT_EQ(0, rec.onCallerThread()) << "ticks come on the multimedia timer thread";
}

TEST(MmTimer, SettingAnIdentifierAgainLeavesOnlyTheSecondTimer) {
  Recorder rec;
  CmmTimer timer;
  timer.RegisterListener(&rec);
  ASSERT_TRUE(timer.SetTimer(kFirst, 5, false));
  const UINT firstMm = timer.getTimerMap().begin()->first;
  ASSERT_TRUE(timer.SetTimer(kFirst, 5, false));
  ASSERT_EQ(1u, timer.getTimerMap().size());
  EXPECT_NE(firstMm, timer.getTimerMap().begin()->first);
  EXPECT_EQ(kFirst, timer.getTimerMap().begin()->second);
  // The first timer was stopped: the system no longer knows it.
  EXPECT_NE(static_cast<MMRESULT>(TIMERR_NOERROR), timeKillEvent(firstMm));
  ASSERT_TRUE(WaitFor([&] { return rec.count(kFirst) >= 2; }, 5000));
  EXPECT_TRUE(timer.KillTimer(kFirst));
  EXPECT_TRUE(timer.getTimerMap().empty());
}

// The "no more ticks" checks rest on WinMM's order: a tick held in its
// listener, and a tick of a shorter timer fallen due meanwhile, come before
// the sentinel's.
TEST(MmTimer, SentinelComesAfterAHeldTickAndShorterTimers) {
  struct Holding : ImmTimerListener {
    std::atomic<int> ticks{0};
    void OnTimer(UINT) override {
      if (++ticks == 1) Sleep(200);
    }
  } holding;
  CmmTimer timer;
  timer.RegisterListener(&holding);
  ASSERT_TRUE(timer.SetTimer(kFirst, 5, false));
  ASSERT_TRUE(WaitFor([&] { return holding.ticks.load() >= 1; }, 5000));
  ASSERT_TRUE(WaitForSentinel(50));  // falls due while the first tick is held
  EXPECT_GE(holding.ticks.load(), 2);
  EXPECT_TRUE(timer.KillAllTimer());
}

TEST(MmTimer, OneShotFiresOnceAndKeepsItsEntryUntilKilled) {
  Recorder rec;
  CmmTimer timer;
  timer.RegisterListener(&rec);
  // A 1 ms one-shot may fire before timeSetEvent returns; it must not be lost.
  ASSERT_TRUE(timer.SetTimer(kFirst, 1, true));
  ASSERT_TRUE(timer.SetTimer(kSecond, 15, true));
  ASSERT_TRUE(WaitFor([&] { return rec.count(kFirst) == 1 && rec.count(kSecond) == 1; }, 5000));
  ASSERT_TRUE(WaitForSentinel(80));
  EXPECT_EQ(1, rec.count(kFirst));
  EXPECT_EQ(1, rec.count(kSecond));
  EXPECT_EQ(2u, timer.getTimerMap().size());
  // The system has ended both: killing reports failure but removes the entry.
  EXPECT_FALSE(timer.KillTimer(kFirst));
  EXPECT_EQ(1u, timer.getTimerMap().size());
  EXPECT_FALSE(timer.KillAllTimer());
  EXPECT_TRUE(timer.getTimerMap().empty());
}

TEST(MmTimer, KillResults) {
  Recorder rec;
  CmmTimer timer;
  timer.RegisterListener(&rec);
  EXPECT_FALSE(timer.KillTimer(kFirst)) << "never set";
  EXPECT_FALSE(timer.KillAllTimer()) << "no timers";

  ASSERT_TRUE(timer.SetTimer(kFirst, 5, false));
  ASSERT_TRUE(timer.SetTimer(kSecond, 5, false));
  EXPECT_TRUE(timer.KillTimer(kSecond));
  EXPECT_FALSE(timer.KillTimer(kSecond)) << "already stopped";
  EXPECT_EQ((std::set<UINT>{kFirst}), CallerIds(timer));

  ASSERT_TRUE(timer.SetTimer(kSecond, 5, false));
  ASSERT_TRUE(WaitFor([&] { return rec.count(kFirst) >= 1 && rec.count(kSecond) >= 1; }, 5000));
  EXPECT_TRUE(timer.KillAllTimer());
  EXPECT_TRUE(timer.getTimerMap().empty());
  ASSERT_TRUE(WaitForSentinel(30));  // a tick that had passed the table before the kill lands first
  const std::map<UINT, int> stopped = rec.counts();
  ASSERT_TRUE(WaitForSentinel(100));
  EXPECT_EQ(stopped, rec.counts()) << "no tick after KillAllTimer";
  EXPECT_FALSE(timer.KillAllTimer());
}

TEST(MmTimer, TicksWithoutAListenerAreDropped) {
  Recorder rec;
  CmmTimer timer;
  ASSERT_TRUE(timer.SetTimer(kFirst, 2, false));
  ASSERT_TRUE(WaitForSentinel(40));
  timer.RegisterListener(&rec);
  ASSERT_TRUE(WaitFor([&] { return rec.count(kFirst) >= 2; }, 5000));
  timer.RegisterListener(nullptr);
  ASSERT_TRUE(WaitForSentinel(30));
  const int seen = rec.count(kFirst);
  ASSERT_TRUE(WaitForSentinel(60));
  EXPECT_EQ(seen, rec.count(kFirst));
}

namespace {

// Holds each tick for a while, so that the test can act while a tick is
// inside the listener on the timer thread.
class SlowListener : public ImmTimerListener {
 public:
  void OnTimer(UINT) override {
    if (destroyed) ++afterDestruction;
    inside = true;
    ++entered;
    Sleep(150);
    ++finished;
    inside = false;
  }
  std::atomic<bool> destroyed{false};
  std::atomic<bool> inside{false};
  std::atomic<int> entered{0};
  std::atomic<int> finished{0};
  std::atomic<int> afterDestruction{0};
};

}  // namespace

TEST(MmTimer, DestructionWaitsForATickInFlightAndStopsAllTicks) {
  SlowListener slow;
  auto timer = std::make_unique<CmmTimer>();
  timer->RegisterListener(&slow);
  ASSERT_TRUE(timer->SetTimer(kFirst, 1, false));
  ASSERT_TRUE(WaitFor([&] { return slow.inside.load(); }, 5000));
  timer.reset();  // a tick is inside the listener on the timer thread now
  slow.destroyed = true;
  EXPECT_FALSE(slow.inside.load()) << "the destructor returned while the listener ran";
  EXPECT_EQ(slow.entered.load(), slow.finished.load());
  ASSERT_TRUE(WaitForSentinel(200));
  EXPECT_EQ(0, slow.afterDestruction.load());
}

namespace {

// Acts on its own timer from inside the tick.
class SelfActingListener : public ImmTimerListener {
 public:
  enum class Action { Kill, KillAll, Reset, Destroy };
  explicit SelfActingListener(Action action) : m_action(action) {}
  void OnTimer(UINT nIDEvent) override {
    ++ticks;
    if (ticks > 1 && m_action != Action::Reset) ++extra;
    switch (m_action) {
      case Action::Kill:
        killResult = timer->KillTimer(nIDEvent) ? 1 : 0;
        break;
      case Action::KillAll:
        killResult = timer->KillAllTimer() ? 1 : 0;
        break;
      case Action::Reset:
        if (ticks == 1) killResult = timer->SetTimer(kSecond, 2, true) ? 1 : 0;
        break;
      case Action::Destroy:
        delete timer;
        timer = nullptr;
        killResult = 1;
        break;
    }
    done = true;
  }
  CmmTimer* timer = nullptr;
  std::atomic<int> ticks{0};
  std::atomic<int> extra{0};
  std::atomic<int> killResult{-1};
  std::atomic<bool> done{false};

 private:
  Action m_action;
};

}  // namespace

TEST(MmTimer, TheListenerMayKillItsTimersOrDestroyTheObjectWithoutDeadlock) {
  for (auto action :
       {SelfActingListener::Action::Kill, SelfActingListener::Action::KillAll, SelfActingListener::Action::Destroy}) {
    SelfActingListener listener(action);
    CmmTimer* timer = new CmmTimer;
    listener.timer = timer;
    timer->RegisterListener(&listener);
    ASSERT_TRUE(timer->SetTimer(kFirst, 3, false));
    ASSERT_TRUE(WaitFor([&] { return listener.done.load(); }, 5000)) << static_cast<int>(action);
    EXPECT_EQ(1, listener.killResult.load());
    ASSERT_TRUE(WaitForSentinel(60));
    EXPECT_EQ(0, listener.extra.load()) << "ticks after the timer was stopped in the listener";
    if (action != SelfActingListener::Action::Destroy) {
      EXPECT_TRUE(timer->getTimerMap().empty());
      delete timer;
    }
  }
}

TEST(MmTimer, TheListenerMaySetANewTimerFromTheTick) {
  SelfActingListener listener(SelfActingListener::Action::Reset);
  CmmTimer timer;
  listener.timer = &timer;
  timer.RegisterListener(&listener);
  ASSERT_TRUE(timer.SetTimer(kFirst, 3, true));
  ASSERT_TRUE(WaitFor([&] { return listener.ticks.load() >= 2; }, 5000));
  EXPECT_EQ(1, listener.killResult.load());
  EXPECT_EQ((std::set<UINT>{kFirst, kSecond}), CallerIds(timer));
}

namespace {

// Counts ticks and notices any tick that arrives after its timer object was
// destroyed, or with an identifier the caller never used.
class StressListener : public ImmTimerListener {
 public:
  void OnTimer(UINT nIDEvent) override {
    if (destroyed) ++afterDestruction;
    if (nIDEvent < kFirst || nIDEvent >= kFirst + 8) ++foreign;
    ++ticks;
  }
  std::atomic<bool> destroyed{false};
  std::atomic<int> afterDestruction{0};
  std::atomic<int> foreign{0};
  std::atomic<int> ticks{0};
};

// Random sets and kills on short-lived objects for `ms` milliseconds while a
// background object ticks every millisecond.
void Stress(ULONGLONG ms) {
  std::mt19937 random(12345);
  StressListener steady;
  CmmTimer background;
  background.RegisterListener(&steady);
  for (UINT i = 0; i < 4; ++i) ASSERT_TRUE(background.SetTimer(kFirst + i, 1, false));

  int objects = 0;
  const ULONGLONG end = GetTickCount64() + ms;
  while (GetTickCount64() < end) {
    auto listener = std::make_unique<StressListener>();
    auto timer = std::make_unique<CmmTimer>();
    timer->RegisterListener(listener.get());
    for (int round = 0; round < 40; ++round) {
      const UINT id = kFirst + random() % 8;
      switch (random() % 4) {
        case 0:
        case 1:
          EXPECT_TRUE(timer->SetTimer(id, 1, random() % 3 == 0));
          break;
        case 2:
          timer->KillTimer(id);
          break;
        case 3:
          background.SetTimer(id % 4 + kFirst, 1, false);
          break;
      }
      EXPECT_LE(timer->getTimerMap().size(), 8u);
      if (round % 8 == 0) Sleep(1);
    }
    timer.reset();
    listener->destroyed = true;
    ASSERT_TRUE(WaitForSentinel(2));
    EXPECT_EQ(0, listener->afterDestruction.load());
    EXPECT_EQ(0, listener->foreign.load());
    ++objects;
  }
  EXPECT_TRUE(background.KillAllTimer());
  EXPECT_GT(objects, 0);
  EXPECT_GT(steady.ticks.load(), 0);
  EXPECT_EQ(0, steady.foreign.load());
}

}  // namespace

TEST(MmTimer, StressSettingAndKillingWhileOneMillisecondTicksRun) { Stress(3000); }

TEST(MmTimerReusedIdentifiers, StressWithIdentifiersHandedOutAgainAtOnce) {
  ReusingTimerIds reuse;
  ASSERT_TRUE(reuse.active());
  Stress(2000);
}

TEST(MmTimer, CopiesShareTheListenerButNotTheTimers) {
  Recorder rec;
  CmmTimer original;
  original.RegisterListener(&rec);
  ASSERT_TRUE(original.SetTimer(kFirst, 5, false));
  {
    CmmTimer copy(original);
    EXPECT_EQ(&rec, copy.getListener());
    EXPECT_TRUE(copy.getTimerMap().empty());
    EXPECT_FALSE(copy.KillAllTimer());
    CmmTimer assigned;
    assigned = original;
    EXPECT_EQ(&rec, assigned.getListener());
  }
  // Destroying the copies stopped nothing of the original.
  const int before = rec.count(kFirst);
  ASSERT_TRUE(WaitFor([&] { return rec.count(kFirst) > before + 2; }, 5000));
  EXPECT_TRUE(original.KillTimer(kFirst));
}

// Reused system identifiers: Windows hands the identifier of a one-shot timer
// that has fired to the next timeSetEvent of the process.

TEST(MmTimerReusedIdentifiers, AFiredOneShotsIdentifierGivenToAnotherObjectIsNotStoppedByTheFirst) {
  enum class Action { KillTimer, KillAllTimer, Destroy };
  for (Action action : {Action::KillTimer, Action::KillAllTimer, Action::Destroy}) {
    SCOPED_TRACE(static_cast<int>(action));
    ReusingTimerIds reuse;
    ASSERT_TRUE(reuse.active());
    Recorder first;
    Recorder second;
    auto a = std::make_unique<CmmTimer>();
    a->RegisterListener(&first);
    ASSERT_TRUE(a->SetTimer(kFirst, 1, true));
    const UINT firedId = a->getTimerMap().begin()->first;
    ASSERT_TRUE(WaitFor([&] { return first.count(kFirst) == 1; }, 5000));

    CmmTimer b;
    b.RegisterListener(&second);
    ASSERT_TRUE(b.SetTimer(kSecond, 2, false));
    ASSERT_EQ(firedId, b.getTimerMap().begin()->first) << "the system handed the identifier out again";

    switch (action) {
      case Action::KillTimer:
        EXPECT_FALSE(a->KillTimer(kFirst)) << "the system had ended it";
        break;
      case Action::KillAllTimer:
        EXPECT_FALSE(a->KillAllTimer());
        break;
      case Action::Destroy:
        a.reset();
        break;
    }
    const int before = second.count(kSecond);
    EXPECT_TRUE(WaitFor([&] { return second.count(kSecond) >= before + 3; }, 2000))
        << "the other object's timer was stopped";
    EXPECT_TRUE(b.KillTimer(kSecond));
    EXPECT_EQ(1, first.count(kFirst));
  }
}

TEST(MmTimerReusedIdentifiers, AnIdentifierSetAgainInTheSameObjectTicksForItsNewOwner) {
  ReusingTimerIds reuse;
  ASSERT_TRUE(reuse.active());
  Recorder rec;
  CmmTimer timer;
  timer.RegisterListener(&rec);
  ASSERT_TRUE(timer.SetTimer(kFirst, 1, true));
  const UINT firedId = timer.getTimerMap().begin()->first;
  ASSERT_TRUE(WaitFor([&] { return rec.count(kFirst) == 1; }, 5000));
  ASSERT_TRUE(timer.SetTimer(kSecond, 2, false));
  EXPECT_EQ(1u, timer.getTimerMap().count(firedId));
  EXPECT_EQ(kSecond, timer.getTimerMap().at(firedId)) << "the new timer took the entry";
  ASSERT_TRUE(WaitFor([&] { return rec.count(kSecond) >= 3; }, 5000));
  EXPECT_EQ(1, rec.count(kFirst));
  EXPECT_FALSE(timer.KillTimer(kFirst)) << "its entry went to the new timer";
  EXPECT_TRUE(timer.KillTimer(kSecond));
}

// Stopping waits for a listener call in progress on the timer thread.

namespace {

enum class Stop { KillTimer, KillAllTimer, Unregister };

bool StopTimer(CmmTimer& timer, Stop how) {
  switch (how) {
    case Stop::KillTimer:
      return timer.KillTimer(kFirst);
    case Stop::KillAllTimer:
      return timer.KillAllTimer();
    case Stop::Unregister:
      timer.RegisterListener(nullptr);
      return true;
  }
  return false;
}

}  // namespace

TEST(MmTimerStopping, NoListenerCallRunsOrStartsAfterTheStopReturns) {
  for (Stop how : {Stop::KillTimer, Stop::KillAllTimer, Stop::Unregister}) {
    SCOPED_TRACE(static_cast<int>(how));
    SlowListener slow;
    CmmTimer timer;
    timer.RegisterListener(&slow);
    ASSERT_TRUE(timer.SetTimer(kFirst, 1, false));
    ASSERT_TRUE(WaitFor([&] { return slow.inside.load(); }, 5000));
    EXPECT_TRUE(StopTimer(timer, how));  // a tick is inside the listener now
    slow.destroyed = true;
    EXPECT_FALSE(slow.inside.load()) << "the stop returned while the listener ran";
    EXPECT_EQ(slow.entered.load(), slow.finished.load());
    ASSERT_TRUE(WaitForSentinel(200));
    EXPECT_EQ(0, slow.afterDestruction.load());
  }
}

namespace {

// Sleeps inside the tick, then acts on its own timer, while the test's
// thread stops the same timer and waits for this call.
class LateActingListener : public ImmTimerListener {
 public:
  enum class Action { Kill, KillAll, Set, Unregister, Register };
  explicit LateActingListener(Action action) : m_action(action) {}
  void OnTimer(UINT nIDEvent) override {
    inside = true;
    Sleep(100);
    switch (m_action) {
      case Action::Kill:
        timer->KillTimer(nIDEvent);
        break;
      case Action::KillAll:
        timer->KillAllTimer();
        break;
      case Action::Set:
        timer->SetTimer(nIDEvent, 1, false);
        break;
      case Action::Unregister:
        timer->RegisterListener(nullptr);
        break;
      case Action::Register:
        timer->RegisterListener(this);
        break;
    }
    ++finished;
    inside = false;
  }
  CmmTimer* timer = nullptr;
  std::atomic<bool> inside{false};
  std::atomic<int> finished{0};

 private:
  Action m_action;
};

}  // namespace

TEST(MmTimerStopping, TheListenerMayActOnItsTimerWhileTheCallerWaitsForIt) {
  using Action = LateActingListener::Action;
  for (Action action : {Action::Kill, Action::KillAll, Action::Set, Action::Unregister, Action::Register}) {
    SCOPED_TRACE(static_cast<int>(action));
    LateActingListener listener(action);
    CmmTimer timer;
    listener.timer = &timer;
    timer.RegisterListener(&listener);
    ASSERT_TRUE(timer.SetTimer(kFirst, 1, false));
    ASSERT_TRUE(WaitFor([&] { return listener.inside.load(); }, 5000));
    timer.KillAllTimer();  // waits for the tick, which acts on the timer meanwhile
    // A timer set again by the tick runs on, and may be inside its next tick.
    if (action != Action::Set) {
      EXPECT_FALSE(listener.inside.load());
    }
    EXPECT_GE(listener.finished.load(), 1);
    timer.RegisterListener(nullptr);  // a timer set again by the tick stops reaching it
    const int seen = listener.finished.load();
    ASSERT_TRUE(WaitForSentinel(150));
    EXPECT_EQ(seen, listener.finished.load());
  }
}

TEST(MmTimerStopping, TheListenerMayUnregisterOrReplaceItselfFromTheTick) {
  for (bool replace : {false, true}) {
    SCOPED_TRACE(replace);
    Recorder other;
    class Switcher : public ImmTimerListener {
     public:
      void OnTimer(UINT) override {
        ++ticks;
        timer->RegisterListener(next);
      }
      CmmTimer* timer = nullptr;
      ImmTimerListener* next = nullptr;
      std::atomic<int> ticks{0};
    } switcher;
    CmmTimer timer;
    switcher.timer = &timer;
    switcher.next = replace ? static_cast<ImmTimerListener*>(&other) : nullptr;
    timer.RegisterListener(&switcher);
    ASSERT_TRUE(timer.SetTimer(kFirst, 2, false));
    ASSERT_TRUE(WaitFor([&] { return timer.getListener() != &switcher; }, 5000));
    if (replace) {
      EXPECT_TRUE(WaitFor([&] { return other.count(kFirst) >= 2; }, 5000));
    }
    ASSERT_TRUE(WaitForSentinel(30));
    EXPECT_EQ(1, switcher.ticks.load());
    EXPECT_TRUE(timer.KillAllTimer());
  }
}
