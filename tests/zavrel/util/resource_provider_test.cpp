// RawResourceProvider: whole files as raw bytes, and the process-wide
// registration of the most recent provider.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/testkit/testkit.h"
#include "zavrel/util/resource_provider.h"

namespace {

// The provider a host would derive: it supplies the release operation and
// exposes the group name for the tests.
class HostProvider : public RawResourceProvider {
 public:
  HostProvider() = default;
  HostProvider(const HostProvider& other) = default;
  HostProvider& operator=(const HostProvider& other) = default;
  void unloadRawDataContainer(RawDataContainer& container) override {
    delete[] container.data;
    container.data = nullptr;
    container.size = 0;
  }
  std::string& group() { return groupName; }
};

RawResourceProvider* Registered() { return Singleton<RawResourceProvider>::getSingletonPtr(); }

}  // namespace

TEST(ResourceProvider, LoadsAWholeFileByteForByte) {
  testkit::TempDir dir;
  const std::string bytes("\x00\x01\xff\r\n\xb2\xe2\xca\xd4 end", 13);
  const std::string path = dir.file("data.bin");
  ASSERT_TRUE(testkit::WriteFileBytes(path, bytes));

  HostProvider provider;
  RawDataContainer container;
  ASSERT_TRUE(provider.loadRawDataContainer(path, container, "ignored group"));
  ASSERT_EQ(bytes.size(), container.size);
  EXPECT_EQ(bytes, std::string(reinterpret_cast<const char*>(container.data), container.size));
  provider.unloadRawDataContainer(container);
  EXPECT_EQ(nullptr, container.data);
}

TEST(ResourceProvider, AnEmptyFileLoadsWithSizeZero) {
  testkit::TempDir dir;
  const std::string path = dir.file("empty.txt");
  ASSERT_TRUE(testkit::WriteFileBytes(path, ""));
  HostProvider provider;
  RawDataContainer container;
  container.size = 77;
  ASSERT_TRUE(provider.loadRawDataContainer(path, container, ""));
  EXPECT_EQ(0u, container.size);
  delete[] container.data;  // the holder releases the (empty) array
}

TEST(ResourceProvider, FailuresLeaveTheContainerAsItWas) {
  testkit::TempDir dir;
  HostProvider provider;
  unsigned char mine[4] = {1, 2, 3, 4};
  RawDataContainer container;
  container.data = mine;
  container.size = 4;
  for (const std::string& name : {dir.file("missing.bin"), std::string(), dir.path().string()}) {
    EXPECT_FALSE(provider.loadRawDataContainer(name, container, "")) << "'" << name << "'";
    EXPECT_EQ(mine, container.data);
    EXPECT_EQ(4u, container.size);
  }
}

TEST(ResourceProvider, TheMostRecentProviderIsRegisteredUntilAnyIsDestroyed) {
  EXPECT_EQ(nullptr, Registered());
  auto first = std::make_unique<HostProvider>();
  EXPECT_EQ(first.get(), Registered());
  EXPECT_EQ(first.get(), &Singleton<RawResourceProvider>::getSingleton());

  auto second = std::make_unique<HostProvider>();
  EXPECT_EQ(second.get(), Registered()) << "the second construction replaces the first";

  first.reset();  // not the registered one: clears the registration all the same
  EXPECT_EQ(nullptr, Registered());

  auto third = std::make_unique<HostProvider>();
  EXPECT_EQ(third.get(), Registered());
  third.reset();
  EXPECT_EQ(nullptr, Registered());
  second.reset();
  EXPECT_EQ(nullptr, Registered());
}

TEST(ResourceProvider, CopiesTakeTheGroupNameButAreNotRegistered) {
  HostProvider original;
  EXPECT_TRUE(original.group().empty());
  original.group() = "skins";
  {
    HostProvider copy(original);
    EXPECT_EQ("skins", copy.group());
    EXPECT_EQ(&original, Registered());
    HostProvider assigned;
    EXPECT_EQ(&assigned, Registered());
    assigned = original;
    EXPECT_EQ("skins", assigned.group());
  }
  EXPECT_EQ(nullptr, Registered()) << "destroying the copies cleared the registration";
}
