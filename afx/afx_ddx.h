// Dialog data exchange (MFC's names): a window's DoDataExchange lists the
// exchanges between its controls and its members, and UpdateData runs them
// in one direction. Windows only.
//
//   void CLoginDialog::DoDataExchange(CDataExchange* pDX) {
//     CDialog::DoDataExchange(pDX);
//     DDX_Control(pDX, IDC_REMEMBER, m_remember);   // binds the object
//     DDX_Text(pDX, IDC_NAME, m_strName);           // text <-> member
//   }
//
// CDialog::OnInitDialog runs UpdateData(FALSE) (members to controls); a
// dialog's OnOK typically runs UpdateData(TRUE). An exchange that cannot be
// done (no control of that identifier, a control already bound to another
// object) stops the exchange: UpdateData answers FALSE.
#pragma once

#include "afx/afx_port.h"
#include "afx/afx_string.h"
#include "afx/afx_wnd.h"

class AFX_API CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

  // TRUE: controls to members; FALSE: members to controls.
  BOOL m_bSaveAndValidate;
  // The window whose controls are exchanged.
  CWnd* m_pDlgWnd;

  // The control nIDC of the window; calls Fail when there is none.
  HWND PrepareCtrl(int nIDC);
  // Stops the exchange (UpdateData answers FALSE). Does not return.
  [[noreturn]] void Fail();
};

// Links rControl to the control nIDC (once; later exchanges keep the link).
AFX_API void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// The control's text and a string.
AFX_API void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// A check box's state (BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE).
AFX_API void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
