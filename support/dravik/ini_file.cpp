#include "support/dravik/ini_file.h"

#include <cstring>
#include <vector>

#include "afx/afx_coll.h"

namespace {

// A marker no INI value holds, to tell "missing" from an empty value.
const char kMissing[] = "\x01\x02<missing>\x03";

}  // namespace

CIniFile::CIniFile(LPCSTR lpszFileName, DWORD dwBufferSize)
    : m_strFileName(lpszFileName), m_dwBufferSize(dwBufferSize < 2 ? 2 : dwBufferSize) {}

CIniFile::~CIniFile() = default;

void CIniFile::SetIniFileName(LPCSTR lpszFileName) { m_strFileName = lpszFileName; }

CString CIniFile::GetIniFileName() const { return m_strFileName; }

UINT CIniFile::GetInt(LPCSTR lpszSection, LPCSTR lpszKey, int nDefault) const {
  if (m_strFileName.IsEmpty() || !lpszSection || !lpszKey) return static_cast<UINT>(nDefault);
  return GetPrivateProfileIntA(lpszSection, lpszKey, nDefault, m_strFileName);
}

DWORD CIniFile::GetString(LPCSTR lpszSection, LPCSTR lpszKey, LPSTR lpszOut, LPCSTR lpszDefault, DWORD dwSize) const {
  if (!lpszOut || dwSize == 0) return 0;
  CString value;
  GetString(lpszSection, lpszKey, value, lpszDefault);
  const DWORD n =
      static_cast<DWORD>(value.GetLength()) < dwSize - 1 ? static_cast<DWORD>(value.GetLength()) : dwSize - 1;
  std::memcpy(lpszOut, value.GetString(), n);
  lpszOut[n] = '\0';
  return n;
}

BOOL CIniFile::GetString(LPCSTR lpszSection, LPCSTR lpszKey, CString& strOut, LPCSTR lpszDefault) const {
  strOut = lpszDefault;
  if (m_strFileName.IsEmpty() || !lpszSection || !lpszKey) return FALSE;
  std::vector<char> buffer(m_dwBufferSize);
  GetPrivateProfileStringA(lpszSection, lpszKey, kMissing, buffer.data(), m_dwBufferSize, m_strFileName);
  if (std::strcmp(buffer.data(), kMissing) == 0) return FALSE;
  strOut = buffer.data();
  return TRUE;
}

BOOL CIniFile::GetSection(LPCSTR lpszSection, CMapStringToString& mapOut) const {
  mapOut.RemoveAll();
  if (m_strFileName.IsEmpty() || !lpszSection) return FALSE;
  // The section comes as "key=value\0...\0\0"; the buffer grows until the
  // whole section fits (the system answers size - 2 when it was cut).
  std::vector<char> buffer(4096);
  DWORD got = 0;
  for (;;) {
    got = GetPrivateProfileSectionA(lpszSection, buffer.data(), static_cast<DWORD>(buffer.size()), m_strFileName);
    if (got + 2 < buffer.size() || buffer.size() >= (16u << 20)) break;
    buffer.assign(buffer.size() * 4, '\0');
  }
  const char* p = buffer.data();
  const char* end = buffer.data() + got;
  while (p < end && *p) {
    const std::size_t len = std::strlen(p);
    CString line(p, static_cast<int>(len));
    p += len + 1;
    CString key = line, value;
    const int eq = line.Find('=');
    if (eq >= 0) {
      key = line.Left(eq);
      value = line.Mid(eq + 1);
    }
    key.Trim();
    value.Trim();
    CString existing;
    if (!key.IsEmpty() && !mapOut.Lookup(key, existing)) mapOut.SetAt(key, value);
  }
  return mapOut.IsEmpty() ? FALSE : TRUE;
}
