// ProcessUtility against real helper programs under Wine: starting, waiting,
// finding, closing and killing, tokens, the program behind a window, and
// bitmaps out of another executable.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "afx/afx_module.h"
#include "tests/testkit/testkit.h"
#include "zavrel/util/process_utility.h"

namespace {

const char kSleeper[] = "process_sleeper_helper.exe";
const char kWindowed[] = "process_window_helper.exe";

// Owns a process handle handed out by ProcessUtility; ends a process that is
// still running when the test is over.
class Child {
 public:
  explicit Child(HANDLE h) : m_h(h) {}
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (m_h) {
      if (WaitForSingleObject(m_h, 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_h, 99);
        WaitForSingleObject(m_h, 10000);
      }
      CloseHandle(m_h);
    }
  }
  HANDLE get() const { return m_h; }
  DWORD id() const { return GetProcessId(m_h); }
  bool ended(DWORD ms) const { return WaitForSingleObject(m_h, ms) == WAIT_OBJECT_0; }
  DWORD exitCode() const {
    DWORD code = 12345;
    GetExitCodeProcess(m_h, &code);
    return code;
  }

 private:
  HANDLE m_h;
};

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

HANDLE StartSleeper(const std::string& args) {
  const std::string path = testkit::TestBinaryPath(kSleeper);
  const std::string command = Quoted(path) + " " + args;
  return ProcessUtility::ExecuteCreateProcess(path.c_str(), nullptr, command.c_str());
}

// Starts the windowed helper and waits until its window exists.
HANDLE StartWindowed(const std::string& title, HWND& window) {
  const std::string command = Quoted(testkit::TestBinaryPath(kWindowed)) + " " + title;
  HANDLE h = ProcessUtility::ExecuteCreateProcess(nullptr, nullptr, command.c_str());
  window = nullptr;
  if (!h) return nullptr;
  const ULONGLONG end = GetTickCount64() + 10000;
  while (!window && GetTickCount64() < end) {
    window = FindWindowA("ZavrelProcessHelperWindow", title.c_str());
    if (!window) Sleep(20);
  }
  return h;
}

}  // namespace

TEST(ProcessUtility, ExecuteCreateProcessPassesCommandLineAndDirectory) {
  testkit::TempDir dir;
  const std::string marker = dir.file("marker.txt");
  const std::string path = testkit::TestBinaryPath(kSleeper);
  const std::string command = Quoted(path) + " 0 42 " + Quoted(marker);
  const std::string cwd = dir.path().string();
  Child child(ProcessUtility::ExecuteCreateProcess(path.c_str(), cwd.c_str(), command.c_str()));
  ASSERT_NE(nullptr, child.get());
  ASSERT_TRUE(child.ended(10000));
  EXPECT_EQ(42u, child.exitCode());
  EXPECT_EQ(0, _stricmp(cwd.c_str(), testkit::ReadFileBytes(marker).c_str()));
}

TEST(ProcessUtility, ExecuteCreateProcessOfAMissingProgramGivesNull) {
  const std::string missing = testkit::TestBinaryPath("no_such_program.exe");
  SetLastError(0xdeadbeef);
  EXPECT_EQ(nullptr, ProcessUtility::ExecuteCreateProcess(missing.c_str(), nullptr, nullptr));
  EXPECT_NE(0xdeadbeefu, GetLastError());
  EXPECT_FALSE(ProcessUtility::ExecuteProgramWaitOver(missing.c_str(), nullptr, nullptr, TRUE));
}

TEST(ProcessUtility, ExecuteProgramWaitOverWaitsForTheProgramToEnd) {
  testkit::TempDir dir;
  const std::string marker = dir.file("waited.txt");
  const std::string path = testkit::TestBinaryPath(kSleeper);
  const std::string command = Quoted(path) + " 300 0 " + Quoted(marker);
  EXPECT_TRUE(ProcessUtility::ExecuteProgramWaitOver(path.c_str(), nullptr, command.c_str(), TRUE));
  // The helper writes the file just before it exits.
  EXPECT_FALSE(testkit::ReadFileBytes(marker).empty());

  const std::string marker2 = dir.file("later.txt");
  const std::string command2 = Quoted(path) + " 0 0 " + Quoted(marker2);
  EXPECT_TRUE(ProcessUtility::ExecuteProgramWaitOver(path.c_str(), nullptr, command2.c_str(), FALSE));
  const ULONGLONG end = GetTickCount64() + 10000;
  while (testkit::ReadFileBytes(marker2).empty() && GetTickCount64() < end) Sleep(20);
  EXPECT_FALSE(testkit::ReadFileBytes(marker2).empty());
}

