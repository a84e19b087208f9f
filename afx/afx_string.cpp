#include "afx/afx_string.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "afx/afx_mbcs.h"

namespace {

bool IsSpace(char ch) {
  const unsigned char c = static_cast<unsigned char>(ch);
  return c == 32 || (c >= 9 && c <= 13);
}

char ToLowerAscii(char ch) { return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch; }
char ToUpperAscii(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch; }

const char* Safe(LPCSTR psz) { return psz ? psz : ""; }

std::size_t Clamp(int n, std::size_t limit) {
  if (n < 0) return 0;
  return std::min(static_cast<std::size_t>(n), limit);
}

// Strings are walked character by character as the multibyte build of the
// framework does (_mbschr, _mbsstr, _mbsspn, ...): a lead byte and its trail
// byte are one character, and a search never matches a trail byte.
std::size_t CharAt(const std::string& s, std::size_t i) { return afx_mbcs::CharBytes(s.data(), s.size(), i); }

// True when the character of n bytes at p is one of the characters of set.
bool CharInSet(const char* p, std::size_t n, const char* set) {
  const std::size_t setLength = std::strlen(set);
  for (std::size_t i = 0; i < setLength;) {
    const std::size_t m = afx_mbcs::CharBytes(set, setLength, i);
    if (m == n && std::memcmp(set + i, p, n) == 0) return true;
    i += m;
  }
  return false;
}

// The length of the leading run of characters that are (or are not) in set.
std::size_t SpanOf(const std::string& s, const char* set, bool inSet) {
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t n = CharAt(s, i);
    if (CharInSet(s.data() + i, n, set) != inSet) break;
    i += n;
  }
  return i;
}

// Where the trailing run of characters matching `match` begins.
template <class Match>
std::size_t TrailingRunStart(const std::string& s, Match match) {
  std::size_t run = s.size();
  bool inRun = false;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = CharAt(s, i);
    if (match(i, n)) {
      if (!inRun) run = i;
      inRun = true;
    } else {
      inRun = false;
      run = s.size();
    }
    i += n;
  }
  return run;
}

// The position of the first occurrence of sub at a character boundary at or
// after start (itself a boundary), or npos.
std::size_t FindAtBoundary(const std::string& s, const char* sub, std::size_t start) {
  std::size_t boundary = start;  // moves forward over whole characters
  for (std::size_t hit = s.find(sub, start); hit != std::string::npos; hit = s.find(sub, hit + 1)) {
    while (boundary < hit) boundary += CharAt(s, boundary);
    if (boundary == hit) return hit;  // else the hit starts at a trail byte
  }
  return std::string::npos;
}

}  // namespace

#ifndef _WIN32
// The native build runs as the client does, in code page 936 (GBK).
bool afx_mbcs::IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
#endif

CString::CString(LPCSTR psz) : m_str(Safe(psz)) {}

CString::CString(LPCSTR pch, int nLength) {
  if (pch && nLength > 0) m_str.assign(pch, static_cast<std::size_t>(nLength));
}

CString::CString(char ch, int nRepeat) {
  if (nRepeat > 0) m_str.assign(static_cast<std::size_t>(nRepeat), ch);
}

CString& CString::operator=(LPCSTR psz) {
  m_str = Safe(psz);
  return *this;
}

CString& CString::operator=(char ch) {
  m_str.assign(1, ch);
  return *this;
}

char CString::GetAt(int nIndex) const {
  if (nIndex < 0 || static_cast<std::size_t>(nIndex) >= m_str.size()) return '\0';
  return m_str[static_cast<std::size_t>(nIndex)];
}

void CString::SetAt(int nIndex, char ch) {
  if (nIndex < 0 || static_cast<std::size_t>(nIndex) >= m_str.size()) return;
  m_str[static_cast<std::size_t>(nIndex)] = ch;
}

CString& CString::operator+=(const CString& s) {
  m_str += s.m_str;
  return *this;
}

CString& CString::operator+=(LPCSTR psz) {
  m_str += Safe(psz);
  return *this;
}

CString& CString::operator+=(char ch) {
  m_str.push_back(ch);
  return *this;
}

CString& CString::Append(LPCSTR psz, int nLength) {
  if (psz && nLength > 0) m_str.append(psz, static_cast<std::size_t>(nLength));
  return *this;
}

int CString::Compare(LPCSTR psz) const {
  const int r = std::strcmp(m_str.c_str(), Safe(psz));
  return (r > 0) - (r < 0);
}

