// A COM server library for the registration tests: its self-registration
// entry points count their calls, which ComTestServerCounts reports. Built
// twice: ComTestServer.dll answers S_OK to both; with COM_TEST_SERVER_FAILS
// (ComTestServerFail.dll) DllRegisterServer answers E_FAIL and
// DllUnregisterServer S_FALSE (a success code).
#include <windows.h>

namespace {
int g_registered = 0;
int g_unregistered = 0;
}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  ++g_registered;
#ifdef COM_TEST_SERVER_FAILS
  return E_FAIL;
#else
  return S_OK;
#endif
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  ++g_unregistered;
#ifdef COM_TEST_SERVER_FAILS
  return S_FALSE;
#else
  return S_OK;
#endif
}

extern "C" __declspec(dllexport) void ComTestServerCounts(int* registered, int* unregistered) {
  *registered = g_registered;
  *unregistered = g_unregistered;
}
