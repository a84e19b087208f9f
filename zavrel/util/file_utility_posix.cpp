// FileUtility natively: the library's directory is the executable's.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "zavrel/util/file_utility.h"

std::string FileUtility::APP_PATH = FileUtility::GetCurrentWorkingDirectory();

bool FileUtility::directoryExist(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string FileUtility::getTempPath() {
  const char* dir = std::getenv("TMPDIR");
  std::string path = (dir != nullptr && *dir != '\0') ? dir : "/tmp";
  if (path.back() != '/') path += '/';
  return path;
}

std::string FileUtility::GetCurrentWorkingDirectory() {
  std::vector<char> buf(4096);
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= buf.size()) return std::string();
  return getDirectory(std::string(buf.data(), static_cast<std::size_t>(n)));
}
