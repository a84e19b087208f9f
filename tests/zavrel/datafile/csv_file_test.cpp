// CSVFile: reading rules, messages, deletion, saving, UTF-8 mode and bad
// files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/testkit/testkit.h"
#include "zavrel/datafile/csv_file.h"

namespace {

typedef std::vector<std::string> Fields;

Fields RowOf(CSVFile& csv, int row) {
  Fields out;
  for (int c = 1;; ++c) {
    testing::internal::CaptureStdout();
    const std::string field = csv.readString(row, c);
    const std::string said = testing::internal::GetCapturedStdout();
    if (!said.empty()) break;
    out.push_back(field);
  }
  return out;
}

// Opens `content` from a temporary file, without echoing the messages.
struct CsvFromText {
  explicit CsvFromText(const std::string& content, bool utf8 = false) : file(dir.file("t.csv")) {
    testkit::WriteFileBytes(file, content);
    csv.setUTF8(utf8);
    testing::internal::CaptureStdout();
    result = csv.open(file.c_str());
    output = testing::internal::GetCapturedStdout();
  }
  testkit::TempDir dir;
  std::string file;
  CSVFile csv;
  bool result;
  std::string output;
};

std::string WithoutCr(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c != '\r') out.push_back(c);
  }
  return out;
}

}  // namespace

TEST(CsvFile, FieldRules) {
  CsvFromText t(
      "\n\n"
      "name,\"a,b\",x\"y,z\"w,\"q\"\"uote\"\n"
      "a,,c,\r\n"
      ",\n"
      ",\n"
      " sp , \"open,never closed\n"
      "last");
  ASSERT_TRUE(t.result);
  EXPECT_EQ(6, t.csv.getRowSize());
  EXPECT_EQ(Fields({"name", "a,b", "xy,zw", "q\"uote"}), RowOf(t.csv, 1));
  EXPECT_EQ(Fields({"a", "", "c"}), RowOf(t.csv, 2));  // the empty last field is dropped
  EXPECT_EQ(Fields({""}), RowOf(t.csv, 3));
  EXPECT_EQ(Fields({" sp ", " open,never closed"}), RowOf(t.csv, 5));
  EXPECT_EQ(Fields({"last"}), RowOf(t.csv, 6));  // no final line end
  EXPECT_EQ(4, t.csv.getColumnSize());
  EXPECT_EQ("name", t.csv.readString(1, 1));
  EXPECT_EQ(1, t.csv.getFieldIndex("a,b"));
  EXPECT_EQ(-1, t.csv.getFieldIndex("NAME"));
  EXPECT_EQ(-1, t.csv.getFieldIndex(nullptr));
  EXPECT_TRUE(t.csv.isOpen());
  const std::string expected = "begin open csv file: [" + t.file + "]\nOpen csv file OK: [" + t.file + "]\n";
  EXPECT_EQ(expected, t.output);
}

TEST(CsvFile, OutOfRangeMessages) {
  CsvFromText t("h1,h2\nv\n");
  testing::internal::CaptureStdout();
  EXPECT_EQ("", t.csv.readString(0, 1));
  EXPECT_EQ("", t.csv.readString(3, 1));
  EXPECT_EQ("", t.csv.readString(2, 2));
  EXPECT_EQ("", t.csv.readString(1, 0));
  EXPECT_EQ(
      "CSVFile::readString() CANNOT GET ROW[0]!\n"
      "CSVFile::readString() CANNOT GET ROW[3]!\n"
      "CSVFile::readString() CANNOT GET COLUMN[2]!\n"
      "CSVFile::readString() CANNOT GET COLUMN[0]!\n",
      testing::internal::GetCapturedStdout());
}

TEST(CsvFile, OpenResults) {
  testkit::TempDir dir;
  CSVFile csv;
  EXPECT_FALSE(csv.isOpen());
  EXPECT_FALSE(csv.save());  // never opened: the empty path cannot be opened
  testing::internal::CaptureStdout();
  EXPECT_FALSE(csv.open(nullptr));
  EXPECT_EQ("", testing::internal::GetCapturedStdout());

  const std::string missing = dir.file("new.csv");
  testing::internal::CaptureStdout();
  EXPECT_TRUE(csv.open(missing.c_str()));
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(testkit::ReadFileBytes(missing).empty());
  EXPECT_EQ(0, csv.getRowSize());
  EXPECT_EQ(0, csv.getColumnSize());

  // A failing open keeps the rows but closes the stream.
  testkit::WriteFileBytes(missing, "a,b\n");
  testing::internal::CaptureStdout();
  ASSERT_TRUE(csv.open(missing.c_str()));
  const std::string bad = dir.path().string();  // a directory
  EXPECT_FALSE(csv.open(bad.c_str()));
  const std::string said = testing::internal::GetCapturedStdout();
  EXPECT_NE(std::string::npos, said.find("open csv file FAILED!: [" + bad + "]\n"));
  EXPECT_FALSE(csv.isOpen());
  EXPECT_EQ(1, csv.getRowSize());
  EXPECT_EQ(0, csv.getFieldIndex("a"));

  testing::internal::CaptureStdout();
  EXPECT_FALSE(csv.open(dir.file("no/such/dir/x.csv").c_str()));
  testing::internal::GetCapturedStdout();
}

