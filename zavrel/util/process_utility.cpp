#include "zavrel/util/process_utility.h"

#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstring>
#include <vector>

#include "afx/afx_module.h"
#include "base/no_throw.h"
#include "base/win_owners.h"

namespace {

// CreateProcessA may write into the command line, so it gets a copy.
bool startProcess(LPCSTR application, LPCSTR directory, LPCSTR commandLine, PROCESS_INFORMATION& info) {
  return NoThrow(false, [&] {
    std::vector<char> command;
    if (commandLine != nullptr) command.assign(commandLine, commandLine + std::strlen(commandLine) + 1);
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    std::memset(&info, 0, sizeof(info));
    return CreateProcessA(application, command.empty() ? nullptr : command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          directory, &startup, &info) != FALSE;
  });
}

constexpr DWORD kNoProcess = 4294967295u;
// All standard token rights without the session-id right.
constexpr DWORD kTokenAccess = 0xF00FF;

typedef BOOL(WINAPI* EnumProcessModulesFn)(HANDLE, HMODULE*, DWORD, LPDWORD);
typedef DWORD(WINAPI* GetModuleFileNameExAFn)(HANDLE, HMODULE, LPSTR, DWORD);

template <typename Fn>
Fn procAddress(HMODULE module, const char* name) {
  // The system hands out a generic function pointer; cast it to its real type.
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

#ifndef _WIN64
static_assert(sizeof(STARTUPINFOA) == 68, "STARTUPINFOA");
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "SHELLEXECUTEINFOA");
static_assert(sizeof(PROCESSENTRY32) == 296, "PROCESSENTRY32");
#endif

HANDLE ProcessUtility::ExecuteCreateProcess(LPCSTR lpApplicationName, LPCSTR lpCurrentDirectory, LPCSTR lpCommandLine) {
  PROCESS_INFORMATION info;
  if (!startProcess(lpApplicationName, lpCurrentDirectory, lpCommandLine, info)) return nullptr;
  UniqueHandle thread(info.hThread);
  return info.hProcess;
}

BOOL ProcessUtility::ExecuteProgramWaitOver(LPCSTR lpApplicationName, LPCSTR lpCurrentDirectory, LPCSTR lpCommandLine,
                                            BOOL bWait) {
  PROCESS_INFORMATION info;
  if (!startProcess(lpApplicationName, lpCurrentDirectory, lpCommandLine, info)) return FALSE;
  UniqueHandle thread(info.hThread);
  UniqueHandle process(info.hProcess);
  if (bWait) WaitForSingleObject(process.get(), INFINITE);
  return TRUE;
}

HANDLE ProcessUtility::LaunchShellExecute(LPCSTR lpFile, LPCSTR lpParameters) {
  SHELLEXECUTEINFOA info;
  std::memset(&info, 0, sizeof(info));
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = nullptr;
  info.lpFile = lpFile;
  info.lpParameters = lpParameters;
  info.nShow = SW_HIDE;
  if (!ShellExecuteExA(&info)) return nullptr;
  return info.hProcess;
}

DWORD ProcessUtility::FindProcess(const std::string& strPath) {
  DWORD ids[1024];
  DWORD bytes = 0;
  if (!EnumProcesses(ids, sizeof(ids), &bytes)) return 0;
  const DWORD count = bytes / sizeof(DWORD);
  if (count == 0) return kNoProcess;
  for (DWORD i = 0; i < count; ++i) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]));
    if (!process) continue;
    HMODULE modules[4096 / sizeof(HMODULE)];
    DWORD needed = 0;
    if (!EnumProcessModules(process.get(), modules, sizeof(modules), &needed) || needed == 0) continue;
    char name[260];
    const DWORD length = GetModuleFileNameExA(process.get(), modules[0], name, sizeof(name));
    if (length == 0) continue;
    if (strPath.size() == length && std::memcmp(strPath.data(), name, length) == 0) return ids[i];
  }
  return kNoProcess;
}