TEST(ProcessUtility, LaunchShellExecuteStartsAProgramAndHandsBackItsProcess) {
  const std::string path = testkit::TestBinaryPath(kSleeper);
  Child child(ProcessUtility::LaunchShellExecute(path.c_str(), "0 5"));
  ASSERT_NE(nullptr, child.get());
  ASSERT_TRUE(child.ended(10000));
  EXPECT_EQ(5u, child.exitCode());

  const std::string missing = testkit::TestBinaryPath("no_such_program.exe");
  EXPECT_EQ(nullptr, ProcessUtility::LaunchShellExecute(missing.c_str(), nullptr));
}

TEST(ProcessUtility, FindProcessMatchesTheFullPathWithItsLetterCase) {
  Child child(StartSleeper("forever 0"));
  ASSERT_NE(nullptr, child.get());
  const std::string path = testkit::TestBinaryPath(kSleeper);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return ProcessUtility::FindProcess(path) == child.id(); }, 10000))
      << path;

  std::string lower = path, upper = path;
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  ASSERT_NE(lower, path);
  EXPECT_EQ(4294967295u, ProcessUtility::FindProcess(lower));
  EXPECT_EQ(4294967295u, ProcessUtility::FindProcess(upper));
  EXPECT_EQ(4294967295u, ProcessUtility::FindProcess(path + "x"));
  EXPECT_EQ(4294967295u, ProcessUtility::FindProcess(""));
}

TEST(ProcessUtility, KillProcessClosesAProgramWithAWindowOnRequest) {
  HWND window = nullptr;
  Child child(StartWindowed("KillMeGently", window));
  ASSERT_NE(nullptr, child.get());
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(static_cast<DWORD>(ProcessUtility::KILL_CLOSED), ProcessUtility::KillProcess(child.id(), 10000));
  ASSERT_TRUE(child.ended(0));
  EXPECT_EQ(7u, child.exitCode()) << "ended through its window, not terminated";
}

TEST(ProcessUtility, KillProcessTerminatesAProgramWithoutWindowsAfterTheTimeOut) {
  Child child(StartSleeper("forever 3"));
  ASSERT_NE(nullptr, child.get());
  EXPECT_EQ(static_cast<DWORD>(ProcessUtility::KILL_TERMINATED), ProcessUtility::KillProcess(child.id(), 300));
  ASSERT_TRUE(child.ended(5000));
  EXPECT_EQ(0u, child.exitCode()) << "terminated with exit code 0";
}

TEST(ProcessUtility, KillProcessOfAnIdThatCannotBeOpenedFails) {
  EXPECT_EQ(static_cast<DWORD>(ProcessUtility::KILL_FAILED), ProcessUtility::KillProcess(0, INFINITE));
  EXPECT_EQ(static_cast<DWORD>(ProcessUtility::KILL_FAILED), ProcessUtility::KillProcess(0xFFFFFFF1u, INFINITE));
}

TEST(ProcessUtility, TerminateAppEnumClosesOnlyTheWindowsOfThatProcess) {
  HWND window = nullptr;
  Child child(StartWindowed("EnumTarget", window));
  ASSERT_NE(nullptr, window);
  EXPECT_TRUE(ProcessUtility::TerminateAppEnum(window, static_cast<LPARAM>(GetCurrentProcessId())));
  EXPECT_FALSE(child.ended(200)) << "a window of another process was closed";
  EXPECT_TRUE(ProcessUtility::TerminateAppEnum(window, static_cast<LPARAM>(child.id())));
  ASSERT_TRUE(child.ended(10000));
  EXPECT_EQ(7u, child.exitCode());
}

TEST(ProcessUtility, GetProcessFilenameNamesTheProgramBehindAWindow) {
  HWND window = nullptr;
  Child child(StartWindowed("WhoOwnsMe", window));
  ASSERT_NE(nullptr, window);
  const std::string path = testkit::TestBinaryPath(kWindowed);

  char name[MAX_PATH] = "junk";
  ASSERT_EQ(1, ProcessUtility::GetProcessFilename(window, name, sizeof(name)));
  EXPECT_EQ(0, _stricmp(path.c_str(), name)) << name;

  char small[10];
  std::memset(small, 'x', sizeof(small));
  ASSERT_EQ(1, ProcessUtility::GetProcessFilename(window, small, sizeof(small)));
  EXPECT_EQ(9u, std::strlen(small)) << "cut to the buffer, terminated";
  EXPECT_EQ(0, _strnicmp(path.c_str(), small, 9));

  EXPECT_EQ(0, ProcessUtility::GetProcessFilename(window, nullptr, 100));
  char untouched[4] = "abc";
  EXPECT_EQ(0, ProcessUtility::GetProcessFilename(window, untouched, 0));
  EXPECT_STREQ("abc", untouched);
}

