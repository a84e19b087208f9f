// SysInfoUtility under Wine: the version record read at load, against the
// Windows version the prefix reports, and the shell's icons and type names
// for names that do not exist.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/testkit/testkit.h"
#include "zavrel/util/sys_info_utility.h"
// After <windows.h>, which the utility header brings.
#include <commctrl.h>

namespace {

std::string Flags(bool ce, bool w95, bool w98, bool w2000, bool xp, bool w2003, bool vista, bool w7) {
  std::string s;
  for (bool b : {ce, w95, w98, w2000, xp, w2003, vista, w7}) s += b ? '1' : '0';
  return s;
}

std::string OwnFlags() {
  return Flags(SysInfoUtility::IsWindowsCE(), SysInfoUtility::IsWindows95(), SysInfoUtility::IsWindows98(),
               SysInfoUtility::IsWindows2000(), SysInfoUtility::IsWindowsXP(), SysInfoUtility::IsWindows2003(),
               SysInfoUtility::IsWindowsVista(), SysInfoUtility::IsWindows7());
}

// Sets the Windows version that Wine reports to one program, for the life of
// the object.
class WineAppVersion {
 public:
  WineAppVersion(const std::string& exe, const char* version) : m_key("Software\\Wine\\AppDefaults\\" + exe) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      m_ok = RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                            static_cast<DWORD>(strlen(version) + 1)) == ERROR_SUCCESS;
      RegCloseKey(key);
    }
  }
  WineAppVersion(const WineAppVersion&) = delete;
  WineAppVersion& operator=(const WineAppVersion&) = delete;
  ~WineAppVersion() { RegDeleteKeyA(HKEY_CURRENT_USER, m_key.c_str()); }
  bool ok() const { return m_ok; }

 private:
  std::string m_key;
  bool m_ok = false;
};

// Runs the probe and returns its report, or "" when it failed.
std::string Probe(const testkit::TempDir& dir) {
  const std::string out = dir.file("probe.txt");
  std::string command = "\"" + testkit::TestBinaryPath("sys_info_probe.exe") + "\" \"" + out + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return "";
  WaitForSingleObject(pi.hProcess, 20000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return testkit::ReadFileBytes(out);
}

}  // namespace

TEST(SysInfoUtility, VersionTestsAgreeWithWhatThePrefixReports) {
  OSVERSIONINFOA v = {};
  v.dwOSVersionInfoSize = sizeof(v);
  ASSERT_TRUE(GetVersionExA(&v));
  const DWORD p = v.dwPlatformId, major = v.dwMajorVersion, minor = v.dwMinorVersion;
  const std::string expected =
      Flags(p == 3, p == 1 && major == 4 && minor < 10, p == 1 && major == 4 && minor > 9, p == 2 && major > 4,
            p == 2 && major == 5 && minor == 1, p == 2 && major == 5 && minor == 2, p == 2 && major == 6 && minor == 0,
            p == 2 && major == 6 && minor == 1);
  EXPECT_EQ(expected, OwnFlags()) << "version " << major << "." << minor << " platform " << p;
  // Whatever Wine release the prefix names, it is an NT release after 4.
  EXPECT_TRUE(SysInfoUtility::IsWindows2000());
}

TEST(SysInfoUtility, VersionTestsFollowTheVersionWineReportsToTheProgram) {
  struct Case {
    const char* wineVersion;
    const char* report;
  };
  // Without a compatibility manifest a program is told 6.2 on anything
  // newer than Windows 8: Windows 2000 yes, Windows 7 no.
  const Case cases[] = {
      {"winxp64", "2 5 2 00010100"},
      {"vista", "2 6 0 00010010"},
      {"win7", "2 6 1 00010001"},
      {"win10", "2 6 2 00010000"},
  };
  testkit::TempDir dir;
  for (const Case& c : cases) {
    WineAppVersion version("sys_info_probe.exe", c.wineVersion);
    ASSERT_TRUE(version.ok());
    EXPECT_EQ(c.report, Probe(dir)) << c.wineVersion;
  }
}

TEST(SysInfoUtility, IconIndexesOfNamesThatDoNotExist) {
  testkit::TempDir dir;
  const CString txt = (dir.file("x.txt")).c_str();  // never created
  for (BOOL small : {TRUE, FALSE}) {
    HIMAGELIST list = SysInfoUtility::GetSystemImageListHandle(small);
    ASSERT_NE(nullptr, list) << small;
    const int file = SysInfoUtility::GetFileIconIndex(txt, small);
    const int folder = SysInfoUtility::GetDirIconIndex(small);
    // The shell adds icons to the list as names ask for them.
    const int count = ImageList_GetImageCount(list);
    EXPECT_GE(file, 0);
    EXPECT_LT(file, count);
    EXPECT_GE(folder, 0);
    EXPECT_LT(folder, count);
    EXPECT_NE(file, folder) << "a text file and a folder share an icon";
    EXPECT_EQ(file, SysInfoUtility::GetFileIconIndex("elsewhere\\y.txt", small)) << "by extension only";
  }
  EXPECT_EQ(SysInfoUtility::GetDirIconIndex(TRUE), SysInfoUtility::GetDirIconIndex(7)) << "any non-zero is small";
}

TEST(SysInfoUtility, IconHandlesOfNamesThatDoNotExistHaveTheAskedSize) {
  struct Size {
    BOOL small;
    int width;
  };
  for (Size s : {Size{TRUE, GetSystemMetrics(SM_CXSMICON)}, Size{FALSE, GetSystemMetrics(SM_CXICON)}}) {
    for (HICON icon :
         {SysInfoUtility::GetFileIconHandle("nowhere\\x.txt", s.small), SysInfoUtility::GetFolderIconHandle(s.small)}) {
      ASSERT_NE(nullptr, icon);
      ICONINFO info = {};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      BITMAP bm = {};
      GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
      EXPECT_EQ(s.width, bm.bmWidth);
      if (info.hbmColor) DeleteObject(info.hbmColor);
      if (info.hbmMask) DeleteObject(info.hbmMask);
      EXPECT_TRUE(DestroyIcon(icon)) << "the caller owns the icon";
    }
  }
}

TEST(SysInfoUtility, TypeNamesOfNamesThatDoNotExist) {
  const CString text = SysInfoUtility::GetFileType("nowhere\\x.txt");
  const CString unknown = SysInfoUtility::GetFileType("y.qqzz");
  EXPECT_FALSE(text.IsEmpty());
  EXPECT_FALSE(unknown.IsEmpty());
  EXPECT_NE(text, unknown);
  // An unregistered extension is named after the extension itself.
  CString upper = unknown;
  upper.MakeUpper();
  EXPECT_NE(-1, upper.Find("QQZZ")) << unknown.GetString();
  EXPECT_EQ(text, SysInfoUtility::GetFileType("elsewhere\\other.txt")) << "by extension only";
}
