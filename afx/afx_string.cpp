#include "afx/afx_string.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool IsSpace(char ch) {
  const unsigned char c = static_cast<unsigned char>(ch);
  return c == 32 || (c >= 9 && c <= 13);
}

char ToLowerAscii(char ch) { return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch; }
char ToUpperAscii(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch; }

// Case folding touches ASCII letters only, so GBK trail bytes (which can lie
// in the letter range) are never changed inside a double-byte character.
bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

const char* Safe(LPCSTR psz) { return psz ? psz : ""; }

std::size_t Clamp(int n, std::size_t limit) {
  if (n < 0) return 0;
  return std::min(static_cast<std::size_t>(n), limit);
}

}  // namespace

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
  const unsigned char* a = reinterpret_cast<const unsigned char*>(m_str.c_str());
  const unsigned char* b = reinterpret_cast<const unsigned char*>(Safe(psz));
  for (;; ++a, ++b) {
    const int ca = static_cast<unsigned char>(ToLowerAscii(static_cast<char>(*a)));
    const int cb = static_cast<unsigned char>(ToLowerAscii(static_cast<char>(*b)));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
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
  return CString(m_str.substr(0, std::min(m_str.size(), m_str.find_first_not_of(Safe(pszCharSet)))));
}

CString CString::SpanExcluding(LPCSTR pszCharSet) const {
  return CString(m_str.substr(0, std::min(m_str.size(), m_str.find_first_of(Safe(pszCharSet)))));
}

CString& CString::MakeUpper() {
  for (std::size_t i = 0; i < m_str.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(m_str[i])) && i + 1 < m_str.size()) {
      ++i;
      continue;
    }
    m_str[i] = ToUpperAscii(m_str[i]);
  }
  return *this;
}

CString& CString::MakeLower() {
  for (std::size_t i = 0; i < m_str.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(m_str[i])) && i + 1 < m_str.size()) {
      ++i;
      continue;
    }
    m_str[i] = ToLowerAscii(m_str[i]);
  }
  return *this;
}

CString& CString::MakeReverse() {
  std::reverse(m_str.begin(), m_str.end());
  return *this;
}

int CString::Replace(char chOld, char chNew) {
  int n = 0;
  for (char& c : m_str) {
    if (c == chOld) {
      c = chNew;
      ++n;
    }
  }
  return n;
}

int CString::Replace(LPCSTR pszOld, LPCSTR pszNew) {
  const std::string from = Safe(pszOld);
  if (from.empty()) return 0;
  const std::string to = Safe(pszNew);
  std::string out;
  int n = 0;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t hit = m_str.find(from, pos);
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
  const std::size_t before = m_str.size();
  m_str.erase(std::remove(m_str.begin(), m_str.end(), ch), m_str.end());
  return static_cast<int>(before - m_str.size());
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
  while (i < m_str.size() && m_str[i] == chTarget) ++i;
  m_str.erase(0, i);
  return *this;
}

CString& CString::TrimLeft(LPCSTR pszTargets) {
  const std::size_t i = m_str.find_first_not_of(Safe(pszTargets));
  m_str.erase(0, i == std::string::npos ? m_str.size() : i);
  return *this;
}

CString& CString::TrimRight() {
  std::size_t n = m_str.size();
  while (n > 0 && IsSpace(m_str[n - 1])) --n;
  m_str.resize(n);
  return *this;
}

CString& CString::TrimRight(char chTarget) {
  std::size_t n = m_str.size();
  while (n > 0 && m_str[n - 1] == chTarget) --n;
  m_str.resize(n);
  return *this;
}

CString& CString::TrimRight(LPCSTR pszTargets) {
  const std::size_t i = m_str.find_last_not_of(Safe(pszTargets));
  m_str.resize(i == std::string::npos ? 0 : i + 1);
  return *this;
}

int CString::Find(char ch, int nStart) const {
  if (nStart < 0 || static_cast<std::size_t>(nStart) >= m_str.size()) return -1;
  const std::size_t pos = m_str.find(ch, static_cast<std::size_t>(nStart));
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(LPCSTR pszSub, int nStart) const {
  if (nStart < 0 || static_cast<std::size_t>(nStart) > m_str.size()) return -1;
  const std::size_t pos = m_str.find(Safe(pszSub), static_cast<std::size_t>(nStart));
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const {
  const std::size_t pos = m_str.rfind(ch);
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::FindOneOf(LPCSTR pszCharSet) const {
  const std::size_t pos = m_str.find_first_of(Safe(pszCharSet));
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
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
