// CString: the framework's ANSI string (MFC's names and signatures).
//
// Bytes in the process's ANSI code page; lengths and positions count bytes.
// As in the framework's multibyte build, searches (Find, ReverseFind,
// FindOneOf, Replace, Remove, Span*, Trim*), case mapping and MakeReverse
// walk characters of that code page (afx_mbcs.h): a lead byte and its trail
// byte are one character, a search never matches a trail byte, and only
// single-byte letters change case.
// Operations that take a position clamp it to the string the way MFC does.
// Portable: builds natively and into Afx.dll.
#pragma once

#include <cstdarg>
#include <string>

#include "afx/afx_port.h"

// On Windows, <windows.h> maps LoadString to LoadStringA or LoadStringW by the
// host's character set. The framework is multibyte, so the member is
// LoadStringA whatever the host chose (the name the library exports);
// LoadStringW is an inline alias for hosts built with UNICODE.
#ifdef _WIN32
#pragma push_macro("LoadString")
#undef LoadString
#define LoadString LoadStringA
#endif

class AFX_API CString {
 public:
  CString() = default;
  CString(const CString& other) = default;
  CString(CString&& other) noexcept = default;
  CString(LPCSTR psz);  // null makes an empty string
  CString(LPCSTR pch, int nLength);
  CString(char ch, int nRepeat = 1);
  CString(const std::string& s) : m_str(s) {}
  ~CString() = default;

  CString& operator=(const CString& other) = default;
  CString& operator=(CString&& other) noexcept = default;
  CString& operator=(LPCSTR psz);
  CString& operator=(char ch);

  // Length in bytes.
  int GetLength() const { return static_cast<int>(m_str.size()); }
  bool IsEmpty() const { return m_str.empty(); }
  void Empty() { m_str.clear(); }

  char GetAt(int nIndex) const;
  void SetAt(int nIndex, char ch);
  char operator[](int nIndex) const { return GetAt(nIndex); }

  operator LPCSTR() const { return m_str.c_str(); }
  LPCSTR GetString() const { return m_str.c_str(); }
  const std::string& str() const { return m_str; }

  CString& operator+=(const CString& s);
  CString& operator+=(LPCSTR psz);
  CString& operator+=(char ch);
  CString& Append(LPCSTR psz, int nLength);
  void AppendChar(char ch) { m_str.push_back(ch); }

  int Compare(LPCSTR psz) const;
  int CompareNoCase(LPCSTR psz) const;
  int Collate(LPCSTR psz) const { return Compare(psz); }

  CString Mid(int nFirst) const;
  CString Mid(int nFirst, int nCount) const;
  CString Left(int nCount) const;
  CString Right(int nCount) const;
  CString SpanIncluding(LPCSTR pszCharSet) const;
  CString SpanExcluding(LPCSTR pszCharSet) const;

  CString& MakeUpper();
  CString& MakeLower();
  CString& MakeReverse();

  // Number of replacements made.
  int Replace(char chOld, char chNew);
  int Replace(LPCSTR pszOld, LPCSTR pszNew);
  // Number of characters removed.
  int Remove(char ch);
  // New length.
  int Insert(int nIndex, char ch);
  int Insert(int nIndex, LPCSTR psz);
  int Delete(int nIndex, int nCount = 1);

  // White space is the bytes 9 to 13 and 32.
  CString& TrimLeft();
  CString& TrimLeft(char chTarget);
  CString& TrimLeft(LPCSTR pszTargets);
  CString& TrimRight();
  CString& TrimRight(char chTarget);
  CString& TrimRight(LPCSTR pszTargets);
  CString& Trim() { return TrimRight().TrimLeft(); }

  // Byte position, or -1.
  int Find(char ch, int nStart = 0) const;
  int Find(LPCSTR pszSub, int nStart = 0) const;
  int ReverseFind(char ch) const;
  int FindOneOf(LPCSTR pszCharSet) const;

  // printf-style formatting; never overflows, any length.
  void Format(LPCSTR pszFormat, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  void FormatV(LPCSTR pszFormat, va_list args);
  void AppendFormat(LPCSTR pszFormat, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  // Direct buffer access: at least nMinBufLength bytes plus the terminator.
  // ReleaseBuffer(-1) takes the length up to the first NUL.
  LPSTR GetBuffer(int nMinBufLength = 0);
  LPSTR GetBufferSetLength(int nNewLength);
  void ReleaseBuffer(int nNewLength = -1);

#ifdef _WIN32
  // Loads a string resource from the resource chain; false when missing.
  BOOL LoadString(UINT nID);
  BOOL LoadStringW(UINT nID) { return LoadString(nID); }
#endif

  friend AFX_API CString operator+(const CString& a, const CString& b);
  friend AFX_API CString operator+(const CString& a, LPCSTR b);
  friend AFX_API CString operator+(LPCSTR a, const CString& b);
  friend AFX_API CString operator+(const CString& a, char b);

 private:
  std::string m_str;
};

inline bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
inline bool operator==(const CString& a, LPCSTR b) { return a.Compare(b) == 0; }
inline bool operator==(LPCSTR a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return !(a == b); }
inline bool operator!=(const CString& a, LPCSTR b) { return !(a == b); }
inline bool operator!=(LPCSTR a, const CString& b) { return !(a == b); }
inline bool operator<(const CString& a, const CString& b) { return a.str() < b.str(); }
inline bool operator>(const CString& a, const CString& b) { return b < a; }
inline bool operator<=(const CString& a, const CString& b) { return !(b < a); }
inline bool operator>=(const CString& a, const CString& b) { return !(a < b); }

#ifdef _WIN32
#pragma pop_macro("LoadString")
#endif
