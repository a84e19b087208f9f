// VideoCtl.dll's COM server: the class factories of the two controls, the
// class objects and self-registration.
#include <iterator>

#include "base/com_class_factory.h"
#include "base/com_server.h"
#include "support/stand_in/stand_in_control.h"
#include "support/videoctl/videoctl_control.h"

namespace videoctl {

HMODULE g_hModule = nullptr;
ComServerCounts g_counts;

}  // namespace videoctl

namespace {

using videoctl::g_counts;

HRESULT CreateLocal(REFIID riid, void** ppv, const wchar_t* licence) {
  return videoctl::CreateControl(true, riid, ppv, licence);
}
HRESULT CreateRemote(REFIID riid, void** ppv, const wchar_t* licence) {
  return videoctl::CreateControl(false, riid, ppv, licence);
}

ComClassFactory g_localFactory(g_counts, &CreateLocal, true);
ComClassFactory g_remoteFactory(g_counts, &CreateRemote, true);

const ComServerClass kClasses[] = {
    {&CLSID_VideoCtlLocal, "VideoCtl local video control", "VideoCtl.LocalVideo.1"},
    {&CLSID_VideoCtlRemote, "VideoCtl remote video control", "VideoCtl.RemoteVideo.1"},
};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID) {
  if (dwReason == DLL_PROCESS_ATTACH) {
    videoctl::g_hModule = hInstance;
    DisableThreadLibraryCalls(hInstance);
    stand_in::RegisterWindowClass(hInstance, videoctl::kWindowClass, &videoctl::ControlWndProc);
  } else if (dwReason == DLL_PROCESS_DETACH) {
    stand_in::UnregisterWindowClass(hInstance, videoctl::kWindowClass);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  ComClassFactory* factory = rclsid == CLSID_VideoCtlLocal    ? &g_localFactory
                             : rclsid == CLSID_VideoCtlRemote ? &g_remoteFactory
                                                              : nullptr;
  return ComServerClassObject(factory, riid, ppv);
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return g_counts.CanUnloadNow(); }

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
  return ComServerRegister(videoctl::g_hModule, kClasses, std::size(kClasses));
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllUnregisterServer() {
  return ComServerUnregister(kClasses, std::size(kClasses));
}
