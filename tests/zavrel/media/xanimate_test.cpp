// CxAnimate: frames cut from a skin picture, stepped by the real UI timer.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/zavrel/media/media_pictures.h"
#include "zavrel/media/xanimate.h"

namespace {

using media_pictures::AreaIs;
using media_pictures::Put;
using media_pictures::Strip;

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kCells[] = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 220), RGB(230, 200, 0), RGB(120, 0, 140)};

// Records the listener's calls as text ("start 7", "update 2", "over 7"),
// an update with the frame current at that moment.
class Log : public CxAnimateListener {
 public:
  CxAnimate* animation = nullptr;
  std::vector<std::string> calls;
  std::vector<CRect> rects;
  int updates = 0;
  void OnAnimatePlayStart(int id) override { calls.push_back("start " + std::to_string(id)); }
  void OnAnimatePlayOver(int id) override { calls.push_back("over " + std::to_string(id)); }
  void OnAnimateUpdate(const CRect& rect) override {
    ++updates;
    rects.push_back(rect);
    calls.push_back("update " + std::to_string(animation ? animation->GetCurrentFrameIndex() : -99));
  }
};

class AnimateTest : public ::testing::Test {
 protected:
  skin_pictures::SkinFolder folder;
  // Three 20 x 20 frames: red, green, blue.
  std::string ThreeFrames(const std::string& file) {
    return Put(folder, file, Strip({kCells[0], kCells[1], kCells[2]}, 20, 20));
  }
};

}  // namespace

TEST_F(AnimateTest, CellsOfAStripAndTheNarrowLastCell) {
  // 100 x 20: ten 10-pixel columns of five colours, two columns each.
  std::vector<COLORREF> columns;
  for (COLORREF c : kCells) columns.insert(columns.end(), {c, c});
  columns[9] = RGB(10, 10, 10);  // the last column stands out
  const std::string name = Put(folder, "strip100.bmp", Strip(columns, 10, 20));

  CxAnimate anim;
  ASSERT_TRUE(anim.Load(name, CPoint(20, 20), nullptr));
  EXPECT_EQ(5, anim.GetFrameCount());
  EXPECT_EQ(CSize(20, 20), anim.GetFrameSize());

  ASSERT_TRUE(anim.Load(name, CPoint(30, 20), nullptr));
  EXPECT_EQ(4, anim.GetFrameCount());
  EXPECT_EQ(CSize(30, 20), anim.GetFrameSize());

  // Step to the last frame and draw it: 10 pixels wide, the last column.
  Log log;
  log.animation = &anim;
  anim.SetListener(&log);
  anim.Play(true, 100);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return anim.GetCurrentFrameIndex() == 3; }, 5000));
  testkit::MemorySurface surface(60, 30, kWhite);
  anim.Draw(&surface.dc, 5, 5);
  anim.Stop();
  EXPECT_TRUE(AreaIs(surface.dc, CRect(5, 5, 15, 25), RGB(10, 10, 10)));
  EXPECT_TRUE(AreaIs(surface.dc, CRect(15, 5, 40, 25), kWhite));
  EXPECT_TRUE(AreaIs(surface.dc, CRect(0, 0, 60, 5), kWhite));
}

TEST_F(AnimateTest, LoadRefusesBadCellsAndMissingPictures) {
  CxAnimate anim;
  ASSERT_TRUE(anim.Load(ThreeFrames("load3.bmp"), CPoint(20, 20), nullptr));
  ASSERT_EQ(3, anim.GetFrameCount());
  // A side that is not positive changes nothing.
  EXPECT_FALSE(anim.Load(folder.name() + "\\load3.bmp", CPoint(0, 20), nullptr));
  EXPECT_FALSE(anim.Load(folder.name() + "\\load3.bmp", CPoint(20, -1), nullptr));
  EXPECT_EQ(3, anim.GetFrameCount());
  EXPECT_EQ(CSize(20, 20), anim.GetFrameSize());
  // A missing picture: the old frames are gone, the cell size is kept.
  EXPECT_FALSE(anim.Load(folder.name() + "\\missing.bmp", CPoint(10, 10), nullptr));
  EXPECT_EQ(0, anim.GetFrameCount());
  EXPECT_EQ(CSize(10, 10), anim.GetFrameSize());
}

