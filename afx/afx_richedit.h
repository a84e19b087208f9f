// CRichEditCtrl: the rich edit control (version 2 and later, class
// "RichEdit20A"), MFC's names and signatures. Windows only.
//
// Every member works on the attached window and answers 0/FALSE (or does
// nothing) without one. The control's IRichEditOle comes with a reference
// that the caller releases.
#pragma once

#include "afx/afx_wnd.h"

#include <ole2.h>
#include <richedit.h>
#include <richole.h>

// Loads the rich edit library (riched20.dll) once for the process; it stays
// loaded. TRUE when the control's class is available.
AFX_API BOOL AfxInitRichEdit2();

class AFX_API CRichEditCtrl : public CWnd {
  DECLARE_DYNAMIC(CRichEditCtrl)

 public:
  CRichEditCtrl();
  ~CRichEditCtrl() override;

  // A child control of pParentWnd (AfxInitRichEdit2 first). FALSE when it
  // cannot be made.
  virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

  // --- selection and text ---------------------------------------------
  void GetSel(CHARRANGE& cr) const;
  void GetSel(long& nStartChar, long& nEndChar) const;
  // (0, -1) selects everything, (-1, -1) puts the caret at the end.
  void SetSel(long nStartChar, long nEndChar);
  void SetSel(CHARRANGE& cr);
  // Replaces the selection (EM_REPLACESEL); bCanUndo FALSE keeps it out of
  // the undo list.
  void ReplaceSel(LPCSTR lpszNewText, BOOL bCanUndo = FALSE);
  // WM_GETTEXTLENGTH: a paragraph end counts as "\r\n".
  long GetTextLength() const;
  // EM_GETTEXTLENGTHEX (GTL_NUMCHARS | GTL_PRECISE: character positions).
  long GetTextLengthEx(DWORD dwFlags, UINT uCodePage = static_cast<UINT>(-1)) const;
  // The characters from nFirst to nLast (EM_GETTEXTRANGE); -1 for the end.
  CString GetTextRange(long nFirst, long nLast) const;
  long GetSelText(LPSTR lpBuf) const;
  int GetLineCount() const;
  int GetFirstVisibleLine() const;
  void LineScroll(int nLines, int nChars = 0);
  void SetReadOnly(BOOL bReadOnly = TRUE);
  void HideSelection(BOOL bHide, BOOL bPerm);

  // --- formats ----------------------------------------------------------
  // The selection's format; the mask of the attributes that are the same
  // all over it.
  DWORD GetSelectionCharFormat(CHARFORMAT2A& cf) const;
  BOOL SetSelectionCharFormat(CHARFORMAT2A& cf);
  DWORD GetDefaultCharFormat(CHARFORMAT2A& cf) const;
  BOOL SetDefaultCharFormat(CHARFORMAT2A& cf);
  // The previous background colour.
  COLORREF SetBackgroundColor(BOOL bSysColor, COLORREF cr);
  // The previous event mask.
  DWORD SetEventMask(DWORD dwEventMask);
  DWORD GetEventMask() const;
  void SetOptions(WORD wOp, DWORD dwFlags);

  // --- embedded objects -------------------------------------------------
  // The control's IRichEditOle with one reference for the caller; null
  // when none.
  IRichEditOle* GetIRichEditOle() const;
};
