#include "zavrel/util/sys_info_utility.h"

#include <shellapi.h>

#include <cstring>

#include "base/no_throw.h"
#include "zavrel/util/sys_info_utility_version.h"

namespace {

static_assert(sizeof(OSVERSIONINFOA) == 148, "the basic version record is 148 bytes");
static_assert(sizeof(OSVERSIONINFOEXA) == 156, "the extended version record is 156 bytes");

OSVERSIONINFOEXA readVersion() {
  OSVERSIONINFOEXA record;
  std::memset(&record, 0, sizeof(record));
  record.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record))) {
    std::memset(&record, 0, sizeof(record));
    return record;
  }
  if (record.dwPlatformId == VER_PLATFORM_WIN32_NT && record.dwMajorVersion > 4) {
    std::memset(&record, 0, sizeof(record));
    record.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record))) std::memset(&record, 0, sizeof(record));
  }
  return record;
}

// Read once while the library loads; only read afterwards.
const OSVERSIONINFOEXA g_version = readVersion();

// "Doesn't matter" / "Does not matter": folder names that need not exist.
const char kFolderPlaceholder[] = "Doesn't matter";
const char kLargeFolderPlaceholder[] = "Does not matter";

UINT sizeFlag(BOOL bSmallIcon) { return bSmallIcon ? SHGFI_SMALLICON : SHGFI_LARGEICON; }

}  // namespace

bool SysInfoUtility::IsWindowsCE() {
  return SysInfoVersion::IsWindowsCE(g_version.dwPlatformId, g_version.dwMajorVersion, g_version.dwMinorVersion);
}

bool SysInfoUtility::IsWindows95() {
  return SysInfoVersion::IsWindows95(g_version.dwPlatformId, g_version.dwMajorVersion, g_version.dwMinorVersion);
}

bool SysInfoUtility::IsWindows98() {
  return SysInfoVersion::IsWindows98(g_version.dwPlatformId, g_version.dwMajorVersion, g_version.dwMinorVersion);
}

bool SysInfoUtility::IsWindows2000() {
  return SysInfoVersion::IsWindows2000(g_version.dwPlatformId, g_version.dwMajorVersion, g_version.dwMinorVersion);
}

bool SysInfoUtility::IsWindowsXP() {
  return SysInfoVersion::IsWindowsXP(g_version.dwPlatformId, g_version.dwMajorVersion, g_version.dwMinorVersion);
}

bool SysInfoUtility::IsWindows2003() {
  return SysInfoVersion::IsWindows2003(g_version.dwPlatformId, g_version.dwMajorVersion, g_version.dwMinorVersion);
}

bool SysInfoUtility::IsWindowsVista() {
  return SysInfoVersion::IsWindowsVista(g_version.dwPlatformId, g_version.dwMajorVersion, g_version.dwMinorVersion);
}

bool SysInfoUtility::IsWindows7() {
  return SysInfoVersion::IsWindows7(g_version.dwPlatformId, g_version.dwMajorVersion, g_version.dwMinorVersion);
}

HIMAGELIST SysInfoUtility::GetSystemImageListHandle(BOOL bSmallIcon) {
  SHFILEINFOA info;
  std::memset(&info, 0, sizeof(info));
  const DWORD_PTR list = SHGetFileInfoA("c:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | sizeFlag(bSmallIcon));
  return reinterpret_cast<HIMAGELIST>(list);
}

int SysInfoUtility::GetFileIconIndex(const CString& strFileName, BOOL bSmallIcon) {
  SHFILEINFOA info;
  std::memset(&info, 0, sizeof(info));
  SHGetFileInfoA(strFileName, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                 SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | sizeFlag(bSmallIcon));
  return info.iIcon;
}

int SysInfoUtility::GetDirIconIndex(BOOL bSmallIcon) {
  SHFILEINFOA info;
  std::memset(&info, 0, sizeof(info));
  SHGetFileInfoA(kFolderPlaceholder, FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info),
                 SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | sizeFlag(bSmallIcon));
  return info.iIcon;
}

HICON SysInfoUtility::GetFileIconHandle(const CString& strFileName, BOOL bSmallIcon) {
  SHFILEINFOA info;
  std::memset(&info, 0, sizeof(info));
  SHGetFileInfoA(strFileName, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                 SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | sizeFlag(bSmallIcon));
  return info.hIcon;
}

HICON SysInfoUtility::GetFolderIconHandle(BOOL bSmallIcon) {
  SHFILEINFOA info;
  std::memset(&info, 0, sizeof(info));
  SHGetFileInfoA(bSmallIcon ? kFolderPlaceholder : kLargeFolderPlaceholder, FILE_ATTRIBUTE_DIRECTORY, &info,
                 sizeof(info), SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | sizeFlag(bSmallIcon));
  return info.hIcon;
}

CString SysInfoUtility::GetFileType(const CString& strFileName) {
  return NoThrow(CString(), [&] {
    SHFILEINFOA info;
    std::memset(&info, 0, sizeof(info));
    SHGetFileInfoA(strFileName, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    info.szTypeName[sizeof(info.szTypeName) - 1] = '\0';
    return CString(info.szTypeName);
  });
}
