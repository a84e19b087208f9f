// Registers an in-process COM server of the build (a DLL beside the test
// program) in the test prefix with regsvr32, once: when the class is
// already registered with this module's path, nothing is run.
#pragma once

#include <objbase.h>
#include <olectl.h>

#include <atomic>
#include <string>

#include "base/win_owners.h"
#include "tests/testkit/testkit.h"

namespace testkit {

// The server path registered for clsidText ("{...}"), empty when none.
inline std::string RegisteredServerPath(const std::string& clsidText) {
  UniqueRegKey key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ("CLSID\\" + clsidText + "\\InprocServer32").c_str(), 0, KEY_READ, key.put()) !=
      ERROR_SUCCESS)
    return std::string();
  char path[MAX_PATH] = {};
  DWORD size = sizeof(path) - 1;
  if (RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS)
    return std::string();
  return path;
}

// True when clsidText is registered with dllName of this build.
inline bool EnsureServerRegistered(const std::string& clsidText, const std::string& dllName) {
  const std::string dll = TestBinaryPath(dllName);
  if (lstrcmpiA(RegisteredServerPath(clsidText).c_str(), dll.c_str()) == 0) return true;
  std::string command = "regsvr32.exe /s \"" + dll + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  UniqueHandle process(pi.hProcess);
  UniqueHandle thread(pi.hThread);
  if (WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) return false;
  return lstrcmpiA(RegisteredServerPath(clsidText).c_str(), dll.c_str()) == 0;
}

// A server's self-registration entry points, looked up in its module.
struct ServerEntries {
  using Entry = HRESULT(STDAPICALLTYPE*)();
  using ClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  explicit ServerEntries(HMODULE module)
      : registerServer(Proc<Entry>(module, "DllRegisterServer")),
        unregisterServer(Proc<Entry>(module, "DllUnregisterServer")),
        canUnloadNow(Proc<Entry>(module, "DllCanUnloadNow")),
        getClassObject(Proc<ClassObject>(module, "DllGetClassObject")) {}
  bool valid() const { return registerServer && unregisterServer && canUnloadNow && getClassObject; }
  template <class Fn>
  static Fn Proc(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
  }
  Entry registerServer;
  Entry unregisterServer;
  Entry canUnloadNow;
  ClassObject getClassObject;
};

// While alive, HKEY_CLASSES_ROOT of this process is a private, empty key
// (under HKEY_CURRENT_USER, deleted at the end), so that a server can
// register and unregister itself in-process without touching the prefix's
// classes, which other tests use at the same time.
class PrivateClassesRoot {
 public:
  PrivateClassesRoot() {
    static std::atomic<int> serial{0};
    m_name =
        "Software\\ZavrelTests\\ClassesRoot" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
    RegDeleteTreeA(HKEY_CURRENT_USER, m_name.c_str());
    RegCreateKeyExA(HKEY_CURRENT_USER, m_name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, m_root.put(), nullptr);
    if (m_root) RegOverridePredefKey(HKEY_CLASSES_ROOT, m_root.get());
  }
  PrivateClassesRoot(const PrivateClassesRoot&) = delete;
  PrivateClassesRoot& operator=(const PrivateClassesRoot&) = delete;
  ~PrivateClassesRoot() {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    m_root.reset();
    RegDeleteTreeA(HKEY_CURRENT_USER, m_name.c_str());
  }
  bool valid() const { return m_root.valid(); }

  // The text value `name` (null: the default) of key, "(absent)" when the
  // key or the value is missing.
  std::string Value(const std::string& key, const char* name = nullptr) const {
    UniqueRegKey handle;
    if (RegOpenKeyExA(m_root.get(), key.c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS) return "(absent)";
    char value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    if (RegQueryValueExA(handle.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS)
      return "(absent)";
    return value;
  }
  bool Exists(const std::string& key) const {
    UniqueRegKey handle;
    return RegOpenKeyExA(m_root.get(), key.c_str(), 0, KEY_READ, handle.put()) == ERROR_SUCCESS;
  }

  // From now on HKEY_CLASSES_ROOT is a handle that is no key: every key
  // under it can neither be written nor deleted.
  void Break() {
    if (!m_notAKey) m_notAKey.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    RegOverridePredefKey(HKEY_CLASSES_ROOT, reinterpret_cast<HKEY>(m_notAKey.get()));
  }

 private:
  std::string m_name;
  UniqueRegKey m_root;
  UniqueHandle m_notAKey;
};

}  // namespace testkit
