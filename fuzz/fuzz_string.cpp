// StringUtility: split, the number parsers, replace, trim and the
// conversions on arbitrary input.
#include <cstdint>
#include <string>

#include "zavrel/util/string_utility.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  // Byte 0: split limit; byte 1: length of the delimiter set; then the
  // delimiters, then the text (also cut in two for replace).
  const unsigned limit = data[0] % 4;
  const size_t delimLen = data[1] % 4 < size - 2 ? data[1] % 4 : 0;
  const std::string delims(reinterpret_cast<const char*>(data + 2), delimLen);
  const std::string text(reinterpret_cast<const char*>(data + 2 + delimLen), size - 2 - delimLen);

  const StringList fields = StringUtility::split(text, delims, limit);
  size_t total = 0;
  for (const std::string& f : fields) {
    total += f.size();
    if (limit == 0 && f.find_first_of(delims) != std::string::npos && !delims.empty()) __builtin_trap();
  }
  if (total > text.size()) __builtin_trap();
  if (limit != 0 && fields.size() > limit + 1) __builtin_trap();

  int i = 0;
  unsigned u = 0;
  unsigned long ul = 0;
  long long ll = 0;
  float f = 0;
  double d = 0;
  StringUtility::tryParseInt(text, i);
  StringUtility::tryParseUint(text, u);
  StringUtility::tryParseUlong(text, ul);
  StringUtility::tryParseLongLong(text, ll);
  StringUtility::tryParseFloat(text, f);
  StringUtility::tryParseDouble(text, d);
  StringUtility::parseBool(text);

  const size_t half = text.size() / 2;
  const std::string pattern = text.substr(0, half % 5);
  const std::string replaced = StringUtility::stringReplace(text, delims, pattern);
  if (pattern.empty() && replaced != text) __builtin_trap();

  std::string trimmed = text;
  StringUtility::trim(trimmed);
  if (!trimmed.empty() && (StringUtility::isspace(trimmed.front()) || StringUtility::isspace(trimmed.back())))
    __builtin_trap();

  std::string out;
  StringUtility::UTF8ToAnsi(text, out);
  StringUtility::AnsiToUTF8(text, out);
  const std::wstring wide = StringUtility::Ansi2WChar(text.c_str());
  StringUtility::WChar2Ansi(wide.c_str());
  char buf[8];
  StringUtility::strlcpy(buf, text.c_str(), sizeof(buf));
  StringUtility::strlcat(buf, text.c_str(), sizeof(buf));
  return 0;
}
