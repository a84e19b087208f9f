// UniqueOwner: the one move-only owner of a system handle.
//
// The traits fix the handle type, its empty value and its close function.
// CloseWith builds them from the close function itself, so that a kind of
// handle takes one line:
//
//   using UniqueRegKey = UniqueOwner<CloseWith<HKEY, ::RegCloseKey>>;
//   using UniqueFileHandle = UniqueOwner<CloseWith<HANDLE, ::CloseHandle, -1>>;
//
// (the third argument is the empty value as an integer, for the kinds whose
// "none" is not 0, such as INVALID_HANDLE_VALUE). Hand-written traits have
// the same shape:
//
//   struct Traits {
//     using Type = ...;
//     static Type Empty() noexcept;
//     static void Close(Type) noexcept;   // called only for a non-empty value
//   };
//
// Closing never throws and keeps the thread's last error (errno, and on
// Windows also GetLastError), so an owner that goes out of scope on a
// failure path does not overwrite the error the caller is about to read. An
// owner is exactly the size of its handle, and never converts to it by
// itself: get() lends it, release() gives it up, put() hands its address to
// a function that fills it.
#pragma once

#include <cerrno>
#include <cstdint>
#include <type_traits>
#include <utility>

#ifdef _WIN32
#include "base/win_types.h"
#endif

// Traits of a handle of type T closed by CloseFn (a function, or a pointer to
// one, of any calling convention: Win32's are __stdcall on i686; what it
// answers is ignored) whose empty value is EmptyValue.
template <class T, auto CloseFn, std::intptr_t EmptyValue = 0>
struct CloseWith {
  using Type = T;
  static Type Empty() noexcept {
    if constexpr (std::is_pointer_v<T>) {
      return reinterpret_cast<T>(EmptyValue);
    } else {
      return static_cast<T>(EmptyValue);
    }
  }
  static void Close(Type value) noexcept { CloseFn(value); }
};

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
    const int savedErrno = errno;
#ifdef _WIN32
    const DWORD lastError = ::GetLastError();
    Traits::Close(old);
    ::SetLastError(lastError);
#else
    Traits::Close(old);
#endif
    errno = savedErrno;
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
