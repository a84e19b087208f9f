// FileUtility: static file-system operations: existence tests, single-file
// operations, the library's own directory, the temporary directory, directory
// creation, listing, emptying, copying, moving, removing and measuring of
// folder trees, file times and sizes.
//
// Paths are byte strings in the ANSI code page; every call goes to the
// system's ANSI functions. Separators are found walking characters of that
// code page, so the trail byte of a double-byte character (which may be
// 0x5C) is never taken for a backslash. Failures are results (false, 0, 0.0,
// -1.0 or an empty string); nothing throws. When memory runs out a member
// answers false, an empty string or list, or -1.0 (GetFolderSize); a member
// that reports nothing stops where it was.
//
// The folder-tree operations (DeleteFolderContents, CopyFolder, MoveFolder,
// RemoveFolder, GetFolderSize) can be cancelled from another thread by
// signalling stopEvent (a waitable event handle that stays owned by the
// caller; null means "cannot be cancelled"): they poll it before they start
// and after each directory entry and then return false (GetFolderSize:
// -1.0). With a non-zero pump they drain the calling thread's message queue
// before each entry (IsDialogMessageA, else TranslateMessage and
// DispatchMessageA), so the caller must be ready for re-entrant calls from
// its message handlers. Entries whose name begins with "." are skipped by
// every tree operation and by ListFile.
//
// Natively only the members outside the _WIN32 block exist: enough for the
// portable pieces that look for files.
#pragma once

#include <string>

#include "zavrel/util/string_utility.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API FileUtility {
 public:
  // The directory of Zavrel.dll, ending in a backslash; set while the
  // library loads. (Natively: the directory of the executable, ending in '/'.)
  static std::string APP_PATH;

  // True when the file can be opened for reading; false for a directory.
  static bool fileExist(const std::string& path);
  static bool directoryExist(const std::string& path);
  // The path up to and including its last '\' or '/'; "" when there is none.
  static std::string getDirectory(const std::string& path);
  // The system's temporary directory, ending in a separator; "" on failure.
  static std::string getTempPath();
  // The drive and directory of the loaded Zavrel.dll (found from the image
  // that holds this code, whatever the file is called), ending in a
  // backslash; "" when it cannot be found.
  static std::string GetCurrentWorkingDirectory();

#ifdef _WIN32
  static bool deleteFile(const std::string& path);
  // The directory must be empty.
  static bool removeDirectory(const std::string& path);
  // CopyFileA(source, destination, failIfExists).
  static bool copyFile(std::string source, std::string destination, bool failIfExists);
  // CreateDirectoryA on every prefix ending before a '\' or '/' (not after
  // ':' or '.'), ignoring those results; returns the result for the whole
  // path, so false when it existed already.
  static bool createDirectory(const std::string& path);
  // Appends the bare names of all files in the tree under dir (which should
  // end in a backslash; one is added when missing) to fileList and returns a
  // copy of it. A path of MAX_PATH bytes or more is not searched.
  static StringList ListFile(const std::string& dir, StringList& fileList);

  // Deletes the files directly in dir. A dir too long to search (MAX_PATH)
  // is refused: nothing happens.
  static void DeleteAllFiles(const char* dir);
  // Deletes everything in dir, recursively, dot-names included; failures are
  // ignored (read-only files stay). Paths of MAX_PATH bytes or more are
  // left alone.
  static void EmptyDirectory(const char* dir);
  // Creates every missing directory of path; true when all exist afterwards.
  static bool CreateFolder(const char* path);

  // Deletes the files (matching pattern, when given) in folder and, when
  // recursive, in its subfolders; without a pattern the emptied subfolders
  // are removed too. False when folder is not a directory, an entry failed
  // or the operation was stopped.
  static bool DeleteFolderContents(const char* folder, BOOL recursive, const char* pattern, HANDLE stopEvent, int pump);
  // Copies files (matching pattern, when given) from source into destination
  // (created when missing), overwriting; when recursive, subfolders are
  // copied whole whatever the pattern.
  static bool CopyFolder(const char* source, const char* destination, BOOL recursive, const char* pattern,
                         HANDLE stopEvent, int pump);
  static bool CopyFolder(const char* source, const char* destination, HANDLE stopEvent, int pump);
  // CopyFolder, then (when it succeeded) DeleteFolderContents of the source,
  // which itself remains. False only when the copy failed.
  static bool MoveFolder(const char* source, const char* destination, BOOL recursive, const char* pattern,
                         HANDLE stopEvent, int pump);
  static bool MoveFolder(const char* source, const char* destination, HANDLE stopEvent, int pump);
  // Removes folder with everything in it; true when it did not exist.
  static bool RemoveFolder(const char* folder, HANDLE stopEvent, int pump);
  // Total size in bytes of the files matching pattern ("*.*" when empty);
  // 0.0 when folder is not a directory, -1.0 when stopped.
  static double GetFolderSize(const char* folder, BOOL recursive, const char* pattern, HANDLE stopEvent, int pump);
  // Size in bytes; 0.0 when the file cannot be opened.
  static double GetFileSize(const char* file);
  // Modification time in seconds since 1970-01-01 UTC; 0 for a directory or
  // a path that does not exist.
  static int GetLastModified(const char* path);
  // The last-write time, as local time when local is set. The whole of time
  // is zeroed first; false when the path does not exist.
  static bool GetLastModified(const char* path, SYSTEMTIME& time, bool local);
  // Clears read-only and hidden and sets the access and modification times
  // to now; true when the times were set.
  static bool ResetLastModified(const char* path);
#endif
};
