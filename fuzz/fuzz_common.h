// Shared bits of the fuzz targets.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

namespace fuzz {

// A scratch file of this process under the temporary directory.
inline std::string ScratchPath(const char* suffix) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/zavrel-fuzz-" + std::to_string(getpid()) + suffix;
}

inline void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) __builtin_trap();
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

}  // namespace fuzz
