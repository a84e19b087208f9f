// Start and stop of Zavrel.dll.
//
// On process attach the library registers itself as a framework extension
// library, so that its resources are found through the host's resource
// chain, and sets the module state's instance handle to the host
// executable's. On process detach it ends that registration.
#include "afx/afx_module.h"

namespace {
AFX_EXTENSION_MODULE g_zavrelModule;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID) {
  if (dwReason == DLL_PROCESS_ATTACH) {
    if (!AfxInitExtensionModule(g_zavrelModule, hInstance)) return FALSE;
    new CDynLinkLibrary(g_zavrelModule);
    AfxGetModuleState()->m_hCurrentInstanceHandle = GetModuleHandleA(nullptr);
  } else if (dwReason == DLL_PROCESS_DETACH) {
    AfxTermExtensionModule(g_zavrelModule);
  }
  return TRUE;
}
