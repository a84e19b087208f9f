// Version::SetValue on arbitrary text; a parsed version prints and parses
// back to itself.
#include <cstdint>
#include <string>

#include "zavrel/datafile/version.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Version v(1, 2, 3, 4);
  const bool parsed = v.SetValue(text);
  if (!parsed && v != Version(1, 2, 3, 4)) __builtin_trap();
  Version again;
  if (!again.SetValue(v.GetString()) || again != v) __builtin_trap();
  if (v < again || v > again) __builtin_trap();
  return 0;
}
