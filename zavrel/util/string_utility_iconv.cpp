// StringUtility's code-page conversions in the native build: iconv, with GBK
// standing for the ANSI code page (936) of the client's systems. Bytes that
// do not decode become U+FFFD, characters that GBK cannot hold become '?',
// as the Windows conversions do.
#include <errno.h>
#include <iconv.h>

#include <cstring>

#include "base/no_throw.h"
#include "base/unique_owner.h"
#include "zavrel/util/convert_into.h"
#include "zavrel/util/string_utility.h"

namespace {

// An iconv descriptor, closed by its owner; iconv_open reports failure as -1.
using IconvHandle = UniqueOwner<CloseWith<iconv_t, ::iconv_close, -1>>;

const char kAnsi[] = "GBK";
const char kUtf8[] = "UTF-8";
const char kWide[] = "WCHAR_T";

iconv_t Descriptor(const char* to, const char* from) {
  static IconvHandle ansiToWide(iconv_open(kWide, kAnsi));
  static IconvHandle utf8ToWide(iconv_open(kWide, kUtf8));
  static IconvHandle wideToAnsi(iconv_open(kAnsi, kWide));
  static IconvHandle wideToUtf8(iconv_open(kUtf8, kWide));
  const IconvHandle* h = nullptr;
  if (to == kWide) {
    h = (from == kAnsi) ? &ansiToWide : &utf8ToWide;
  } else {
    h = (to == kAnsi) ? &wideToAnsi : &wideToUtf8;
  }
  return h->get();  // -1 when the conversion is not available
}

// Decodes len bytes into buf (grown as needed, terminated); returns the count
// of wide characters.
std::size_t Decode(const char* encoding, const char* src, std::size_t len, std::vector<wchar_t>& buf) {
  const std::size_t needed = len;  // one byte gives at most one character
  if (buf.size() < needed + 1) buf.resize((needed + 1) * 2, L'\0');
  iconv_t cd = Descriptor(kWide, encoding);
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(src);
  std::size_t inLeft = len;
  char* out = reinterpret_cast<char*>(buf.data());
  std::size_t outLeft = needed * sizeof(wchar_t);
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1)) break;
    if ((errno != EILSEQ && errno != EINVAL) || outLeft < sizeof(wchar_t)) break;
    const wchar_t replacement = 0xFFFD;
    std::memcpy(out, &replacement, sizeof(wchar_t));
    out += sizeof(wchar_t);
    outLeft -= sizeof(wchar_t);
    ++in;
    --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  const std::size_t count = static_cast<std::size_t>(reinterpret_cast<wchar_t*>(out) - buf.data());
  buf[count] = L'\0';
  return count;
}

// Encodes count wide characters into buf (grown as needed, terminated);
// returns the byte count.
std::size_t Encode(const char* encoding, const wchar_t* src, std::size_t count, std::vector<char>& buf) {
  const std::size_t needed = count * 4;  // UTF-8 needs at most four bytes
  if (buf.size() < needed + 1) buf.resize((needed + 1) * 2, '\0');
  iconv_t cd = Descriptor(encoding, kWide);
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(src));
  std::size_t inLeft = count * sizeof(wchar_t);
  char* out = buf.data();
  std::size_t outLeft = needed;
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1)) break;
    if ((errno != EILSEQ && errno != EINVAL) || outLeft < 1) break;
    *out++ = '?';
    --outLeft;
    in += sizeof(wchar_t);
    inLeft = inLeft >= sizeof(wchar_t) ? inLeft - sizeof(wchar_t) : 0;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  const std::size_t bytes = static_cast<std::size_t>(out - buf.data());
  buf[bytes] = '\0';
  return bytes;
}

std::size_t WideLength(const wchar_t* s) {
  std::size_t n = 0;
  while (s[n] != L'\0') ++n;
  return n;
}

}  // namespace

std::string StringUtility::WChar2Ansi(const wchar_t* src) {
  return NoThrow(std::string(), [&] {
    if (src == nullptr) return std::string();
    const std::size_t n = Encode(kAnsi, src, WideLength(src), s_char_buf);
    return std::string(s_char_buf.data(), n);
  });
}

std::wstring StringUtility::Ansi2WChar(const char* src) {
  return NoThrow(std::wstring(), [&] {
    if (src == nullptr) return std::wstring();
    std::size_t n = Decode(kAnsi, src, std::strlen(src), s_wchar_buf);
    if (n == 0) return std::wstring();
    std::size_t first = 0;
    if (s_wchar_buf[0] == 0xFEFF) first = 1;
    return std::wstring(s_wchar_buf.data() + first, n - first);
  });
}

namespace {

std::string Convert(const char* from, const char* to, const std::string& src, std::vector<wchar_t>& wbuf,
                    std::vector<char>& cbuf) {
  const std::size_t len = std::strlen(src.c_str());  // stops at a NUL, as the Windows form does
  const std::size_t wide = Decode(from, src.c_str(), len, wbuf);
  const std::size_t bytes = Encode(to, wbuf.data(), wide, cbuf);
  return std::string(cbuf.data(), bytes);
}

}  // namespace

std::string StringUtility::UTF8ToAnsi(const std::string& utf8, std::string& out) {
  return ConvertInto(out, [&] { return Convert(kUtf8, kAnsi, utf8, s_wchar_buf, s_char_buf); });
}

std::string StringUtility::AnsiToUTF8(const std::string& ansi, std::string& out) {
  return ConvertInto(out, [&] { return Convert(kAnsi, kUtf8, ansi, s_wchar_buf, s_char_buf); });
}
