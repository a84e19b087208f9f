#include "zavrel/net/client_service_factory.h"

const std::string& CClientServiceFactory::getType() const {
  static const std::string type("CClientServiceFactory");
  return type;
}

CClientService* CClientServiceFactory::createInstance(const std::string&) { return new CClientService(); }

CClientService* CClientServiceFactory::cloneInstance(const CClientService&) { return nullptr; }

void CClientServiceFactory::destroyInstance(CClientService* pInstance) { delete pInstance; }
