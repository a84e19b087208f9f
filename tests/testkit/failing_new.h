// Allocation failure on demand, for the tests of the exception barriers.
//
// A program that links failing_new.cpp replaces the global operator new (all
// its forms go through it): once armed, the allocations after a given number
// of successful ones throw std::bad_alloc, until disarmed. Only code linked
// into the program is affected (a DLL keeps its own allocator), so the
// programs compile the sources they test into themselves. On i686 they link
// libstdc++ statically for the same reason (see zavrel_no_throw_test).
#pragma once

#include <cstddef>

namespace testkit {

// Arms the failure for its lifetime: `succeed` more allocations succeed,
// then `refuse` allocations throw (every later one by default); after those
// allocations succeed again, as when memory comes back. Not nested.
class FailAllocationsAfter {
 public:
  static const long kEvery = -1;
  explicit FailAllocationsAfter(long succeed, long refuse = kEvery);
  FailAllocationsAfter(const FailAllocationsAfter&) = delete;
  FailAllocationsAfter& operator=(const FailAllocationsAfter&) = delete;
  ~FailAllocationsAfter();
  // Whether an allocation has been refused since arming.
  bool Refused() const;
  // Disarms early (the destructor does it too).
  void Disarm();
};

// Runs step(succeed) for succeed = 0, 1, 2, ... until a run refuses no
// allocation (every allocation it needed succeeded), or `limit` runs. step
// arms the failure itself (FailAllocationsAfter) around the call it tests and
// answers whether an allocation was refused. Returns the number of runs.
template <class Step>
long SweepAllocationFailures(Step step, long limit = 20000) {
  long runs = 0;
  for (long succeed = 0; succeed < limit; ++succeed) {
    ++runs;
    if (!step(succeed)) break;
  }
  return runs;
}

}  // namespace testkit
