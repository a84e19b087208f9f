#include "zavrel/util/com_register.h"

#include <string>

#include "zavrel/util/file_utility.h"

namespace {

// A self-registration entry point: no arguments, a COM result code.
typedef HRESULT(STDAPICALLTYPE* SelfRegisterFn)();

SelfRegisterFn entryPoint(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  // The system hands out a generic function pointer; cast it to its real type.
  return reinterpret_cast<SelfRegisterFn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

CComRegister::CComRegister(CString strFileName)
    : moduleHandle(nullptr), modulePath(FileUtility::GetCurrentWorkingDirectory().c_str()) {
  modulePath += strFileName;
  moduleHandle = LoadLibraryA(modulePath);
  if (SelfRegisterFn registerServer = entryPoint(moduleHandle, "DllRegisterServer")) registerServer();
}

CComRegister::~CComRegister() = default;

bool CComRegister::Load() {
  moduleHandle = LoadLibraryA(modulePath);
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
