// IsValid and Release as every component of Zavrel and Nuvrell implements
// them, on the framework's address check. Windows only.
//
//   bool IsValid() override { return ComponentIsValid(this); }
//   bool Release() override { return ComponentRelease(this); }
//
// T is the implementing class; its destructor must be virtual when hosts
// derive from it, so that Release ends the whole object.
#pragma once

#include "afx/afx_module.h"

// True when the whole object is committed, readable and writable memory.
template <class T>
bool ComponentIsValid(const T* self) {
  return AfxIsValidAddress(self, sizeof(T), TRUE) != FALSE;
}

// Destroys the object when it is valid memory; true in every case.
template <class T>
bool ComponentRelease(T* self) {
  if (ComponentIsValid(self)) delete self;
  return true;
}