TEST(CsvFile, OnlyEmptyLines) {
  CsvFromText t("\n\r\n\n");
  ASSERT_TRUE(t.result);
  EXPECT_EQ(0, t.csv.getRowSize());
  EXPECT_EQ(-1, t.csv.getFieldIndex(""));
  CsvFromText empty("");
  ASSERT_TRUE(empty.result);
  EXPECT_EQ(0, empty.csv.getRowSize());
  EXPECT_EQ(0, empty.csv.getColumnSize());
}

TEST(CsvFile, DeleteAndSave) {
  CsvFromText t("id,text\n1,\"say \"\"hi\"\", ok\"\n2,b,\n3,c\n");
  ASSERT_TRUE(t.result);
  EXPECT_EQ("say \"hi\", ok", t.csv.readString(2, 2));
  EXPECT_FALSE(t.csv.deleteRow(0));
  EXPECT_FALSE(t.csv.deleteRow(5));
  EXPECT_TRUE(t.csv.deleteRow(4));
  const std::string out = t.dir.file("out.csv");
  testing::internal::CaptureStdout();
  EXPECT_TRUE(t.csv.save(out.c_str()));
  EXPECT_EQ("save as cvs file: [" + out + "] SUCCESS!\n", testing::internal::GetCapturedStdout());
  EXPECT_EQ("id,text\n1,\"say \"\"hi\"\", ok\"\n2,b\n", WithoutCr(testkit::ReadFileBytes(out)));

  // save() writes to the file that the object still holds open.
  testing::internal::CaptureStdout();
  EXPECT_TRUE(t.csv.deleteRow(1));
  EXPECT_TRUE(t.csv.save());
  testing::internal::GetCapturedStdout();
  EXPECT_EQ("1,\"say \"\"hi\"\", ok\"\n2,b\n", WithoutCr(testkit::ReadFileBytes(t.file)));
  EXPECT_EQ(0, t.csv.getFieldIndex("id"));  // the header stays
  EXPECT_EQ(2, t.csv.getColumnSize());

  CSVFile again;
  testing::internal::CaptureStdout();
  ASSERT_TRUE(again.open(t.file.c_str()));
  testing::internal::GetCapturedStdout();
  EXPECT_EQ("say \"hi\", ok", again.readString(1, 2));

  EXPECT_TRUE(t.csv.deleteAllRow());
  testing::internal::CaptureStdout();
  EXPECT_TRUE(t.csv.save());
  EXPECT_FALSE(t.csv.save(t.dir.file("no/dir/x.csv").c_str()));
  EXPECT_FALSE(t.csv.save(nullptr));
  EXPECT_EQ("save as cvs file: [" + t.file + "] SUCCESS!\n", testing::internal::GetCapturedStdout());
  EXPECT_EQ("", testkit::ReadFileBytes(t.file));
}

TEST(CsvFile, Utf8ModeRoundTrip) {
  // "中文,名" in UTF-8 as it would be on disk; in memory the fields are GBK.
  CsvFromText t("\xE4\xB8\xAD\xE6\x96\x87,\"\xE5\x90\x8D,\"\"x\"\"\"\n", true);
  ASSERT_TRUE(t.result);
  EXPECT_EQ("\xD6\xD0\xCE\xC4", t.csv.readString(1, 1));
  EXPECT_EQ("\xC3\xFB,\"x\"", t.csv.readString(1, 2));
  const std::string out = t.dir.file("u.csv");
  testing::internal::CaptureStdout();
  ASSERT_TRUE(t.csv.save(out.c_str()));
  testing::internal::GetCapturedStdout();
  EXPECT_EQ("\xE4\xB8\xAD\xE6\x96\x87,\"\xE5\x90\x8D,\"\"x\"\"\"\n", WithoutCr(testkit::ReadFileBytes(out)));
  CSVFile back;
  back.setUTF8(true);
  testing::internal::CaptureStdout();
  ASSERT_TRUE(back.open(out.c_str()));
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(RowOf(t.csv, 1), RowOf(back, 1));

  // ANSI mode reads the same bytes unconverted.
  CsvFromText ansi("\xD6\xD0,b\n");
  EXPECT_EQ("\xD6\xD0", ansi.csv.readString(1, 1));
}

TEST(CsvFile, BadBytes) {
  std::string content("a,\0b,c\nx\0y,z\n", 13);
  content += std::string(1 << 20, 'L') + ",end\n";
  content += "\xFF\xFE,\x81\n";
  content += "cr\ronly\rline";
  CsvFromText t(content);
  ASSERT_TRUE(t.result);
  EXPECT_EQ(Fields({"a", " "}), RowOf(t.csv, 1));  // a NUL after a comma: one blank
  EXPECT_EQ(Fields({"x"}), RowOf(t.csv, 2));
  EXPECT_EQ(size_t(1) << 20, t.csv.readString(3, 1).size());
  EXPECT_EQ(Fields({"\xFF\xFE", "\x81"}), RowOf(t.csv, 4));
  EXPECT_EQ(Fields({"cr\ronly\rline"}), RowOf(t.csv, 5));

  // Invalid UTF-8 in UTF-8 mode: some text, no crash.
  CsvFromText u("\xC3(,\xE4\xB8\n\xF0\x9F\x98\x80,ok\n", true);
  ASSERT_TRUE(u.result);
  EXPECT_EQ(2, u.csv.getRowSize());
  EXPECT_EQ("ok", u.csv.readString(2, 2));
}
