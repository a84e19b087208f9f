#include "zavrel/net/client_service_factory.h"

#include <new>

namespace {

// Made when Zavrel loads, so that asking for it allocates nothing.
const std::string g_strFactoryType("CClientServiceFactory");

}  // namespace

const std::string& CClientServiceFactory::getType() const { return g_strFactoryType; }

CClientService* CClientServiceFactory::createInstance(const std::string&) {
  // The construction message (a char*) passes; out of memory is null.
  try {
    return new CClientService();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

CClientService* CClientServiceFactory::cloneInstance(const CClientService&) { return nullptr; }

void CClientServiceFactory::destroyInstance(CClientService* pInstance) { delete pInstance; }
