// AniPic.dll's entry points: the class factory of CAnimatedPicture and the
// registration of its class id (InprocServer32, apartment threaded; no
// Control key and no programmatic identifier).
#include <iterator>
#include <new>

#include <olectl.h>

#include "base/com_class_factory.h"
#include "base/com_object.h"
#include "base/com_server.h"
#include "support/anipic/animated_picture_object.h"

namespace {

HINSTANCE g_hInstance = nullptr;
ComServerCounts g_counts;

HRESULT CreatePicture(REFIID iid, void** out, const wchar_t*) {
  return ComHandOver(new (std::nothrow) CAnimatedPicture, iid, out);
}

ComClassFactory g_factory(g_counts, &CreatePicture);

const ComServerClass kClasses[] = {{&CLSID_AnimatedPicture, "Animated emoticon picture", nullptr, false}};

}  // namespace

void AniPicModuleAddRef() { ++g_counts.objects; }
void AniPicModuleRelease() { --g_counts.objects; }
HINSTANCE AniPicModuleInstance() { return g_hInstance; }

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_hInstance = hInstance;
    DisableThreadLibraryCalls(hInstance);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return ComServerClassObject(IsEqualCLSID(clsid, CLSID_AnimatedPicture) ? &g_factory : nullptr, iid, out);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_counts.CanUnloadNow(); }

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  return ComServerRegister(g_hInstance, kClasses, std::size(kClasses));
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return ComServerUnregister(kClasses, std::size(kClasses));
}
