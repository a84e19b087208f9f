// URL templates: checking and filling never read an argument that was not
// passed, and a template without length modifiers fills exactly as printf.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "zavrel/config/url_template.h"

namespace {

std::string Printf(const std::string& format, const std::vector<UrlArg>& args) {
  char buffer[4096];
  int n = -1;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
  if (args.empty()) {
    n = std::snprintf(buffer, sizeof buffer, format.c_str(), 0);
  } else if (args.size() == 1) {
    n = args[0].kind == UrlArgKind::Text ? std::snprintf(buffer, sizeof buffer, format.c_str(), args[0].text)
                                         : std::snprintf(buffer, sizeof buffer, format.c_str(), args[0].bits);
  } else if (args[0].kind == UrlArgKind::Text) {
    n = std::snprintf(buffer, sizeof buffer, format.c_str(), args[0].text, args[1].bits);
  } else {
    n = std::snprintf(buffer, sizeof buffer, format.c_str(), args[0].bits, args[1].text);
  }
#pragma GCC diagnostic pop
  if (n < 0 || static_cast<std::size_t>(n) >= sizeof buffer) return "<skip>";
  return std::string(buffer, static_cast<std::size_t>(n));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  // Byte 0 picks the maker's argument list, bytes 1-4 the number.
  const std::uint32_t number = static_cast<std::uint32_t>(data[1]) | (static_cast<std::uint32_t>(data[2]) << 8) |
                               (static_cast<std::uint32_t>(data[3]) << 16) |
                               (static_cast<std::uint32_t>(data[4]) << 24);
  std::vector<UrlArg> args;
  switch (data[0] % 5) {
    case 0:
      break;
    case 1:
      args = {UrlArg::Signed(static_cast<std::int32_t>(number))};
      break;
    case 2:
      args = {UrlArg::Text("text")};
      break;
    case 3:
      args = {UrlArg::Unsigned(number), UrlArg::Text("key")};
      break;
    default:
      args = {UrlArg::Text("face"), UrlArg::Unsigned(number)};
      break;
  }
  const std::string format(reinterpret_cast<const char*>(data) + 5, size - 5);
  std::vector<UrlArgKind> kinds;
  for (const UrlArg& arg : args) kinds.push_back(arg.kind);
  const bool fits = UrlTemplate::Fits(format, kinds.data(), kinds.size());
  std::string url;
  if (UrlTemplate::Format(format, args.data(), args.size(), &url) != fits) __builtin_trap();
  if (!fits) {
    if (!url.empty()) __builtin_trap();
    return 0;
  }
  // printf agrees when no length modifier changes the argument's type and
  // the template has no zero byte.
  if (format.find_first_of("hl") != std::string::npos || format.find('\0') != std::string::npos) return 0;
  const std::string expected = Printf(format, args);
  if (expected != "<skip>" && expected != url) __builtin_trap();
  return 0;
}
