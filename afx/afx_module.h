// Module state and extension-library start-up (MFC's names).
//
// One module state serves the process (Afx.dll is shared by the host and the
// libraries). An extension library links a CDynLinkLibrary into the state's
// library list on process attach, so resources it carries are found through
// AfxFindResourceHandle by the host, and unlinks it on process detach.
// Windows only.
#pragma once

#include "afx/afx_port.h"

#ifndef _WIN32
#error "afx_module.h is part of the Windows build only"
#endif

class CDynLinkLibrary;

// Intrusive list of the extension libraries, newest first.
class AFX_API CDynLinkLibraryList {
 public:
  CDynLinkLibrary* GetHead() const { return m_pHead; }
  bool IsEmpty() const { return m_pHead == nullptr; }
  int GetCount() const;
  void AddHead(CDynLinkLibrary* pLibrary);
  // True when the library was in the list.
  bool Remove(CDynLinkLibrary* pLibrary);

 private:
  CDynLinkLibrary* m_pHead = nullptr;
};

struct AFX_API AFX_MODULE_STATE {
  HINSTANCE m_hCurrentInstanceHandle = nullptr;  // the application's instance
  HINSTANCE m_hCurrentResourceHandle = nullptr;  // searched first for resources
  CDynLinkLibraryList m_libraryList;
};

struct AFX_EXTENSION_MODULE {
  BOOL bInitialized = FALSE;
  HMODULE hModule = nullptr;
  HMODULE hResource = nullptr;
};

class AFX_API CDynLinkLibrary {
 public:
  // Links the library into the module state's list.
  explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem = FALSE);
  CDynLinkLibrary(const CDynLinkLibrary&) = delete;
  CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;
  // Unlinks it.
  virtual ~CDynLinkLibrary();

  HMODULE m_hModule;
  HMODULE m_hResource;
  BOOL m_bSystem;
  CDynLinkLibrary* m_pNextDLL = nullptr;
};

// The process's module state; never null.
AFX_API AFX_MODULE_STATE* AfxGetModuleState();
AFX_API HINSTANCE AfxGetInstanceHandle();
AFX_API HINSTANCE AfxGetResourceHandle();
AFX_API void AfxSetResourceHandle(HINSTANCE hInstResource);

// Records the library's module handle; TRUE on success (once per module).
AFX_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule);
// Unlinks and deletes every CDynLinkLibrary of that module.
AFX_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);

// The module that holds the resource: the resource handle first, then each
// extension library in the list; null when none has it.
AFX_API HINSTANCE AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType);

// TRUE when [lp, lp + nBytes) is committed memory that can be read (and
// written when bReadWrite), judged with VirtualQuery; FALSE for null.
AFX_API BOOL AfxIsValidAddress(const void* lp, UINT_PTR nBytes, BOOL bReadWrite = TRUE);
