// CxGifAnimate: the frames of an animated GIF, stepped by the real UI timer.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/zavrel/media/media_pictures.h"
#include "zavrel/media/xgif_animate.h"

namespace {

using media_pictures::AreaIs;
using media_pictures::Put;

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255), kGrey = RGB(90, 90, 90);

// Draws every frame it is told about into a surface and notes its colour.
class Viewer : public CxGifAnimateListener {
 public:
  CxGifAnimate* animation = nullptr;
  testkit::MemorySurface surface{20, 20, kWhite};
  std::vector<std::string> calls;
  std::vector<COLORREF> seen;
  int updates = 0;

  void Look() {
    surface.dc.FillSolidRect(0, 0, 20, 20, kWhite);
    animation->Draw(&surface.dc, 2, 3);
    seen.push_back(surface.dc.GetPixel(3, 4));
  }
  void OnGifAnimatePlayStart(int id) override { calls.push_back("start " + std::to_string(id)); }
  void OnGifAnimatePlayOver(int id) override { calls.push_back("over " + std::to_string(id)); }
  void OnGifAnimateUpdate(const CRect& rect) override {
    ++updates;
    calls.push_back("update " + std::to_string(animation->GetCurrentFrameIndex()));
    if (rect != CRect(2, 3, 6, 7)) calls.push_back("bad rectangle");
    Look();
  }
};

class GifAnimateTest : public ::testing::Test {
 protected:
  skin_pictures::SkinFolder folder;
  // An endless animated GIF of 4 x 4 frames: red, green, blue.
  std::string ThreeColours(const std::string& file) {
    std::vector<picture_files::GifFrame> frames(3);
    for (int i = 0; i < 3; ++i) frames[i].indices.assign(16, static_cast<BYTE>(i));
    return Put(folder, file, picture_files::Gif(4, 4, {kRed, kGreen, kBlue, kGrey}, frames));
  }
};

}  // namespace

TEST_F(GifAnimateTest, FramesInOrderThenRestingOnePastTheLast) {
  CxGifAnimate anim;
  EXPECT_EQ(-1, anim.GetAnimateID());
  ASSERT_TRUE(anim.Load(ThreeColours("three.gif")));
  EXPECT_EQ(3, anim.GetFrameCount());
  EXPECT_EQ(CSize(4, 4), anim.GetFrameSize());
  EXPECT_EQ(4, anim.GetAnimateWidth());
  EXPECT_EQ(4, anim.GetAnimateHeight());
  EXPECT_FALSE(anim.IsPlaying());

  Viewer viewer;
  viewer.animation = &anim;
  anim.SetListener(&viewer);
  anim.SetAnimateID(11);
  anim.Play(50);
  EXPECT_TRUE(anim.IsPlaying());
  viewer.Look();  // the first frame, before any step
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return viewer.calls.size() >= 5; }, 5000));
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(100));
  const std::vector<std::string> expected = {"start 11", "update 1", "update 2", "over 11", "update 3"};
  EXPECT_EQ(expected, viewer.calls);
  const std::vector<COLORREF> colours = {kRed, kGreen, kBlue, kWhite};
  EXPECT_EQ(colours, viewer.seen);
  EXPECT_EQ(3, anim.GetCurrentFrameIndex());
  EXPECT_FALSE(anim.IsPlaying());
}

TEST_F(GifAnimateTest, ReversedLoopingAndStopKeepingTheFrame) {
  CxGifAnimate anim;
  ASSERT_TRUE(anim.Load(ThreeColours("reverse.gif")));
  Viewer viewer;
  viewer.animation = &anim;
  anim.SetListener(&viewer);
  anim.SetReverse(true);
  anim.Loop(true);
  anim.Play(50);
  EXPECT_EQ(2, anim.GetCurrentFrameIndex());
  viewer.Look();
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return viewer.updates >= 4; }, 5000));
  anim.Stop();
  const std::vector<COLORREF> colours = {kBlue, kGreen, kRed, kBlue, kGreen};
  EXPECT_EQ(colours, viewer.seen);
  // Stop keeps the frame where it was; Draw paints nothing while stopped.
  EXPECT_EQ(1, anim.GetCurrentFrameIndex());
  EXPECT_FALSE(anim.IsPlaying());
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(100));
  EXPECT_EQ(4, viewer.updates);

  // Not looping, reversed: rests one before the first frame.
  anim.Loop(false);
  viewer.calls.clear();
  anim.Play(50);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return viewer.calls.size() >= 5; }, 5000));
  const std::vector<std::string> expected = {"start -1", "update 1", "update 0", "over -1", "update -1"};
  EXPECT_EQ(expected, viewer.calls);
}

TEST_F(GifAnimateTest, AStillPictureIsOneFrameAndAMissingOneNone) {
  CxGifAnimate anim;
  const std::string still = Put(folder, "still.bmp", media_pictures::Strip({kGreen, kBlue}, 5, 7));
  ASSERT_TRUE(anim.Load(still));
  EXPECT_EQ(1, anim.GetFrameCount());
  EXPECT_EQ(CSize(10, 7), anim.GetFrameSize());
  EXPECT_FALSE(anim.Load(folder.name() + "\\none.gif"));
  EXPECT_EQ(0, anim.GetFrameCount());
}

TEST_F(GifAnimateTest, ACopyPlaysOnItsOwnTimer) {
  auto original = std::make_unique<CxGifAnimate>();
  ASSERT_TRUE(original->Load(ThreeColours("copy.gif")));
  Viewer first, second;
  first.animation = original.get();
  original->SetListener(&first);
  original->Loop(true);
  original->Play(50);
  auto copy = std::make_unique<CxGifAnimate>(*original);
  second.animation = copy.get();
  copy->SetListener(&second);
  EXPECT_TRUE(copy->IsPlaying());
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return first.updates >= 3 && second.updates >= 3; }, 5000));
  copy.reset();
  const int seen = first.updates;
  EXPECT_TRUE(testkit::PumpMessagesUntil([&] { return first.updates >= seen + 3; }, 5000));
  original->Stop();
}
