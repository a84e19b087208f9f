#include "afx/afx_richedit.h"

#include <vector>

#include "base/win_owners.h"

IMPLEMENT_DYNAMIC(CRichEditCtrl, CWnd)

BOOL AfxInitRichEdit2() {
  // Loaded once and kept until the process ends, as the control's windows
  // may live that long.
  static const UniqueModule library(LoadLibraryA("riched20.dll"));
  return library.valid() ? TRUE : FALSE;
}

CRichEditCtrl::CRichEditCtrl() = default;

CRichEditCtrl::~CRichEditCtrl() = default;

BOOL CRichEditCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  if (!AfxInitRichEdit2()) return FALSE;
  return CWnd::Create(RICHEDIT_CLASSA, nullptr, dwStyle, rect, pParentWnd, nID);
}

void CRichEditCtrl::GetSel(CHARRANGE& cr) const {
  cr.cpMin = cr.cpMax = 0;
  if (m_hWnd) ::SendMessageA(m_hWnd, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
}

void CRichEditCtrl::GetSel(long& nStartChar, long& nEndChar) const {
  CHARRANGE cr;
  GetSel(cr);
  nStartChar = cr.cpMin;
  nEndChar = cr.cpMax;
}

void CRichEditCtrl::SetSel(long nStartChar, long nEndChar) {
  CHARRANGE cr = {nStartChar, nEndChar};
  SetSel(cr);
}

void CRichEditCtrl::SetSel(CHARRANGE& cr) {
  if (m_hWnd) ::SendMessageA(m_hWnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr));
}

void CRichEditCtrl::ReplaceSel(LPCSTR lpszNewText, BOOL bCanUndo) {
  if (m_hWnd) ::SendMessageA(m_hWnd, EM_REPLACESEL, bCanUndo, reinterpret_cast<LPARAM>(lpszNewText ? lpszNewText : ""));
}

long CRichEditCtrl::GetTextLength() const {
  if (!m_hWnd) return 0;
  return static_cast<long>(::SendMessageA(m_hWnd, WM_GETTEXTLENGTH, 0, 0));
}

long CRichEditCtrl::GetTextLengthEx(DWORD dwFlags, UINT uCodePage) const {
  if (!m_hWnd) return 0;
  GETTEXTLENGTHEX info;
  info.flags = dwFlags;
  info.codepage = uCodePage == static_cast<UINT>(-1) ? CP_ACP : uCodePage;
  return static_cast<long>(::SendMessageA(m_hWnd, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&info), 0));
}

CString CRichEditCtrl::GetTextRange(long nFirst, long nLast) const {
  if (!m_hWnd) return CString();
  if (nLast < 0) nLast = GetTextLengthEx(GTL_NUMCHARS | GTL_PRECISE, 1200);
  if (nLast <= nFirst) return CString();
  // A character may take two bytes in the ANSI code page.
  std::vector<char> buffer(static_cast<std::size_t>(nLast - nFirst) * 2 + 1, '\0');
  TEXTRANGEA range;
  range.chrg.cpMin = nFirst;
  range.chrg.cpMax = nLast;
  range.lpstrText = buffer.data();
  const LRESULT n = ::SendMessageA(m_hWnd, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
  return CString(buffer.data(), static_cast<int>(n));
}

long CRichEditCtrl::GetSelText(LPSTR lpBuf) const {
  if (!m_hWnd) return 0;
  return static_cast<long>(::SendMessageA(m_hWnd, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(lpBuf)));
}

int CRichEditCtrl::GetLineCount() const {
  return m_hWnd ? static_cast<int>(::SendMessageA(m_hWnd, EM_GETLINECOUNT, 0, 0)) : 0;
}

int CRichEditCtrl::GetFirstVisibleLine() const {
  return m_hWnd ? static_cast<int>(::SendMessageA(m_hWnd, EM_GETFIRSTVISIBLELINE, 0, 0)) : 0;
}

void CRichEditCtrl::LineScroll(int nLines, int nChars) {
  if (m_hWnd) ::SendMessageA(m_hWnd, EM_LINESCROLL, nChars, nLines);
}

void CRichEditCtrl::SetReadOnly(BOOL bReadOnly) {
  if (m_hWnd) ::SendMessageA(m_hWnd, EM_SETREADONLY, bReadOnly, 0);
}

void CRichEditCtrl::HideSelection(BOOL bHide, BOOL bPerm) {
  if (m_hWnd) ::SendMessageA(m_hWnd, EM_HIDESELECTION, bHide, bPerm);
}

DWORD CRichEditCtrl::GetSelectionCharFormat(CHARFORMAT2A& cf) const {
  cf.cbSize = sizeof(cf);
  if (!m_hWnd) return 0;
  return static_cast<DWORD>(::SendMessageA(m_hWnd, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf)));
}

BOOL CRichEditCtrl::SetSelectionCharFormat(CHARFORMAT2A& cf) {
  cf.cbSize = sizeof(cf);
  if (!m_hWnd) return FALSE;
  return ::SendMessageA(m_hWnd, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf)) ? TRUE : FALSE;
}

DWORD CRichEditCtrl::GetDefaultCharFormat(CHARFORMAT2A& cf) const {
  cf.cbSize = sizeof(cf);
  if (!m_hWnd) return 0;
  return static_cast<DWORD>(::SendMessageA(m_hWnd, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf)));
}

BOOL CRichEditCtrl::SetDefaultCharFormat(CHARFORMAT2A& cf) {
  cf.cbSize = sizeof(cf);
  if (!m_hWnd) return FALSE;
  return ::SendMessageA(m_hWnd, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf)) ? TRUE : FALSE;
}

COLORREF CRichEditCtrl::SetBackgroundColor(BOOL bSysColor, COLORREF cr) {
  if (!m_hWnd) return 0;
  return static_cast<COLORREF>(::SendMessageA(m_hWnd, EM_SETBKGNDCOLOR, bSysColor, cr));
}

DWORD CRichEditCtrl::SetEventMask(DWORD dwEventMask) {
  if (!m_hWnd) return 0;
  return static_cast<DWORD>(::SendMessageA(m_hWnd, EM_SETEVENTMASK, 0, dwEventMask));
}

DWORD CRichEditCtrl::GetEventMask() const {
  return m_hWnd ? static_cast<DWORD>(::SendMessageA(m_hWnd, EM_GETEVENTMASK, 0, 0)) : 0;
}

void CRichEditCtrl::SetOptions(WORD wOp, DWORD dwFlags) {
  if (m_hWnd) ::SendMessageA(m_hWnd, EM_SETOPTIONS, wOp, dwFlags);
}

IRichEditOle* CRichEditCtrl::GetIRichEditOle() const {
  IRichEditOle* ole = nullptr;
  if (m_hWnd) ::SendMessageA(m_hWnd, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole));
  return ole;
}
