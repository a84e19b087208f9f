#include "afx/afx_dialog.h"

#include <utility>

#include "afx/afx_module.h"
#include "afx/afx_thread.h"

namespace {

// The dialog procedure of every framework dialog. The window is subclassed
// by the framework, so messages reach the object's map first; the system's
// dialog procedure calls this one only for what the map left, and only
// WM_INITDIALOG needs an answer from here.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
  if (!pWnd || !pWnd->IsKindOf(RUNTIME_CLASS(CDialog))) return TRUE;
  try {
    return static_cast<CDialog*>(pWnd)->OnInitDialog();
  } catch (...) {
    ::EndDialog(hWnd, -1);
    return FALSE;
  }
}

// The system's modal loop runs no PreTranslateMessage; it offers each
// message to the thread's message filter (CallMsgFilter, MSGF_DIALOGBOX)
// before IsDialogMessage. A filter hook hands the keys to the thread's
// PreTranslateMessage there, so that a hosted control sees its keys (Tab,
// Enter) before the dialog does, as in MFC's own modal loop.
thread_local HHOOK t_hHookMsgFilter = nullptr;
thread_local int t_nMsgFilterDepth = 0;
thread_local bool t_bInMsgFilter = false;

BOOL PreTranslateInModalLoop(MSG* pMsg) {
  if (CWinThread* pThread = AfxGetThread()) return pThread->PreTranslateMessage(pMsg);
  for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd && pWnd->PreTranslateMessage(pMsg)) return TRUE;
  }
  return FALSE;
}

LRESULT CALLBACK MsgFilterHook(int code, WPARAM wParam, LPARAM lParam) {
  MSG* pMsg = reinterpret_cast<MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && pMsg && !t_bInMsgFilter && pMsg->message >= WM_KEYFIRST &&
      pMsg->message <= WM_KEYLAST) {
    // A PreTranslateMessage that calls IsDialogMessage comes back here.
    t_bInMsgFilter = true;
    BOOL handled = FALSE;
    try {
      handled = PreTranslateInModalLoop(pMsg);
    } catch (...) {
      handled = FALSE;  // nothing unwinds through the system's loop
    }
    t_bInMsgFilter = false;
    if (handled) return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Installs the filter for one modal loop (loops nest).
class ModalMsgFilter {
 public:
  ModalMsgFilter() {
    if (t_nMsgFilterDepth++ == 0)
      t_hHookMsgFilter = SetWindowsHookExA(WH_MSGFILTER, &MsgFilterHook, nullptr, GetCurrentThreadId());
  }
  ModalMsgFilter(const ModalMsgFilter&) = delete;
  ModalMsgFilter& operator=(const ModalMsgFilter&) = delete;
  ~ModalMsgFilter() {
    if (--t_nMsgFilterDepth == 0 && t_hHookMsgFilter) UnhookWindowsHookEx(std::exchange(t_hHookMsgFilter, nullptr));
  }
};

}  // namespace

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog() : m_lpszTemplateName(nullptr), m_lpDialogTemplate(nullptr), m_pParentWnd(nullptr), m_nIDHelp(0) {}