TEST_F(AnimateTest, ForwardsOnceThenOverAndOneMoreUpdate) {
  CxAnimate anim;
  ASSERT_TRUE(anim.Load(ThreeFrames("fwd.bmp"), CPoint(20, 20), nullptr));
  Log log;
  log.animation = &anim;
  anim.SetListener(&log);
  anim.SetAnimateID(7);
  EXPECT_EQ(7, anim.GetAnimateID());
  anim.Play(true, 50);
  EXPECT_EQ(0, anim.GetCurrentFrameIndex());
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return log.calls.size() >= 5; }, 5000));
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(100));  // nothing more comes
  const std::vector<std::string> expected = {"start 7", "update 1", "update 2", "over 7", "update 0"};
  EXPECT_EQ(expected, log.calls);
  // Rests at frame 0, stopped: Draw paints nothing.
  EXPECT_EQ(0, anim.GetCurrentFrameIndex());
  testkit::MemorySurface surface(30, 30, kWhite);
  anim.Draw(&surface.dc, 0, 0);
  EXPECT_TRUE(AreaIs(surface.dc, CRect(0, 0, 30, 30), kWhite));
}

TEST_F(AnimateTest, LoopingNeverEnds) {
  CxAnimate anim;
  ASSERT_TRUE(anim.Load(ThreeFrames("loop.bmp"), CPoint(20, 20), nullptr));
  Log log;
  log.animation = &anim;
  anim.SetListener(&log);
  anim.SetAnimateID(3);
  anim.Loop(true);
  anim.Play(true, 50);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return log.updates >= 7; }, 5000));
  anim.Stop();
  const std::vector<std::string> expected = {"start 3",  "update 1", "update 2", "update 0",
                                             "update 1", "update 2", "update 0", "update 1"};
  EXPECT_EQ(expected, log.calls);
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(100));
  EXPECT_EQ(8u, log.calls.size());  // stopped: no more steps
}

TEST_F(AnimateTest, ReversedStartsAtTheLastFrame) {
  CxAnimate anim;
  ASSERT_TRUE(anim.Load(ThreeFrames("rev.bmp"), CPoint(20, 20), nullptr));
  Log log;
  log.animation = &anim;
  anim.SetListener(&log);
  anim.SetAnimateID(5);
  anim.SetReverse(true);
  anim.Play(true, 50);
  EXPECT_EQ(2, anim.GetCurrentFrameIndex());
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return log.calls.size() >= 5; }, 5000));
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(100));
  const std::vector<std::string> expected = {"start 5", "update 1", "update 0", "over 5", "update 0"};
  EXPECT_EQ(expected, log.calls);

  // Reversed and looping: from frame 0 back to the last.
  log.calls.clear();
  anim.Loop(true);
  anim.Play(true, 50);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return log.calls.size() >= 5; }, 5000));
  anim.Stop();
  const std::vector<std::string> looped = {"start 5", "update 1", "update 0", "update 2", "update 1"};
  EXPECT_EQ(looped, log.calls);
}

TEST_F(AnimateTest, PlayFalseStopsWithoutARateAndARateOfZeroStartsNothing) {
  CxAnimate anim;
  ASSERT_TRUE(anim.Load(ThreeFrames("zero.bmp"), CPoint(20, 20), nullptr));
  Log log;
  log.animation = &anim;
  anim.SetListener(&log);
  anim.SetAnimateID(9);
  anim.Loop(true);
  anim.Play(true, 50);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return log.updates >= 2; }, 5000));
  anim.Play(false, 0);  // would divide by zero if it computed an interval
  const int seen = log.updates;
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(150));
  EXPECT_EQ(seen, log.updates);
  EXPECT_EQ(0, anim.GetCurrentFrameIndex());

  anim.Play(true, 0);
  anim.Play(true, -4);
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(100));
  EXPECT_EQ(seen, log.updates);
  EXPECT_EQ(1u, std::count(log.calls.begin(), log.calls.end(), "start 9"));
}

