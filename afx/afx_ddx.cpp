#include "afx/afx_ddx.h"

namespace {

// Thrown by CDataExchange::Fail, caught by UpdateData only.
struct ExchangeFailed {};

}  // namespace

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

HWND CDataExchange::PrepareCtrl(int nIDC) {
  HWND hCtrl = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->GetSafeHwnd(), nIDC) : nullptr;
  if (!hCtrl) Fail();
  return hCtrl;
}

void CDataExchange::Fail() { throw ExchangeFailed(); }

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.GetSafeHwnd()) return;
  if (!rControl.SubclassWindow(pDX->PrepareCtrl(nIDC))) pDX->Fail();
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  HWND hCtrl = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    CWnd::FromHandle(hCtrl)->GetWindowText(value);
  } else {
    ::SetWindowTextA(hCtrl, value);
  }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
  HWND hCtrl = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    value = static_cast<int>(::SendMessageA(hCtrl, BM_GETCHECK, 0, 0));
  } else {
    ::SendMessageA(hCtrl, BM_SETCHECK, static_cast<WPARAM>(value), 0);
  }
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
  if (!m_hWnd) return FALSE;
  CDataExchange dx(this, bSaveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (const ExchangeFailed&) {
    return FALSE;
  }
  return TRUE;
}
