// Nuvrell.dll: the entry point and the creation function of the socket.
#include <new>

#include "base/library_api.h"
#include "support/nuvrell/client_socket_impl.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID lpReserved) {
  // On FreeLibrary (not at process exit) the window class goes with the code.
  if (dwReason == DLL_PROCESS_DETACH && !lpReserved) nuvrell::CClientSocket::UnregisterWindowClass();
  return TRUE;
}

extern "C" NUVRELL_API void* CreateClientSocket(const GUID* pGuid, DWORD dwInterfaceVer) {
  if (!pGuid) return nullptr;
  auto* socket = new (std::nothrow) nuvrell::CClientSocket();
  if (!socket) return nullptr;
  void* itf = socket->QueryInterface(*pGuid, dwInterfaceVer);
  if (!itf || !socket->Init()) {
    delete socket;
    return nullptr;
  }
  return itf;
}

extern "C" NUVRELL_API DWORD SetConnectTimeout(DWORD dwMilliseconds) {
  return nuvrell::CClientSocket::SetConnectTimeout(dwMilliseconds);
}
