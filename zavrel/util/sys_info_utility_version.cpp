#include "zavrel/util/sys_info_utility_version.h"

bool SysInfoVersion::IsWindowsCE(DWORD platform, DWORD, DWORD) { return platform == PLATFORM_CE; }

bool SysInfoVersion::IsWindows95(DWORD platform, DWORD major, DWORD minor) {
  return platform == PLATFORM_WINDOWS && major == 4 && minor < 10;
}

bool SysInfoVersion::IsWindows98(DWORD platform, DWORD major, DWORD minor) {
  return platform == PLATFORM_WINDOWS && major == 4 && minor > 9;
}

bool SysInfoVersion::IsWindows2000(DWORD platform, DWORD major, DWORD) { return platform == PLATFORM_NT && major > 4; }

bool SysInfoVersion::IsWindowsXP(DWORD platform, DWORD major, DWORD minor) {
  return platform == PLATFORM_NT && major == 5 && minor == 1;
}

bool SysInfoVersion::IsWindows2003(DWORD platform, DWORD major, DWORD minor) {
  return platform == PLATFORM_NT && major == 5 && minor == 2;
}

bool SysInfoVersion::IsWindowsVista(DWORD platform, DWORD major, DWORD minor) {
  return platform == PLATFORM_NT && major == 6 && minor == 0;
}

bool SysInfoVersion::IsWindows7(DWORD platform, DWORD major, DWORD minor) {
  return platform == PLATFORM_NT && major == 6 && minor == 1;
}
