// CClientServiceFactory: makes and destroys plain CClientService objects.
// Windows only.
#pragma once

#include <string>

#include "zavrel/component/factory_obj.h"
#include "zavrel/net/client_service.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API CClientServiceFactory : public FactoryObj<CClientService> {
 public:
  ~CClientServiceFactory() override = default;
  // "CClientServiceFactory"; the string lives until Zavrel unloads.
  const std::string& getType() const override;
  // A new service (owned by the caller; end it with destroyInstance or
  // Release), whatever the type name; null when memory runs out. The
  // service's construction message (socket module missing, ...) passes
  // through as a thrown char*.
  CClientService* createInstance(const std::string& strType) override;
  // Services are not copied: always null.
  CClientService* cloneInstance(const CClientService& source) override;
  // Destroys the service; null is ignored.
  virtual void destroyInstance(CClientService* pInstance);
};
