// The exception barrier of members and slots that a host calls.
//
// A host may be built with another compiler or runtime and cannot catch our
// exceptions, and unwinding through a C export or a COM slot is undefined.
// So every entry point that may allocate runs its body through NoThrow: the
// body's result, or `failed` when anything is thrown (std::bad_alloc from an
// absurd count or a huge text is the usual one). Nothing escapes.
//
//   bool CFoo::Load(LPCSTR path) {
//     return NoThrow(false, [&] { return LoadFile(path); });
//   }
#pragma once

#include <utility>

template <class Result, class Body>
Result NoThrow(Result failed, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return failed;
  }
}

// For members that report nothing: the body's effect, or none of it past the
// point where it threw.
template <class Body>
void NoThrowVoid(Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
  } catch (...) {
  }
}
