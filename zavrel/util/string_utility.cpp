// StringUtility: everything but the code-page conversions, which live in
// string_utility_win.cpp (Windows) and string_utility_iconv.cpp (native).
#include "zavrel/util/string_utility.h"

#include "base/no_throw.h"
#include "zavrel/util/format_text.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>

std::vector<char> StringUtility::s_char_buf;
std::vector<wchar_t> StringUtility::s_wchar_buf;

namespace {

const char kWhiteSpace[] = "\t\n\v\f\r ";

inline bool IsWhite(char c) { return c == ' ' || (c >= 9 && c <= 13); }

inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The integer scan of "%d%c" and its relatives: reads optional white space,
// an optional sign and decimal digits from a C string, wrapping on overflow.
// Returns the number of conversions the scanner would report: 0 when no
// number could be read, 1 when the number ends the text, 2 when something
// follows it. -1 stands for an empty (or all white) text.
int ScanInteger(const std::string& str, std::uint64_t& out) {
  const char* p = str.c_str();
  while (IsWhite(*p)) ++p;
  if (*p == '\0') return -1;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = (*p == '-');
    ++p;
  }
  if (*p < '0' || *p > '9') return 0;
  std::uint64_t value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10u + static_cast<std::uint64_t>(*p - '0');
    ++p;
  }
  out = negative ? (~value + 1u) : value;
  return *p == '\0' ? 1 : 2;
}

template <typename T>
bool TryParseInteger(const std::string& str, T& value) {
  std::uint64_t raw = 0;
  const int n = ScanInteger(str, raw);
  if (n >= 1) value = static_cast<T>(raw);
  return n == 1;
}

template <typename T, typename Reader>
bool TryParseReal(const std::string& str, T& value, Reader read) {
  const char* p = str.c_str();
  while (IsWhite(*p)) ++p;
  char* end = nullptr;
  const T v = read(p, &end);
  if (end == p) return false;
  value = v;
  return true;
}

std::string PrintNumber(const char* format, ...) {
  char buf[64];
  va_list args;
  va_start(args, format);
#ifdef _WIN32
  int n = _vsnprintf(buf, sizeof(buf), format, args);
#else
  int n = std::vsnprintf(buf, sizeof(buf), format, args);
#endif
  va_end(args);
  if (n < 0 || n >= static_cast<int>(sizeof(buf))) n = static_cast<int>(std::strlen(buf));
  buf[sizeof(buf) - 1] = '\0';
  return std::string(buf, static_cast<std::size_t>(n));
}

}  // namespace

int StringUtility::isspace(int c) { return (c == 32 || (c >= 9 && c <= 13)) ? 1 : 0; }

std::string& StringUtility::ltrim(std::string& str) {
  const std::size_t first = str.find_first_not_of(kWhiteSpace);
  if (first == std::string::npos) {
    str.clear();
  } else if (first > 0) {
    str.erase(0, first);
  }
  return str;
}

std::string& StringUtility::rtrim(std::string& str) {
  const std::size_t last = str.find_last_not_of(kWhiteSpace);
  str.erase(last == std::string::npos ? 0 : last + 1);
  return str;
}

std::string& StringUtility::trim(std::string& str) { return ltrim(rtrim(str)); }

std::string StringUtility::clearSpace(const std::string& str) {
  return NoThrow(std::string(), [&] {
    std::string out;
    out.reserve(str.size());
    for (char c : str) {
      if (!IsWhite(c)) out.push_back(c);
    }
    return out;
  });
}

std::string StringUtility::toUpperCase(const std::string& str) {
  return NoThrow(std::string(), [&] {
    std::string out(str);
    for (char& c : out) c = AsciiUpper(c);
    return out;
  });
}

std::string StringUtility::toLowerCase(const std::string& str) {
  return NoThrow(std::string(), [&] {
    std::string out(str);
    for (char& c : out) c = AsciiLower(c);
    return out;
  });
}

namespace {

// Whether the n bytes at piece equal pattern, the bytes of piece lowered
// first when asked (compared in place: nothing to allocate).
bool PieceEquals(const char* piece, const std::string& pattern, bool lowerCase) {
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = lowerCase ? AsciiLower(piece[i]) : piece[i];
    if (c != pattern[i]) return false;
  }
  return true;
}

}  // namespace

