// CSkinImageManager: Ormlace's process-wide cache of skin pictures.
//
// getSingleton() answers the one cache of the process, made on first use
// (safely from any thread) and kept until Ormlace unloads. GetImage(name)
// answers the picture of that name as Brevio's CxImage, owned by the cache
// and alive while the cache lives, or null when there is no picture of that
// name.
//
// Where a name is looked for: a relative name ("data\Common\button\x.png";
// '/' is accepted as a separator too) is a file under the directory of the
// host executable (GetModuleFileNameA(nullptr)); an absolute name (a drive
// letter, or a leading separator) is the file itself. The cache key is the
// resolved path with '/' taken as '\' and ASCII letters compared without
// case, so "DATA/a.png" and "data\A.PNG" are one picture. A file that
// cannot be read as a picture (missing, not a picture) is not cached: a
// later call reads it again. The map is guarded by a mutex; a caller should
// not change a picture it was given (it is shared). Windows only.
#pragma once

#include <string>

#include "base/library_api.h"
#include "support/brevio/ximage.h"

class ORMLACE_API CSkinImageManager {
 public:
  static CSkinImageManager& getSingleton();

  // The cached picture, or null.
  CxImage* GetImage(const std::string& strName);

 private:
  CSkinImageManager();
  ~CSkinImageManager();
  CSkinImageManager(const CSkinImageManager&) = delete;
  CSkinImageManager& operator=(const CSkinImageManager&) = delete;

  struct Cache;
  Cache* m_pCache;
};
