// INI, CSV and version members when memory runs out: each answers its
// failure value, no exception leaves, and the object stays whole (every key,
// value and row it reports can be read and changed afterwards).
#include <gtest/gtest.h>

#include <cerrno>
#include <new>
#include <string>

#include "tests/testkit/failing_new.h"
#include "tests/testkit/testkit.h"
#include "zavrel/datafile/csv_file.h"
#include "zavrel/datafile/ini_file.h"
#include "zavrel/datafile/version.h"

namespace {

// Enough keys and values that the name indexes are built and grown.
std::string ManyKeys() {
  std::string text = ";head\n";
  for (int k = 0; k < 12; ++k) {
    text += "[Key" + std::to_string(k) + "]\n;comment\n";
    for (int v = 0; v < 10; ++v) text += "v" + std::to_string(v) + "=" + std::to_string(k * 100 + v) + "\n";
  }
  return text;
}

// Every key and value the model reports can be found, read and changed.
void ExpectWhole(CIniFile& ini) {
  for (unsigned k = 0; k < ini.NumKeys(); ++k) {
    const std::string name = ini.KeyName(k);
    const int found = ini.FindKey(name);
    ASSERT_GE(found, 0);
    ASSERT_LE(found, static_cast<int>(k));
    for (unsigned v = 0; v < ini.NumValues(k); ++v) {
      EXPECT_EQ(ini.GetValue(k, v), ini.GetValue(name, ini.ValueName(k, v), "missing")) << name;
    }
    ASSERT_TRUE(ini.SetValue(name, "added", "x"));
    EXPECT_EQ("x", ini.GetValue(name, "added"));
  }
}

}  // namespace

// The sweeps count on the program's operator new reaching libstdc++'s own
// allocations (std::string's out-of-line members), on every target.
TEST(DataFileNoThrow, LibraryStringAllocationsAreRefused) {
  const std::string text(64, 'x');
  std::string copy;
  bool thrown = false;
  {
    testkit::FailAllocationsAfter fail(0);
    try {
      copy.assign(text);
    } catch (const std::bad_alloc&) {
      thrown = true;
    }
  }
  EXPECT_TRUE(thrown);
  EXPECT_TRUE(copy.empty());
}

// A failure value for lack of memory leaves errno at ENOMEM, so that a caller
// can tell it from a missing file, an empty file or a missing name; memory
// that runs out for a moment (one allocation refused) is caught as well.
TEST(DataFileNoThrow, IniTellsLackOfMemoryFromMissingData) {
  testkit::TempDir dir;
  const std::string path = dir.file("many.ini");
  ASSERT_TRUE(testkit::WriteFileBytes(path, ManyKeys()));
  const std::string keyless = dir.file("keyless.ini");
  ASSERT_TRUE(testkit::WriteFileBytes(keyless, ";only a comment\n"));
  for (const std::string& none : {dir.file("missing.ini"), keyless}) {
    CIniFile ini(none);
    errno = 0;
    EXPECT_FALSE(ini.ReadFile());
    EXPECT_NE(ENOMEM, errno) << none;
    EXPECT_EQ("", ini.GetValue("Key1", "v1"));
    EXPECT_NE(ENOMEM, errno) << none;
  }
  long runs = testkit::SweepAllocationFailures([&](long succeed) {
    CIniFile ini(path);
    bool read = false;
    bool refused = false;
    errno = 0;
    {
      testkit::FailAllocationsAfter fail(succeed, 1);
      read = ini.ReadFile();
      refused = fail.Refused();
    }
    if (read) {
      EXPECT_NE(ENOMEM, errno);
      EXPECT_EQ(12u, ini.NumKeys());
    } else {
      EXPECT_TRUE(refused);
      EXPECT_EQ(ENOMEM, errno);
    }
    ExpectWhole(ini);
    return refused;
  });
  EXPECT_GT(runs, 100);

  const std::string key = "a key name long enough to need the heap";
  const std::string value = "a value name long enough to need the heap";
  const std::string text = "a value text long enough to need the heap";
  CIniFile ini;
  ASSERT_TRUE(ini.SetValue(key, value, text));
  ASSERT_TRUE(ini.KeyComment(0, text));
  runs = testkit::SweepAllocationFailures([&](long succeed) {
    std::string got[5];
    // The arguments are made before allocation fails, and moved in.
    std::string keyArg = key, valueArg = value;
    bool refused = false;
    errno = 0;
    {
      testkit::FailAllocationsAfter fail(succeed, 1);
      got[0] = ini.KeyName(0);
      got[1] = ini.ValueName(0, 0);
      got[2] = ini.GetValue(0, 0);
      got[3] = ini.GetValue(std::move(keyArg), std::move(valueArg));
      got[4] = ini.KeyComment(0, 0);
      refused = fail.Refused();
    }
    const std::string expected[5] = {key, value, text, text, text};
    bool shortOfOne = false;
    for (int i = 0; i < 5; ++i) {
      if (got[i].empty()) {
        shortOfOne = true;
      } else {
        EXPECT_EQ(expected[i], got[i]) << i;
      }
    }
    EXPECT_EQ(shortOfOne, errno == ENOMEM);
    EXPECT_EQ(refused, shortOfOne);
    return refused;
  });
  EXPECT_GT(runs, 5);
}

