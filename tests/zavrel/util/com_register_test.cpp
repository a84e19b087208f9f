// CComRegister against real COM server libraries built beside Zavrel.dll.
#include <gtest/gtest.h>

#include <string>

#include "tests/testkit/testkit.h"
#include "zavrel/util/com_register.h"

namespace {

// Exposes the fields for the tests.
class InspectableRegister : public CComRegister {
 public:
  using CComRegister::CComRegister;
  HMODULE handle() const { return moduleHandle; }
  const CString& path() const { return modulePath; }
};

struct Counts {
  int registered = -1;
  int unregistered = -1;
};

// What the loaded test server has counted; -1 when it is not loaded.
Counts CountsOf(const char* dll) {
  Counts c;
  if (HMODULE module = GetModuleHandleA(dll)) {
    typedef void (*CountsFn)(int*, int*);
    auto fn = reinterpret_cast<CountsFn>(reinterpret_cast<void*>(GetProcAddress(module, "ComTestServerCounts")));
    if (fn) fn(&c.registered, &c.unregistered);
  }
  return c;
}

const char kServer[] = "ComTestServer.dll";
const char kFailing[] = "ComTestServerFail.dll";

}  // namespace

TEST(ComRegister, ConstructionLoadsTheLibraryBesideZavrelAndRegistersItOnce) {
  ASSERT_EQ(nullptr, GetModuleHandleA(kServer));
  InspectableRegister reg(kServer);
  ASSERT_NE(nullptr, reg.handle());
  EXPECT_EQ(GetModuleHandleA(kServer), reg.handle());
  EXPECT_EQ(0, testkit::TestBinaryPath(kServer).compare(reg.path().GetString())) << reg.path().GetString();
  EXPECT_EQ(1, CountsOf(kServer).registered);
  EXPECT_EQ(0, CountsOf(kServer).unregistered);

  EXPECT_TRUE(reg.Register());
  EXPECT_TRUE(reg.UnRegister());
  EXPECT_EQ(2, CountsOf(kServer).registered);
  EXPECT_EQ(1, CountsOf(kServer).unregistered);
}

TEST(ComRegister, AFailureCodeFromTheEntryPointIsFalse) {
  InspectableRegister reg(kFailing);
  ASSERT_NE(nullptr, reg.handle());
  EXPECT_EQ(1, CountsOf(kFailing).registered) << "called at construction, E_FAIL ignored";
  EXPECT_FALSE(reg.Register()) << "E_FAIL";
  EXPECT_TRUE(reg.UnRegister()) << "S_FALSE is a success code";
  EXPECT_EQ(2, CountsOf(kFailing).registered);
  EXPECT_EQ(1, CountsOf(kFailing).unregistered);
}

TEST(ComRegister, AMissingLibraryLeavesTheObjectUnloaded) {
  InspectableRegister reg("NoSuchServer.dll");
  EXPECT_EQ(nullptr, reg.handle());
  EXPECT_FALSE(reg.Register());
  EXPECT_FALSE(reg.UnRegister());
  EXPECT_FALSE(reg.Load());
  reg.Unload();  // nothing to free
  EXPECT_EQ(nullptr, reg.handle());
}

TEST(ComRegister, ALibraryWithoutTheEntryPointsCannotRegister) {
  // The framework library lies beside Zavrel.dll and is no COM server.
  InspectableRegister reg("Afx.dll");
  ASSERT_NE(nullptr, reg.handle());
  EXPECT_FALSE(reg.Register());
  EXPECT_FALSE(reg.UnRegister());
}

TEST(ComRegister, DestructionKeepsTheLibraryLoadedUntilUnload) {
  HMODULE handle = nullptr;
  {
    InspectableRegister reg(kServer);
    handle = reg.handle();
    ASSERT_NE(nullptr, handle);
  }
  EXPECT_EQ(handle, GetModuleHandleA(kServer)) << "the destructor does not unload";
  EXPECT_EQ(1, CountsOf(kServer).registered);

  // A second object takes its own reference; Unload gives back only that one.
  InspectableRegister reg(kServer);
  EXPECT_EQ(2, CountsOf(kServer).registered);
  reg.Unload();
  EXPECT_EQ(nullptr, reg.handle());
  EXPECT_FALSE(reg.Register());
  EXPECT_NE(nullptr, GetModuleHandleA(kServer));
  FreeLibrary(handle);  // the first object's reference
  EXPECT_EQ(nullptr, GetModuleHandleA(kServer)) << "every reference given back";

  // Load after Unload loads the library afresh.
  ASSERT_TRUE(reg.Load());
  EXPECT_EQ(0, CountsOf(kServer).registered) << "a fresh instance of the library";
  EXPECT_TRUE(reg.Register());
  EXPECT_EQ(1, CountsOf(kServer).registered);
  reg.Unload();
}

TEST(ComRegister, CopiesShareTheLoadedLibrary) {
  InspectableRegister reg(kServer);
  InspectableRegister copy(reg);
  EXPECT_EQ(reg.handle(), copy.handle());
  EXPECT_EQ(0, reg.path().Compare(copy.path()));
  EXPECT_TRUE(copy.Register());
  EXPECT_EQ(2, CountsOf(kServer).registered);
  InspectableRegister assigned("NoSuchServer.dll");
  assigned = reg;
  EXPECT_EQ(reg.handle(), assigned.handle());
  EXPECT_TRUE(assigned.UnRegister());
  EXPECT_EQ(1, CountsOf(kServer).unregistered);
}
