// IUnknownEx: the root interface of Zavrel's components.
//
// A component has one owner, which ends it with Release; there is no
// reference count. The three operations stand first, in this order, in every
// interface derived from it (the slot order is a contract with other modules).
#pragma once

#include "afx/afx_port.h"
#include "zavrel/component/interface_ids.h"

class IUnknownEx {
 public:
  // True when the whole storage of the implementing object is valid,
  // readable and writable memory.
  virtual bool IsValid() = 0;
  // Destroys the object when IsValid() holds; true in every case.
  virtual bool Release() = 0;
  // The requested interface of the same object, or null (see query_rule.h).
  virtual void* QueryInterface(const IID& Guid, DWORD dwQueryVer) = 0;

 protected:
  // Components end through Release, never through a base pointer's delete.
  ~IUnknownEx() = default;
};
