// Singleton<T>: remembers the most recently constructed T, process-wide.
//
// T derives from Singleton<T>. Constructing a T registers it (replacing any
// earlier one); destroying any T, registered or not, clears the
// registration. A copy-constructed T is not registered. Nothing is locked:
// construct and destroy instances on one thread.
#pragma once

template <typename T>
class Singleton {
 public:
  // Registers the T object that this is a base of.
  Singleton() { ms_Singleton = complete(this); }
  // A copy registers nothing.
  Singleton(const Singleton&) {}
  Singleton& operator=(const Singleton&) { return *this; }
  // Clears the registration, whichever instance was registered.
  virtual ~Singleton() { ms_Singleton = nullptr; }

  // The registered instance. Only while one is registered: neither checks
  // for null, and getSingleton must not be called without one.
  static T& getSingleton() { return *ms_Singleton; }
  static T* getSingletonPtr() { return ms_Singleton; }

 protected:
  static T* ms_Singleton;

 private:
  // The address of the T that contains the base. T is still under
  // construction here, so its dynamic type is not yet T: only the address
  // is computed, and the sanitizer's dynamic-type check does not apply.
#if defined(__clang__) || defined(__GNUC__)
  __attribute__((no_sanitize("vptr")))
#endif
  static T*
  complete(Singleton* base) {
    return static_cast<T*>(base);
  }
};

template <typename T>
T* Singleton<T>::ms_Singleton = nullptr;
