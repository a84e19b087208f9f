// IsValid and Release as every Zavrel component implements them.
//
//   bool IsValid() override { return ComponentIsValid(this); }
//   bool Release() override { return ComponentRelease(this); }
//
// T is the implementing class; its destructor must be virtual when hosts
// derive from it, so that Release ends the whole object.
#pragma once

#include "afx/afx_module.h"

template <class T>
bool ComponentIsValid(const T* self) {
  return AfxIsValidAddress(self, sizeof(T), TRUE) != FALSE;
}

template <class T>
bool ComponentRelease(T* self) {
  if (ComponentIsValid(self)) delete self;
  return true;
}
