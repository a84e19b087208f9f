// Built for Windows 7 on purpose (see CMakeLists.txt): the process-status
// call binds to kernel32's K32 alias, which the import check must refuse.
#include <windows.h>
// After windows.h, which defines its types.
#include <psapi.h>

extern "C" __declspec(dllexport) DWORD ProbeModuleFileName(HANDLE process, char* out, DWORD size) {
  return GetModuleFileNameExA(process, nullptr, out, size);
}
