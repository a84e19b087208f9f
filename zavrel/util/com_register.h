// CComRegister: registers and unregisters a COM server library that lies in
// the directory of Zavrel.dll, by loading it and calling its
// self-registration entry points ("DllRegisterServer",
// "DllUnregisterServer"). Windows only.
//
// Ownership: the object loads the library but does not own it in the RAII
// sense. The library stays loaded after the object is destroyed (until
// Unload or the end of the process), and copies share the handle, so an
// Unload through one copy ends the library for all of them.
#pragma once

#include "afx/afx_port.h"
#include "afx/afx_string.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API CComRegister {
 public:
  // modulePath becomes the directory of Zavrel.dll followed by strFileName.
  // The directory is that of the library holding this code, whatever its
  // name. Loads the library and, when it exports "DllRegisterServer", calls
  // it once (its result is ignored: call Register to learn it). A library
  // that cannot be loaded leaves the object unloaded. When the directory
  // cannot be found, or memory for the path runs out, modulePath stays empty
  // and nothing is loaded (Load answers false too): the system's search
  // order is never used. Never throws.
  explicit CComRegister(CString strFileName);
  CComRegister(const CComRegister& other) = default;
  CComRegister& operator=(const CComRegister& other) = default;
  // Releases the path only; the library stays loaded.
  ~CComRegister();

  // Loads modulePath again (an earlier handle is overwritten without being
  // freed, so each Load needs its own Unload). True when it loaded.
  bool Load();
  // Frees the library when one is loaded; the object is then unloaded.
  void Unload();
  // Calls "DllRegisterServer" / "DllUnregisterServer". True when the library
  // is loaded, exports the entry point and it returns a success code (not
  // negative); false otherwise, with no reason given.
  bool Register();
  bool UnRegister();

 protected:
  HMODULE moduleHandle;  // the loaded library, or null
  CString modulePath;    // Zavrel.dll's directory (with "\") + the file name,
                         // or empty when that directory cannot be found

 private:
  bool callEntry(const char* name);
};
