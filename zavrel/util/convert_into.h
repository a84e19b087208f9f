// The result rule of StringUtility's UTF-8/ANSI members, shared by the
// Windows and the native conversions: what convert() makes is stored into
// out and a copy of it answered. Out of memory: out and the answer are both
// empty, never one without the other.
#pragma once

#include <string>

#include "base/no_throw.h"

template <class Convert>
std::string ConvertInto(std::string& out, Convert&& convert) {
  std::string converted;
  NoThrowVoid([&] { converted = convert(); });
  out.swap(converted);
  std::string copy = NoThrow(std::string(), [&] { return out; });
  if (copy.size() != out.size()) out.clear();  // no copy: both empty
  return copy;
}
