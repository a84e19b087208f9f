// CSkinImageManager: Ormlace's process-wide cache of skin pictures.
//
// getSingleton() answers the one cache of the process, made on first use and
// kept until Ormlace unloads. GetImage(name) answers the picture of that name
// as Brevio's CxImage, owned by the cache and alive while the cache lives, or
// null when there is no picture of that name (where the cache looks for a
// name is Ormlace's own business).
//
// Declared here as the contract of the library; its implementation comes
// with the animations and the number drawer that use it. Windows only.
#pragma once

#include <string>

#include "support/brevio/ximage.h"
#include "support/ormlace/ormlace_api.h"

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
