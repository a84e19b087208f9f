// CIniFile of Dravik: a reader of standard INI files (sections, keys and
// values) on the system's private-profile functions. Not the INI model of
// Zavrel (zavrel/datafile); ZavrelCom uses this one.
//
// Nothing fails at construction; a missing file, section or key answers the
// default. Windows only.
#pragma once

#include "afx/afx_string.h"
#include "base/library_api.h"

#ifndef _WIN32
#error "ini_file.h is part of the Windows build only"
#endif

class CMapStringToString;

class DRAVIK_API CIniFile {
 public:
  // Bound to lpszFileName (may be null: bound to nothing, every read
  // answers its default). dwBufferSize is the largest value read, in bytes
  // with the terminating zero (at least 2).
  explicit CIniFile(LPCSTR lpszFileName = nullptr, DWORD dwBufferSize = 4096);
  virtual ~CIniFile();

  // Rebinds the object to another file (null: to nothing).
  void SetIniFileName(LPCSTR lpszFileName);
  CString GetIniFileName() const;

  // The key's value read as the system's private-profile integer read does
  // (GetPrivateProfileInt): leading white space, an optional sign, then
  // decimal digits up to the first other byte ("12 ;note" and "12ab" read
  // as 12, a value without digits as 0). nDefault when the object is bound
  // to no file, or the file, section or key is missing or the value empty.
  UINT GetInt(LPCSTR lpszSection, LPCSTR lpszKey, int nDefault) const;

  // The key's text (or lpszDefault) copied into lpszOut, cut to dwSize bytes
  // with the terminating zero; the number of bytes copied (without it).
  // Nothing is written when lpszOut is null or dwSize is 0.
  DWORD GetString(LPCSTR lpszSection, LPCSTR lpszKey, LPSTR lpszOut, LPCSTR lpszDefault, DWORD dwSize) const;
  // The key's text, or lpszDefault (null: empty), cut to the buffer size.
  // TRUE when the key was found.
  BOOL GetString(LPCSTR lpszSection, LPCSTR lpszKey, CString& strOut, LPCSTR lpszDefault) const;

  // Empties the map, then puts every key of the section into it with its
  // value (both trimmed; a line without '=' is a key with an empty value; of
  // a key written twice the first stays). The map stays empty when the file
  // or section is missing. TRUE when at least one key was read.
  BOOL GetSection(LPCSTR lpszSection, CMapStringToString& mapOut) const;

 private:
  CString m_strFileName;
  DWORD m_dwBufferSize;
};