TEST_F(AnimateTest, SetAnimSpeedLeavesTheRunningTimerAlone) {
  CxAnimate anim;
  ASSERT_TRUE(anim.Load(ThreeFrames("speed.bmp"), CPoint(20, 20), nullptr));
  Log log;
  anim.SetListener(&log);
  anim.Loop(true);
  anim.Play(true, 50);   // every 20 ms
  anim.SetAnimSpeed(1);  // 1000 ms from the next Play on
  anim.SetAnimSpeed(0);  // ignored
  // Five steps well before a second would have passed.
  const DWORD start = GetTickCount();
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return log.updates >= 5; }, 3000));
  EXPECT_LT(GetTickCount() - start, 900u);

  // A copy takes its timer's interval from the setting: 1000 ms.
  CxAnimate copy(anim);
  Log copyLog;
  copy.SetListener(&copyLog);
  const DWORD copied = GetTickCount();
  const int before = log.updates;
  EXPECT_TRUE(testkit::PumpMessagesUntil([&] { return log.updates >= before + 3; }, 3000));
  if (GetTickCount() - copied < 900) {
    EXPECT_EQ(0, copyLog.updates);
  }
}

TEST_F(AnimateTest, DrawPaintsTheCurrentFrameWhereAsked) {
  CxAnimate anim;
  ASSERT_TRUE(anim.Load(ThreeFrames("draw.bmp"), CPoint(20, 20), nullptr));
  Log log;
  log.animation = &anim;
  anim.SetListener(&log);
  testkit::MemorySurface surface(60, 40, kWhite);

  anim.Draw(&surface.dc, 10, 10);  // not playing yet
  EXPECT_TRUE(AreaIs(surface.dc, CRect(0, 0, 60, 40), kWhite));

  anim.Play(true, 20);
  anim.Draw(nullptr, 10, 10);  // no context: nothing, and no crash
  anim.Draw(&surface.dc, 10, 10);
  EXPECT_TRUE(AreaIs(surface.dc, CRect(10, 10, 30, 30), kCells[0]));
  EXPECT_TRUE(AreaIs(surface.dc, CRect(30, 0, 60, 40), kWhite));
  EXPECT_EQ(kWhite, surface.dc.GetPixel(9, 10));

  // The update names the frame's area at the last Draw position.
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return log.updates >= 1; }, 5000));
  EXPECT_EQ(CRect(10, 10, 30, 30), log.rects.front());
  anim.Draw(&surface.dc, 35, 15);
  EXPECT_TRUE(AreaIs(surface.dc, CRect(35, 15, 55, 35), kCells[1]));
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return log.updates >= 2; }, 5000));
  EXPECT_EQ(CRect(35, 15, 55, 35), log.rects[1]);
  anim.Stop();
}

TEST_F(AnimateTest, ACopyHasATimerOfItsOwn) {
  auto original = std::make_unique<CxAnimate>();
  ASSERT_TRUE(original->Load(ThreeFrames("copy.bmp"), CPoint(20, 20), nullptr));
  Log first, second;
  original->SetListener(&first);
  original->Loop(true);
  original->Play(true, 50);

  auto copy = std::make_unique<CxAnimate>(*original);
  EXPECT_EQ(3, copy->GetFrameCount());
  copy->SetListener(&second);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return first.updates >= 3 && second.updates >= 3; }, 5000));

  // Destroying the copy leaves the original ticking.
  copy.reset();
  const int seen = first.updates;
  EXPECT_TRUE(testkit::PumpMessagesUntil([&] { return first.updates >= seen + 3; }, 5000));

  // An assigned animation runs on its own timer too: stopping the source
  // does not stop it, and its earlier run is replaced.
  CxAnimate assigned;
  Log third;
  ASSERT_TRUE(assigned.Load(ThreeFrames("copy2.bmp"), CPoint(10, 10), nullptr));
  assigned.Play(true, 50);
  assigned = *original;
  assigned.SetListener(&third);
  EXPECT_EQ(CSize(20, 20), assigned.GetFrameSize());
  original->Stop();
  const int stopped = first.updates;
  EXPECT_TRUE(testkit::PumpMessagesUntil([&] { return third.updates >= 3; }, 5000));
  EXPECT_EQ(stopped, first.updates);
  original.reset();
  const int alive = third.updates;
  EXPECT_TRUE(testkit::PumpMessagesUntil([&] { return third.updates >= alive + 2; }, 5000));
}

