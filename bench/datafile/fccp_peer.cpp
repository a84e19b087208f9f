// Fast C++ CSV Parser, set up to match CSVFile: fields are kept exactly as
// written (no trimming), double quotes enclose a field and two of them stand
// for one, and no line is skipped as a comment. Otherwise it runs as it ships:
// its next block of the file is read on a second thread.
#include "fccp_peer.h"

#include <libfccp/csv.h>

#include <utility>

bool ReadCsvWithFccp(const std::string& path, std::vector<std::vector<std::string>>& rows) {
  static_assert(kFccpColumns == 10, "read_row below names ten fields");
  try {
    io::CSVReader<kFccpColumns, io::trim_chars<>, io::double_quote_escape<',', '"'>> in(path);
    // No read_header: the header line comes back as the first row, as in
    // CSVFile.
    for (;;) {
      std::vector<std::string> row(kFccpColumns);
      if (!in.read_row(row[0], row[1], row[2], row[3], row[4], row[5], row[6], row[7], row[8], row[9])) break;
      rows.push_back(std::move(row));
    }
  } catch (const io::error::base&) {
    return false;
  }
  return true;
}