bool StringUtility::startsWith(const std::string& str, const std::string& pattern, bool lowerCase) {
  const std::size_t n = pattern.size();
  if (n == 0 || n > str.size()) return false;
  return PieceEquals(str.data(), pattern, lowerCase);
}

bool StringUtility::endsWith(const std::string& str, const std::string& pattern, bool lowerCase) {
  const std::size_t n = pattern.size();
  if (n == 0 || n > str.size()) return false;
  return PieceEquals(str.data() + (str.size() - n), pattern, lowerCase);
}

std::string StringUtility::stringReplace(const std::string& source, const std::string& replaceWith,
                                         const std::string& pattern) {
  return NoThrow(std::string(), [&] { return Replaced(source, replaceWith, pattern); });
}

std::string StringUtility::Replaced(const std::string& source, const std::string& replaceWith,
                                    const std::string& pattern) {
  if (pattern.empty()) return source;
  std::string out;
  out.reserve(source.size());
  std::size_t from = 0;
  for (;;) {
    const std::size_t hit = source.find(pattern, from);
    if (hit == std::string::npos) break;
    out.append(source, from, hit - from);
    out.append(replaceWith);
    from = hit + pattern.size();
  }
  out.append(source, from, std::string::npos);
  return out;
}

void StringUtility::split(StringList& ret, const std::string& str, const std::string& delims, unsigned int maxSplits) {
  // Every field or none: the fields are made apart and then moved over.
  NoThrowVoid([&] {
    StringList fields;
    SplitInto(fields, str, delims, maxSplits);
    ret.splice(ret.end(), fields);
  });
}

void StringUtility::SplitInto(StringList& ret, const std::string& str, const std::string& delims,
                              unsigned int maxSplits) {
  unsigned int numSplits = 0;
  std::size_t start = 0;
  std::size_t pos;
  do {
    pos = str.find_first_of(delims, start);
    if (pos == start) {
      // A delimiter at the start (or the start ran past the end): no field.
      start = pos + 1;
    } else if (pos == std::string::npos || (maxSplits != 0 && numSplits == maxSplits)) {
      ret.push_back(str.substr(start));
      break;
    } else {
      ret.push_back(str.substr(start, pos - start));
      start = pos + 1;
    }
    start = str.find_first_not_of(delims, start);
    ++numSplits;
  } while (pos != std::string::npos);
}

StringList StringUtility::split(const std::string& str, const std::string& delims, unsigned int maxSplits) {
  StringList ret;
  split(ret, str, delims, maxSplits);
  return ret;  // moved: the list is not copied
}

bool StringUtility::tryParseInt(const std::string& str, int& value) {
  if (str.empty()) return false;
  return TryParseInteger(str, value);
}

int StringUtility::parseInt(const std::string& str) {
  int value = 0;
  return tryParseInt(str, value) ? value : 0;
}

bool StringUtility::tryParseUint(const std::string& str, unsigned int& value) { return TryParseInteger(str, value); }

unsigned int StringUtility::parseUint(const std::string& str) {
  unsigned int value = 0;
  return tryParseUint(str, value) ? value : 0u;
}

bool StringUtility::tryParseUlong(const std::string& str, unsigned long& value) {
  unsigned int v = 0;
  std::uint64_t raw = 0;
  const int n = ScanInteger(str, raw);
  if (n >= 1) {
    v = static_cast<unsigned int>(raw);
    value = v;
  }
  return n == 1;
}

unsigned long StringUtility::parseUlong(const std::string& str) {
  unsigned long value = 0;
  return tryParseUlong(str, value) ? value : 0ul;
}

bool StringUtility::tryParseLongLong(const std::string& str, long long& value) { return TryParseInteger(str, value); }

long long StringUtility::parseLongLong(const std::string& str) {
  long long value = 0;
  return tryParseLongLong(str, value) ? value : 0ll;
}

bool StringUtility::tryParseFloat(const std::string& str, float& value) {
  return TryParseReal(str, value, [](const char* p, char** end) { return std::strtof(p, end); });
}

float StringUtility::parseFloat(const std::string& str) {
  float value = 0.0f;
  return tryParseFloat(str, value) ? value : 0.0f;
}

bool StringUtility::tryParseDouble(const std::string& str, double& value) {
  return TryParseReal(str, value, [](const char* p, char** end) { return std::strtod(p, end); });
}