namespace {

// Deletes the animation when its run is over.
class Deleter : public CxAnimateListener {
 public:
  CxAnimate* animation = nullptr;
  std::vector<std::string> calls;
  void OnAnimatePlayOver(int) override {
    calls.push_back("over");
    delete animation;
    animation = nullptr;
  }
  void OnAnimateUpdate(const CRect&) override { calls.push_back("update"); }
};

}  // namespace

TEST_F(AnimateTest, TheListenerMayDeleteTheAnimationWhenItIsOver) {
  Deleter listener;
  listener.animation = new CxAnimate;
  ASSERT_TRUE(listener.animation->Load(ThreeFrames("delete.bmp"), CPoint(20, 20), nullptr));
  listener.animation->SetListener(&listener);
  listener.animation->Play(true, 50);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return listener.animation == nullptr; }, 5000));
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(100));
  const std::vector<std::string> expected = {"update", "update", "over"};
  EXPECT_EQ(expected, listener.calls);
}

namespace {

// The process-wide timer table, for the identifiers of running animations.
class TimerTable : public CUiTimer {
 public:
  static std::map<UINT, CUiTimer*>& Get() { return getTimerMap(); }
};

}  // namespace

TEST_F(AnimateTest, StoppingAgainLeavesATimerThatReusedTheIdentifierAlone) {
  const std::string name = ThreeFrames("reuse.bmp");
  CxAnimate first, second;
  ASSERT_TRUE(first.Load(name, CPoint(20, 20), nullptr));
  ASSERT_TRUE(second.Load(name, CPoint(20, 20), nullptr));
  ASSERT_TRUE(TimerTable::Get().empty());
  first.Play(true, 50);
  ASSERT_EQ(1u, TimerTable::Get().size());
  const UINT used = TimerTable::Get().begin()->first;
  first.Stop();

  // Start and stop the second animation until the system hands it the
  // identifier the first one had (Wine counts down through 0x7F00 of them,
  // Windows reuses freed ones sooner).
  bool reused = false;
  for (int i = 0; i < 0x10000 && !reused; ++i) {
    second.Play(true, 50);
    reused = TimerTable::Get().count(used) == 1;
    if (!reused) second.Stop();
  }
  ASSERT_TRUE(reused) << "no timer identifier came back";
  Log log;
  second.SetListener(&log);
  second.Loop(true);

  // The first animation is stopped already; stopping it again must not stop
  // the timer that now carries its old identifier.
  first.Stop();
  first.Pause();
  first.Play(false, 0);
  EXPECT_EQ(1u, TimerTable::Get().count(used));
  EXPECT_TRUE(testkit::PumpMessagesUntil([&] { return log.updates >= 3; }, 5000));
}

TEST_F(AnimateTest, AbsurdFrameCountIsRefusedWithoutFrames) {
  // One-pixel cells of a 200 x 200 picture would be 40,000 frames: the
  // load answers false and keeps none (no exception, no huge allocation).
  std::vector<COLORREF> columns(5, kCells[0]);
  const std::string file = Put(folder, "big.bmp", Strip(columns, 40, 200));
  CxAnimate animation;
  EXPECT_FALSE(animation.Load(file, CPoint(1, 1)));
  EXPECT_EQ(0, animation.GetFrameCount());
  EXPECT_TRUE(animation.Load(file, CPoint(40, 200)));  // five frames
  EXPECT_EQ(5, animation.GetFrameCount());
}
