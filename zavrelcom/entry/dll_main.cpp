// Start and stop of ZavrelCom.dll: a framework extension library, so that
// its dialog template is found through the host's resource chain.
#include "afx/afx_module.h"
#include "zavrelcom/entry/entry.h"

namespace {
AFX_EXTENSION_MODULE g_zavrelComModule;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID) {
  return ZavrelComEntry(g_zavrelComModule, hInstance, dwReason);
}
