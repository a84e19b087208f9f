// Named owners of the Win32 handle kinds the project holds (see
// unique_owner.h). GDI objects and device contexts are owned through the
// framework's classes (CBitmap, CDC, ...) instead.
#pragma once

#include "base/win_types.h"

#include <oleauto.h>

#include "base/unique_owner.h"

namespace owner_traits {

// Kernel objects whose "none" is null: events, threads, processes, tokens.
struct KernelHandle {
  using Type = HANDLE;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};

// Kernel objects whose "none" is INVALID_HANDLE_VALUE: files, snapshots.
struct FileHandle {
  using Type = HANDLE;
  static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};

struct FindHandle {
  using Type = HANDLE;
  static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::FindClose(h); }
};

struct Module {
  using Type = HMODULE;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::FreeLibrary(h); }
};

struct Window {
  using Type = HWND;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DestroyWindow(h); }
};

struct RegKey {
  using Type = HKEY;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::RegCloseKey(h); }
};

struct GlobalMemory {
  using Type = HGLOBAL;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::GlobalFree(h); }
};

struct Icon {
  using Type = HICON;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DestroyIcon(h); }
};

// A string of COM automation (SysAllocString).
struct Bstr {
  using Type = BSTR;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type s) noexcept { ::SysFreeString(s); }
};

// A reference to a COM interface, given up with Release.
template <class Interface>
struct ComInterface {
  using Type = Interface*;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type p) noexcept { p->Release(); }
};

}  // namespace owner_traits

using UniqueHandle = UniqueOwner<owner_traits::KernelHandle>;
using UniqueFileHandle = UniqueOwner<owner_traits::FileHandle>;
using UniqueFindHandle = UniqueOwner<owner_traits::FindHandle>;
using UniqueModule = UniqueOwner<owner_traits::Module>;
using UniqueWindow = UniqueOwner<owner_traits::Window>;
using UniqueRegKey = UniqueOwner<owner_traits::RegKey>;
using UniqueGlobal = UniqueOwner<owner_traits::GlobalMemory>;
using UniqueIcon = UniqueOwner<owner_traits::Icon>;
using UniqueBstr = UniqueOwner<owner_traits::Bstr>;
template <class Interface>
using UniqueComPtr = UniqueOwner<owner_traits::ComInterface<Interface>>;

// GDI objects and device contexts that no framework class owns: a brush
// made for one paint, a window's device context (GetDC, given back with
// ReleaseDC to the same window).
namespace owner_traits {

struct Brush {
  using Type = HBRUSH;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteObject(h); }
};

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

using UniqueBrush = UniqueOwner<owner_traits::Brush>;

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
