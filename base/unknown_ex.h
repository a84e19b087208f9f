// IUnknownEx: the root interface of the components of Zavrel and of the
// socket module Nuvrell, with its identifier, the interface version and the
// identifiers of the socket's two interfaces. Portable.
//
// A component has one owner, which ends it with Release; there is no
// reference count. The three operations stand first, in this order, in every
// interface derived from it (the slot order is a contract with other modules).
#pragma once

#include "base/win_types.h"

// Interface version: product.main.sub.build, from the most significant byte.
constexpr DWORD MakeInterfaceVersion(BYTE product, BYTE main, BYTE sub, BYTE build) {
  return (static_cast<DWORD>(product) << 24) | (static_cast<DWORD>(main) << 16) | (static_cast<DWORD>(sub) << 8) |
         static_cast<DWORD>(build);
}

// {92D87E91-5A5B-4A45-8CFD-382FE6B32B0B}
inline constexpr GUID IID_IUnknownEx = {0x92D87E91, 0x5A5B, 0x4A45, {0x8C, 0xFD, 0x38, 0x2F, 0xE6, 0xB3, 0x2B, 0x0B}};
// {55FCF8AA-526A-44C2-9AD1-040E07D68A2A}
inline constexpr GUID IID_IClientSocketSink = {
    0x55FCF8AA, 0x526A, 0x44C2, {0x9A, 0xD1, 0x04, 0x0E, 0x07, 0xD6, 0x8A, 0x2A}};
// {8B0E3918-5139-48DA-BF40-BA95ADCE5964}
inline constexpr GUID IID_IClientSocket = {
    0x8B0E3918, 0x5139, 0x48DA, {0xBF, 0x40, 0xBA, 0x95, 0xAD, 0xCE, 0x59, 0x64}};

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
