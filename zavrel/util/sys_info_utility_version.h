// SysInfoVersion: the rules that name a Windows release from the platform
// id and the major and minor version numbers, as SysInfoUtility applies them
// to the version record read at load. Portable.
#pragma once

#include "afx/afx_port.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API SysInfoVersion {
 public:
  // The platform ids of the version record.
  enum { PLATFORM_WIN32S = 0, PLATFORM_WINDOWS = 1, PLATFORM_NT = 2, PLATFORM_CE = 3 };

  // Platform 3.
  static bool IsWindowsCE(DWORD platform, DWORD major, DWORD minor);
  // Platform 1, 4.0 to 4.9.
  static bool IsWindows95(DWORD platform, DWORD major, DWORD minor);
  // Platform 1, 4.10 and above (Windows 98 and Me, minor 90).
  static bool IsWindows98(DWORD platform, DWORD major, DWORD minor);
  // Platform 2, major 5 or above: Windows 2000 or any later NT release.
  static bool IsWindows2000(DWORD platform, DWORD major, DWORD minor);
  // Platform 2 and exactly 5.1, 5.2, 6.0, 6.1 respectively.
  static bool IsWindowsXP(DWORD platform, DWORD major, DWORD minor);
  static bool IsWindows2003(DWORD platform, DWORD major, DWORD minor);
  static bool IsWindowsVista(DWORD platform, DWORD major, DWORD minor);
  static bool IsWindows7(DWORD platform, DWORD major, DWORD minor);
};
