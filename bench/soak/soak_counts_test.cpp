// The soak's counts of the process: a thread is counted with its stack and
// named by where it started, and its stack is not counted again as private
// memory (one stack is megabytes under Wine, beyond the memory bound).
#include "bench/soak/soak_counts.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

long CountOf(const std::vector<std::string>& origins, const std::string& prefix) {
  return static_cast<long>(std::count_if(origins.begin(), origins.end(), [&](const std::string& origin) {
    return origin.compare(0, prefix.size(), prefix) == 0;
  }));
}

}  // namespace

TEST(SoakCounts, AThreadIsCountedWithWhatItHoldsAndItsOrigin) {
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof(path)), 0u);
  const std::string self = std::string(std::strrchr(path, '\\') + 1) + "+0x";

  const SoakResourceCounts before = TakeSoakResourceCounts();
  const long ownBefore = CountOf(SoakThreadOrigins(), self);
  ASSERT_GT(before.threads, 0);
  ASSERT_GT(SoakThreadCost(), 0);
  EXPECT_EQ(static_cast<double>(before.threads) * SoakThreadCost(), before.threadBytes);

  SoakResourceCounts during;
  long ownDuring = 0;
  {
    const SoakParkedThread thread;
    ASSERT_TRUE(thread.Running());
    during = TakeSoakResourceCounts();
    ownDuring = CountOf(SoakThreadOrigins(), self);
  }

  EXPECT_EQ(before.threads + 1, during.threads);
  EXPECT_EQ(ownBefore + 1, ownDuring) << "the new thread is named by this program";
  // The thread's memory is in the private bytes once, and in what the
  // threads hold once: the difference does not move.
  const double rawGrowth = during.privateBytes - before.privateBytes;
  const double netGrowth = (during.privateBytes - during.threadBytes) - (before.privateBytes - before.threadBytes);
  EXPECT_GT(rawGrowth, 0);
  EXPECT_LT(std::abs(netGrowth), 256.0 * 1024) << "the thread added " << rawGrowth << " bytes";

  EXPECT_EQ(before.threads, TakeSoakResourceCounts().threads) << "an ended thread is not counted";
}
