// CSVFile: a comma-separated text file as rows of text fields.
//
// A record is one line (a line feed, or carriage return and line feed, ends
// it); fields are separated by commas; a field may be enclosed in double
// quotes, inside which a comma is part of the field and two double quotes
// stand for one. The first line that yields a field is the header: it names
// the columns and stays in the rows as row 1. Files are in the ANSI code
// page, or in UTF-8 when setUTF8(true) precedes open/save; in memory fields
// are always ANSI.
//
// open prints "begin open csv file: [path]", then "Open csv file OK: [path]"
// or "open csv file FAILED!: [path]"; save prints "save as cvs file: [path]
// SUCCESS!"; readString out of range prints a line naming the row or column.
// Nothing else is reported and nothing throws: when memory runs out a
// member answers its failure value (false, "").
//
// The object keeps the file of its last successful open open (shared for
// reading and writing) until the next open or destruction; it owns that
// stream and cannot be copied. One object is used by one thread at a time;
// in UTF-8 mode the conversions share StringUtility's buffers.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "base/file_owner.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API CSVFile {
 public:
  typedef std::vector<std::string> Row;

  CSVFile();
  CSVFile(const CSVFile&) = delete;
  CSVFile& operator=(const CSVFile&) = delete;
  // Closes the stream.
  ~CSVFile();

  // Loads the file at path, creating it empty when it does not exist. False
  // for a null path (no message) or when the file cannot be opened for
  // reading and writing; rows, header and path then keep what they held and
  // the object is no longer open. Reading ends at the end of the file or at
  // a read error. False also when memory runs out while reading: the object
  // then holds no rows and is not open.
  bool open(const char* path);
  // Writes every row to path (replacing the file). False, without a message,
  // when path is null or cannot be opened, when not every byte could be
  // written, or when memory runs out (the file may then be cut short).
  bool save(const char* path);
  // save(path of the last successful open).
  bool save();

  // The field at row and column, both counted from 1; "" (and a message)
  // when either is out of range; "" when memory runs out.
  std::string readString(int row, int column);
  // Position, counted from 0, of the first header field equal to name byte
  // for byte; -1 when name is null or not in the header.
  int getFieldIndex(const char* name);
  // Number of rows, the header row included.
  int getRowSize();
  // The largest number of fields in any row of the last open.
  int getColumnSize();
  bool isOpen();
  // Governs every later open and save.
  void setUTF8(bool utf8);
  // Removes a row (counted from 1); false when out of range. Neither the
  // header nor the column size changes.
  bool deleteRow(int row);
  // Removes every row; always true.
  bool deleteAllRow();

 private:
  bool openFile(const char* path);
  bool parse();
  bool saveTo(const char* path);
  std::string readField(int row, int column);
  void parseLine(const char* text, std::size_t length, Row& row);
  void parseLine(const std::string& line, Row& row);
  // Reads the next line of in into lineBuffer and splits it into row (an
  // empty line leaves row as it was). False at the end of the file or on a
  // read error.
  bool readLine(Row& row, std::FILE* in = nullptr);
  // One record; false when the write failed.
  bool writeLine(const Row& row, std::FILE* out = nullptr);

  UniqueFile stream;
  std::string path;
  std::vector<Row> rows;
  Row header;
  std::string lineBuffer;
  int columnSize;
  bool utf8;

  // Read-ahead of readLine.
  std::vector<char> m_chunk;
  std::size_t m_chunkPos;
  std::size_t m_chunkEnd;
};