double StringUtility::parseDouble(const std::string& str) {
  double value = 0.0;
  return tryParseDouble(str, value) ? value : 0.0;
}

bool StringUtility::parseBool(const std::string& str) {
  return str.size() == 4 && PieceEquals(str.data(), "true", true);
}

// The printed numbers fit the small-string buffer, so these allocate
// nothing; the barrier costs nothing where nothing can throw.
std::string StringUtility::toString(float value) {
  return NoThrow(std::string(), [&] { return PrintNumber("%g", static_cast<double>(value)); });
}
std::string StringUtility::toString(double value) {
  return NoThrow(std::string(), [&] { return PrintNumber("%g", value); });
}
std::string StringUtility::toString(unsigned int value) {
  return NoThrow(std::string(), [&] { return PrintNumber("%u", value); });
}
std::string StringUtility::toString(unsigned long value) {
  return NoThrow(std::string(), [&] { return PrintNumber("%lu", value); });
}
std::string StringUtility::toString(unsigned char value) {
  return NoThrow(std::string(), [&] { return PrintNumber("%u", static_cast<unsigned int>(value)); });
}
std::string StringUtility::toString(int value) {
  return NoThrow(std::string(), [&] { return PrintNumber("%d", value); });
}
std::string StringUtility::toString(bool value) { return value ? "True" : "False"; }

std::string StringUtility::string_format(const char* format, ...) {
  if (format == nullptr) return std::string();
  va_list args;
  va_start(args, format);
  std::string out;
  NoThrowVoid([&] { FormatTextV(out, format, args); });
  va_end(args);
  return out;
}

std::wstring StringUtility::string_format(const wchar_t* format, ...) {
  if (format == nullptr) return std::wstring();
  va_list args;
  va_start(args, format);
  std::wstring out;
  NoThrowVoid([&] { FormatWide(out, format, args); });
  va_end(args);
  return out;
}

void StringUtility::FormatWide(std::wstring& out, const wchar_t* format, va_list args) {
#ifdef _WIN32
  va_list measure;
  va_copy(measure, args);
  const int needed = _vscwprintf(format, measure);
  va_end(measure);
  if (needed > 0) {
    std::unique_ptr<wchar_t[]> buf(new wchar_t[static_cast<std::size_t>(needed) + 1]());
    const int written = _vsnwprintf(buf.get(), static_cast<std::size_t>(needed) + 1, format, args);
    if (written > 0) out.assign(buf.get(), static_cast<std::size_t>(written < needed ? written : needed));
  }
#else
  // The C library has no measuring wide formatter: grow until it fits.
  for (std::size_t size = 256; size <= (std::size_t(1) << 28); size *= 2) {
    std::unique_ptr<wchar_t[]> buf(new wchar_t[size]());
    va_list attempt;
    va_copy(attempt, args);
    const int written = std::vswprintf(buf.get(), size, format, attempt);
    va_end(attempt);
    if (written >= 0 && static_cast<std::size_t>(written) < size) {
      if (written > 0) out.assign(buf.get(), static_cast<std::size_t>(written));
      break;
    }
  }
#endif
}

unsigned char StringUtility::ASCIIToHex(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned char>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<unsigned char>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<unsigned char>(c - 'a' + 10);
  return 0;
}

std::size_t StringUtility::strlcpy(char* dst, const char* src, std::size_t size) {
  if (dst == nullptr || src == nullptr) return 0;
  const std::size_t srcLen = std::strlen(src);
  if (size != 0) {
    const std::size_t n = srcLen < size - 1 ? srcLen : size - 1;
    std::memcpy(dst, src, n);
    dst[n] = '\0';
  }
  return srcLen;
}

std::size_t StringUtility::strlcat(char* dst, const char* src, std::size_t size) {
  if (dst == nullptr || src == nullptr) return 0;
  const std::size_t srcLen = std::strlen(src);
  // The destination string as found within size bytes.
  const void* nul = std::memchr(dst, '\0', size);
  const std::size_t dstLen = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - dst) : size;
  if (dstLen == size) return size + srcLen;  // no terminator within size: no room
  const std::size_t room = size - dstLen - 1;
  const std::size_t n = srcLen < room ? srcLen : room;
  std::memcpy(dst + dstLen, src, n);
  dst[dstLen + n] = '\0';
  return dstLen + srcLen;
}
