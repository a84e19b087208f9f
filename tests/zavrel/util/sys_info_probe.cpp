// Reports what SysInfoUtility says about the system this program runs on:
// "sys_info_probe <file>" writes "<platform> <major> <minor> <eight 0/1>"
// (the eight version tests from CE to 7) into the file. The tests start it
// with different Windows versions set for it in the Wine prefix.
#include <cstdio>

#include "zavrel/util/sys_info_utility.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  OSVERSIONINFOA v = {};
  v.dwOSVersionInfoSize = sizeof(v);
  GetVersionExA(&v);
  FILE* f = std::fopen(argv[1], "wb");
  if (!f) return 3;
  std::fprintf(f, "%lu %lu %lu %d%d%d%d%d%d%d%d", static_cast<unsigned long>(v.dwPlatformId),
               static_cast<unsigned long>(v.dwMajorVersion), static_cast<unsigned long>(v.dwMinorVersion),
               SysInfoUtility::IsWindowsCE(), SysInfoUtility::IsWindows95(), SysInfoUtility::IsWindows98(),
               SysInfoUtility::IsWindows2000(), SysInfoUtility::IsWindowsXP(), SysInfoUtility::IsWindows2003(),
               SysInfoUtility::IsWindowsVista(), SysInfoUtility::IsWindows7());
  std::fclose(f);
  return 0;
}
