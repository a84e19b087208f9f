// Pieces every in-process COM server of the stand-ins shares: the count of
// live objects that DllCanUnloadNow answers from, and self-registration of
// a list of classes (DllRegisterServer / DllUnregisterServer). Windows only.
//
// ComServerRegister writes, for each class, HKEY_CLASSES_ROOT\CLSID\{clsid}
// with its name, InprocServer32 (the module's path, apartment threaded),
// Control, ProgID, and the programmatic identifier's key back to the class.
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
  const char* progId;
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

// SELFREG_E_CLASS when a key cannot be written.
inline HRESULT ComServerRegister(HMODULE module, const ComServerClass* classes, std::size_t count) {
  using com_server_detail::SetValue;
  char path[MAX_PATH] = {};
  if (!GetModuleFileNameA(module, path, MAX_PATH)) return SELFREG_E_CLASS;
  for (std::size_t i = 0; i < count; ++i) {
    const ComServerClass& c = classes[i];
    const std::string clsid = com_server_detail::ClsidText(*c.clsid);
    const std::string key = "CLSID\\" + clsid;
    if (!SetValue(key, nullptr, c.name) || !SetValue(key + "\\InprocServer32", nullptr, path) ||
        !SetValue(key + "\\InprocServer32", "ThreadingModel", "Apartment") ||
        !SetValue(key + "\\Control", nullptr, "") || !SetValue(key + "\\ProgID", nullptr, c.progId) ||
        !SetValue(c.progId, nullptr, c.name) || !SetValue(std::string(c.progId) + "\\CLSID", nullptr, clsid))
      return SELFREG_E_CLASS;
  }
  return S_OK;
}

inline HRESULT ComServerUnregister(const ComServerClass* classes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ("CLSID\\" + com_server_detail::ClsidText(*classes[i].clsid)).c_str());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, classes[i].progId);
  }
  return S_OK;
}
