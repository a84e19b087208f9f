// StringUtility's code-page conversions on Windows: MultiByteToWideChar and
// WideCharToMultiByte with the process's ANSI code page (CP_ACP) and CP_UTF8.
#include <cstring>

#include "base/no_throw.h"
#include "zavrel/util/convert_into.h"
#include "zavrel/util/string_utility.h"

namespace {

// Grows buf to `grown` elements when it holds fewer than needed + 1.
template <typename T>
void Reserve(std::vector<T>& buf, int needed, std::size_t grown) {
  if (buf.size() < static_cast<std::size_t>(needed) + 1) buf.resize(grown, T());
}

}  // namespace

std::string StringUtility::WChar2Ansi(const wchar_t* src) {
  return NoThrow(std::string(), [&] {
    if (src == nullptr) return std::string();
    const int needed = WideCharToMultiByte(CP_ACP, 0, src, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return std::string();
    Reserve(s_char_buf, needed, static_cast<std::size_t>(needed) + 1);
    WideCharToMultiByte(CP_ACP, 0, src, -1, s_char_buf.data(), needed, nullptr, nullptr);
    s_char_buf[static_cast<std::size_t>(needed) - 1] = '\0';
    return std::string(s_char_buf.data());
  });
}

std::wstring StringUtility::Ansi2WChar(const char* src) {
  return NoThrow(std::wstring(), [&] {
    if (src == nullptr) return std::wstring();
    const int len = static_cast<int>(std::strlen(src));
    const int needed = MultiByteToWideChar(CP_ACP, 0, src, len, nullptr, 0);
    if (needed <= 0) return std::wstring();
    Reserve(s_wchar_buf, needed, static_cast<std::size_t>(needed) * 2);
    MultiByteToWideChar(CP_ACP, 0, src, len, s_wchar_buf.data(), needed);
    s_wchar_buf[static_cast<std::size_t>(needed)] = L'\0';
    if (s_wchar_buf[0] == 0xFEFF) {
      std::memmove(s_wchar_buf.data(), s_wchar_buf.data() + 1, static_cast<std::size_t>(needed) * sizeof(wchar_t));
    }
    return std::wstring(s_wchar_buf.data());
  });
}

namespace {

// from-code-page -> UTF-16 -> to-code-page through the two static buffers.
std::string Convert(UINT from, UINT to, const std::string& src, std::vector<wchar_t>& wbuf, std::vector<char>& cbuf) {
  const int wide = MultiByteToWideChar(from, 0, src.c_str(), -1, nullptr, 0);
  if (wide <= 0) return std::string();
  Reserve(wbuf, wide, static_cast<std::size_t>(wide) * 2);
  MultiByteToWideChar(from, 0, src.c_str(), -1, wbuf.data(), wide);
  wbuf[static_cast<std::size_t>(wide) - 1] = L'\0';
  const int bytes = WideCharToMultiByte(to, 0, wbuf.data(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  Reserve(cbuf, bytes, static_cast<std::size_t>(bytes) * 2);
  WideCharToMultiByte(to, 0, wbuf.data(), -1, cbuf.data(), bytes, nullptr, nullptr);
  cbuf[static_cast<std::size_t>(bytes) - 1] = '\0';
  return std::string(cbuf.data());
}

}  // namespace

std::string StringUtility::UTF8ToAnsi(const std::string& utf8, std::string& out) {
  return ConvertInto(out, [&] { return Convert(CP_UTF8, CP_ACP, utf8, s_wchar_buf, s_char_buf); });
}

std::string StringUtility::AnsiToUTF8(const std::string& ansi, std::string& out) {
  return ConvertInto(out, [&] { return Convert(CP_ACP, CP_UTF8, ansi, s_wchar_buf, s_char_buf); });
}
