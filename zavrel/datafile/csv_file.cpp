// CSVFile: loading, splitting, saving.
#include "zavrel/datafile/csv_file.h"

#include <cstring>

#include "base/no_throw.h"
#include "zavrel/datafile/byte_scan.h"
#include "zavrel/util/file_utility.h"
#include "zavrel/util/string_utility.h"

namespace {

#ifdef _WIN32
const char kLineEnd[] = "\r\n";  // what a text stream stores for "\n"
#else
const char kLineEnd[] = "\n";
#endif

const std::size_t kChunk = 1u << 16;

// First position from i on (at most length) that holds a quote, a comma or
// a NUL byte: the end of a run of ordinary field text.
inline std::size_t SkipOrdinary(const char* text, std::size_t i, std::size_t length) {
  return byte_scan::FindFirstOf<'"', ',', '\0'>(text, i, length);
}

}  // namespace

CSVFile::CSVFile() : columnSize(0), utf8(false), m_chunkPos(0), m_chunkEnd(0) {}

CSVFile::~CSVFile() = default;

bool CSVFile::open(const char* filePath) {
  if (filePath == nullptr) return false;
  try {
    return openFile(filePath);
  } catch (...) {
    // Out of memory: no half-read rows are left, and the file is let go.
    stream.reset();
    rows.clear();
    header.clear();
    lineBuffer.clear();
    columnSize = 0;
    return false;
  }
}

bool CSVFile::openFile(const char* filePath) {
  std::printf("begin open csv file: [%s]\n", filePath);
  if (!FileUtility::fileExist(filePath)) {
    UniqueFile created(std::fopen(filePath, "w+"));  // empty, closed at once
  }
  stream.reset();
  // Binary, so that a carriage return before a line feed is dropped the same
  // way everywhere and a Ctrl-Z byte does not end the file early.
  UniqueFile opened(std::fopen(filePath, "r+b"));
  if (!opened) {
    std::printf("open csv file FAILED!: [%s]\n", filePath);
    return false;
  }
  path = filePath;
  std::printf("Open csv file OK: [%s]\n", filePath);
  rows.clear();
  header.clear();
  m_chunkPos = m_chunkEnd = 0;
  stream = std::move(opened);
  return parse();
}

bool CSVFile::parse() {
  std::size_t largest = 0;
  bool haveHeader = false;
  // Rows of a file mostly have as many fields as the one before: room for
  // that many up front spares the row's repeated growth.
  std::size_t expected = 0;
  for (;;) {
    rows.emplace_back();
    rows.back().reserve(expected);
    if (!readLine(rows.back())) {
      rows.pop_back();
      break;
    }
    const Row& row = rows.back();
    if (row.empty()) {
      rows.pop_back();
      continue;
    }
    expected = row.size();
    if (row.size() > largest) largest = row.size();
    if (!haveHeader) {
      header = row;
      haveHeader = true;
    }
  }
  columnSize = static_cast<int>(largest);
  return true;
}

bool CSVFile::readLine(Row& row, std::FILE* in) {
  lineBuffer.clear();
  bool any = false;
  // Splits lineBuffer, a whole line; ended tells whether a line feed ended
  // it (then a carriage return before it is dropped).
  const auto endLine = [this, &row](bool ended) {
    if (ended && !lineBuffer.empty() && lineBuffer.back() == '\r') lineBuffer.pop_back();
    if (!lineBuffer.empty()) {
      if (utf8) StringUtility::UTF8ToAnsi(lineBuffer, lineBuffer);
      parseLine(lineBuffer, row);
    }
  };
  if (in == nullptr || in == stream.get()) {
    std::FILE* f = stream.get();
    if (f == nullptr) return false;
    if (m_chunk.size() != kChunk) m_chunk.resize(kChunk);
    for (;;) {
      if (m_chunkPos == m_chunkEnd) {
        m_chunkPos = 0;
        m_chunkEnd = std::fread(m_chunk.data(), 1, kChunk, f);
        if (m_chunkEnd == 0) break;  // end of file or read error
      }
      const char* begin = m_chunk.data() + m_chunkPos;
      const std::size_t avail = m_chunkEnd - m_chunkPos;
      const char* nl = static_cast<const char*>(std::memchr(begin, '\n', avail));
      if (nl == nullptr) {
        lineBuffer.append(begin, avail);
        m_chunkPos = m_chunkEnd;
        any = true;
        continue;
      }
      std::size_t take = static_cast<std::size_t>(nl - begin);
      m_chunkPos += take + 1;
      if (!any && !utf8) {
        // The whole line lies in the read-ahead: split it in place.
        if (take > 0 && begin[take - 1] == '\r') --take;
        if (take > 0) parseLine(begin, take, row);
        return true;
      }
      lineBuffer.append(begin, take);
      endLine(true);
      return true;
    }
    if (!any) return false;
    endLine(false);
    return true;
  }
  bool ended = false;
  int c;
  while ((c = std::fgetc(in)) != EOF) {
    any = true;
    if (c == '\n') {
      ended = true;
      break;
    }
    lineBuffer.push_back(static_cast<char>(c));
  }
  if (!any) return false;
  endLine(ended);
  return true;
}

