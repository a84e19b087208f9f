// The component server's entry points (the library's four exports) and the
// start and stop of the library as a framework extension library.
//
// DllGetClassObject(clsid, iid, out) creates the component named by clsid
// and queries it for iid, with no class factory in between:
//   - class ids are tried in the order message proxy, emoticon dialog, rank
//     manager, face store (compared as 16 raw bytes);
//   - unknown class id: CLASS_E_CLASSNOTAVAILABLE, *out untouched;
//   - the object cannot be made: E_OUTOFMEMORY, *out untouched;
//   - iid not answered by the class: E_NOINTERFACE, *out null, the object
//     destroyed at once;
//   - otherwise S_OK with the only reference to the new object; end it with
//     Release. The library keeps no count of live objects: keep it loaded
//     while any component lives.
// DllCanUnloadNow answers S_OK; DllRegisterServer and DllUnregisterServer
// answer E_FAIL and write nothing (the library is never registered).
#pragma once

#include "afx/afx_port.h"

#ifndef _WIN32
#error "entry.h is part of the Windows build only"
#endif

#if defined(ZAVRELCOM_BUILDING_DLL)
#define ZAVRELCOM_EXPORT extern "C" __declspec(dllexport)
#else
#define ZAVRELCOM_EXPORT extern "C"
#endif

ZAVRELCOM_EXPORT HRESULT STDAPICALLTYPE DllGetClassObject(const GUID& clsid, const GUID& iid, void** out);
ZAVRELCOM_EXPORT HRESULT STDAPICALLTYPE DllCanUnloadNow();
ZAVRELCOM_EXPORT HRESULT STDAPICALLTYPE DllRegisterServer();
ZAVRELCOM_EXPORT HRESULT STDAPICALLTYPE DllUnregisterServer();

struct AFX_EXTENSION_MODULE;

// The library's entry work for one notification (DllMain's): on process
// attach, AfxInitExtensionModule(module, hInstance) and one CDynLinkLibrary
// in the framework's list (FALSE, nothing linked, when the initialisation
// fails); on process detach, AfxTermExtensionModule(module). Thread
// notifications do nothing. TRUE in every other case.
BOOL ZavrelComEntry(AFX_EXTENSION_MODULE& module, HINSTANCE hInstance, DWORD dwReason);
