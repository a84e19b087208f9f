// CIniFile::ReadFile on arbitrary bytes; what it writes must read back to
// the same keys and values.
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_common.h"
#include "zavrel/datafile/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string in = fuzz::ScratchPath(".ini");
  static const std::string out = fuzz::ScratchPath("-out.ini");
  fuzz::WriteBytes(in, data, size);
  CIniFile ini(in);
  if (size > 0 && (data[0] & 1)) ini.CaseSensitive();
  ini.ReadFile();
  for (unsigned k = 0; k < ini.NumKeys(); ++k) {
    const std::string name = ini.KeyName(k);
    if (ini.FindKey(name) < 0 || static_cast<unsigned>(ini.FindKey(name)) > k) __builtin_trap();
    for (unsigned v = 0; v < ini.NumValues(k); ++v) {
      const int found = ini.FindValue(k, ini.ValueName(k, v));
      if (found < 0 || static_cast<unsigned>(found) > v) __builtin_trap();
    }
  }
  ini.Path(out);
  if (!ini.WriteFile()) __builtin_trap();
  CIniFile back(out);
  if (size > 0 && (data[0] & 1)) back.CaseSensitive();
  back.ReadFile();
  // What was read from a file is written in a form that reads back whole.
  if (back.NumKeys() != ini.NumKeys() || back.NumHeaderComments() != ini.NumHeaderComments()) __builtin_trap();
  for (unsigned k = 0; k < ini.NumKeys(); ++k) {
    if (back.KeyName(k) != ini.KeyName(k) || back.NumValues(k) != ini.NumValues(k) ||
        back.NumKeyComments(k) != ini.NumKeyComments(k))
      __builtin_trap();
    for (unsigned v = 0; v < ini.NumValues(k); ++v) {
      if (back.GetValue(k, v) != ini.GetValue(k, v) || back.ValueName(k, v) != ini.ValueName(k, v)) __builtin_trap();
    }
  }
  if (ini.NumKeys() > 0) ini.DeleteKey(ini.KeyName(0));
  return 0;
}