void CSVFile::parseLine(const std::string& line, Row& row) { parseLine(line.data(), line.size(), row); }

void CSVFile::parseLine(const char* text, std::size_t length, Row& row) {
  if (text == nullptr) return;
  row.clear();
  std::size_t i = 0;
  while (i < length) {
    // Most fields hold no quote: such a field goes into the row at once.
    std::size_t j = SkipOrdinary(text, i, length);
    if (j == length) {
      if (j > i) row.emplace_back(text + i, j - i);
      return;
    }
    if (text[j] == ',') {
      row.emplace_back(text + i, j - i);
      i = j + 1;
      continue;
    }
    // A quote or a NUL byte: build the field step by step up to the comma
    // outside quotes that ends it, or to the end of the line.
    std::string field(text + i, j - i);
    i = j;
    bool quoted = false;
    bool lineEnded = true;
    for (;;) {
      j = quoted ? byte_scan::FindFirstOf<'"', '\0'>(text, i, length) : SkipOrdinary(text, i, length);
      field.append(text + i, j - i);
      i = j;
      if (i >= length) break;
      const char c = text[i];
      if (c == '\0') {
        // A NUL byte ends the line; right after a comma it leaves one blank.
        if (i > 0 && text[i - 1] == ',') field = " ";
        break;
      }
      if (c == '"') {
        if (!quoted) {
          quoted = true;
        } else if (i + 1 < length && text[i + 1] == '"') {
          field.push_back('"');
          ++i;
        } else {
          quoted = false;
        }
        ++i;
        continue;
      }
      // A comma outside quotes ends the field.
      row.push_back(std::move(field));
      ++i;
      lineEnded = false;
      break;
    }
    if (lineEnded) {
      if (!field.empty()) row.push_back(std::move(field));
      return;
    }
  }
}

bool CSVFile::writeLine(const Row& row, std::FILE* out) {
  if (out == nullptr) out = stream.get();
  if (out == nullptr) return false;
  std::string record;
  for (std::size_t i = 0; i < row.size(); ++i) {
    std::string copy = StringUtility::stringReplace(row[i], "\"\"", "\"");
    if (utf8) StringUtility::AnsiToUTF8(copy, copy);
    if (copy.find_first_of(",\"") != std::string::npos) {
      record += '"';
      record += copy;
      record += '"';
    } else {
      record += copy;
    }
    if (i + 1 < row.size()) record += ',';
  }
  record += kLineEnd;
  return std::fwrite(record.data(), 1, record.size(), out) == record.size();
}

bool CSVFile::save(const char* filePath) {
  return NoThrow(false, [&] { return saveTo(filePath); });
}

bool CSVFile::saveTo(const char* filePath) {
  if (filePath == nullptr) return false;
  UniqueFile out(std::fopen(filePath, "wb"));
  if (!out) return false;
  bool ok = true;
  for (const Row& row : rows) {
    if (!writeLine(row, out.get())) {
      ok = false;
      break;
    }
  }
  if (std::fclose(out.release()) != 0) ok = false;
  if (!ok) return false;
  std::printf("save as cvs file: [%s] SUCCESS!\n", filePath);
  return true;
}

bool CSVFile::save() {
  return NoThrow(false, [&] {
    const std::string target = path;  // saving must not see it change
    return saveTo(target.c_str());
  });
}

std::string CSVFile::readString(int row, int column) {
  return NoThrow(std::string(), [&] { return readField(row, column); });
}

std::string CSVFile::readField(int row, int column) {
  if (row < 1 || static_cast<std::size_t>(row) > rows.size()) {
    std::printf("CSVFile::readString() CANNOT GET ROW[%d]!\n", row);
    return std::string();
  }
  const Row& r = rows[static_cast<std::size_t>(row) - 1];
  if (column < 1 || static_cast<std::size_t>(column) > r.size()) {
    std::printf("CSVFile::readString() CANNOT GET COLUMN[%d]!\n", column);
    return std::string();
  }
  return r[static_cast<std::size_t>(column) - 1];
}

int CSVFile::getFieldIndex(const char* name) {
  if (name == nullptr) return -1;
  const std::size_t n = std::strlen(name);
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (header[i].size() == n && std::memcmp(header[i].data(), name, n) == 0) return static_cast<int>(i);
  }
  return -1;
}

int CSVFile::getRowSize() { return static_cast<int>(rows.size()); }

int CSVFile::getColumnSize() { return columnSize; }

bool CSVFile::isOpen() { return stream.valid(); }

void CSVFile::setUTF8(bool isUtf8) { utf8 = isUtf8; }

bool CSVFile::deleteRow(int row) {
  if (row < 1 || static_cast<std::size_t>(row) > rows.size()) return false;
  rows.erase(rows.begin() + (row - 1));
  return true;
}

bool CSVFile::deleteAllRow() {
  rows.clear();
  return true;
}
