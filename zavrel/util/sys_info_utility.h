// SysInfoUtility: which Windows release the client runs on, and the shell's
// icons, icon indexes and type names for files and folders. Static
// operations only; ANSI calls. Windows only.
//
// The version answers come from one process-wide record read while the
// library loads (GetVersionExA: basic record, then the extended record on NT
// 5 and later). When it cannot be read, every version test answers false.
// The release is the one the system reports to this program, which on newer
// systems depends on the program's compatibility manifest.
//
// The file operations ask the shell by name and attributes only
// (SHGFI_USEFILEATTRIBUTES), so the files need not exist. bSmallIcon: any
// non-zero value selects the small icon.
#pragma once

#include "afx/afx_port.h"
#include "afx/afx_string.h"
#include "zavrel/zavrel_api.h"

#include <commctrl.h>

class ZAVREL_API SysInfoUtility {
 public:
  static bool IsWindowsCE();
  // Windows 95: platform 1, 4.0 to 4.9.
  static bool IsWindows95();
  // Windows 98 and Me: platform 1, 4.10 and above.
  static bool IsWindows98();
  // Windows 2000 or any later NT release.
  static bool IsWindows2000();
  static bool IsWindowsXP();     // 5.1
  static bool IsWindows2003();   // 5.2
  static bool IsWindowsVista();  // 6.0
  static bool IsWindows7();      // 6.1

  // The system image list (small or large icons); null on failure. The list
  // belongs to the system: never destroy it.
  static HIMAGELIST GetSystemImageListHandle(BOOL bSmallIcon);
  // The index in the system image list of the icon for a file of that name
  // (by its extension); 0 when the shell gives no answer.
  static int GetFileIconIndex(const CString& strFileName, BOOL bSmallIcon);
  // The same for a folder.
  static int GetDirIconIndex(BOOL bSmallIcon);
  // The icon for a file of that name; null on failure. The caller destroys
  // it with DestroyIcon.
  static HICON GetFileIconHandle(const CString& strFileName, BOOL bSmallIcon);
  // The folder icon; null on failure. The caller destroys it with
  // DestroyIcon.
  static HICON GetFolderIconHandle(BOOL bSmallIcon);
  // The shell's type name for a file of that name ("Text Document" for
  // "x.txt", in the system's language); empty when the shell gives none.
  static CString GetFileType(const CString& strFileName);
};
