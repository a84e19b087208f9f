// IsValid and Release as every component of Zavrel and Nuvrell implements
// them, on the memory check of base/valid_memory.h. Windows only.
//
//   bool IsValid() override { return ComponentIsValid(this); }
//   bool Release() override { return ComponentRelease(this); }
//
// T is the implementing class; its destructor must be virtual when hosts
// derive from it, so that Release ends the whole object.
#pragma once

#include "base/valid_memory.h"

// True when the whole object is committed, readable and writable memory.
template <class T>
bool ComponentIsValid(const T* self) {
  return base::IsValidMemory(self, sizeof(T), true);
}

// Destroys the object when it is valid memory; true in every case.
template <class T>
bool ComponentRelease(T* self) {
  if (ComponentIsValid(self)) delete self;
  return true;
}
