// String utilities and the resource provider when memory runs out: an empty
// result or false, never an exception; split appends every field or none.
#include <gtest/gtest.h>

#include <string>

#include "tests/testkit/failing_new.h"
#include "tests/testkit/testkit.h"
#include "zavrel/util/file_utility.h"
#include "zavrel/util/resource_provider.h"
#include "zavrel/util/string_utility.h"

namespace {

struct Provider : RawResourceProvider {
  void unloadRawDataContainer(RawDataContainer& data) override {
    delete[] data.data;
    data = RawDataContainer();
  }
};

}  // namespace

TEST(UtilNoThrow, StringOperationsAnswerEmpty) {
  const std::string text = "  alpha,beta;gamma delta,epsilon  with text long enough for the heap ";
  const std::string gbk = "\xD6\xD0\xCE\xC4 text long enough to need the heap";  // "中文" in GBK
  // Arguments are made before allocation fails: what is tested is the
  // member, not the caller's copies.
  const std::string with = "<a replacement long enough to need the heap>", comma = ",", delims = ",; ";
  const std::string prefix = "  alpha,", path = "C:\\a folder long enough to need the heap\\file.txt";
  const long runs = testkit::SweepAllocationFailures([&](long succeed) {
    std::string replaced, upper, spaceless, formatted, utf8, directory, utf8Out = "held";
    StringList fields(1, "kept");
    bool starts = false;
    bool refused = false;
    {
      testkit::FailAllocationsAfter fail(succeed);
      replaced = StringUtility::stringReplace(text, with, comma);
      upper = StringUtility::toUpperCase(text);
      spaceless = StringUtility::clearSpace(text);
      StringUtility::split(fields, text, delims);
      formatted = StringUtility::string_format("%s|%d|%s", text.c_str(), 42, gbk.c_str());
      utf8 = StringUtility::AnsiToUTF8(gbk, utf8Out);
      starts = StringUtility::startsWith(text, prefix, true);
      directory = FileUtility::getDirectory(path);
      refused = fail.Refused();
    }
    EXPECT_TRUE(starts);  // compares in place
    if (!refused || !replaced.empty()) {
      EXPECT_EQ(std::string::npos, replaced.find(','));
    }
    if (!refused || !upper.empty()) {
      EXPECT_EQ(StringUtility::toUpperCase(text), upper);
    }
    if (!refused || !spaceless.empty()) {
      EXPECT_EQ(std::string::npos, spaceless.find(' '));
    }
    // Every field or none.
    EXPECT_TRUE(fields.size() == 1 || fields.size() == 13) << fields.size();
    EXPECT_EQ("kept", fields.front());
    if (!refused) {
      EXPECT_EQ(13u, fields.size());
    }
    if (!refused || !formatted.empty()) {
      EXPECT_EQ(text + "|42|" + gbk, formatted);
    }
    EXPECT_EQ(utf8, utf8Out);
    if (!refused || !utf8.empty()) {
      EXPECT_EQ("\xE4\xB8\xAD\xE6\x96\x87 text long enough to need the heap", utf8);
    }
    if (!refused || !directory.empty()) {
      EXPECT_EQ("C:\\a folder long enough to need the heap\\", directory);
    }
    return refused;
  });
  EXPECT_GT(runs, 10);
}

TEST(UtilNoThrow, ResourceProviderAnswersFalse) {
  testkit::TempDir dir;
  const std::string path = dir.file("resource.bin");
  ASSERT_TRUE(testkit::WriteFileBytes(path, std::string(5000, 'r')));
  Provider provider;
  const std::string group;
  const long runs = testkit::SweepAllocationFailures([&](long succeed) {
    RawDataContainer data;
    bool loaded = false;
    bool refused = false;
    {
      testkit::FailAllocationsAfter fail(succeed);
      loaded = provider.loadRawDataContainer(path, data, group);
      refused = fail.Refused();
    }
    if (loaded) {
      EXPECT_EQ(5000u, data.size);
      provider.unloadRawDataContainer(data);
    } else {
      EXPECT_TRUE(refused);
      EXPECT_EQ(nullptr, data.data);
    }
    return refused;
  });
  EXPECT_GT(runs, 1);
}
