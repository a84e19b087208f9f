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
