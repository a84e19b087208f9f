#include "zavrelcom/emotion/emotion_dlg.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>

#include "afx/afx_module.h"
#include "base/no_throw.h"
#include "support/plimsy/dhp_buffer_dc.h"
#include "zavrelcom/emotion/emotion_dlg_ids.h"
#include "zavrelcom/server/dbcs_text.h"

namespace {

const COLORREF kBorderColor = 0x974B00;
const COLORREF kHoverColor = 0xD0391C;

}  // namespace

BEGIN_MESSAGE_MAP(CEmotionDlg, CDialog)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveMessage)
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDownMessage)
ON_MESSAGE(WM_KILLFOCUS, OnKillFocusMessage)
END_MESSAGE_MAP()

CEmotionDlg::CEmotionDlg() : CDialog(IDD_EMOTION_DLG), m_IniFile(nullptr, 4096) {}

CEmotionDlg::~CEmotionDlg() = default;

void CEmotionDlg::CreateDlg(CWnd* owner) {
  NoThrowVoid([&] {
    CallReference hold(this);
    AfxSetResourceHandle(GetModuleHandleA("ZavrelCom.dll"));
    Create(IDD_EMOTION_DLG, nullptr);
    SetOwner(owner);
    AfxSetResourceHandle(GetModuleHandleA(nullptr));
  });
}

HWND CEmotionDlg::GetHwnd() { return GetSafeHwnd(); }

bool CEmotionDlg::DestroyDlg() {
  return NoThrow(false, [&] {
    CallReference hold(this);
    return GetSafeHwnd() && DestroyWindow();
  });
}

void CEmotionDlg::LoadEmotions(const char* folder) {
  NoThrowVoid([&] { LoadConfiguration(folder); });
}

void CEmotionDlg::LoadConfiguration(const char* folder) {
  char base[MAX_PATH];
  DbcsCopy(base, sizeof(base), folder);
  DbcsRemoveTrailingBackslash(base);
  CString path;
  path.Format("%s\\%s", base, "config.ini");
  m_IniFile.SetIniFileName(path);
  CString page;
  m_IniFile.GetString("emotion", "PagePath", page, "");
  m_PageImage.Destroy();
  CString pagePath;
  pagePath.Format("%s\\%s", base, page.GetString());
  m_PageImage.Load(pagePath);
  m_nCount = static_cast<int>(m_IniFile.GetInt("emotion", "Count", 0));
}

void CEmotionDlg::GetDlgSize(SIZE* out) {
  if (!out) return;
  out->cx = m_nCols * (m_szCell.cx + 1) + m_rcMargin.left + m_rcMargin.right + 1;
  out->cy = m_nRows * (m_szCell.cy + 1) + m_rcMargin.top + m_rcMargin.bottom + 1;
}

void CEmotionDlg::ShowDlg(int x, int y) {
  if (!GetSafeHwnd()) return;
  NoThrowVoid([&] {
    // Moving and showing reach the host's windows (activation, focus).
    CallReference hold(this);
    SIZE size;
    GetDlgSize(&size);
    MoveWindow(x, y, size.cx, size.cy, TRUE);
    if (GetSafeHwnd()) ShowWindow(SW_SHOW);
  });
}

void CEmotionDlg::OnOK() {}

void CEmotionDlg::OnCancel() {}

int CEmotionDlg::OnCreate(LPCREATESTRUCTA lpCreateStruct) {
  if (CDialog::OnCreate(lpCreateStruct) == -1) return -1;
  return 0;
}

BOOL CEmotionDlg::OnEraseBkgnd(CDC*) { return TRUE; }

void CEmotionDlg::OnPaint() {
  CPaintDC paint(this);
  CDHPBufferDC dc(&paint);
  CRect client;
  GetClientRect(&client);
  if (m_PageImage.IsNull()) {
    dc.FillSolidRect(&client, 0xFFFFFF);
  } else {
    m_PageImage.BitBlt(dc.GetSafeHdc(), 0, 0, client.Width(), client.Height(), 0, 0, SRCCOPY);
  }
  dc.Draw3dRect(&client, kBorderColor, kBorderColor);
  if (m_nHover != -1) {
    const int left = (m_nHover % m_nCols) * (m_szCell.cx + 1) + m_rcMargin.left + 1;
    const int top = (m_nHover / m_nCols) * (m_szCell.cy + 1) + m_rcMargin.top + 1;
    dc.Draw3dRect(left, top, m_szCell.cx, m_szCell.cy, kHoverColor, kHoverColor);
  }
}

