// Named owners of the Win32 handle kinds the project holds (see
// unique_owner.h). GDI objects and device contexts are owned through the
// framework's classes (CBitmap, CDC, ...) instead.
#pragma once

#include "base/win_types.h"

#include <oleauto.h>

#include <cstdint>

#include "base/unique_owner.h"

namespace owner_traits {

// INVALID_HANDLE_VALUE as an empty value of CloseWith.
constexpr std::intptr_t kInvalidHandle = -1;

// Gives up a reference to a COM interface.
template <class Interface>
void ReleaseInterface(Interface* p) noexcept {
  p->Release();
}

}  // namespace owner_traits

// Kernel objects whose "none" is null: events, threads, processes, tokens.
using UniqueHandle = UniqueOwner<CloseWith<HANDLE, ::CloseHandle>>;
// Kernel objects whose "none" is INVALID_HANDLE_VALUE: files, snapshots.
using UniqueFileHandle = UniqueOwner<CloseWith<HANDLE, ::CloseHandle, owner_traits::kInvalidHandle>>;
using UniqueFindHandle = UniqueOwner<CloseWith<HANDLE, ::FindClose, owner_traits::kInvalidHandle>>;
using UniqueModule = UniqueOwner<CloseWith<HMODULE, ::FreeLibrary>>;
using UniqueWindow = UniqueOwner<CloseWith<HWND, ::DestroyWindow>>;
using UniqueRegKey = UniqueOwner<CloseWith<HKEY, ::RegCloseKey>>;
using UniqueGlobal = UniqueOwner<CloseWith<HGLOBAL, ::GlobalFree>>;
using UniqueIcon = UniqueOwner<CloseWith<HICON, ::DestroyIcon>>;
// A string of COM automation (SysAllocString).
using UniqueBstr = UniqueOwner<CloseWith<BSTR, ::SysFreeString>>;
// A reference to a COM interface, given up with Release.
template <class Interface>
using UniqueComPtr = UniqueOwner<CloseWith<Interface*, owner_traits::ReleaseInterface<Interface>>>;

// GDI objects and device contexts that no framework class owns: a brush
// made for one paint, a window's device context (GetDC, given back with
// ReleaseDC to the same window).
namespace owner_traits {

struct WindowDcHandle {
  HWND window;
  HDC dc;
  friend bool operator==(const WindowDcHandle& a, const WindowDcHandle& b) noexcept {
    return a.window == b.window && a.dc == b.dc;
  }
};

struct WindowDc {
  using Type = WindowDcHandle;
  static Type Empty() noexcept { return {nullptr, nullptr}; }
  static void Close(Type h) noexcept {
    if (h.dc) ::ReleaseDC(h.window, h.dc);
  }
};

}  // namespace owner_traits

using UniqueBrush = UniqueOwner<CloseWith<HBRUSH, ::DeleteObject>>;

// The device context of window (null: the screen's); empty, dc() null,
// when none could be had.
class UniqueWindowDc : public UniqueOwner<owner_traits::WindowDc> {
 public:
  UniqueWindowDc() noexcept = default;
  explicit UniqueWindowDc(HWND window) noexcept : UniqueOwner<owner_traits::WindowDc>(Get(window)) {}
  HDC dc() const noexcept { return get().dc; }

 private:
  static owner_traits::WindowDcHandle Get(HWND window) noexcept {
    HDC dc = ::GetDC(window);
    return dc ? owner_traits::WindowDcHandle{window, dc} : owner_traits::WindowDc::Empty();
  }
};
