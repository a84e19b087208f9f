// Pieces every in-process COM server of the stand-ins shares: the count of
// live objects that DllCanUnloadNow answers from, and self-registration of
// a list of classes (DllRegisterServer / DllUnregisterServer). Windows only.
//
// ComServerRegister writes, for each class, HKEY_CLASSES_ROOT\CLSID\{clsid}
// with its name, InprocServer32 (the module's path, apartment threaded),
// Control (for a control), ProgID, and the programmatic identifier's key
// back to the class (for a class that has one). ComServerUnregister deletes
// those keys; a key that is already absent is no error.
#pragma once

#include <objbase.h>
#include <olectl.h>

#include <atomic>
#include <cstddef>
#include <string>

#include "base/win_owners.h"

struct ComServerClass {
  const CLSID* clsid;
  const char* name;
  const char* progId;   // null: none
  bool control = true;  // an ActiveX control (the Control key)
};

// Objects alive in the module, and server locks.
struct ComServerCounts {
  std::atomic<long> objects{0};
  std::atomic<long> locks{0};
  HRESULT CanUnloadNow() const { return objects == 0 && locks == 0 ? S_OK : S_FALSE; }
};

namespace com_server_detail {

inline std::string ClsidText(const CLSID& clsid) {
  wchar_t text[64] = {};
  StringFromGUID2(clsid, text, 64);
  char ansi[64] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof(ansi), nullptr, nullptr);
  return ansi;
}

inline bool SetValue(const std::string& key, const char* name, const std::string& value) {
  UniqueRegKey handle;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, handle.put(), nullptr) !=
      ERROR_SUCCESS)
    return false;
  return RegSetValueExA(handle.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace com_server_detail

// SELFREG_E_CLASS when a key cannot be written (or the module's path is
// longer than the key can take).
inline HRESULT ComServerRegister(HMODULE module, const ComServerClass* classes, std::size_t count) {
  using com_server_detail::SetValue;
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
  for (std::size_t i = 0; i < count; ++i) {
    const ComServerClass& c = classes[i];
    const std::string clsid = com_server_detail::ClsidText(*c.clsid);
    const std::string key = "CLSID\\" + clsid;
    if (!SetValue(key, nullptr, c.name) || !SetValue(key + "\\InprocServer32", nullptr, path) ||
        !SetValue(key + "\\InprocServer32", "ThreadingModel", "Apartment") ||
        (c.control && !SetValue(key + "\\Control", nullptr, "")))
      return SELFREG_E_CLASS;
    if (c.progId && (!SetValue(key + "\\ProgID", nullptr, c.progId) || !SetValue(c.progId, nullptr, c.name) ||
                     !SetValue(std::string(c.progId) + "\\CLSID", nullptr, clsid)))
      return SELFREG_E_CLASS;
  }
  return S_OK;
}

namespace com_server_detail {

// True when the key and everything under it are gone, or were never there.
inline bool DeleteTree(HKEY root, const std::string& key) {
  const LSTATUS status = RegDeleteTreeA(root, key.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace com_server_detail

// Deletes every class's keys, going on past a failure; SELFREG_E_CLASS when
// a key that exists could not be deleted.
inline HRESULT ComServerUnregister(const ComServerClass* classes, std::size_t count) {
  using com_server_detail::DeleteTree;
  bool deleted = true;
  for (std::size_t i = 0; i < count; ++i) {
    deleted &= DeleteTree(HKEY_CLASSES_ROOT, "CLSID\\" + com_server_detail::ClsidText(*classes[i].clsid));
    if (classes[i].progId) deleted &= DeleteTree(HKEY_CLASSES_ROOT, classes[i].progId);
  }
  return deleted ? S_OK : SELFREG_E_CLASS;
}
