// Resources as raw bytes: the provider interface IResourceProvider, the
// file-loading RawResourceProvider, and the record RawDataContainer that
// receives the bytes. The most recently constructed RawResourceProvider is
// reachable process-wide through Singleton<RawResourceProvider>.
#pragma once

#include <cstdint>
#include <string>

#include "zavrel/util/singleton.h"
#include "zavrel/zavrel_api.h"

// A loaded resource. The bytes are allocated as an array by the provider; the
// holder of the container releases them with delete[] (or through the
// provider's unloadRawDataContainer). Copying the record copies the pointer,
// not the bytes.
struct RawDataContainer {
  unsigned char* data = nullptr;
  std::uint32_t size = 0;
};

// The interface of resource providers. It has no exported members.
class IResourceProvider {
 public:
  IResourceProvider() = default;
  IResourceProvider(const IResourceProvider&) = default;
  IResourceProvider& operator=(const IResourceProvider&) = default;
  virtual ~IResourceProvider() = default;

  // Loads the named resource into output. True on success; on failure the
  // container is left as it was. Whatever output held before is overwritten
  // without being released: release it first.
  virtual bool loadRawDataContainer(const std::string& filename, RawDataContainer& output,
                                    const std::string& resourceGroup) = 0;
  // Releases the bytes that loadRawDataContainer put into data and empties
  // the container. A concrete provider implements it.
  virtual void unloadRawDataContainer(RawDataContainer& data) = 0;

 protected:
  // Empty after construction; copied with the provider; read by no
  // operation here.
  std::string groupName;
};

class RawResourceProvider;
// Exported from the library, with its static member.
extern template class ZAVREL_API Singleton<RawResourceProvider>;

// Loads whole files. Abstract: unloadRawDataContainer is left to the class
// that the host derives from it.
class ZAVREL_API RawResourceProvider : public IResourceProvider, public Singleton<RawResourceProvider> {
 public:
  // Registers the new provider as the singleton.
  RawResourceProvider();
  // Copies groupName; the copy is not registered.
  RawResourceProvider(const RawResourceProvider& other);
  RawResourceProvider& operator=(const RawResourceProvider& other);
  // Clears the singleton registration (whichever provider was registered).
  ~RawResourceProvider() override;

  // Loads the whole file filename (absolute, or relative to the process's
  // current directory; resourceGroup is not used) into output: data gets a
  // new byte array, size its length. False, leaving output unchanged, for an
  // empty name, a file that cannot be opened, anything but a regular file, a
  // file of 4 GiB or more, a failed allocation or a short read.
  bool loadRawDataContainer(const std::string& filename, RawDataContainer& output,
                            const std::string& resourceGroup) override;

 private:
  bool LoadFile(const std::string& filename, RawDataContainer& output);
};
