// CDialog: a dialog box made from a dialog template (MFC's names and
// signatures). Windows only.
//
// The template is a resource of the module that holds it (found with
// AfxFindResourceHandle, by identifier or name) or a template in memory
// (InitModalIndirect, CreateIndirect). The dialog window is linked to the
// object from its first message on, so the object's message map sees
// everything the dialog receives; what it does not handle goes to the
// system's dialog procedure.
//
// Modal: DoModal runs the system's modal loop (the owner is disabled
// meanwhile) and answers the result given to EndDialog, or -1 when the
// template cannot be found or the dialog cannot be made. OnOK and OnCancel
// (IDOK, IDCANCEL, the Enter and Escape keys, the close box) end it with
// IDOK and IDCANCEL. The window is gone when DoModal returns; the object
// stays and may run again. The key messages of the modal loop go to the
// thread's PreTranslateMessage first (a message filter hook), so a hosted
// control takes its keys (Tab, Enter) before the dialog does.
//
// Modeless: Create makes the window and returns; destroy it with
// DestroyWindow (a modeless dialog's OnOK/OnCancel override should, since
// EndDialog only hides a modeless dialog).
//
// OnInitDialog runs on WM_INITDIALOG, after the controls exist; an
// override calls CDialog::OnInitDialog first, which runs UpdateData(FALSE)
// (DoDataExchange binds controls and fills them). Its result is
// WM_INITDIALOG's:
// TRUE lets the system focus the first control. An exception leaving it
// ends the dialog with -1 (nothing unwinds through the system).
#pragma once

#include "afx/afx_ddx.h"
#include "afx/afx_port.h"
#include "afx/afx_string.h"
#include "afx/afx_wnd.h"

class AFX_API CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)

 public:
  CDialog();
  // The template lpszTemplateName (copied when it is a name, kept when it
  // is MAKEINTRESOURCE) or nIDTemplate; the parent (owner) window, null for
  // the thread's main window.
  explicit CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  // --- modeless ---------------------------------------------------------
  // FALSE when this object has a window, the template cannot be found or
  // the system cannot make the dialog.
  virtual BOOL Create(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
  virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  // From a template in memory, which must stay valid during the call.
  virtual BOOL CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd = nullptr);

  // --- modal ------------------------------------------------------------
  // Uses a template in memory (kept by pointer: it must stay valid until
  // DoModal returns) instead of a resource.
  BOOL InitModalIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd = nullptr);
  virtual INT_PTR DoModal();
  // Ends a modal dialog with nResult (hides a modeless one).
  void EndDialog(int nResult);

  virtual BOOL OnInitDialog();

  // The default push button.
  void SetDefID(UINT nID);
  DWORD GetDefID() const;
  // Moves the focus to the next, previous or given control.
  void NextDlgCtrl() const;
  void PrevDlgCtrl() const;
  void GotoDlgCtrl(CWnd* pWndCtrl);

 protected:
  // End the dialog with IDOK (after UpdateData(TRUE), which must succeed)
  // / IDCANCEL.
  virtual void OnOK();
  virtual void OnCancel();

  LPCSTR m_lpszTemplateName;
  LPCDLGTEMPLATE m_lpDialogTemplate;
  CWnd* m_pParentWnd;
  UINT m_nIDHelp;

  DECLARE_MESSAGE_MAP()

 private:
  void SetTemplateName(LPCSTR lpszTemplateName);
  // The template and the module to make it from; false when not found.
  bool LoadTemplate(LPCSTR lpszTemplateName, LPCDLGTEMPLATE* ppTemplate, HINSTANCE* phInst) const;
  HWND OwnerWindow(CWnd* pParentWnd) const;
  BOOL CreateFrom(LPCDLGTEMPLATE lpDialogTemplate, HINSTANCE hInst, CWnd* pParentWnd);

  CString m_strTemplateName;
};
