// UniqueOwner over a fake handle kind (an int whose "none" is -1, like a
// descriptor), whose close function records what it closed and clobbers the
// thread's last error as a failing close does.
#include "base/unique_owner.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <utility>
#include <vector>

#include "base/file_owner.h"

namespace {

std::vector<int> g_closed;
std::function<void()> g_duringClose;  // runs inside the close, then is cleared

void FakeClose(int value) {
  g_closed.push_back(value);
  errno = EBADF;
#ifdef _WIN32
  ::SetLastError(ERROR_INVALID_HANDLE);
#endif
  if (g_duringClose) std::exchange(g_duringClose, nullptr)();
}

using UniqueFake = UniqueOwner<CloseWith<int, FakeClose, -1>>;

static_assert(sizeof(UniqueFake) == sizeof(int), "an owner is the size of its handle");
static_assert(!std::is_copy_constructible_v<UniqueFake> && !std::is_copy_assignable_v<UniqueFake>, "move-only");
static_assert(!std::is_convertible_v<UniqueFake, int>, "never converts to its handle by itself");

class UniqueOwnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_closed.clear();
    g_duringClose = nullptr;
  }
};

TEST_F(UniqueOwnerTest, MovesHandOverWithoutClosingAndCloseOnce) {
  {
    UniqueFake a(3);
    UniqueFake b(std::move(a));
    EXPECT_FALSE(a.valid());
    EXPECT_EQ(-1, a.get());
    EXPECT_EQ(3, b.get());
    UniqueFake c(7);
    c = std::move(b);  // closes what c held, takes b's
    EXPECT_EQ(std::vector<int>({7}), g_closed);
    EXPECT_EQ(3, c.get());
    UniqueFake& alias = c;
    c = std::move(alias);  // moving onto itself keeps the handle
    EXPECT_EQ(3, c.get());
    EXPECT_EQ(std::vector<int>({7}), g_closed);
  }
  EXPECT_EQ(std::vector<int>({7, 3}), g_closed);
}

TEST_F(UniqueOwnerTest, EmptyValueIsNeverClosedAndReleaseGivesUp) {
  {
    UniqueFake none;
    EXPECT_FALSE(none);
    none.reset(-1);
    UniqueFake given(4);
    EXPECT_EQ(4, given.release());
    EXPECT_FALSE(given);
  }
  EXPECT_TRUE(g_closed.empty());
}

TEST_F(UniqueOwnerTest, PutClosesWhatIsHeldAndTakesTheFilledValue) {
  UniqueFake owner(5);
  int* slot = owner.put();
  EXPECT_EQ(std::vector<int>({5}), g_closed);
  EXPECT_EQ(-1, *slot);
  *slot = 6;  // as a function with an out parameter does
  EXPECT_EQ(6, owner.get());
  owner.reset();
  EXPECT_EQ(std::vector<int>({5, 6}), g_closed);
}

TEST_F(UniqueOwnerTest, LastErrorIsKeptAcrossAClose) {
  UniqueFake owner(8);
  errno = ENOENT;
#ifdef _WIN32
  ::SetLastError(ERROR_FILE_NOT_FOUND);
#endif
  owner.reset();
  ASSERT_EQ(std::vector<int>({8}), g_closed);  // the close ran, and clobbered both
  EXPECT_EQ(ENOENT, errno);
#ifdef _WIN32
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), ::GetLastError());
#endif
}

// A close that reaches the owner again (a released object whose end resets
// or refills the owner that held it) finds it already empty: nothing is
// closed twice, and what it stores there stays.
TEST_F(UniqueOwnerTest, CloseThatReentersTheOwnerClosesOnce) {
  UniqueFake owner(9);
  g_duringClose = [&] { owner.reset(); };
  owner.reset();
  EXPECT_EQ(std::vector<int>({9}), g_closed);

  owner.reset(10);
  g_duringClose = [&] { owner.reset(11); };
  owner.reset();
  EXPECT_EQ(11, owner.get());
  EXPECT_EQ(std::vector<int>({9, 10}), g_closed);
}

void FakePointerClose(void*) {}

TEST(CloseWith, EmptyValueOfAPointerKindMayBeNonNull) {
  EXPECT_EQ(reinterpret_cast<void*>(-1), (CloseWith<void*, FakePointerClose, -1>::Empty()));
  EXPECT_EQ(nullptr, (CloseWith<void*, FakePointerClose>::Empty()));
}

TEST(UniqueFile, ClosesTheStreamAndKeepsErrno) {
  UniqueFile file(std::tmpfile());
  ASSERT_TRUE(file);
  ASSERT_EQ(3u, std::fwrite("abc", 1, 3, file.get()));
  errno = ENOENT;
  file.reset();
  EXPECT_FALSE(file);
  EXPECT_EQ(ENOENT, errno);
}

}  // namespace
