// CComRegister against real COM server libraries built beside Zavrel.dll.
#include <gtest/gtest.h>

#include <string>

#include "tests/testkit/testkit.h"
#include "zavrel/util/com_register.h"
#include "zavrel/util/module_directory.h"

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

// Each case starts with no test server loaded and gives back every reference
// it leaves (the library stays loaded after CComRegister goes, by design), so
// the cases do not depend on each other when they run in one process.
class ComRegister : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(nullptr, GetModuleHandleA(kServer));
    ASSERT_EQ(nullptr, GetModuleHandleA(kFailing));
  }
  void TearDown() override {
    for (const char* dll : {kServer, kFailing}) {
      for (int i = 0; i < 16; ++i) {
        HMODULE module = GetModuleHandleA(dll);
        if (module == nullptr) break;
        FreeLibrary(module);
      }
      EXPECT_EQ(nullptr, GetModuleHandleA(dll)) << dll;
    }
  }
};

}  // namespace

TEST_F(ComRegister, ConstructionLoadsTheLibraryBesideZavrelAndRegistersItOnce) {
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

TEST_F(ComRegister, AFailureCodeFromTheEntryPointIsFalse) {
  InspectableRegister reg(kFailing);
  ASSERT_NE(nullptr, reg.handle());
  EXPECT_EQ(1, CountsOf(kFailing).registered) << "called at construction, E_FAIL ignored";
  EXPECT_FALSE(reg.Register()) << "E_FAIL";
  EXPECT_TRUE(reg.UnRegister()) << "S_FALSE is a success code";
  EXPECT_EQ(2, CountsOf(kFailing).registered);
  EXPECT_EQ(1, CountsOf(kFailing).unregistered);
}

TEST_F(ComRegister, AMissingLibraryLeavesTheObjectUnloaded) {
  InspectableRegister reg("NoSuchServer.dll");
  EXPECT_EQ(nullptr, reg.handle());
  EXPECT_FALSE(reg.Register());
  EXPECT_FALSE(reg.UnRegister());
  EXPECT_FALSE(reg.Load());
  reg.Unload();  // nothing to free
  EXPECT_EQ(nullptr, reg.handle());
}

TEST_F(ComRegister, ALibraryWithoutTheEntryPointsCannotRegister) {
  // The framework library lies beside Zavrel.dll and is no COM server.
  InspectableRegister reg("Afx.dll");
  ASSERT_NE(nullptr, reg.handle());
  EXPECT_FALSE(reg.Register());
  EXPECT_FALSE(reg.UnRegister());
  reg.Unload();
}

TEST_F(ComRegister, DestructionKeepsTheLibraryLoadedUntilUnload) {
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

TEST_F(ComRegister, CopiesShareTheLoadedLibrary) {
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

// A second copy of Zavrel.dll, under another name in another folder: its
// CComRegister looks for the server beside itself, not beside the module
// that happens to be named Zavrel.dll.
TEST_F(ComRegister, TheFolderIsThatOfTheLibraryHoldingTheCodeWhateverItsName) {
  testkit::TempDir dir;
  const std::string copyPath = dir.file("ZavrelRenamed.dll");
  const std::string serverPath = dir.file("ServerBesideTheCopy.dll");
  ASSERT_TRUE(CopyFileA(testkit::TestBinaryPath("Zavrel.dll").c_str(), copyPath.c_str(), TRUE));
  ASSERT_TRUE(CopyFileA(testkit::TestBinaryPath(kServer).c_str(), serverPath.c_str(), TRUE));
  ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(testkit::TestBinaryPath("ServerBesideTheCopy.dll").c_str()));

  HMODULE copy = LoadLibraryA(copyPath.c_str());
  ASSERT_NE(nullptr, copy);
  ASSERT_NE(GetModuleHandleA("Zavrel.dll"), copy);
  // The copy's constructor and destructor, called on storage of our own.
#ifdef _WIN64
  typedef void (*ConstructFn)(void*, CString);
  typedef void (*DestroyFn)(void*);
#else
  typedef void(__thiscall * ConstructFn)(void*, CString);
  typedef void(__thiscall * DestroyFn)(void*);
#endif
  auto construct =
      reinterpret_cast<ConstructFn>(reinterpret_cast<void*>(GetProcAddress(copy, "_ZN12CComRegisterC1E7CString")));
  auto destroy = reinterpret_cast<DestroyFn>(reinterpret_cast<void*>(GetProcAddress(copy, "_ZN12CComRegisterD1Ev")));
  ASSERT_NE(nullptr, construct);
  ASSERT_NE(nullptr, destroy);

  alignas(InspectableRegister) unsigned char storage[sizeof(InspectableRegister)];
  construct(storage, CString("ServerBesideTheCopy.dll"));
  const InspectableRegister& reg = *reinterpret_cast<const InspectableRegister*>(storage);
  EXPECT_EQ(0, _stricmp(serverPath.c_str(), reg.path().GetString())) << reg.path().GetString();
  HMODULE server = reg.handle();
  EXPECT_NE(nullptr, server) << "the server beside the copy was not loaded";
  EXPECT_EQ(GetModuleHandleA(serverPath.c_str()), server);
  EXPECT_EQ(1, CountsOf("ServerBesideTheCopy.dll").registered);
  destroy(storage);
  if (server != nullptr) FreeLibrary(server);
  FreeLibrary(copy);
}

// The lookup itself, linked into this test program.
TEST(ModuleDirectory, IsTheFolderOfTheModuleHoldingTheAddress) {
  EXPECT_EQ(0, _stricmp(testkit::TestBinaryDir().c_str(), ThisModuleDirectory().c_str())) << ThisModuleDirectory();
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  ASSERT_NE(nullptr, kernel);
  char path[MAX_PATH] = {};
  ASSERT_NE(0u, GetModuleFileNameA(kernel, path, MAX_PATH));
  std::string expected(path);
  expected.erase(expected.find_last_of('\\') + 1);
  EXPECT_EQ(0, _stricmp(expected.c_str(), ModuleDirectoryOf(reinterpret_cast<const void*>(&GetTickCount)).c_str()));
}

TEST(ModuleDirectory, AnAddressOutsideEveryModuleHasNoFolder) {
  const std::string heap(64, 'x');
  EXPECT_EQ("", ModuleDirectoryOf(heap.data()));
  EXPECT_EQ("", ModuleDirectoryOf(nullptr));
}
