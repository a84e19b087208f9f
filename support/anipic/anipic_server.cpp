// AniPic.dll's entry points: the class factory of CAnimatedPicture and the
// registration of its class id (InprocServer32, apartment threaded).
#include <cstdio>
#include <cstring>
#include <new>

#include <olectl.h>

#include "support/anipic/animated_picture_object.h"

namespace {

HINSTANCE g_hInstance = nullptr;
LONG g_nModuleRefs = 0;  // live objects and server locks

const char kClassKey[] = "CLSID\\{06ADA938-0FB0-4BC0-B19B-0A38AB17F182}";

class CFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // The factory is static: its references only keep the module loaded.
  ULONG STDMETHODCALLTYPE AddRef() override {
    AniPicModuleAddRef();
    return 2;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    AniPicModuleRelease();
    return 1;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    CAnimatedPicture* object = new (std::nothrow) CAnimatedPicture;
    if (!object) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();  // the query's reference is the caller's
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock)
      AniPicModuleAddRef();
    else
      AniPicModuleRelease();
    return S_OK;
  }
};

CFactory g_factory;

bool SetKeyValue(const char* subkey, const char* name, const char* value) {
  UniqueRegKey key;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, subkey, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                        static_cast<DWORD>(std::strlen(value) + 1)) == ERROR_SUCCESS;
}

}  // namespace

void AniPicModuleAddRef() { InterlockedIncrement(&g_nModuleRefs); }
void AniPicModuleRelease() { InterlockedDecrement(&g_nModuleRefs); }
HINSTANCE AniPicModuleInstance() { return g_hInstance; }

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_hInstance = hInstance;
    DisableThreadLibraryCalls(hInstance);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_AnimatedPicture)) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, out);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return g_nModuleRefs == 0 ? S_OK : S_FALSE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(g_hInstance, path, sizeof(path));
  if (n == 0 || n >= sizeof(path)) return SELFREG_E_CLASS;
  char server[sizeof(kClassKey) + 32];
  std::snprintf(server, sizeof(server), "%s\\InprocServer32", kClassKey);
  if (!SetKeyValue(kClassKey, nullptr, "Animated emoticon picture") || !SetKeyValue(server, nullptr, path) ||
      !SetKeyValue(server, "ThreadingModel", "Apartment")) {
    return SELFREG_E_CLASS;
  }
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  const LSTATUS status = RegDeleteTreeA(HKEY_CLASSES_ROOT, kClassKey);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
