// printf-style formatting into a byte string of any length (internal to
// Zavrel; the INI model and the string utilities share it). Portable.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>

// Formats into out; false (out unchanged) when the formatter fails. Uses
// args once (the length is measured on a copy).
inline bool FormatTextV(std::string& out, const char* format, va_list args) {
  if (format == nullptr) return false;
  va_list measure;
  va_copy(measure, args);
#ifdef _WIN32
  const int needed = _vscprintf(format, measure);
#else
  const int needed = std::vsnprintf(nullptr, 0, format, measure);
#endif
  va_end(measure);
  if (needed < 0) return false;
  std::unique_ptr<char[]> buf(new char[static_cast<std::size_t>(needed) + 1]());
#ifdef _WIN32
  const int written = _vsnprintf(buf.get(), static_cast<std::size_t>(needed) + 1, format, args);
#else
  const int written = std::vsnprintf(buf.get(), static_cast<std::size_t>(needed) + 1, format, args);
#endif
  if (written < 0) return false;
  out.assign(buf.get(), static_cast<std::size_t>(written < needed ? written : needed));
  return true;
}
