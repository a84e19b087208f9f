#include "zavrel/util/resource_provider.h"

#include <sys/stat.h>

#include <fstream>
#include <limits>
#include <memory>
#include <new>

#include "base/no_throw.h"

// Exported through the declaration in the header.
template class Singleton<RawResourceProvider>;

RawResourceProvider::RawResourceProvider() = default;

RawResourceProvider::RawResourceProvider(const RawResourceProvider& other)
    : IResourceProvider(other), Singleton<RawResourceProvider>(other) {}

RawResourceProvider& RawResourceProvider::operator=(const RawResourceProvider& other) {
  groupName = other.groupName;
  return *this;
}

RawResourceProvider::~RawResourceProvider() = default;

bool RawResourceProvider::loadRawDataContainer(const std::string& filename, RawDataContainer& output,
                                               const std::string&) {
  // The stream's own buffers may fail to allocate too.
  return NoThrow(false, [&] { return LoadFile(filename, output); });
}

bool RawResourceProvider::LoadFile(const std::string& filename, RawDataContainer& output) {
  if (filename.empty()) return false;
  // Only regular files: the end position of a directory or a device says
  // nothing about its content and must not size an allocation.
  struct stat status;
  if (stat(filename.c_str(), &status) != 0 || (status.st_mode & S_IFMT) != S_IFREG) return false;

  std::ifstream file(filename.c_str(), std::ios::in | std::ios::binary | std::ios::ate);
  if (!file.is_open()) return false;
  const std::streamoff end = file.tellg();
  if (end < 0 || static_cast<unsigned long long>(end) > std::numeric_limits<std::uint32_t>::max()) return false;
  const std::uint32_t size = static_cast<std::uint32_t>(end);
  file.seekg(0, std::ios::beg);
  std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[size]);
  if (bytes == nullptr) return false;
  if (size != 0 && !file.read(reinterpret_cast<char*>(bytes.get()), static_cast<std::streamsize>(size))) return false;
  output.data = bytes.release();
  output.size = size;
  return true;
}
