#include <gtest/gtest.h>

#include <cstring>

#include "tests/zavrel/component/test_component.h"

namespace {

// Answers the way a component does, without any platform piece.
class TwoInterfaces : public ITestMain, public ITestOther {
 public:
  bool IsValid() override { return true; }
  bool Release() override { return true; }
  void* QueryInterface(const IID& Guid, DWORD dwQueryVer) override {
    const InterfaceEntry table[] = {
        {&IID_ITestMain, static_cast<ITestMain*>(this)},
        {&IID_ITestOther, static_cast<ITestOther*>(this)},
        {&IID_IUnknownEx, static_cast<ITestMain*>(this)},
    };
    return QueryInterfaceByTable(Guid, dwQueryVer, table);
  }
  int Value() override { return 1; }
  int Other() override { return 2; }
};

}  // namespace

TEST(QueryRule, VersionAcceptance) {
  struct Case {
    DWORD version;
    bool accepted;
  };
  static const Case cases[] = {
      {0x01010000, true},  {0x010100FF, true},  {0x01010100, true},  {0x01010107, true},
      {0x010101FF, true},  {0x01010200, false}, {0x01000100, false}, {0x01020100, false},
      {0x02010100, false}, {0x01020000, false}, {0x00010100, false}, {0xFFFFFFFF, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.accepted, IsAcceptedInterfaceVersion(c.version)) << std::hex << c.version;
  }
}

TEST(QueryRule, AnswersEachInterfaceAndMainForUnknownEx) {
  TwoInterfaces obj;
  void* main = obj.QueryInterface(IID_ITestMain, 0x01010107);
  EXPECT_EQ(static_cast<ITestMain*>(&obj), main);
  EXPECT_EQ(static_cast<ITestOther*>(&obj), obj.QueryInterface(IID_ITestOther, 0x01010100));
  // IUnknownEx at 1.1.0.0 answers the main interface's pointer.
  EXPECT_EQ(main, obj.QueryInterface(IID_IUnknownEx, 0x01010000));
  EXPECT_NE(static_cast<void*>(static_cast<ITestOther*>(&obj)), main);
}

TEST(QueryRule, RefusedVersionOrUnknownIdentifierIsNull) {
  TwoInterfaces obj;
  for (const GUID* iid : {&IID_ITestMain, &IID_ITestOther, &IID_IUnknownEx}) {
    EXPECT_EQ(nullptr, obj.QueryInterface(*iid, 0x01010200));
    EXPECT_EQ(nullptr, obj.QueryInterface(*iid, 0x01020000));
    EXPECT_EQ(nullptr, obj.QueryInterface(*iid, 0x01000100));
    EXPECT_EQ(nullptr, obj.QueryInterface(*iid, 0x02010100));
  }
  EXPECT_EQ(nullptr, obj.QueryInterface(IID_IChannelService, 0x01010100));
}

TEST(QueryRule, ComparesAllSixteenBytes) {
  GUID almost = IID_ITestMain;
  almost.Data4[7] ^= 1;
  EXPECT_FALSE(IsSameInterfaceId(almost, IID_ITestMain));
  EXPECT_TRUE(IsSameInterfaceId(IID_ITestMain, IID_ITestMain));
  TwoInterfaces obj;
  EXPECT_EQ(nullptr, obj.QueryInterface(almost, 0x01010100));
  EXPECT_EQ(nullptr, QueryInterfaceByTable(IID_ITestMain, 0x01010100, nullptr, 3));
}

TEST(QueryRule, FirstMatchingEntryWins) {
  int a = 0, b = 0;
  const InterfaceEntry table[] = {{&IID_ITestMain, &a}, {&IID_ITestMain, &b}};
  EXPECT_EQ(&a, QueryInterfaceByTable(IID_ITestMain, 0x01010100, table));
}

TEST(InterfaceIds, MatchTheirTextForms) {
  // {92D87E91-5A5B-4A45-8CFD-382FE6B32B0B} in memory order.
  const unsigned char expected[16] = {0x91, 0x7E, 0xD8, 0x92, 0x5B, 0x5A, 0x45, 0x4A,
                                      0x8C, 0xFD, 0x38, 0x2F, 0xE6, 0xB3, 0x2B, 0x0B};
  EXPECT_EQ(0, std::memcmp(expected, &IID_IUnknownEx, 16));
  EXPECT_EQ(0x850E5617u, IID_IGameRankTable.Data1);
  EXPECT_EQ(0x01010100u, ZAVREL_INTERFACE_VERSION);
}
