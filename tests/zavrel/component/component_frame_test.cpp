// The creation-function frame and Release of Zavrel's components.
#include <gtest/gtest.h>

#include <new>

#include "tests/zavrel/component/test_component.h"
#include "zavrel/component/component_base.h"
#include "zavrel/component/create_component.h"
#include "zavrel/component/create_functions.h"

namespace {

int g_alive = 0;

class Counted : public ITestMain {
 public:
  Counted() { ++g_alive; }
  virtual ~Counted() { --g_alive; }
  bool IsValid() override { return ComponentIsValid(this); }
  bool Release() override { return ComponentRelease(this); }
  void* QueryInterface(const IID& Guid, DWORD dwQueryVer) override {
    const InterfaceEntry table[] = {{&IID_ITestMain, static_cast<ITestMain*>(this)},
                                    {&IID_IUnknownEx, static_cast<ITestMain*>(this)}};
    return QueryInterfaceByTable(Guid, dwQueryVer, table);
  }
  int Value() override { return 7; }
};

class ThrowsInConstructor : public Counted {
 public:
  ThrowsInConstructor() { throw "boom"; }
};

class QueryThrows : public Counted {
 public:
  void* QueryInterface(const IID&, DWORD) override { throw 17; }
};

}  // namespace

TEST(CreationFrame, AnswersTheRequestedInterface) {
  g_alive = 0;
  void* p = CreateComponentInterface<Counted>(IID_ITestMain, 0x01010107);
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(1, g_alive);
  ITestMain* main = static_cast<ITestMain*>(p);
  EXPECT_EQ(7, main->Value());
  EXPECT_TRUE(main->IsValid());
  EXPECT_TRUE(main->Release());
  EXPECT_EQ(0, g_alive);

  IUnknownEx* root = static_cast<IUnknownEx*>(CreateComponentInterface<Counted>(IID_IUnknownEx, 0x01010000));
  ASSERT_NE(nullptr, root);
  EXPECT_TRUE(root->Release());
  EXPECT_EQ(0, g_alive);
}

TEST(CreationFrame, RefusedQueryDestroysTheObject) {
  g_alive = 0;
  EXPECT_EQ(nullptr, CreateComponentInterface<Counted>(IID_ITestOther, 0x01010100));
  EXPECT_EQ(nullptr, CreateComponentInterface<Counted>(IID_ITestMain, 0x01010200));
  EXPECT_EQ(nullptr, CreateComponentInterface<Counted>(IID_ITestMain, 0x01020000));
  EXPECT_EQ(0, g_alive);
}

TEST(CreationFrame, NothingThrownLeaves) {
  g_alive = 0;
  EXPECT_EQ(nullptr, CreateComponentInterface<ThrowsInConstructor>(IID_ITestMain, 0x01010100));
  EXPECT_EQ(nullptr, CreateComponentInterface<QueryThrows>(IID_ITestMain, 0x01010100));
  EXPECT_EQ(0, g_alive);
}

TEST(CreationFrame, ExportsAnswerNullUntilTheirComponentsExist) {
  EXPECT_EQ(nullptr, CreateChannelService(IID_ITestMain, 0x01010100));
  EXPECT_EQ(nullptr, CreateGameRankManager(IID_ITestMain, 0x01010100));  // made, but refuses a foreign interface
}

TEST(ComponentRelease, InvalidStorageDestroysNothing) {
  g_alive = 0;
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  void* page = VirtualAlloc(nullptr, si.dwPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  ASSERT_NE(nullptr, page);
  Counted* obj = new (page) Counted();
  EXPECT_TRUE(obj->IsValid());

  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(page, si.dwPageSize, PAGE_READONLY, &old));
  EXPECT_FALSE(obj->IsValid());
  EXPECT_TRUE(obj->Release());
  EXPECT_EQ(1, g_alive);

  ASSERT_TRUE(VirtualProtect(page, si.dwPageSize, PAGE_READWRITE, &old));
  obj->~Counted();
  EXPECT_EQ(0, g_alive);
  VirtualFree(page, 0, MEM_RELEASE);
}
