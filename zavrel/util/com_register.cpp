#include "zavrel/util/com_register.h"

#include <string>

#include "base/no_throw.h"
#include "zavrel/util/module_directory.h"

namespace {

// A self-registration entry point: no arguments, a COM result code.
typedef HRESULT(STDAPICALLTYPE* SelfRegisterFn)();

SelfRegisterFn entryPoint(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  // The system hands out a generic function pointer; cast it to its real type.
  return reinterpret_cast<SelfRegisterFn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

CComRegister::CComRegister(CString strFileName) : moduleHandle(nullptr) {
  // The folder of the library that holds this code, found from its image: a
  // lookup by name, or a bare file name, would let the system's search order
  // pick a library of that name from elsewhere.
  const bool named = NoThrow(false, [&] {
    const std::string dir = ThisModuleDirectory();
    if (dir.empty()) return false;
    modulePath = dir.c_str();
    modulePath += strFileName;
    return true;
  });
  if (!named) {
    // No directory, or no memory for the path: nothing is loaded, now or by
    // Load.
    modulePath.Empty();
    return;
  }
  moduleHandle = LoadLibraryA(modulePath);
  if (SelfRegisterFn registerServer = entryPoint(moduleHandle, "DllRegisterServer")) registerServer();
}

CComRegister::~CComRegister() = default;

bool CComRegister::Load() {
  moduleHandle = modulePath.IsEmpty() ? nullptr : LoadLibraryA(modulePath);
  return moduleHandle != nullptr;
}

void CComRegister::Unload() {
  if (moduleHandle == nullptr) return;
  FreeLibrary(moduleHandle);
  moduleHandle = nullptr;
}

bool CComRegister::Register() { return callEntry("DllRegisterServer"); }

bool CComRegister::UnRegister() { return callEntry("DllUnregisterServer"); }

bool CComRegister::callEntry(const char* name) {
  SelfRegisterFn entry = entryPoint(moduleHandle, name);
  if (entry == nullptr) return false;
  return SUCCEEDED(entry());
}
