#include "afx/afx_file.h"

CFile::~CFile() { Close(); }

BOOL CFile::Open(LPCSTR lpszFileName, UINT nOpenFlags) {
  if (m_hFile != INVALID_HANDLE_VALUE || !lpszFileName) return FALSE;
  DWORD access = GENERIC_READ;
  if (nOpenFlags & modeWrite) access = GENERIC_WRITE;
  if (nOpenFlags & modeReadWrite) access = GENERIC_READ | GENERIC_WRITE;
  const DWORD share = (nOpenFlags & shareDenyNone) ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ;
  const DWORD disposition = (nOpenFlags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
  HANDLE h = ::CreateFileA(lpszFileName, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return FALSE;
  m_hFile = h;
  return TRUE;
}

void CFile::Close() {
  if (m_hFile == INVALID_HANDLE_VALUE) return;
  const DWORD err = ::GetLastError();
  ::CloseHandle(m_hFile);
  ::SetLastError(err);
  m_hFile = INVALID_HANDLE_VALUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
  DWORD got = 0;
  if (m_hFile == INVALID_HANDLE_VALUE || !::ReadFile(m_hFile, lpBuf, nCount, &got, nullptr)) return 0;
  return got;
}

BOOL CFile::Write(const void* lpBuf, UINT nCount) {
  DWORD put = 0;
  if (m_hFile == INVALID_HANDLE_VALUE || !::WriteFile(m_hFile, lpBuf, nCount, &put, nullptr)) return FALSE;
  return put == nCount;
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
  LARGE_INTEGER distance;
  distance.QuadPart = lOff;
  LARGE_INTEGER position;
  if (m_hFile == INVALID_HANDLE_VALUE || !::SetFilePointerEx(m_hFile, distance, &position, nFrom))
    return static_cast<ULONGLONG>(-1);
  return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetLength() const {
  LARGE_INTEGER size;
  if (m_hFile == INVALID_HANDLE_VALUE || !::GetFileSizeEx(m_hFile, &size)) return 0;
  return static_cast<ULONGLONG>(size.QuadPart);
}
