#include "zavrelcom/emotion/emotion_dlg.h"

#include "zavrelcom/emotion/emotion_dlg_ids.h"

CEmotionDlg::CEmotionDlg() : CDialog(IDD_EMOTION_DLG) {}

CEmotionDlg::~CEmotionDlg() = default;

void CEmotionDlg::CreateDlg(CWnd*) {}

HWND CEmotionDlg::GetHwnd() { return GetSafeHwnd(); }

bool CEmotionDlg::DestroyDlg() { return GetSafeHwnd() && DestroyWindow(); }

void CEmotionDlg::LoadEmotions(const char*) {}

void CEmotionDlg::GetDlgSize(SIZE* out) {
  if (!out) return;
  out->cx = m_nCols * (m_szCell.cx + 1) + m_rcMargin.left + m_rcMargin.right + 1;
  out->cy = m_nRows * (m_szCell.cy + 1) + m_rcMargin.top + m_rcMargin.bottom + 1;
}

void CEmotionDlg::ShowDlg(int, int) {}
