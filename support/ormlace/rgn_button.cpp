#include "support/ormlace/rgn_button.h"

#include "support/ormlace/skin_image_manager.h"
#include "support/ormlace/skin_picture.h"

namespace {

// Posted to a button subclassed with a picture already loaded, so that its
// look is applied once the linking call has returned.
const UINT kApplySkinMessage = WM_USER + 0x0101;

enum Look { kNormal = 0, kHovered = 1, kPressed = 2, kFocused = 3, kDisabled = 4 };

}  // namespace

struct CRgnButton::Skin {
  CxImage picture;  // a private copy with the transparent colour set
  COLORREF transparent = 0;
  int states = 0;
  int cellWidth = 0;
  int cellHeight = 0;
  bool loaded = false;
  bool pending = false;  // to apply once the window is linked
  bool hovered = false;
};

IMPLEMENT_DYNAMIC(CRgnButton, CButton)

BEGIN_MESSAGE_MAP(CRgnButton, CButton)
ON_MESSAGE(WM_CREATE, OnCreateMessage)
ON_MESSAGE(kApplySkinMessage, OnApplySkin)
ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveMessage)
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveMessage)
END_MESSAGE_MAP()

CRgnButton::CRgnButton() : m_pSkin(new Skin) {}

CRgnButton::~CRgnButton() {
  DestroyWindow();  // while DrawItem can still use the picture
  delete m_pSkin;
}

bool CRgnButton::LoadRgnImage(LPCSTR lpszFileName, COLORREF clrTransparent, BYTE nStates) {
  if (!lpszFileName || nStates == 0) return false;
  CxImage* cached = CSkinImageManager::getSingleton().GetImage(lpszFileName);
  if (!cached) return false;
  const int width = static_cast<int>(cached->GetWidth());
  const int height = static_cast<int>(cached->GetHeight());
  if (width < nStates || height < 1) return false;
  CxImage copy;
  if (!ormlace::MakeKeyedCopy(*cached, clrTransparent, copy)) return false;
  m_pSkin->picture = copy;
  m_pSkin->transparent = clrTransparent;
  m_pSkin->states = nStates;
  m_pSkin->cellWidth = width / nStates;
  m_pSkin->cellHeight = height;
  m_pSkin->loaded = true;
  if (m_hWnd) {
    ApplySkin();
  } else {
    m_pSkin->pending = true;
  }
  return true;
}

void CRgnButton::ApplySkin() {
  m_pSkin->pending = false;
  if (!m_hWnd || !m_pSkin->loaded) return;
  SetButtonStyle(BS_OWNERDRAW, FALSE);
  SetWindowPos(nullptr, 0, 0, m_pSkin->cellWidth, m_pSkin->cellHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CRgn region;
  // On success the system owns the region.
  if (ormlace::RegionFromPicture(m_pSkin->picture, 0, m_pSkin->cellWidth, m_pSkin->cellHeight, m_pSkin->transparent,
                                 region) &&
      SetWindowRgn(region, TRUE)) {
    region.Detach();
  }
  Invalidate(FALSE);
}

void CRgnButton::PreSubclassWindow() {
  CButton::PreSubclassWindow();
  if (!m_pSkin->loaded) return;
  // Called before WM_NCCREATE when the window is being created, where its
  // size is still to be set by the system: apply after WM_CREATE, or on the
  // posted message for a window that exists already.
  m_pSkin->pending = true;
  PostMessage(kApplySkinMessage);
}

LRESULT CRgnButton::OnCreateMessage(WPARAM, LPARAM) {
  const LRESULT result = Default();
  if (result != -1 && m_pSkin->pending) ApplySkin();
  return result;
}

LRESULT CRgnButton::OnApplySkin(WPARAM, LPARAM) {
  if (m_pSkin->pending) ApplySkin();
  return 0;
}

LRESULT CRgnButton::OnMouseMoveMessage(WPARAM, LPARAM) {
  if (!m_pSkin->hovered) {
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = m_hWnd;
    if (TrackMouseEvent(&track)) {
      m_pSkin->hovered = true;
      Invalidate(FALSE);
    }
  }
  return Default();
}

LRESULT CRgnButton::OnMouseLeaveMessage(WPARAM, LPARAM) {
  if (m_pSkin->hovered) {
    m_pSkin->hovered = false;
    Invalidate(FALSE);
  }
  return Default();
}

void CRgnButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  if (!lpDrawItemStruct || !m_pSkin->loaded) return;
  const UINT state = lpDrawItemStruct->itemState;
  int look = kNormal;
  if (state & ODS_DISABLED) {
    look = kDisabled;
  } else if (state & ODS_SELECTED) {
    look = kPressed;
  } else if (m_pSkin->hovered) {
    look = kHovered;
  } else if (state & ODS_FOCUS) {
    look = kFocused;
  }
  if (look >= m_pSkin->states) look = kNormal;
  RECT item = lpDrawItemStruct->rcItem;
  HDC hdc = lpDrawItemStruct->hDC;
  // Pixels transparent in this cell show the button face, not the previous
  // look; outside the normal cell's outline the region hides them anyway.
  FillRect(hdc, &item, GetSysColorBrush(COLOR_BTNFACE));
  m_pSkin->picture.Draw(hdc, item.left - look * m_pSkin->cellWidth, item.top, -1, -1, &item);
}
