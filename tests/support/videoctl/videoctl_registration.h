// Registers the stand-in video controls (VideoCtl.dll beside the test
// program) in the test prefix with regsvr32, once: when the class is
// already registered with this module's path, nothing is run.
#pragma once

#include <string>

#include "support/base/win_owners.h"
#include "tests/testkit/testkit.h"

namespace videoctl_test {

inline std::string RegisteredPath() {
  UniqueRegKey key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{075083C0-5319-4938-8E1E-734023126D72}\\InprocServer32", 0, KEY_READ,
                    key.put()) != ERROR_SUCCESS)
    return std::string();
  char path[MAX_PATH] = {};
  DWORD size = sizeof(path) - 1;
  if (RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS)
    return std::string();
  return path;
}

// True when the controls are registered with VideoCtl.dll of this build.
inline bool EnsureRegistered() {
  const std::string dll = testkit::TestBinaryPath("VideoCtl.dll");
  if (lstrcmpiA(RegisteredPath().c_str(), dll.c_str()) == 0) return true;
  std::string command = "regsvr32.exe /s \"" + dll + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  UniqueHandle process(pi.hProcess);
  UniqueHandle thread(pi.hThread);
  if (WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) return false;
  return lstrcmpiA(RegisteredPath().c_str(), dll.c_str()) == 0;
}

}  // namespace videoctl_test
