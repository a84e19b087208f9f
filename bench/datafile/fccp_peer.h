// The CSV peer built on Debian's Fast C++ CSV Parser. It sits in its own
// translation unit because that library's header and libcsv's are both
// named csv.h.
#pragma once

#include <string>
#include <vector>

// Reads every line of the file at path (the header line included) into rows,
// each field a string, quotes removed and doubled quotes made single. The
// reader's column count is fixed when it is compiled: every line must have
// kFccpColumns fields. False (rows then hold what was read) when the file
// cannot be read or a line has another number of fields.
const unsigned kFccpColumns = 10;
bool ReadCsvWithFccp(const std::string& path, std::vector<std::vector<std::string>>& rows);
