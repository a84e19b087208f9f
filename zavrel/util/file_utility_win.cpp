// FileUtility on Win32: find-first/next walks, CopyFileA, _mkdir, the stop
// event and message pumping of the folder-tree operations.
#include <direct.h>
#include <shlwapi.h>
#include <sys/stat.h>
#include <sys/utime.h>

#include <cstdlib>
#include <cstring>

#include "afx/afx_mbcs.h"
#include "base/no_throw.h"
#include "base/win_owners.h"
#include "zavrel/util/file_utility.h"
#include "zavrel/util/module_directory.h"

std::string FileUtility::APP_PATH = FileUtility::GetCurrentWorkingDirectory();

namespace {

// The first entry of a search, into data; empty when nothing matches.
UniqueFindHandle FindFirst(const std::string& pattern, WIN32_FIND_DATAA& data) {
  return UniqueFindHandle(FindFirstFileA(pattern.c_str(), &data));
}

bool FindNext(const UniqueFindHandle& find, WIN32_FIND_DATAA& data) {
  return FindNextFileA(find.get(), &data) != FALSE;
}

// Paths are walked by characters of the ANSI code page: the trail byte of a
// double-byte character may be 0x5C, which is no separator.
bool EndsInSeparator(const std::string& path, const char* separators) {
  return afx_mbcs::EndsWithOneOf(path, separators);
}

bool Stopped(HANDLE stopEvent) { return stopEvent != nullptr && WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0; }

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!IsDialogMessageA(msg.hwnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

bool IsDirectory(const char* path) {
  if (path == nullptr) return false;
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsDirectory(const WIN32_FIND_DATAA& data) { return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// The search pattern of a tree operation: the folder without trailing
// spaces, a backslash, the mask.
std::string SearchSpec(const char* folder, const char* mask) {
  std::string pattern(folder);
  while (!pattern.empty() && pattern.back() == ' ') pattern.pop_back();
  if (!EndsInSeparator(pattern, "\\")) pattern += '\\';
  return pattern + mask;
}

// folder, a backslash (unless it ends in one), name.
std::string Join(const char* folder, const char* name) {
  std::string path(folder);
  if (!EndsInSeparator(path, "\\/")) path += '\\';
  return path + name;
}

enum PassKind { kFilesOnly, kDirectoriesOnly, kBoth };

// One pass of a tree operation over folder\mask: calls handle(data) on each
// entry of the kind asked for, skipping dot-names, pumping before each entry
// and polling the stop event after each. Ends early when handle returns
// false (ok becomes false) or the event is signalled (stopped becomes true).
template <typename Handler>
void WalkPass(const char* folder, const char* mask, PassKind kind, HANDLE stopEvent, int pump, bool& ok, bool& stopped,
              Handler handle) {
  WIN32_FIND_DATAA data;
  const UniqueFindHandle find = FindFirst(SearchSpec(folder, mask), data);
  if (!find) return;
  do {
    if (pump) PumpMessages();
    if (data.cFileName[0] != '.') {
      const bool directory = IsDirectory(data);
      if ((kind == kBoth) || (kind == kFilesOnly && !directory) || (kind == kDirectoriesOnly && directory)) {
        if (!handle(data)) ok = false;
      }
    }
    if (Stopped(stopEvent)) {
      stopped = true;
      return;
    }
  } while (ok && FindNext(find, data));
}

// The passes of DeleteFolderContents and CopyFolder: with recursion and a
// pattern, files matching the pattern first and then every subdirectory;
// otherwise one pass over the pattern (or "*.*") for files and, when
// recursive, subdirectories.
template <typename FileHandler, typename DirHandler>
bool WalkTree(const char* folder, BOOL recursive, const char* pattern, HANDLE stopEvent, int pump, FileHandler onFile,
              DirHandler onDir) {
  bool ok = true;
  bool stopped = false;
  const bool hasPattern = pattern != nullptr && *pattern != '\0';
  if (recursive && hasPattern) {
    WalkPass(folder, pattern, kFilesOnly, stopEvent, pump, ok, stopped, onFile);
    if (ok && !stopped) WalkPass(folder, "*.*", kDirectoriesOnly, stopEvent, pump, ok, stopped, onDir);
  } else {
    WalkPass(folder, hasPattern ? pattern : "*.*", recursive ? kBoth : kFilesOnly, stopEvent, pump, ok, stopped,
             [&](const WIN32_FIND_DATAA& data) { return IsDirectory(data) ? onDir(data) : onFile(data); });
  }
  return ok && !stopped && !Stopped(stopEvent);
}

// Calls visit(path, data) for every entry of dir but "." and "..", whose
// path fits MAX_PATH; nothing for a null dir or one too long to search.
template <class Visit>
void ForEachEntry(const char* dir, Visit visit) {
  if (dir == nullptr || std::strlen(dir) + 4 >= MAX_PATH) return;
  WIN32_FIND_DATAA data;
  const UniqueFindHandle find = FindFirst(std::string(dir) + "\\*.*", data);
  if (!find) return;
  do {
    if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0) continue;
    const std::string path = std::string(dir) + "\\" + data.cFileName;
    if (path.size() < MAX_PATH) visit(path, data);
  } while (FindNext(find, data));
}

}  // namespace

bool FileUtility::directoryExist(const std::string& path) { return PathIsDirectoryA(path.c_str()) != FALSE; }

bool FileUtility::deleteFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool FileUtility::removeDirectory(const std::string& path) { return RemoveDirectoryA(path.c_str()) != FALSE; }

bool FileUtility::copyFile(std::string source, std::string destination, bool failIfExists) {
  return CopyFileA(source.c_str(), destination.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

bool FileUtility::createDirectory(const std::string& path) {
  return NoThrow(false, [&] {
    // ':' and '.' are never trail bytes, so the byte before a separator tells.
    for (std::size_t i = afx_mbcs::FindFirstOf(path, "\\/"); i != std::string::npos;
         i = afx_mbcs::FindFirstOf(path, "\\/", i + 1)) {
      if (i > 0 && path[i - 1] != ':' && path[i - 1] != '.') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
  });
}

std::string FileUtility::getTempPath() {
  return NoThrow(std::string(), [&] {
    char buf[4096];
    std::memset(buf, ' ', sizeof(buf));
    const DWORD n = GetTempPathA(sizeof(buf), buf);
    if (n == 0 || n >= sizeof(buf)) return std::string();
    return std::string(buf, n);
  });
}

std::string FileUtility::GetCurrentWorkingDirectory() {
  return NoThrow(std::string(), [&] {
    // Found from this library's image, not its name: a renamed library still
    // finds its own folder.
    return ThisModuleDirectory();
  });
}

namespace {

// ListFile's walk, which throws when memory runs out.
void ListInto(const std::string& dir, StringList& fileList) {
  std::string base(dir);
  if (!base.empty() && !EndsInSeparator(base, "\\/")) base += '\\';
  if (base.size() + 1 >= MAX_PATH) return;  // would not fit a path buffer
  WIN32_FIND_DATAA data;
  const UniqueFindHandle find = FindFirst(base + "*", data);
  if (!find) return;
  do {
    if (data.cFileName[0] == '.') continue;
    if (IsDirectory(data)) {
      ListInto(base + data.cFileName + "\\", fileList);
    } else {
      fileList.push_back(data.cFileName);
    }
  } while (FindNext(find, data));
}

}  // namespace

StringList FileUtility::ListFile(const std::string& dir, StringList& fileList) {
  // Out of memory: an empty list is returned; fileList keeps the names found
  // so far.
  return NoThrow(StringList(), [&] {
    ListInto(dir, fileList);
    return fileList;
  });
}

void FileUtility::DeleteAllFiles(const char* dir) {
  NoThrowVoid(
      [&] { ForEachEntry(dir, [](const std::string& path, const WIN32_FIND_DATAA&) { DeleteFileA(path.c_str()); }); });
}

void FileUtility::EmptyDirectory(const char* dir) {
  NoThrowVoid([&] {
    ForEachEntry(dir, [](const std::string& path, const WIN32_FIND_DATAA& data) {
      if (IsDirectory(data)) {
        EmptyDirectory(path.c_str());
        RemoveDirectoryA(path.c_str());
      } else {
        DeleteFileA(path.c_str());
      }
    });
  });
}

bool FileUtility::CreateFolder(const char* path) {
  return NoThrow(false, [&] {
    if (path == nullptr) return false;
    std::string rest(path);
    while (!rest.empty() && StringUtility::isspace(static_cast<signed char>(rest.back()))) rest.pop_back();
    if (EndsInSeparator(rest, "\\")) rest.pop_back();

    // ':' is never a trail byte, so ":\" is found as bytes; a "\\" must start
    // at a character.
    std::string built;
    std::size_t split = rest.find(":\\");
    if (split == std::string::npos) {
      split = afx_mbcs::FindFirstOf(rest, "\\");
      while (split != std::string::npos && rest.compare(split, 2, "\\\\") != 0) {
        split = afx_mbcs::FindFirstOf(rest, "\\", split + 1);
      }
    }
    if (split != std::string::npos) {
      built = rest.substr(0, split + 2);
      rest.erase(0, split + 2);
    }
    for (;;) {
      // The next separator from the remainder's second character on.
      const std::size_t next =
          rest.empty() ? std::string::npos
                       : afx_mbcs::FindFirstOf(rest, "\\", afx_mbcs::CharBytes(rest.data(), rest.size(), 0));
      const bool last = next == std::string::npos;
      built += last ? rest : rest.substr(0, next);
      rest = last ? std::string() : rest.substr(next);
      if (GetFileAttributesA(built.c_str()) == INVALID_FILE_ATTRIBUTES && _mkdir(built.c_str()) != 0) return false;
      if (last) return true;
    }
  });
}

bool FileUtility::DeleteFolderContents(const char* folder, BOOL recursive, const char* pattern, HANDLE stopEvent,
                                       int pump) {
  return NoThrow(false, [&] {
    if (!IsDirectory(folder) || Stopped(stopEvent)) return false;
    const bool hasPattern = pattern != nullptr && *pattern != '\0';
    return WalkTree(
        folder, recursive, pattern, stopEvent, pump,
        [&](const WIN32_FIND_DATAA& data) { return DeleteFileA(Join(folder, data.cFileName).c_str()) != FALSE; },
        [&](const WIN32_FIND_DATAA& data) {
          const std::string sub = Join(folder, data.cFileName);
          bool ok = DeleteFolderContents(sub.c_str(), TRUE, pattern, stopEvent, pump);
          if (ok && !hasPattern) ok = RemoveDirectoryA(sub.c_str()) != FALSE;
          return ok;
        });
  });
}

bool FileUtility::CopyFolder(const char* source, const char* destination, BOOL recursive, const char* pattern,
                             HANDLE stopEvent, int pump) {
  return NoThrow(false, [&] {
    if (destination == nullptr || !CreateFolder(destination) || !IsDirectory(source) || Stopped(stopEvent)) {
      return false;
    }
    return WalkTree(
        source, recursive, pattern, stopEvent, pump,
        [&](const WIN32_FIND_DATAA& data) {
          return CopyFileA(Join(source, data.cFileName).c_str(), Join(destination, data.cFileName).c_str(), FALSE) !=
                 FALSE;
        },
        [&](const WIN32_FIND_DATAA& data) {
          // Subfolders are copied whole, with pumping, whatever the caller asked.
          return CopyFolder(Join(source, data.cFileName).c_str(), Join(destination, data.cFileName).c_str(), TRUE,
                            nullptr, stopEvent, 1);
        });
  });
}

bool FileUtility::CopyFolder(const char* source, const char* destination, HANDLE stopEvent, int pump) {
  return CopyFolder(source, destination, TRUE, nullptr, stopEvent, pump);
}

bool FileUtility::MoveFolder(const char* source, const char* destination, BOOL recursive, const char* pattern,
                             HANDLE stopEvent, int pump) {
  if (!CopyFolder(source, destination, recursive, pattern, stopEvent, pump)) return false;
  DeleteFolderContents(source, recursive, pattern, nullptr, pump);
  return true;
}

bool FileUtility::MoveFolder(const char* source, const char* destination, HANDLE stopEvent, int pump) {
  return MoveFolder(source, destination, TRUE, nullptr, stopEvent, pump);
}

bool FileUtility::RemoveFolder(const char* folder, HANDLE stopEvent, int pump) {
  if (!IsDirectory(folder)) return true;
  if (!DeleteFolderContents(folder, TRUE, nullptr, stopEvent, pump)) return false;
  SetFileAttributesA(folder, FILE_ATTRIBUTE_NORMAL);
  return RemoveDirectoryA(folder) != FALSE;
}

double FileUtility::GetFolderSize(const char* folder, BOOL recursive, const char* pattern, HANDLE stopEvent, int pump) {
  return NoThrow(-1.0, [&] {
    if (!IsDirectory(folder)) return 0.0;
    if (Stopped(stopEvent)) return -1.0;
    double total = 0.0;
    bool ok = true;
    bool stopped = false;
    const char* mask = (pattern != nullptr && *pattern != '\0') ? pattern : "*.*";
    WalkPass(folder, mask, kBoth, stopEvent, pump, ok, stopped, [&](const WIN32_FIND_DATAA& data) {
      if (!IsDirectory(data)) {
        total += data.nFileSizeHigh * 4294967296.0 + data.nFileSizeLow;
      } else if (recursive) {
        const double sub = GetFolderSize(Join(folder, data.cFileName).c_str(), recursive, pattern, stopEvent, pump);
        if (sub > 0.0) total += sub;
      }
      return true;
    });
    return (stopped || Stopped(stopEvent)) ? -1.0 : total;
  });
}

double FileUtility::GetFileSize(const char* file) {
  if (file == nullptr) return 0.0;
  const UniqueFileHandle h(
      CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return 0.0;
  DWORD high = 0;
  const DWORD low = ::GetFileSize(h.get(), &high);
  if (low == INVALID_FILE_SIZE) return 0.0;
  return high * 4294967296.0 + low;
}

int FileUtility::GetLastModified(const char* path) {
  if (path == nullptr) return 0;
  struct _stat st;
  if (_stat(path, &st) != 0 || (st.st_mode & _S_IFDIR) != 0) return 0;
  return static_cast<int>(st.st_mtime);
}

bool FileUtility::GetLastModified(const char* path, SYSTEMTIME& time, bool local) {
  std::memset(&time, 0, sizeof(time));
  if (path == nullptr || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return false;
  WIN32_FIND_DATAA data;
  if (!FindFirst(path, data)) return false;
  FILETIME written = data.ftLastWriteTime;
  if (local) {
    FILETIME localTime;
    if (FileTimeToLocalFileTime(&written, &localTime)) written = localTime;
  }
  return FileTimeToSystemTime(&written, &time) != FALSE;
}

bool FileUtility::ResetLastModified(const char* path) {
  if (path == nullptr) return false;
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  return _utime(path, nullptr) == 0;
}
