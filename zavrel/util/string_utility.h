// StringUtility: static operations on byte strings (ANSI code page) and wide
// strings: trimming, case mapping, splitting, searching and replacing, number
// parsing and printing, formatted output, hexadecimal digits, bounded C-string
// copies and code-page conversions.
//
// White space is exactly the bytes 9 to 13 and 32; no byte from 128 to 255
// (so no byte of a GBK character) is ever white space.
//
// Nothing here throws: when memory runs out, an operation that makes text
// answers an empty result (split: no field). Every operation is reentrant
// except the four code-page conversions, which share two static buffers and
// must not run on two threads at the same time.
//
// Wide strings are UTF-16 on Windows (wchar_t is 16 bits); natively wchar_t
// holds one Unicode code point. Natively the ANSI code page is GBK and the
// conversions go through iconv.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <list>
#include <string>
#include <vector>

#include "zavrel/zavrel_api.h"

// An ordered, doubly linked sequence of byte strings.
typedef std::list<std::string> StringList;

class ZAVREL_API StringUtility {
 public:
  // 1 when c is 9 to 13 or 32, else 0. Bytes count as signed values.
  static int isspace(int c);
  // In place: remove the leading / trailing / both runs of white space;
  // return the argument.
  static std::string& ltrim(std::string& str);
  static std::string& rtrim(std::string& str);
  static std::string& trim(std::string& str);
  // A copy of str without any white space.
  static std::string clearSpace(const std::string& str);

  // Copies with A-Z (a-z) mapped to the other case; every other byte,
  // GBK bytes included, is copied unchanged.
  static std::string toUpperCase(const std::string& str);
  static std::string toLowerCase(const std::string& str);

  // True when pattern is not empty, not longer than str and equals the start
  // (end) of str byte for byte. With lowerCase, the piece of str is lowered
  // first; the pattern is compared as given, so pass it in lower case.
  static bool startsWith(const std::string& str, const std::string& pattern, bool lowerCase = true);
  static bool endsWith(const std::string& str, const std::string& pattern, bool lowerCase = true);

  // A copy of source with every occurrence of pattern replaced by
  // replaceWith (note the order: what is inserted comes second). Scans left
  // to right and never searches inserted text again. An empty pattern
  // returns source unchanged.
  static std::string stringReplace(const std::string& source, const std::string& replaceWith,
                                   const std::string& pattern);

  // Splits str into the maximal runs of bytes not in delims. A maxSplits of
  // 0 means no limit; a limit n yields at most n + 1 fields, the last holding
  // the unsplit rest. An empty text yields one empty field; a text of
  // delimiters only yields none. The appending form does not clear ret; when
  // memory runs out it appends nothing.
  static void split(StringList& ret, const std::string& str, const std::string& delims = "\t\n ",
                    unsigned int maxSplits = 0);
  static StringList split(const std::string& str, const std::string& delims = "\t\n ", unsigned int maxSplits = 0);

  // Integer parsers: optional leading white space, an optional sign, decimal
  // digits and nothing after them. A try form returns false on rejection;
  // when a number was read but something follows it, the output already
  // holds that number; when no number could be read it is untouched. Values
  // out of range wrap around (modulo 2^32 or 2^64). Parsing stops at a NUL.
  // The plain forms return 0 on rejection.
  static bool tryParseInt(const std::string& str, int& value);
  static int parseInt(const std::string& str);
  static bool tryParseUint(const std::string& str, unsigned int& value);
  static unsigned int parseUint(const std::string& str);
  // Same rule as tryParseUint: a 32-bit value, also where unsigned long is
  // wider.
  static bool tryParseUlong(const std::string& str, unsigned long& value);
  static unsigned long parseUlong(const std::string& str);
  static bool tryParseLongLong(const std::string& str, long long& value);
  static long long parseLongLong(const std::string& str);
  // Floating point: optional leading white space and a number; anything
  // after it is ignored. The plain forms return 0 on rejection.
  static bool tryParseFloat(const std::string& str, float& value);
  static float parseFloat(const std::string& str);
  static bool tryParseDouble(const std::string& str, double& value);
  static double parseDouble(const std::string& str);
  // True exactly when the lowered copy of str is "true".
  static bool parseBool(const std::string& str);

  // Printing: "%g", "%u", "%d"; bool gives "True" or "False".
  static std::string toString(float value);
  static std::string toString(double value);
  static std::string toString(unsigned int value);
  static std::string toString(unsigned long value);
  static std::string toString(unsigned char value);
  static std::string toString(int value);
  static std::string toString(bool value);

  // printf-style formatting of any length. A null format gives "".
  static std::string string_format(const char* format, ...);
  static std::wstring string_format(const wchar_t* format, ...);

  // 0-9, A-F, a-f to their value; every other character to 0.
  static unsigned char ASCIIToHex(char c);

  // BSD strlcpy / strlcat: size is the whole destination in bytes. Both
  // return 0 and write nothing when dst or src is null.
  static std::size_t strlcpy(char* dst, const char* src, std::size_t size);
  static std::size_t strlcat(char* dst, const char* src, std::size_t size);

  // Code-page conversions (ANSI is the process's code page, 936 = GBK on
  // the client's systems). A null argument gives an empty result. Bytes or
  // units that cannot be converted become the system's replacement
  // character; conversion stops at the first NUL.
  static std::string WChar2Ansi(const wchar_t* src);
  // Drops a leading byte-order mark (U+FEFF) from the result.
  static std::wstring Ansi2WChar(const char* src);
  // Both store the result into `out` and return a copy of it.
  static std::string UTF8ToAnsi(const std::string& utf8, std::string& out);
  static std::string AnsiToUTF8(const std::string& ansi, std::string& out);

 private:
  static std::string Replaced(const std::string& source, const std::string& replaceWith, const std::string& pattern);
  static void SplitInto(StringList& ret, const std::string& str, const std::string& delims, unsigned int maxSplits);
  static void FormatWide(std::wstring& out, const wchar_t* format, va_list args);

  // Shared by the four conversions; they start empty and only grow.
  static std::vector<char> s_char_buf;
  static std::vector<wchar_t> s_wchar_buf;
};
