// The rules that name a Windows release from platform and version numbers.
#include <gtest/gtest.h>

#include "zavrel/util/sys_info_utility_version.h"

namespace {

struct Release {
  const char* name;
  DWORD platform, major, minor;
  // CE, 95, 98, 2000, XP, 2003, Vista, 7
  bool expected[8];
};

const Release kReleases[] = {
    {"Windows CE 5.0", 3, 5, 0, {true, false, false, false, false, false, false, false}},
    {"Windows 95", 1, 4, 0, {false, true, false, false, false, false, false, false}},
    {"Windows 98", 1, 4, 10, {false, false, true, false, false, false, false, false}},
    {"Windows Me", 1, 4, 90, {false, false, true, false, false, false, false, false}},
    {"Windows NT 4.0", 2, 4, 0, {false, false, false, false, false, false, false, false}},
    {"Windows 2000", 2, 5, 0, {false, false, false, true, false, false, false, false}},
    {"Windows XP", 2, 5, 1, {false, false, false, true, true, false, false, false}},
    {"Windows 2003", 2, 5, 2, {false, false, false, true, false, true, false, false}},
    {"Windows Vista", 2, 6, 0, {false, false, false, true, false, false, true, false}},
    {"Windows 7", 2, 6, 1, {false, false, false, true, false, false, false, true}},
    {"Windows 8", 2, 6, 2, {false, false, false, true, false, false, false, false}},
    {"Windows 10", 2, 10, 0, {false, false, false, true, false, false, false, false}},
    {"Win32s", 0, 3, 10, {false, false, false, false, false, false, false, false}},
    {"unreadable (all zero)", 0, 0, 0, {false, false, false, false, false, false, false, false}},
    {"95 numbers on NT", 2, 4, 10, {false, false, false, false, false, false, false, false}},
};

}  // namespace

TEST(SysInfoVersion, NamesEachReleaseByItsNumbers) {
  for (const Release& r : kReleases) {
    const bool actual[8] = {
        SysInfoVersion::IsWindowsCE(r.platform, r.major, r.minor),
        SysInfoVersion::IsWindows95(r.platform, r.major, r.minor),
        SysInfoVersion::IsWindows98(r.platform, r.major, r.minor),
        SysInfoVersion::IsWindows2000(r.platform, r.major, r.minor),
        SysInfoVersion::IsWindowsXP(r.platform, r.major, r.minor),
        SysInfoVersion::IsWindows2003(r.platform, r.major, r.minor),
        SysInfoVersion::IsWindowsVista(r.platform, r.major, r.minor),
        SysInfoVersion::IsWindows7(r.platform, r.major, r.minor),
    };
    for (int i = 0; i < 8; ++i) EXPECT_EQ(r.expected[i], actual[i]) << r.name << ", test " << i;
  }
}