BOOL CALLBACK ProcessUtility::TerminateAppEnum(HWND hWnd, LPARAM lParam) {
  DWORD owner = 0;
  GetWindowThreadProcessId(hWnd, &owner);
  if (owner == static_cast<DWORD>(lParam)) PostMessageA(hWnd, WM_CLOSE, 0, 0);
  return TRUE;
}

DWORD ProcessUtility::KillProcess(DWORD dwProcessId, DWORD dwTimeout) {
  UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, dwProcessId));
  if (!process) return KILL_FAILED;
  EnumWindows(&ProcessUtility::TerminateAppEnum, static_cast<LPARAM>(dwProcessId));
  if (WaitForSingleObject(process.get(), dwTimeout) == WAIT_OBJECT_0) return KILL_CLOSED;
  return TerminateProcess(process.get(), 0) ? KILL_TERMINATED : KILL_FAILED;
}

BOOL ProcessUtility::GetTokenByName(HANDLE& hToken, LPSTR lpName) {
  if (lpName == nullptr) return FALSE;
  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return FALSE;
  PROCESSENTRY32 entry;
  std::memset(&entry, 0, sizeof(entry));
  entry.dwSize = sizeof(entry);
  if (!Process32First(snapshot.get(), &entry)) return FALSE;
  do {
    _strupr(entry.szExeFile);
    _strupr(lpName);
    if (std::strncmp(entry.szExeFile, lpName, 4) != 0) continue;
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID));
    if (!process) return FALSE;
    HANDLE token = nullptr;
    if (!OpenProcessToken(process.get(), kTokenAccess, &token)) return FALSE;
    hToken = token;
    return TRUE;
  } while (Process32Next(snapshot.get(), &entry));
  // No process matched: no token was obtained.
  return FALSE;
}

BOOL ProcessUtility::GetProcessFilename(HWND hWnd, LPSTR lpszFileName, DWORD nSize) {
  if (lpszFileName == nullptr || nSize == 0) return 0;
  lpszFileName[0] = '\0';
  DWORD processId = 0;
  GetWindowThreadProcessId(hWnd, &processId);
  UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!process) return 0;

  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof(version));
  version.dwOSVersionInfoSize = sizeof(version);
  GetVersionExA(&version);

  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    UniqueModule psapi(LoadLibraryA("PSAPI.DLL"));
    if (!psapi) return 0;
    auto enumModules = procAddress<EnumProcessModulesFn>(psapi.get(), "EnumProcessModules");
    auto moduleFileName = procAddress<GetModuleFileNameExAFn>(psapi.get(), "GetModuleFileNameExA");
    if (enumModules == nullptr || moduleFileName == nullptr) return 0;
    HMODULE first = nullptr;
    DWORD needed = 0;
    if (!enumModules(process.get(), &first, sizeof(first), &needed) || needed == 0 ||
        moduleFileName(process.get(), first, lpszFileName, nSize) == 0) {
      lpszFileName[0] = '\0';  // the name cannot be read
      return 0;
    }
    lpszFileName[nSize - 1] = '\0';
    return 1;
  }
  if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hWnd, GWLP_HINSTANCE));
    return GetModuleFileNameA(instance, lpszFileName, nSize) != 0 ? 1 : 0;
  }
  return 1;
}

BOOL ProcessUtility::GetBitmapFromProcessFile(LPCSTR lpszModuleFile, LPCSTR lpszBitmapName, CBitmap& bitmap) {
  UniqueModule module(LoadLibraryA(lpszModuleFile));
  if (!module) return 0;
  HINSTANCE previous = AfxGetResourceHandle();
  AfxSetResourceHandle(module.get());
  HBITMAP loaded = nullptr;
  if (HINSTANCE holder = AfxFindResourceHandle(lpszBitmapName, RT_BITMAP)) loaded = LoadBitmapA(holder, lpszBitmapName);
  if (loaded != nullptr) {
    bitmap.DeleteObject();
    bitmap.Attach(loaded);
  }
  // The module goes below; it must no longer be the resource handle then.
  AfxSetResourceHandle(previous);
  return 1;
}
