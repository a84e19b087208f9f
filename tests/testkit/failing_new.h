// Allocation failure on demand, for the tests of the exception barriers.
//
// A program that links failing_new.cpp replaces the global operator new (all
// its forms go through it): once armed, the allocations after a given number
// of successful ones throw std::bad_alloc, until disarmed. Only code linked
// into the program is affected (a DLL keeps its own allocator), so the
// programs compile the sources they test into themselves.
#pragma once

#include <cstddef>

namespace testkit {

// Arms the failure for its lifetime: `succeed` more allocations succeed,
// every later one throws. Not nested.
class FailAllocationsAfter {
 public:
  explicit FailAllocationsAfter(long succeed);
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
