// CSVFile::open on arbitrary bytes in both modes, then save and reopen.
#include <cstdint>
#include <cstdio>

#include "fuzz/fuzz_common.h"
#include "zavrel/datafile/csv_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // CSVFile reports on standard output; keep the fuzzer's output readable.
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string in = fuzz::ScratchPath(".csv");
  static const std::string out = fuzz::ScratchPath("-out.csv");
  const bool utf8 = size > 0 && (data[0] & 1);
  fuzz::WriteBytes(in, data, size);
  CSVFile csv;
  csv.setUTF8(utf8);
  if (!csv.open(in.c_str())) __builtin_trap();
  const int rows = csv.getRowSize();
  for (int r = 1; r <= rows && r <= 8; ++r) {
    for (int c = 0; c <= csv.getColumnSize() + 1; ++c) csv.readString(r, c);
  }
  if (rows > 0) csv.getFieldIndex(csv.readString(1, 1).c_str());
  if (!csv.save(out.c_str())) __builtin_trap();
  CSVFile back;
  back.setUTF8(utf8);
  if (!back.open(out.c_str())) __builtin_trap();
  if (rows > 1) csv.deleteRow(2);
  csv.deleteAllRow();
  return 0;
}
