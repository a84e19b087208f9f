#include "zavrel/config/url_template.h"

#include <cstdio>
#include <vector>

#include "base/no_throw.h"

namespace {

enum class Length { None, Char, Short, Long, LongLong };

struct Conversion {
  std::size_t begin = 0;  // position of '%'
  std::size_t end = 0;    // one past the conversion character
  Length length = Length::None;
  char type = 0;
};

bool IsIntegerConversion(char c) { return c == 'd' || c == 'i' || c == 'u' || c == 'o' || c == 'x' || c == 'X'; }

// Reads a decimal field at format[i...]; false when it exceeds the limit.
bool ReadNumber(const std::string& format, std::size_t& i) {
  unsigned value = 0;
  while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
    value = value * 10 + static_cast<unsigned>(format[i] - '0');
    if (value > UrlTemplate::MaxWidth) return false;
    ++i;
  }
  return true;
}

// Parses the conversion that starts at format[i] == '%' (not "%%").
bool ParseConversion(const std::string& format, std::size_t i, Conversion* conv) {
  conv->begin = i++;
  while (i < format.size() &&
         (format[i] == '-' || format[i] == '+' || format[i] == ' ' || format[i] == '#' || format[i] == '0')) {
    ++i;
  }
  if (!ReadNumber(format, i)) return false;
  if (i < format.size() && format[i] == '.') {
    ++i;
    if (!ReadNumber(format, i)) return false;
  }
  conv->length = Length::None;
  if (i < format.size() && format[i] == 'h') {
    ++i;
    conv->length = Length::Short;
    if (i < format.size() && format[i] == 'h') {
      ++i;
      conv->length = Length::Char;
    }
  } else if (i < format.size() && format[i] == 'l') {
    ++i;
    conv->length = Length::Long;
    if (i < format.size() && format[i] == 'l') {
      ++i;
      conv->length = Length::LongLong;
    }
  }
  if (i >= format.size()) return false;
  conv->type = format[i];
  conv->end = i + 1;
  if (conv->type == 's') return conv->length == Length::None;
  return IsIntegerConversion(conv->type);
}

bool Suits(const Conversion& conv, UrlArgKind kind) {
  return kind == UrlArgKind::Text ? conv.type == 's' : IsIntegerConversion(conv.type);
}

// Walks the template; calls piece(literal begin, end) and conversion(conv,
// argument index) in order. False when the template does not fit.
template <class Literal, class Convert>
bool Walk(const std::string& format, const UrlArgKind* kinds, std::size_t count, Literal literal, Convert convert) {
  std::size_t next = 0;
  std::size_t i = 0;
  std::size_t start = 0;
  while (i < format.size()) {
    if (format[i] != '%') {
      ++i;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      literal(start, i + 1);  // keep one '%'
      i += 2;
      start = i;
      continue;
    }
    Conversion conv;
    if (!ParseConversion(format, i, &conv)) return false;
    if (next >= count || !Suits(conv, kinds[next])) return false;
    literal(start, i);
    if (!convert(conv, next)) return false;
    ++next;
    i = conv.end;
    start = i;
  }
  literal(start, format.size());
  return true;
}

template <class T>
bool Append(std::string* out, const std::string& directive, T value) {
  char small[64];
  const int n = std::snprintf(small, sizeof small, directive.c_str(), value);
  if (n < 0) return false;
  if (static_cast<std::size_t>(n) < sizeof small) {
    out->append(small, static_cast<std::size_t>(n));
    return true;
  }
  std::vector<char> big(static_cast<std::size_t>(n) + 1);
  if (std::snprintf(big.data(), big.size(), directive.c_str(), value) != n) return false;
  out->append(big.data(), static_cast<std::size_t>(n));
  return true;
}

bool AppendInteger(std::string* out, const std::string& directive, const Conversion& conv, std::uint32_t bits) {
  const bool isSigned = conv.type == 'd' || conv.type == 'i';
  const std::int32_t asSigned = static_cast<std::int32_t>(bits);
  switch (conv.length) {
    case Length::None:
    case Length::Char:
    case Length::Short:
      return isSigned ? Append(out, directive, static_cast<int>(asSigned))
                      : Append(out, directive, static_cast<unsigned>(bits));
    case Length::Long:
      return isSigned ? Append(out, directive, static_cast<long>(asSigned))
                      : Append(out, directive, static_cast<unsigned long>(bits));
    case Length::LongLong:
      return isSigned ? Append(out, directive, static_cast<long long>(asSigned))
                      : Append(out, directive, static_cast<unsigned long long>(bits));
  }
  return false;
}

}  // namespace

bool UrlTemplate::Fits(const std::string& format, const UrlArgKind* kinds, std::size_t count) {
  return Walk(
      format, kinds, count, [](std::size_t, std::size_t) {}, [](const Conversion&, std::size_t) { return true; });
}

bool UrlTemplate::Format(const std::string& format, const UrlArg* args, std::size_t count, std::string* out) {
  if (NoThrow(false, [&] { return FormatInto(format, args, count, out); })) return true;
  out->clear();
  return false;
}

bool UrlTemplate::FormatInto(const std::string& format, const UrlArg* args, std::size_t count, std::string* out) {
  out->clear();
  std::vector<UrlArgKind> kinds;
  kinds.reserve(count);
  for (std::size_t i = 0; i < count; ++i) kinds.push_back(args[i].kind);
  if (!Fits(format, kinds.data(), count)) return false;
  const bool ok = Walk(
      format, kinds.data(), count, [&](std::size_t begin, std::size_t end) { out->append(format, begin, end - begin); },
      [&](const Conversion& conv, std::size_t index) {
        const std::string directive = format.substr(conv.begin, conv.end - conv.begin);
        const UrlArg& arg = args[index];
        if (arg.kind == UrlArgKind::Text) return Append(out, directive, arg.text ? arg.text : "");
        return AppendInteger(out, directive, conv, arg.bits);
      });
  if (!ok) out->clear();
  return ok;
}
