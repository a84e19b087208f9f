// UrlTemplate: printf-style URL templates checked against the arguments of
// the maker that fills them.
//
// A template fits an argument list when, read left to right, its conversions
// take the arguments in order and each conversion suits its argument:
//   - "%%" is a literal percent sign and takes no argument;
//   - an integer argument takes d, i, u, o, x or X, with optional flags
//     (- + space # 0), a width, a precision and a length modifier (hh, h, l,
//     ll); the argument is the 32-bit value a 32-bit Windows caller passes;
//   - a text argument takes s with optional flags, width and precision;
//   - a width or precision is at most MaxWidth; '*' is never allowed;
//   - fewer conversions than arguments is fine (the rest are not used), more
//     is not; every other conversion (%n, %p, %f, %c, %ls...) does not fit.
// Formatting goes one conversion at a time with the argument converted to the
// type its conversion names, so no argument is ever read that was not passed.
// Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "zavrel/zavrel_api.h"

enum class UrlArgKind { Integer, Text };

struct UrlArg {
  UrlArgKind kind;
  std::uint32_t bits;  // Integer: the 32 bits passed
  const char* text;    // Text: zero-terminated, not owned; null reads as ""

  static UrlArg Signed(std::int32_t value) { return {UrlArgKind::Integer, static_cast<std::uint32_t>(value), nullptr}; }
  static UrlArg Unsigned(std::uint32_t value) { return {UrlArgKind::Integer, value, nullptr}; }
  static UrlArg Text(const char* value) { return {UrlArgKind::Text, 0, value}; }
};

class ZAVREL_API UrlTemplate {
 public:
  static constexpr unsigned MaxWidth = 255;

  // True when the template fits arguments of these kinds (see above).
  static bool Fits(const std::string& format, const UrlArgKind* kinds, std::size_t count);

  // The template filled with the arguments into *out. False, with *out
  // emptied, when the template does not fit them or memory runs out.
  static bool Format(const std::string& format, const UrlArg* args, std::size_t count, std::string* out);

 private:
  static bool FormatInto(const std::string& format, const UrlArg* args, std::size_t count, std::string* out);
};