TEST(ProcessUtility, GetProcessFilenameOfAWindowThatIsGoneFails) {
  HWND window = nullptr;
  {
    Child child(StartWindowed("SoonGone", window));
    ASSERT_NE(nullptr, window);
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(child.ended(10000));
  }
  char name[MAX_PATH] = "junk";
  EXPECT_EQ(0, ProcessUtility::GetProcessFilename(window, name, sizeof(name)));
  EXPECT_STREQ("", name);
}

TEST(ProcessUtility, GetTokenByNameOpensTheTokenOfAProcessFoundByItsFirstFourLetters) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, sizeof(self));
  std::string exe = std::strrchr(self, '\\') + 1;
  // Lower case, and only the first four letters need to match.
  for (char& c : exe) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  char name[MAX_PATH];
  std::strcpy(name, (exe.substr(0, 4) + "-anything.exe").c_str());

  HANDLE token = nullptr;
  ASSERT_TRUE(ProcessUtility::GetTokenByName(token, name));
  ASSERT_NE(nullptr, token);
  TOKEN_TYPE type = TokenImpersonation;
  DWORD size = 0;
  EXPECT_TRUE(GetTokenInformation(token, TokenType, &type, sizeof(type), &size));
  EXPECT_EQ(TokenPrimary, type);
  CloseHandle(token);

  std::string upper = exe.substr(0, 4) + "-ANYTHING.EXE";
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  EXPECT_STREQ(upper.c_str(), name) << "the caller's buffer is upper-cased";
}

TEST(ProcessUtility, GetTokenByNameReportsFailureWhenNoProcessMatches) {
  HANDLE sentinel = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x1234));
  HANDLE token = sentinel;
  char name[] = "qzxj-no-such-process.exe";
  EXPECT_FALSE(ProcessUtility::GetTokenByName(token, name));
  EXPECT_EQ(sentinel, token) << "the token is left unchanged";
  EXPECT_STREQ("QZXJ-NO-SUCH-PROCESS.EXE", name);
  EXPECT_FALSE(ProcessUtility::GetTokenByName(token, nullptr));
  EXPECT_EQ(sentinel, token);
}

TEST(ProcessUtility, GetBitmapFromProcessFileLoadsABitmapOutOfAnotherExecutable) {
  const std::string module = testkit::TestBinaryPath(kSleeper);
  HINSTANCE before = AfxGetResourceHandle();

  CBitmap bitmap;
  ASSERT_EQ(1, ProcessUtility::GetBitmapFromProcessFile(module.c_str(), "TESTBITMAP", bitmap));
  ASSERT_NE(nullptr, bitmap.GetSafeHandle());
  BITMAP info = {};
  ASSERT_NE(0, bitmap.GetBitmap(&info));
  EXPECT_EQ(4, info.bmWidth);
  EXPECT_EQ(3, info.bmHeight);
  EXPECT_EQ(before, AfxGetResourceHandle()) << "the resource handle is restored";
  EXPECT_EQ(nullptr, GetModuleHandleA(kSleeper)) << "the module is freed again";

  // A bitmap that the module does not carry: 1, and the bitmap held stays.
  HGDIOBJ held = bitmap.GetSafeHandle();
  EXPECT_EQ(1, ProcessUtility::GetBitmapFromProcessFile(module.c_str(), "NOSUCHBITMAP", bitmap));
  EXPECT_EQ(held, bitmap.GetSafeHandle());

  // A second load replaces (and deletes) the bitmap held.
  EXPECT_EQ(1, ProcessUtility::GetBitmapFromProcessFile(module.c_str(), "TESTBITMAP", bitmap));
  EXPECT_NE(nullptr, bitmap.GetSafeHandle());

  CBitmap none;
  const std::string missing = testkit::TestBinaryPath("no_such_module.exe");
  EXPECT_EQ(0, ProcessUtility::GetBitmapFromProcessFile(missing.c_str(), "TESTBITMAP", none));
  EXPECT_EQ(nullptr, none.GetSafeHandle());
  EXPECT_EQ(before, AfxGetResourceHandle());
}
