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
