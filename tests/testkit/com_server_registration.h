// Registers an in-process COM server of the build (a DLL beside the test
// program) in the test prefix with regsvr32, once: when the class is
// already registered with this module's path, nothing is run.
#pragma once

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

}  // namespace testkit
