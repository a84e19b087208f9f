// FileUtility on Win32: single files, directories, the folder-tree
// operations with patterns, cancellation and message pumping, times, sizes,
// and the library's own directory seen from a host elsewhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/win_owners.h"
#include "tests/testkit/testkit.h"
#include "zavrel/util/file_utility.h"

namespace fs = std::filesystem;

namespace {

// A manual-reset event, not signalled.
UniqueHandle MakeEvent() { return UniqueHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr)); }

bool Exists(const std::string& p) { return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

// root\a.txt(3) root\b.tmp(5) root\.profile(7) root\s1\c.tmp(11)
// root\s1\d.txt(13) root\s1\s2\e.tmp(17)
void MakeTree(const std::string& root) {
  CreateDirectoryA(root.c_str(), nullptr);
  CreateDirectoryA((root + "\\s1").c_str(), nullptr);
  CreateDirectoryA((root + "\\s1\\s2").c_str(), nullptr);
  testkit::WriteFileBytes(root + "\\a.txt", std::string(3, 'a'));
  testkit::WriteFileBytes(root + "\\b.tmp", std::string(5, 'b'));
  testkit::WriteFileBytes(root + "\\.profile", std::string(7, 'p'));
  testkit::WriteFileBytes(root + "\\s1\\c.tmp", std::string(11, 'c'));
  testkit::WriteFileBytes(root + "\\s1\\d.txt", std::string(13, 'd'));
  testkit::WriteFileBytes(root + "\\s1\\s2\\e.tmp", std::string(17, 'e'));
}

std::vector<std::string> Sorted(const StringList& list) {
  std::vector<std::string> v(list.begin(), list.end());
  std::sort(v.begin(), v.end());
  return v;
}

bool SamePath(std::string a, std::string b) {
  return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

// A message-only window whose WM_APP handler runs a callback: lets a test
// act from inside an operation's message pump.
class PumpProbe {
 public:
  explicit PumpProbe(std::function<void()> onMessage) : m_onMessage(std::move(onMessage)) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &PumpProbe::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZavrelPumpProbe";
    RegisterClassA(&wc);
    m_hwnd = CreateWindowExA(0, "ZavrelPumpProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  PumpProbe(const PumpProbe&) = delete;
  PumpProbe& operator=(const PumpProbe&) = delete;
  ~PumpProbe() { DestroyWindow(m_hwnd); }
  void Post() { PostMessageA(m_hwnd, WM_APP, 0, 0); }
  int calls = 0;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP) {
      PumpProbe* self = reinterpret_cast<PumpProbe*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
      ++self->calls;
      self->m_onMessage();
      return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  std::function<void()> m_onMessage;
  HWND m_hwnd;
};

}  // namespace

TEST(FileUtility, SingleFilesAndDirectories) {
  testkit::TempDir dir;
  const std::string a = dir.file("a.txt");
  const std::string b = dir.file("b.txt");
  testkit::WriteFileBytes(a, "hello");
  EXPECT_TRUE(FileUtility::copyFile(a, b, true));
  EXPECT_FALSE(FileUtility::copyFile(a, b, true));  // fail if it exists
  EXPECT_TRUE(FileUtility::copyFile(a, b, false));
  EXPECT_EQ("hello", testkit::ReadFileBytes(b));
  EXPECT_TRUE(FileUtility::deleteFile(b));
  EXPECT_FALSE(FileUtility::deleteFile(b));

  const std::string deep = dir.file("x\\y/z");
  EXPECT_TRUE(FileUtility::createDirectory(deep));
  EXPECT_TRUE(FileUtility::directoryExist(deep));
  EXPECT_FALSE(FileUtility::createDirectory(deep));           // existed already
  EXPECT_FALSE(FileUtility::removeDirectory(dir.file("x")));  // not empty
  EXPECT_TRUE(FileUtility::removeDirectory(deep));

  const std::string folder = dir.file("p\\q\\r");
  EXPECT_TRUE(FileUtility::CreateFolder((folder + "\\  ").c_str()));
  EXPECT_TRUE(FileUtility::directoryExist(folder));
  EXPECT_TRUE(FileUtility::CreateFolder(folder.c_str()));          // existing: fine
  EXPECT_FALSE(FileUtility::CreateFolder((a + "\\sub").c_str()));  // under a file
  EXPECT_FALSE(FileUtility::CreateFolder(nullptr));

  EXPECT_EQ(5.0, FileUtility::GetFileSize(a.c_str()));
  EXPECT_EQ(0.0, FileUtility::GetFileSize(dir.file("none").c_str()));
}

TEST(FileUtility, TimesOfFilesAndDirectories) {
  testkit::TempDir dir;
  const std::string a = dir.file("a.txt");
  testkit::WriteFileBytes(a, "x");
  // An old, read-only file.
  HANDLE h = CreateFileA(a.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  SYSTEMTIME old = {};
  old.wYear = 2001;
  old.wMonth = 2;
  old.wDay = 3;
  old.wHour = 4;
  FILETIME ft;
  SystemTimeToFileTime(&old, &ft);
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
  CloseHandle(h);
  SetFileAttributesA(a.c_str(), FILE_ATTRIBUTE_READONLY);

  EXPECT_EQ(981172800, FileUtility::GetLastModified(a.c_str()));  // 2001-02-03 04:00 UTC
  SYSTEMTIME st;
  ASSERT_TRUE(FileUtility::GetLastModified(a.c_str(), st, false));
  EXPECT_EQ(2001, st.wYear);
  EXPECT_EQ(3, st.wDay);
  EXPECT_EQ(4, st.wHour);
  ASSERT_TRUE(FileUtility::GetLastModified(a.c_str(), st, true));
  EXPECT_EQ(2001, st.wYear);

  EXPECT_EQ(0, FileUtility::GetLastModified(dir.path().string().c_str()));
  st.wYear = 99;
  EXPECT_FALSE(FileUtility::GetLastModified(dir.file("none").c_str(), st, false));
  EXPECT_EQ(0, st.wYear);

  const int before = static_cast<int>(time(nullptr)) - 5;
  EXPECT_TRUE(FileUtility::ResetLastModified(a.c_str()));
  EXPECT_GE(FileUtility::GetLastModified(a.c_str()), before);
  EXPECT_EQ(0u, GetFileAttributesA(a.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(FileUtility::ResetLastModified(dir.file("none").c_str()));
}

TEST(FileUtility, ListFileWalksTheTreeAndSkipsDotNames) {
  testkit::TempDir dir;
  const std::string root = dir.file("t");
  MakeTree(root);
  StringList out = {"kept"};
  const StringList copy = FileUtility::ListFile(root + "\\", out);
  EXPECT_EQ(std::vector<std::string>({"a.txt", "b.tmp", "c.tmp", "d.txt", "e.tmp", "kept"}), Sorted(out));
  EXPECT_EQ(Sorted(out), Sorted(copy));
  StringList none;
  EXPECT_TRUE(FileUtility::ListFile(dir.file("missing\\"), none).empty());
  // A path too long for a path buffer is refused, not overrun.
  EXPECT_TRUE(FileUtility::ListFile(std::string(400, 'x') + "\\", none).empty());
}

TEST(FileUtility, DeleteWithPatternKeepsFoldersAndOtherFiles) {
  testkit::TempDir dir;
  const std::string root = dir.file("t");
  MakeTree(root);
  EXPECT_TRUE(FileUtility::DeleteFolderContents(root.c_str(), TRUE, "*.tmp", nullptr, 0));
  EXPECT_FALSE(Exists(root + "\\b.tmp"));
  EXPECT_FALSE(Exists(root + "\\s1\\c.tmp"));
  EXPECT_FALSE(Exists(root + "\\s1\\s2\\e.tmp"));
  EXPECT_TRUE(Exists(root + "\\a.txt"));
  EXPECT_TRUE(Exists(root + "\\s1\\d.txt"));
  EXPECT_TRUE(Exists(root + "\\s1\\s2"));
  EXPECT_TRUE(Exists(root + "\\.profile"));

  // Without a pattern, recursively: everything but dot-names goes.
  EXPECT_TRUE(FileUtility::DeleteFolderContents(root.c_str(), TRUE, nullptr, nullptr, 1));
  EXPECT_FALSE(Exists(root + "\\s1"));
  EXPECT_FALSE(Exists(root + "\\a.txt"));
  EXPECT_TRUE(Exists(root + "\\.profile"));
  EXPECT_FALSE(FileUtility::DeleteFolderContents(dir.file("none").c_str(), TRUE, nullptr, nullptr, 0));

  // Not recursive: the files only.
  MakeTree(root);
  EXPECT_TRUE(FileUtility::DeleteFolderContents(root.c_str(), FALSE, "", nullptr, 0));
  EXPECT_FALSE(Exists(root + "\\a.txt"));
  EXPECT_TRUE(Exists(root + "\\s1\\c.tmp"));
  // A read-only file fails the operation.
  testkit::WriteFileBytes(root + "\\ro.txt", "r");
  SetFileAttributesA((root + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(FileUtility::DeleteFolderContents(root.c_str(), FALSE, nullptr, nullptr, 0));
  SetFileAttributesA((root + "\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FileUtility, CopyWithPatternCopiesSubfoldersWhole) {
  testkit::TempDir dir;
  const std::string root = dir.file("t");
  const std::string dest = dir.file("copy\\deeper");
  MakeTree(root);
  EXPECT_TRUE(FileUtility::CopyFolder(root.c_str(), dest.c_str(), TRUE, "*.tmp", nullptr, 0));
  EXPECT_TRUE(Exists(dest + "\\b.tmp"));
  EXPECT_FALSE(Exists(dest + "\\a.txt"));
  EXPECT_FALSE(Exists(dest + "\\.profile"));
  EXPECT_TRUE(Exists(dest + "\\s1\\d.txt"));  // whole
  EXPECT_EQ(std::string(17, 'e'), testkit::ReadFileBytes(dest + "\\s1\\s2\\e.tmp"));
  EXPECT_FALSE(FileUtility::CopyFolder(dir.file("none").c_str(), dest.c_str(), nullptr, 0));

  const std::string flat = dir.file("flat");
  EXPECT_TRUE(FileUtility::CopyFolder(root.c_str(), flat.c_str(), FALSE, nullptr, nullptr, 0));
  EXPECT_TRUE(Exists(flat + "\\a.txt"));
  EXPECT_FALSE(Exists(flat + "\\s1"));
}

TEST(FileUtility, MoveAndRemove) {
  testkit::TempDir dir;
  const std::string root = dir.file("t");
  const std::string dest = dir.file("moved");
  MakeTree(root);
  EXPECT_TRUE(FileUtility::MoveFolder(root.c_str(), dest.c_str(), nullptr, 0));
  EXPECT_TRUE(Exists(dest + "\\s1\\s2\\e.tmp"));
  EXPECT_TRUE(Exists(root));  // the source folder itself remains
  EXPECT_FALSE(Exists(root + "\\a.txt"));
  EXPECT_FALSE(Exists(root + "\\s1"));
  EXPECT_FALSE(FileUtility::MoveFolder(dir.file("none").c_str(), dest.c_str(), nullptr, 0));

  EXPECT_TRUE(FileUtility::RemoveFolder(dir.file("none").c_str(), nullptr, 0));
  // Dot-names stop RemoveFolder: the folder is not empty.
  EXPECT_FALSE(FileUtility::RemoveFolder(root.c_str(), nullptr, 0));
  DeleteFileA((root + "\\.profile").c_str());
  SetFileAttributesA(root.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(FileUtility::RemoveFolder(root.c_str(), nullptr, 0));
  EXPECT_FALSE(Exists(root));
}

TEST(FileUtility, FolderSize) {
  testkit::TempDir dir;
  const std::string root = dir.file("t");
  MakeTree(root);
  EXPECT_EQ(3.0 + 5 + 11 + 13 + 17, FileUtility::GetFolderSize(root.c_str(), TRUE, nullptr, nullptr, 0));
  EXPECT_EQ(8.0, FileUtility::GetFolderSize(root.c_str(), FALSE, "", nullptr, 1));
  // Subfolders count only when their names match the mask.
  EXPECT_EQ(5.0, FileUtility::GetFolderSize(root.c_str(), TRUE, "*.tmp", nullptr, 0));
  EXPECT_EQ(0.0, FileUtility::GetFolderSize(dir.file("none").c_str(), TRUE, nullptr, nullptr, 0));
  const UniqueHandle stop = MakeEvent();
  SetEvent(stop.get());
  EXPECT_EQ(-1.0, FileUtility::GetFolderSize(root.c_str(), TRUE, nullptr, stop.get(), 0));
  EXPECT_FALSE(FileUtility::CopyFolder(root.c_str(), dir.file("c").c_str(), stop.get(), 0));
  EXPECT_FALSE(FileUtility::DeleteFolderContents(root.c_str(), TRUE, nullptr, stop.get(), 0));
  EXPECT_FALSE(FileUtility::RemoveFolder(root.c_str(), stop.get(), 0));
  EXPECT_TRUE(Exists(root + "\\a.txt"));
}

TEST(FileUtility, StopSignalledFromAnotherThreadWhilePumping) {
  testkit::TempDir dir;
  const std::string root = dir.file("t");
  CreateDirectoryA(root.c_str(), nullptr);
  for (int i = 0; i < 10; ++i) testkit::WriteFileBytes(root + "\\f" + std::to_string(i), "x");
  const UniqueHandle stop = MakeEvent();
  // The first pumped message has another thread signal the event.
  PumpProbe probe([&] { std::thread([&] { SetEvent(stop.get()); }).join(); });
  probe.Post();
  const std::string dest = dir.file("c");
  EXPECT_FALSE(FileUtility::CopyFolder(root.c_str(), dest.c_str(), stop.get(), 1));
  EXPECT_EQ(1, probe.calls);
  StringList copied;
  FileUtility::ListFile(dest + "\\", copied);
  EXPECT_LE(copied.size(), 1u);  // stopped after the first entry ("." comes first)

  // Without pumping the message waits in the queue.
  ResetEvent(stop.get());
  probe.Post();
  EXPECT_EQ(10.0, FileUtility::GetFolderSize(root.c_str(), TRUE, nullptr, stop.get(), 0));
  EXPECT_EQ(1, probe.calls);
  EXPECT_EQ(-1.0, FileUtility::GetFolderSize(root.c_str(), TRUE, nullptr, stop.get(), 1));
  EXPECT_EQ(2, probe.calls);
}

TEST(FileUtility, EmptyAndDeleteAll) {
  testkit::TempDir dir;
  const std::string root = dir.file("t");
  MakeTree(root);
  FileUtility::DeleteAllFiles(root.c_str());
  EXPECT_FALSE(Exists(root + "\\a.txt"));
  EXPECT_FALSE(Exists(root + "\\.profile"));
  EXPECT_TRUE(Exists(root + "\\s1\\c.tmp"));
  testkit::WriteFileBytes(root + "\\.profile", "p");
  testkit::WriteFileBytes(root + "\\ro", "r");
  SetFileAttributesA((root + "\\ro").c_str(), FILE_ATTRIBUTE_READONLY);
  FileUtility::EmptyDirectory(root.c_str());
  EXPECT_FALSE(Exists(root + "\\.profile"));  // dot-names go too
  EXPECT_FALSE(Exists(root + "\\s1"));
  EXPECT_TRUE(Exists(root + "\\ro"));  // read-only stays
  SetFileAttributesA((root + "\\ro").c_str(), FILE_ATTRIBUTE_NORMAL);
  // Paths too long for the path buffer are refused, nothing is touched.
  const std::string longDir = std::string(300, 'y');
  FileUtility::EmptyDirectory(longDir.c_str());
  FileUtility::DeleteAllFiles(longDir.c_str());
  FileUtility::EmptyDirectory(nullptr);
  EXPECT_TRUE(Exists(root + "\\ro"));
}

TEST(FileUtility, LibraryDirectoryFromAHostElsewhere) {
  // This program lies beside Zavrel.dll: both answers agree here.
  EXPECT_TRUE(SamePath(testkit::TestBinaryDir(), FileUtility::GetCurrentWorkingDirectory()));
  EXPECT_EQ(FileUtility::GetCurrentWorkingDirectory(), FileUtility::APP_PATH);

  // A copy of the probe in another directory, finding the DLLs through PATH.
  testkit::TempDir dir;
  const std::string exe = dir.file("app_path_probe.exe");
  ASSERT_TRUE(CopyFileA(testkit::TestBinaryPath("app_path_probe.exe").c_str(), exe.c_str(), FALSE));
  char oldPath[32768] = {};
  GetEnvironmentVariableA("PATH", oldPath, sizeof(oldPath));
  SetEnvironmentVariableA("PATH", (testkit::TestBinaryDir() + ";" + oldPath).c_str());
  const std::string report = dir.file("report.txt");
  std::string command = "\"" + exe + "\" \"" + report + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  const BOOL started = CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableA("PATH", oldPath);
  ASSERT_TRUE(started);
  WaitForSingleObject(pi.hProcess, 30000);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  ASSERT_EQ(0u, code);
  const std::string text = testkit::ReadFileBytes(report);
  const std::size_t nl = text.find('\n');
  ASSERT_NE(std::string::npos, nl);
  const std::string cwd = text.substr(0, nl);
  const std::string app = text.substr(nl + 1, text.size() - nl - 2);
  EXPECT_TRUE(SamePath(testkit::TestBinaryDir(), cwd)) << cwd;
  EXPECT_EQ(cwd, app);
  EXPECT_FALSE(SamePath(FileUtility::getDirectory(exe), cwd));
}

namespace {

// The names of the entries of dir, sorted.
std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  UniqueFindHandle find(FindFirstFileA((dir + "\\*").c_str(), &data));
  if (!find) return names;
  do {
    if (std::string(data.cFileName) != "." && std::string(data.cFileName) != "..") names.push_back(data.cFileName);
  } while (FindNextFileA(find.get(), &data));
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

// Folder names ending in a GBK character whose trail byte is 0x5C ('\'):
// "\xD5\x5C" (U+8AA0) and "\x81\x5C" (U+4E57). Wine runs in code page 936,
// so these are real names of one character each.
TEST(FileUtility, FolderNamesEndingInATrailByte0x5C) {
  testkit::TempDir dir;
  const std::string root = dir.file("t");
  ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
  const std::string cheng = root + "\\\xD5\x5C";
  const std::string cheng2 = cheng + "\\\x81\x5C";

  // No directory is made from a path cut inside a character.
  EXPECT_TRUE(FileUtility::createDirectory(cheng2));
  EXPECT_EQ(std::vector<std::string>({"\xD5\x5C"}), Entries(root));
  EXPECT_EQ(std::vector<std::string>({"\x81\x5C"}), Entries(cheng));
  ASSERT_TRUE(RemoveDirectoryA(cheng2.c_str()));
  ASSERT_TRUE(RemoveDirectoryA(cheng.c_str()));

  // The last character is not a separator to strip or to split at.
  EXPECT_TRUE(FileUtility::CreateFolder(cheng.c_str()));
  EXPECT_TRUE(FileUtility::directoryExist(cheng));
  EXPECT_TRUE(FileUtility::CreateFolder((cheng2 + "\\").c_str()));
  EXPECT_TRUE(FileUtility::directoryExist(cheng2));
  EXPECT_EQ(std::vector<std::string>({"\xD5\x5C"}), Entries(root));
  EXPECT_EQ(std::vector<std::string>({"\x81\x5C"}), Entries(cheng));

  ASSERT_TRUE(testkit::WriteFileBytes(cheng + "\\a.txt", "abc"));
  ASSERT_TRUE(testkit::WriteFileBytes(cheng2 + "\\b.txt", "defgh"));
  // The folder is searched, not its siblings with the same first bytes.
  EXPECT_EQ(8.0, FileUtility::GetFolderSize(cheng.c_str(), TRUE, nullptr, nullptr, 0));
  StringList listed;
  FileUtility::ListFile(cheng, listed);
  EXPECT_EQ(std::vector<std::string>({"a.txt", "b.txt"}), Sorted(listed));

  const std::string copy = root + "\\c\\\x81\x5C";
  EXPECT_TRUE(FileUtility::CopyFolder(cheng.c_str(), copy.c_str(), nullptr, 0));
  EXPECT_EQ("abc", testkit::ReadFileBytes(copy + "\\a.txt"));
  EXPECT_EQ("defgh", testkit::ReadFileBytes(copy + "\\\x81\x5C\\b.txt"));

  EXPECT_TRUE(FileUtility::RemoveFolder(cheng.c_str(), nullptr, 0));
  EXPECT_EQ(std::vector<std::string>({"c"}), Entries(root));
}