int CString::CompareNoCase(LPCSTR psz) const {
  // Only single-byte letters fold; the bytes of a double-byte character are
  // compared as they are. While the texts agree their characters line up, so
  // one trail flag serves both.
  const unsigned char* a = reinterpret_cast<const unsigned char*>(m_str.c_str());
  const unsigned char* b = reinterpret_cast<const unsigned char*>(Safe(psz));
  bool trail = false;
  for (;; ++a, ++b) {
    int ca = *a;
    int cb = *b;
    if (!trail) {
      ca = static_cast<unsigned char>(ToLowerAscii(static_cast<char>(ca)));
      cb = static_cast<unsigned char>(ToLowerAscii(static_cast<char>(cb)));
    }
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
    trail = !trail && afx_mbcs::IsLeadByte(static_cast<unsigned char>(ca)) && a[1] != 0 && b[1] != 0;
  }
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength()); }

CString CString::Mid(int nFirst, int nCount) const {
  const std::size_t first = Clamp(nFirst, m_str.size());
  const std::size_t count = Clamp(nCount, m_str.size() - first);
  return CString(m_str.substr(first, count));
}

CString CString::Left(int nCount) const { return CString(m_str.substr(0, Clamp(nCount, m_str.size()))); }

CString CString::Right(int nCount) const {
  const std::size_t count = Clamp(nCount, m_str.size());
  return CString(m_str.substr(m_str.size() - count));
}

CString CString::SpanIncluding(LPCSTR pszCharSet) const {
  return CString(m_str.substr(0, SpanOf(m_str, Safe(pszCharSet), true)));
}

CString CString::SpanExcluding(LPCSTR pszCharSet) const {
  return CString(m_str.substr(0, SpanOf(m_str, Safe(pszCharSet), false)));
}

// Case mapping touches single-byte letters only: a trail byte in the letter
// range is part of a double-byte character and stays.
CString& CString::MakeUpper() {
  for (std::size_t i = 0; i < m_str.size();) {
    const std::size_t n = CharAt(m_str, i);
    if (n == 1) m_str[i] = ToUpperAscii(m_str[i]);
    i += n;
  }
  return *this;
}

CString& CString::MakeLower() {
  for (std::size_t i = 0; i < m_str.size();) {
    const std::size_t n = CharAt(m_str, i);
    if (n == 1) m_str[i] = ToLowerAscii(m_str[i]);
    i += n;
  }
  return *this;
}

// Reverses the order of the characters; a double-byte character keeps its
// two bytes in order.
CString& CString::MakeReverse() {
  std::string out(m_str.size(), '\0');
  std::size_t end = out.size();
  for (std::size_t i = 0; i < m_str.size();) {
    const std::size_t n = CharAt(m_str, i);
    end -= n;
    out.replace(end, n, m_str, i, n);
    i += n;
  }
  m_str.swap(out);
  return *this;
}

int CString::Replace(char chOld, char chNew) {
  int count = 0;
  for (std::size_t i = 0; i < m_str.size();) {
    const std::size_t n = CharAt(m_str, i);
    if (n == 1 && m_str[i] == chOld) {
      m_str[i] = chNew;
      ++count;
    }
    i += n;
  }
  return count;
}

int CString::Replace(LPCSTR pszOld, LPCSTR pszNew) {
  const std::string from = Safe(pszOld);
  if (from.empty()) return 0;
  const std::string to = Safe(pszNew);
  std::string out;
  int n = 0;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t hit = FindAtBoundary(m_str, from.c_str(), pos);
    if (hit == std::string::npos) break;
    out.append(m_str, pos, hit - pos);
    out += to;
    pos = hit + from.size();
    ++n;
  }
  if (n == 0) return 0;
  out.append(m_str, pos, std::string::npos);
  m_str.swap(out);
  return n;
}

int CString::Remove(char ch) {
  std::string out;
  out.reserve(m_str.size());
  int count = 0;
  for (std::size_t i = 0; i < m_str.size();) {
    const std::size_t n = CharAt(m_str, i);
    if (n == 1 && m_str[i] == ch) {
      ++count;
    } else {
      out.append(m_str, i, n);
    }
    i += n;
  }
  m_str.swap(out);
  return count;
}

int CString::Insert(int nIndex, char ch) {
  m_str.insert(Clamp(nIndex, m_str.size()), 1, ch);
  return GetLength();
}

int CString::Insert(int nIndex, LPCSTR psz) {
  m_str.insert(Clamp(nIndex, m_str.size()), Safe(psz));
  return GetLength();
}

