// The replaced global operator new of failing_new.h.
#include "tests/testkit/failing_new.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> g_armed{false};
std::atomic<long> g_left{0};
std::atomic<bool> g_every{true};  // refuse every allocation past g_left
std::atomic<long> g_refusals{0};  // else: how many more to refuse
std::atomic<bool> g_refused{false};

bool Refuse() {
  if (!g_armed.load(std::memory_order_relaxed)) return false;
  if (g_left.fetch_sub(1, std::memory_order_relaxed) > 0) return false;
  return g_every.load(std::memory_order_relaxed) || g_refusals.fetch_sub(1, std::memory_order_relaxed) > 0;
}

void* Allocate(std::size_t size) {
  if (Refuse()) {
    g_refused.store(true, std::memory_order_relaxed);
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

namespace testkit {

FailAllocationsAfter::FailAllocationsAfter(long succeed, long refuse) {
  g_refused.store(false);
  g_left.store(succeed);
  g_every.store(refuse < 0);
  g_refusals.store(refuse);
  g_armed.store(true);
}

FailAllocationsAfter::~FailAllocationsAfter() { Disarm(); }

bool FailAllocationsAfter::Refused() const { return g_refused.load(); }

void FailAllocationsAfter::Disarm() { g_armed.store(false); }

}  // namespace testkit

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
