#include "support/ormlace/skin_image_manager.h"

#include <map>
#include <memory>
#include <mutex>

#include "support/ormlace/skin_picture.h"

struct CSkinImageManager::Cache {
  std::mutex lock;
  std::map<std::string, std::unique_ptr<CxImage>> pictures;  // by SkinCacheKey
};

CSkinImageManager::CSkinImageManager() : m_pCache(new Cache) {}

CSkinImageManager::~CSkinImageManager() { delete m_pCache; }

CSkinImageManager& CSkinImageManager::getSingleton() {
  // Made on first use (the compiler guards the initialisation across
  // threads), destroyed when Ormlace unloads.
  static CSkinImageManager manager;
  return manager;
}

CxImage* CSkinImageManager::GetImage(const std::string& strName) {
  const std::string path = ormlace::ResolveSkinPath(strName);
  if (path.empty()) return nullptr;
  const std::string key = ormlace::SkinCacheKey(path);
  std::lock_guard<std::mutex> guard(m_pCache->lock);
  auto found = m_pCache->pictures.find(key);
  if (found != m_pCache->pictures.end()) return found->second.get();
  auto picture = std::make_unique<CxImage>();
  if (!picture->Load(path.c_str())) return nullptr;
  CxImage* answer = picture.get();
  m_pCache->pictures.emplace(key, std::move(picture));
  return answer;
}
