// A module that exports creation functions for the loader tests.
#include "tests/zavrel/component/test_component.h"
#include "zavrel/component/component_base.h"

namespace {

LONG g_alive = 0;

class ModuleComponent : public ITestMain {
 public:
  ModuleComponent() { InterlockedIncrement(&g_alive); }
  virtual ~ModuleComponent() { InterlockedDecrement(&g_alive); }
  bool IsValid() override { return ComponentIsValid(this); }
  bool Release() override { return ComponentRelease(this); }
  void* QueryInterface(const IID& Guid, DWORD dwQueryVer) override {
    const InterfaceEntry table[] = {{&IID_ITestMain, static_cast<ITestMain*>(this)},
                                    {&IID_IUnknownEx, static_cast<ITestMain*>(this)}};
    return QueryInterfaceByTable(Guid, dwQueryVer, table);
  }
  int Value() override { return 42; }
};

}  // namespace

extern "C" {

__declspec(dllexport) void* CreateTestComponent(const GUID* pGuid, DWORD dwInterfaceVer) {
  if (!pGuid) return nullptr;
  ModuleComponent* obj = new ModuleComponent();
  void* itf = obj->QueryInterface(*pGuid, dwInterfaceVer);
  if (!itf) obj->Release();
  return itf;
}

__declspec(dllexport) void* CreateNothing(const GUID*, DWORD) { return nullptr; }

__declspec(dllexport) LONG TestComponentsAlive() { return g_alive; }
}
