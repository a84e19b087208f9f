// FileUtility: the members that build everywhere.
#include <sys/stat.h>

#include <cstdio>

#include "afx/afx_mbcs.h"
#include "base/no_throw.h"
#include "zavrel/util/file_utility.h"

bool FileUtility::fileExist(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (f == nullptr) return false;
  bool isFile = true;
#ifndef _WIN32
  // POSIX opens directories for reading; the Windows runtime does not.
  struct stat st;
  isFile = fstat(fileno(f), &st) == 0 && !S_ISDIR(st.st_mode);
#endif
  std::fclose(f);
  return isFile;
}

std::string FileUtility::getDirectory(const std::string& path) {
  // Walks characters: the trail byte of a double-byte character may be '\'.
  return NoThrow(std::string(), [&] {
    const std::size_t last = afx_mbcs::FindLastOf(path, "\\/");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
  });
}
