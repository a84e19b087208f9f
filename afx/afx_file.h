// CFile: a file on a kernel handle (MFC's names), as far as the framework
// uses it (a control's saved state, afx_olecontrol.h). Windows only.
//
// The object owns the handle it opened; Close (and the destructor) closes
// it. Failures answer FALSE or 0 with GetLastError telling why; nothing is
// thrown.
#pragma once

#include "afx/afx_port.h"

#ifndef _WIN32
#error "afx_file.h is part of the Windows build only"
#endif

class AFX_API CFile {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareDenyNone = 0x0040,
    modeCreate = 0x1000,
  };
  enum SeekPosition { begin = 0, current = 1, end = 2 };

  CFile() = default;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;
  virtual ~CFile();

  // Opens (modeCreate: creates or truncates) the file. FALSE when this
  // object has a file open already or the system refuses.
  virtual BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags);
  virtual void Close();
  // Bytes read (0 at the end or on failure).
  virtual UINT Read(void* lpBuf, UINT nCount);
  // FALSE when not every byte was written.
  virtual BOOL Write(const void* lpBuf, UINT nCount);
  // The new position, or -1 (as ULONGLONG) on failure.
  virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
  void SeekToBegin() { Seek(0, begin); }
  // The file's size, 0 on failure.
  virtual ULONGLONG GetLength() const;

  HANDLE m_hFile = INVALID_HANDLE_VALUE;
};
