// FactoryObj<T>: the factory template of Zavrel's classes.
//
// Slot order: destructor, getType, createInstance, the third operation.
// Derived factories may add slots after these (CClientServiceFactory adds
// destroyInstance).
#pragma once

#include <string>

template <class T>
class FactoryObj {
 public:
  virtual ~FactoryObj() = default;
  // The factory's type name; lives as long as the library.
  virtual const std::string& getType() const = 0;
  // A new object (owned by the caller), whatever the type name.
  virtual T* createInstance(const std::string& strType) = 0;
  // Makes a copy of an object; Zavrel never calls it, and a factory that does
  // not support copying answers null.
  virtual T* cloneInstance(const T& source) = 0;
};
