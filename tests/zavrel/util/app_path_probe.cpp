// Writes what FileUtility says about the library's directory into the file
// named by its argument: GetCurrentWorkingDirectory, APP_PATH, each on a line.
#include <cstdio>

#include "zavrel/util/file_utility.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) return 3;
  std::fprintf(out, "%s\n%s\n", FileUtility::GetCurrentWorkingDirectory().c_str(), FileUtility::APP_PATH.c_str());
  std::fclose(out);
  return 0;
}
