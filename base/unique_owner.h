// UniqueOwner: the one move-only owner of a system handle.
//
// The traits fix the handle type, its empty value and its close function:
//
//   struct Traits {
//     using Type = ...;
//     static Type Empty() noexcept;
//     static void Close(Type) noexcept;   // called only for a non-empty value
//   };
//
// Closing never throws and keeps the thread's last error (GetLastError on
// Windows, errno elsewhere), so an owner that goes out of scope on a failure
// path does not overwrite the error the caller is about to read. An owner
// never converts to its raw handle by itself: get() lends it, release() gives
// it up, put() hands its address to a function that fills it.
#pragma once

#include <cerrno>
#include <utility>

#ifdef _WIN32
#include "base/win_types.h"
#endif

template <class Traits>
class UniqueOwner {
 public:
  using Type = typename Traits::Type;

  UniqueOwner() noexcept : value_(Traits::Empty()) {}
  explicit UniqueOwner(Type value) noexcept : value_(value) {}
  ~UniqueOwner() { reset(); }

  UniqueOwner(UniqueOwner&& other) noexcept : value_(other.release()) {}
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;

  Type get() const noexcept { return value_; }
  bool valid() const noexcept { return !(value_ == Traits::Empty()); }
  explicit operator bool() const noexcept { return valid(); }

  // Gives the handle up without closing it; the owner is empty afterwards.
  Type release() noexcept { return std::exchange(value_, Traits::Empty()); }

  // Closes what is held (keeping the last error) and takes `value`.
  void reset(Type value = Traits::Empty()) noexcept {
    const Type old = std::exchange(value_, value);
    if (old == Traits::Empty()) return;
#ifdef _WIN32
    const DWORD lastError = ::GetLastError();
    Traits::Close(old);
    ::SetLastError(lastError);
#else
    const int savedErrno = errno;
    Traits::Close(old);
    errno = savedErrno;
#endif
  }

  // Closes what is held and answers the address of the empty slot, for a
  // function that returns a new handle through an out parameter.
  Type* put() noexcept {
    reset();
    return &value_;
  }

 private:
  Type value_;
};