int CString::Delete(int nIndex, int nCount) {
  const std::size_t first = Clamp(nIndex, m_str.size());
  m_str.erase(first, Clamp(nCount, m_str.size() - first));
  return GetLength();
}

CString& CString::TrimLeft() {
  std::size_t i = 0;
  while (i < m_str.size() && IsSpace(m_str[i])) ++i;
  m_str.erase(0, i);
  return *this;
}

CString& CString::TrimLeft(char chTarget) {
  std::size_t i = 0;
  while (i < m_str.size() && CharAt(m_str, i) == 1 && m_str[i] == chTarget) ++i;
  m_str.erase(0, i);
  return *this;
}

CString& CString::TrimLeft(LPCSTR pszTargets) {
  m_str.erase(0, SpanOf(m_str, Safe(pszTargets), true));
  return *this;
}

CString& CString::TrimRight() {
  std::size_t n = m_str.size();
  while (n > 0 && IsSpace(m_str[n - 1])) --n;
  m_str.resize(n);
  return *this;
}

// The trailing run is found walking forward, since a trail byte cannot be
// told from the end of the string.
CString& CString::TrimRight(char chTarget) {
  m_str.resize(TrailingRunStart(m_str, [&](std::size_t i, std::size_t n) { return n == 1 && m_str[i] == chTarget; }));
  return *this;
}

CString& CString::TrimRight(LPCSTR pszTargets) {
  const char* targets = Safe(pszTargets);
  m_str.resize(
      TrailingRunStart(m_str, [&](std::size_t i, std::size_t n) { return CharInSet(m_str.data() + i, n, targets); }));
  return *this;
}

// nStart is taken as a character boundary, as the framework does.
int CString::Find(char ch, int nStart) const {
  if (nStart < 0 || static_cast<std::size_t>(nStart) >= m_str.size()) return -1;
  const char set[2] = {ch, '\0'};
  const std::size_t pos = afx_mbcs::FindFirstOf(m_str, set, static_cast<std::size_t>(nStart));
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(LPCSTR pszSub, int nStart) const {
  if (nStart < 0 || static_cast<std::size_t>(nStart) > m_str.size()) return -1;
  const std::size_t pos = FindAtBoundary(m_str, Safe(pszSub), static_cast<std::size_t>(nStart));
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const {
  const char set[2] = {ch, '\0'};
  const std::size_t pos = afx_mbcs::FindLastOf(m_str, set);
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::FindOneOf(LPCSTR pszCharSet) const {
  const std::size_t pos = SpanOf(m_str, Safe(pszCharSet), false);
  return pos == m_str.size() ? -1 : static_cast<int>(pos);
}

void CString::Format(LPCSTR pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  FormatV(pszFormat, args);
  va_end(args);
}

void CString::FormatV(LPCSTR pszFormat, va_list args) {
  va_list probe;
  va_copy(probe, args);
  const int needed = std::vsnprintf(nullptr, 0, Safe(pszFormat), probe);
  va_end(probe);
  if (needed <= 0) {
    m_str.clear();
    return;
  }
  std::vector<char> buf(static_cast<std::size_t>(needed) + 1);
  std::vsnprintf(buf.data(), buf.size(), Safe(pszFormat), args);
  m_str.assign(buf.data(), static_cast<std::size_t>(needed));
}

void CString::AppendFormat(LPCSTR pszFormat, ...) {
  CString tail;
  va_list args;
  va_start(args, pszFormat);
  tail.FormatV(pszFormat, args);
  va_end(args);
  m_str += tail.m_str;
}

LPSTR CString::GetBuffer(int nMinBufLength) {
  const std::size_t want = Clamp(nMinBufLength, static_cast<std::size_t>(INT32_MAX));
  if (m_str.size() < want) m_str.resize(want, '\0');
  return &m_str[0];
}

LPSTR CString::GetBufferSetLength(int nNewLength) {
  m_str.resize(Clamp(nNewLength, static_cast<std::size_t>(INT32_MAX)), '\0');
  return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength) {
  if (nNewLength < 0) {
    m_str.resize(std::strlen(m_str.c_str()));
  } else {
    m_str.resize(Clamp(nNewLength, m_str.size()));
  }
}

CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
CString operator+(const CString& a, LPCSTR b) { return CString(a.m_str + Safe(b)); }
CString operator+(LPCSTR a, const CString& b) { return CString(Safe(a) + b.m_str); }
CString operator+(const CString& a, char b) { return CString(a.m_str + b); }
