// IUnknownEx of ZavrelCom: the root interface of its components.
//
// Not Zavrel's interface of the same name and identifier (zavrel/component):
// this one counts references and answers COM status codes. A ZavrelCom
// component is driven only through these three operations, which stand
// first, in this order, in every interface derived from it (the slot order
// is a contract with the host). Never include both headers in one file.
#pragma once

#include "afx/afx_port.h"

// {92D87E91-5A5B-4A45-8CFD-382FE6B32B0B}
inline constexpr GUID IID_IUnknownEx = {0x92D87E91, 0x5A5B, 0x4A45, {0x8C, 0xFD, 0x38, 0x2F, 0xE6, 0xB3, 0x2B, 0x0B}};

class IUnknownEx {
 public:
  // Adds one reference; the new count.
  virtual ULONG AddRef() = 0;
  // Drops one reference; at 0 the object is destroyed and 0 answered,
  // otherwise the new count.
  virtual ULONG Release() = 0;
  // For an identifier the object answers: *out = the object's interface
  // pointer, one reference added, S_OK. Otherwise *out = null and
  // E_NOINTERFACE (E_POINTER, nothing written, when out is null).
  virtual HRESULT QueryInterface(const GUID& iid, void** out) = 0;

 protected:
  // Components end through Release, never through delete on an interface.
  ~IUnknownEx() = default;
};