int CEmotionDlg::HitTest(CPoint point) const {
  if (point.x <= m_rcMargin.left || point.y <= m_rcMargin.top) return -1;
  const WORD column = static_cast<WORD>((point.x - m_rcMargin.left) / (m_szCell.cx + 1));
  if (column >= m_nCols) return -1;
  const int row = (point.y - m_rcMargin.top) / (m_szCell.cy + 1);
  if (row >= m_nRows) return -1;
  const int index = column + row * m_nCols;
  return index >= m_nCount ? -1 : index;
}

void CEmotionDlg::OnMouseMove(UINT, CPoint point) {
  if (!m_bTracking) {
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = m_hWnd;
    _TrackMouseEvent(&track);
    m_bTracking = TRUE;
  }
  const int hit = HitTest(point);
  if (hit != m_nHover) {
    m_nHover = hit;
    Invalidate(TRUE);
  }
}

LRESULT CEmotionDlg::OnMouseMoveMessage(WPARAM wParam, LPARAM lParam) {
  OnMouseMove(static_cast<UINT>(wParam),
              CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))));
  return 0;
}

LRESULT CEmotionDlg::OnMouseLeave(WPARAM, LPARAM) {
  m_bTracking = FALSE;
  m_nHover = -1;
  Invalidate(TRUE);
  return 0;
}

void CEmotionDlg::FillEmotion(int index, tagEmotion* out) const {
  char section[32];
  std::snprintf(section, sizeof(section), "%s%d", "em", index);
  CString value;
  m_IniFile.GetString(section, "emotion", value, "");
  DbcsCopy(out->szCode, sizeof(out->szCode), value);
  char folder[MAX_PATH];
  DbcsCopy(folder, sizeof(folder), m_IniFile.GetIniFileName());
  PathRemoveFileSpecA(folder);
  m_IniFile.GetString(section, "path", value, "");
  CString path;
  path.Format("%s\\%s", folder, value.GetString());
  DbcsCopy(out->szPath, sizeof(out->szPath), path);
  m_IniFile.GetString(section, "name", value, "");
  DbcsCopy(out->szName, sizeof(out->szName), value);
}

void CEmotionDlg::OnLButtonDown(UINT, CPoint) {
  if (m_nHover != -1) {
    CWnd* owner = GetOwner();
    if (owner && owner->GetSafeHwnd()) {
      tagEmotion emotion;
      std::memset(&emotion, 0, sizeof(emotion));
      FillEmotion(m_nHover, &emotion);
      owner->SendMessage(WM_EMOTION_SELECTED, 0, reinterpret_cast<LPARAM>(&emotion));
    }
    m_nHover = -1;
    if (GetSafeHwnd()) ShowWindow(SW_HIDE);  // the owner may have destroyed it
  }
}

LRESULT CEmotionDlg::OnLButtonDownMessage(WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  {
    // The owner's pick handler may release the picker or destroy its
    // window; the reference keeps the object until the click is done, and
    // its release may be the last (nothing of the object is touched after).
    CallReference hold(this);
    NoThrowVoid([&] {
      OnLButtonDown(static_cast<UINT>(wParam),
                    CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))));
      if (GetSafeHwnd()) result = Default();
    });
  }
  return result;
}

void CEmotionDlg::OnKillFocus(CWnd*) {
  Default();
  if (GetSafeHwnd()) ShowWindow(SW_HIDE);
  m_nHover = -1;
}

LRESULT CEmotionDlg::OnKillFocusMessage(WPARAM wParam, LPARAM) {
  // Hiding moves the activation and focus to the host's windows, whose
  // handlers may release the picker.
  CallReference hold(this);
  NoThrowVoid([&] { OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))); });
  return 0;
}
