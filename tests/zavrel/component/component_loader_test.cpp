// CComponentLoader against real modules built beside the tests.
#include <gtest/gtest.h>

#include <string>

#include "tests/testkit/testkit.h"
#include "tests/zavrel/component/test_component.h"
#include "zavrel/component/component_loader.h"

namespace {

const char kModule[] = "LoaderTestModule.dll";

LONG ComponentsAlive(const char* module) {
  HMODULE h = GetModuleHandleA(module);
  if (!h) return -1;
  auto alive = reinterpret_cast<LONG (*)()>(reinterpret_cast<void (*)()>(GetProcAddress(h, "TestComponentsAlive")));
  return alive ? alive() : -1;
}

// Runs Create and returns the thrown message, or "<no throw>".
std::string CreateFailure(CComponentLoader& loader) {
  try {
    loader.Create();
  } catch (char* message) {
    return message;
  }
  return "<no throw>";
}

// A private copy of the test module, so that the process has not loaded it.
std::string CopyOfModule(const testkit::TempDir& dir, const char* name) {
  const std::string target = dir.file(name);
  EXPECT_TRUE(CopyFileA(testkit::TestBinaryPath(kModule).c_str(), target.c_str(), FALSE));
  return target;
}

}  // namespace

TEST(ComponentLoader, CreatesThroughTheNamedFunction) {
  CComponentLoader* loader = new CComponentLoader(IID_ITestMain, 0x01010100, kModule, "CreateTestComponent");
  EXPECT_EQ(nullptr, loader->GetInterface());
  EXPECT_EQ(nullptr, GetModuleHandleA(kModule));  // construction loads nothing
  ASSERT_TRUE(loader->Create());
  ASSERT_NE(nullptr, loader->GetInterface());
  EXPECT_EQ(42, loader->GetInterface<ITestMain>()->Value());
  EXPECT_EQ(1, ComponentsAlive(kModule));

  // A second Create releases the first component before making another.
  ASSERT_TRUE(loader->Create());
  EXPECT_EQ(1, ComponentsAlive(kModule));

  delete loader;  // releases the component; the module stays loaded
  EXPECT_NE(nullptr, GetModuleHandleA(kModule));
  EXPECT_EQ(0, ComponentsAlive(kModule));
}

TEST(ComponentLoader, MissingModuleMessage) {
  CComponentLoader loader(IID_ITestMain, 0x01010100, "NoSuchModuleZv.dll", "CreateTestComponent");
  const std::string message = CreateFailure(loader);
  EXPECT_EQ("NoSuchModuleZv.dll 加载失败，错误代码：126 ！", message);
  EXPECT_EQ(message, std::string(loader.GetLastErrorMessage()));
  EXPECT_EQ(nullptr, loader.GetInterface());
}

TEST(ComponentLoader, MissingFunctionMessage) {
  CComponentLoader loader(IID_ITestMain, 0x01010100, kModule, "NoSuchFunction");
  EXPECT_EQ("LoaderTestModule.dll 组件创建函数 NoSuchFunction 不存在，错误代码：127 ！", CreateFailure(loader));
}

TEST(ComponentLoader, NullComponentMessage) {
  CComponentLoader nothing(IID_ITestMain, 0x01010100, kModule, "CreateNothing");
  EXPECT_EQ("LoaderTestModule.dll 组件创建函数 CreateNothing 创建组件失败 ！", CreateFailure(nothing));
  // The module refuses a version it does not offer: the same failure.
  CComponentLoader refused(IID_ITestMain, 0x01020000, kModule, "CreateTestComponent");
  EXPECT_EQ("LoaderTestModule.dll 组件创建函数 CreateTestComponent 创建组件失败 ！", CreateFailure(refused));
  EXPECT_EQ(0, ComponentsAlive(kModule));
}

TEST(ComponentLoader, ThrownMessageOutlivesItsLoader) {
  const char* first = nullptr;
  try {
    CComponentLoader loader(IID_ITestMain, 0x01010100, "GoneModuleA.dll", "X");
    loader.Create();
  } catch (char* message) {
    first = message;
  }
  ASSERT_NE(nullptr, first);
  // Another failure, and its loader gone too, leaves the first text intact.
  try {
    CComponentLoader loader(IID_ITestMain, 0x01010100, "GoneModuleB.dll", "Y");
    loader.Create();
  } catch (const char*) {
  }
  EXPECT_STREQ("GoneModuleA.dll 加载失败，错误代码：126 ！", first);
}

TEST(ComponentLoader, TwoLoadersLoadTheModuleOnce) {
  testkit::TempDir dir;
  const std::string path = CopyOfModule(dir, "LoaderShared.dll");
  ASSERT_EQ(nullptr, GetModuleHandleA(path.c_str()));
  {
    CComponentLoader a(IID_ITestMain, 0x01010100, path, "CreateTestComponent");
    CComponentLoader b(IID_ITestMain, 0x01010100, path, "CreateTestComponent");
    ASSERT_TRUE(a.Create());
    ASSERT_TRUE(b.Create());
    EXPECT_EQ(2, ComponentsAlive(path.c_str()));
  }
  // Both loaders gone: the module stays loaded, components released.
  HMODULE h = GetModuleHandleA(path.c_str());
  ASSERT_NE(nullptr, h);
  EXPECT_EQ(0, ComponentsAlive(path.c_str()));
  // One FreeLibrary unloads it, so the loaders took one reference: one
  // LoadLibraryA. (The table's handle is stale afterwards; this process
  // exits without using it again.)
  ASSERT_TRUE(FreeLibrary(h));
  EXPECT_EQ(nullptr, GetModuleHandleA(path.c_str()));
}

TEST(ComponentLoader, FailedLoadIsTriedAgain) {
  testkit::TempDir dir;
  const std::string path = dir.file("LoaderLate.dll");
  CComponentLoader loader(IID_ITestMain, 0x01010100, path, "CreateTestComponent");
  EXPECT_EQ(path + " 加载失败，错误代码：126 ！", CreateFailure(loader));
  CopyOfModule(dir, "LoaderLate.dll");
  EXPECT_TRUE(loader.Create());
  EXPECT_EQ(42, loader.GetInterface<ITestMain>()->Value());
}