TEST(DataFileNoThrow, IniReadFileAnswersFalseAndStaysWhole) {
  testkit::TempDir dir;
  const std::string path = dir.file("many.ini");
  ASSERT_TRUE(testkit::WriteFileBytes(path, ManyKeys()));
  const long runs = testkit::SweepAllocationFailures([&](long succeed) {
    CIniFile ini(path);
    bool read = false;
    bool refused = false;
    {
      testkit::FailAllocationsAfter fail(succeed);
      read = ini.ReadFile();
      refused = fail.Refused();
    }
    if (refused) {
      EXPECT_FALSE(read);
    } else {
      EXPECT_TRUE(read);
      EXPECT_EQ(12u, ini.NumKeys());
      EXPECT_EQ("1109", ini.GetValue("key11", "V9"));
    }
    ExpectWhole(ini);
    return refused;
  });
  EXPECT_GT(runs, 100);
}

TEST(DataFileNoThrow, IniChangesAnswerFailureAndStayWhole) {
  testkit::TempDir dir;
  const std::string path = dir.file("many.ini");
  ASSERT_TRUE(testkit::WriteFileBytes(path, ManyKeys()));
  CIniFile source(path);
  ASSERT_TRUE(source.ReadFile());
  const long runs = testkit::SweepAllocationFailures([&](long succeed) {
    CIniFile ini(source);
    // Arguments are made (and moved in) before allocation fails: what is
    // tested is the member, not the caller's copies.
    std::string a[] = {"NewKey",
                       "NewValue",
                       "text",
                       "Key3",
                       "formatted",
                       "Key4",
                       "number",
                       "Added",
                       "Key5",
                       "a comment long enough to need the heap",
                       "a header comment long enough to need the heap",
                       "Key6",
                       "v6",
                       "a default long enough to need the heap",
                       "Key7",
                       "missing",
                       "Key8"};
    bool set = false, setV = false, setI = false, comment = false, written = false;
    unsigned added = 0;
    std::string got, name;
    int number = 0;
    bool refused = false;
    {
      testkit::FailAllocationsAfter fail(succeed);
      set = ini.SetValue(std::move(a[0]), std::move(a[1]), std::move(a[2]));
      setV = ini.SetValueV(std::move(a[3]), std::move(a[4]), "%s-%d", "long enough to leave the small buffer", 42);
      setI = ini.SetValueI(std::move(a[5]), std::move(a[6]), 7);
      added = ini.AddKeyName(std::move(a[7]));
      comment = ini.KeyComment(std::move(a[8]), std::move(a[9]));
      ini.HeaderComment(std::move(a[10]));
      got = ini.GetValue(std::move(a[11]), std::move(a[12]), std::move(a[13]));
      number = ini.GetValueI(std::move(a[14]), std::move(a[15]), 5);
      name = ini.ValueName(std::move(a[16]), 2);
      written = ini.WriteFile();
      refused = fail.Refused();
    }
    if (!refused) {
      EXPECT_TRUE(set && setV && setI && comment && written);
      EXPECT_EQ(13u, added);
      EXPECT_EQ("606", got);
      EXPECT_EQ("v2", name);
    }
    EXPECT_EQ(5, number);  // the default, whether or not its text could be made
    if (added != 0xFFFFFFFFu) {
      EXPECT_EQ("Added", ini.KeyName(added));
    }
    ExpectWhole(ini);
    return refused;
  });
  EXPECT_GT(runs, 20);
}

TEST(DataFileNoThrow, CsvOpenAndSaveAnswerFalse) {
  testkit::TempDir dir;
  const std::string path = dir.file("rows.csv");
  std::string text = "id,name,\"quoted, field\"\n";
  for (int r = 0; r < 30; ++r) text += std::to_string(r) + ",name of row " + std::to_string(r) + ",\"a \"\"b\"\"\"\n";
  ASSERT_TRUE(testkit::WriteFileBytes(path, text));
  const std::string copy = dir.file("copy.csv");
  const long runs = testkit::SweepAllocationFailures([&](long succeed) {
    CSVFile csv;
    bool opened = false, saved = false;
    std::string field;
    bool refused = false;
    {
      testkit::FailAllocationsAfter fail(succeed);
      opened = csv.open(path.c_str());
      field = csv.readString(31, 2);
      saved = csv.save(copy.c_str());
      refused = fail.Refused();
    }
    if (!refused) {
      EXPECT_TRUE(opened && saved);
      EXPECT_EQ("name of row 29", field);
      EXPECT_EQ(31, csv.getRowSize());
    }
    if (!opened) {
      EXPECT_FALSE(csv.isOpen());
      EXPECT_EQ(0, csv.getRowSize());
    }
    // Whatever is held can be read.
    for (int r = 1; r <= csv.getRowSize(); ++r) csv.readString(r, 1);
    return refused;
  });
  EXPECT_GT(runs, 30);
}

TEST(DataFileNoThrow, VersionTextAnswersFailureAndKeepsParts) {
  const long runs = testkit::SweepAllocationFailures([&](long succeed) {
    Version version(1, 2, 3, 4);
    const std::string text = "  1000000000 . 2000000000 , 3000000 . 4000000 with trailing text ";
    bool set = false;
    std::string printed;
    bool refused = false;
    {
      testkit::FailAllocationsAfter fail(succeed);
      set = version.SetValue(text);
      printed = version.GetString();
      refused = fail.Refused();
    }
    if (!set) {
      EXPECT_EQ(Version(1, 2, 3, 4), version);
    }
    if (!refused) {
      EXPECT_TRUE(set);
    }
    if (!printed.empty()) {
      EXPECT_EQ(version.GetString(), printed);
    }
    return refused;
  });
  EXPECT_GT(runs, 5);
}
