// The Windows-only members of CString.
#include "afx/afx_mbcs.h"
#include "afx/afx_module.h"
#include "afx/afx_string.h"

// The lead bytes of the process's ANSI code page (936 on the client's
// systems).
bool afx_mbcs::IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

BOOL CString::LoadString(UINT nID) {
  // String resources live in blocks of 16; find the module holding the block.
  HINSTANCE h = AfxFindResourceHandle(MAKEINTRESOURCEA((nID >> 4) + 1), MAKEINTRESOURCEA(6) /* RT_STRING */);
  if (!h) return FALSE;
  // LoadStringW with a zero length hands out a read-only pointer to the text,
  // so texts of any length load whole; then convert to the ANSI code page.
  const wchar_t* text = nullptr;
  const int len = ::LoadStringW(h, nID, reinterpret_cast<LPWSTR>(&text), 0);
  if (len <= 0 || !text) return FALSE;
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text, len, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return FALSE;
  char* buf = GetBufferSetLength(bytes);
  WideCharToMultiByte(CP_ACP, 0, text, len, buf, bytes, nullptr, nullptr);
  ReleaseBuffer(bytes);
  return TRUE;
}