CDialog::CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd) : CDialog() {
  SetTemplateName(lpszTemplateName);
  m_pParentWnd = pParentWnd;
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : CDialog() {
  SetTemplateName(MAKEINTRESOURCEA(static_cast<WORD>(nIDTemplate)));
  m_pParentWnd = pParentWnd;
  m_nIDHelp = nIDTemplate;
}

CDialog::~CDialog() = default;

void CDialog::SetTemplateName(LPCSTR lpszTemplateName) {
  if (lpszTemplateName && !IS_INTRESOURCE(lpszTemplateName)) {
    m_strTemplateName = lpszTemplateName;
    m_lpszTemplateName = m_strTemplateName;
  } else {
    m_strTemplateName.Empty();
    m_lpszTemplateName = lpszTemplateName;
  }
}

bool CDialog::LoadTemplate(LPCSTR lpszTemplateName, LPCDLGTEMPLATE* ppTemplate, HINSTANCE* phInst) const {
  if (!lpszTemplateName) return false;
  const LPCSTR type = reinterpret_cast<LPCSTR>(RT_DIALOG);
  HINSTANCE hInst = AfxFindResourceHandle(lpszTemplateName, type);
  HRSRC hRes = ::FindResourceA(hInst, lpszTemplateName, type);
  HGLOBAL hData = hRes ? ::LoadResource(hInst, hRes) : nullptr;
  // Resources stay mapped while their module is loaded: nothing to free.
  const void* p = hData ? ::LockResource(hData) : nullptr;
  if (!p) return false;
  *ppTemplate = static_cast<LPCDLGTEMPLATE>(p);
  *phInst = hInst;
  return true;
}

HWND CDialog::OwnerWindow(CWnd* pParentWnd) const {
  if (pParentWnd) return pParentWnd->GetSafeHwnd();
  CWnd* pMain = AfxGetMainWnd();
  return pMain && pMain != this ? pMain->GetSafeHwnd() : nullptr;
}

// --- modeless ---------------------------------------------------------------

BOOL CDialog::Create(LPCSTR lpszTemplateName, CWnd* pParentWnd) {
  if (m_hWnd) return FALSE;
  SetTemplateName(lpszTemplateName);
  LPCDLGTEMPLATE lpTemplate = nullptr;
  HINSTANCE hInst = nullptr;
  if (!LoadTemplate(m_lpszTemplateName, &lpTemplate, &hInst)) return FALSE;
  return CreateFrom(lpTemplate, hInst, pParentWnd);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  m_nIDHelp = nIDTemplate;
  return Create(MAKEINTRESOURCEA(static_cast<WORD>(nIDTemplate)), pParentWnd);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd) {
  if (m_hWnd || !lpDialogTemplate) return FALSE;
  return CreateFrom(lpDialogTemplate, AfxGetResourceHandle(), pParentWnd);
}

BOOL CDialog::CreateFrom(LPCDLGTEMPLATE lpDialogTemplate, HINSTANCE hInst, CWnd* pParentWnd) {
  if (pParentWnd) m_pParentWnd = pParentWnd;
  AfxHookWindowCreate(this);
  HWND hWnd = ::CreateDialogIndirectParamA(hInst, lpDialogTemplate, OwnerWindow(m_pParentWnd), &AfxDlgProc, 0);
  return FinishCreate(hWnd);
}

// --- modal ------------------------------------------------------------------

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd) {
  if (!lpDialogTemplate) return FALSE;
  m_lpDialogTemplate = lpDialogTemplate;
  if (pParentWnd) m_pParentWnd = pParentWnd;
  return TRUE;
}

INT_PTR CDialog::DoModal() {
  if (m_hWnd) return -1;
  LPCDLGTEMPLATE lpTemplate = m_lpDialogTemplate;
  HINSTANCE hInst = AfxGetResourceHandle();
  if (!lpTemplate && !LoadTemplate(m_lpszTemplateName, &lpTemplate, &hInst)) return -1;
  // The hook links the dialog window at its creation; it stays installed
  // for the modal loop, linking nothing else.
  ModalMsgFilter filter;
  AfxHookWindowCreate(this);
  const INT_PTR result = ::DialogBoxIndirectParamA(hInst, lpTemplate, OwnerWindow(m_pParentWnd), &AfxDlgProc, 0);
  const DWORD err = GetLastError();
  AfxUnhookWindowCreate();
  SetLastError(err);
  return result;
}

void CDialog::EndDialog(int nResult) {
  if (m_hWnd) ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog() {
  // Members to controls; a failed exchange does not stop the dialog.
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  // Controls to members first; a failed exchange keeps the dialog open.
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}
void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::SetDefID(UINT nID) { SendMessage(DM_SETDEFID, nID, 0); }

DWORD CDialog::GetDefID() const { return static_cast<DWORD>(SendMessage(DM_GETDEFID, 0, 0)); }

void CDialog::NextDlgCtrl() const { SendMessage(WM_NEXTDLGCTL, 0, 0); }
void CDialog::PrevDlgCtrl() const { SendMessage(WM_NEXTDLGCTL, 1, 0); }

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
  if (pWndCtrl && pWndCtrl->GetSafeHwnd())
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl->GetSafeHwnd()), 1);
}
