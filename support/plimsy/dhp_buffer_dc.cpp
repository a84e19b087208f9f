#include "support/plimsy/dhp_buffer_dc.h"

IMPLEMENT_DYNAMIC(CDHPBufferDC, CDC)

namespace {

// The target's paint area in device coordinates.
CRect PaintArea(CDC* pTarget) {
  if (pTarget->IsKindOf(RUNTIME_CLASS(CPaintDC))) return CRect(static_cast<CPaintDC*>(pTarget)->m_ps.rcPaint);
  CRect rc;
  if (pTarget->GetClipBox(rc) == ERROR) return CRect();
  ::LPtoDP(pTarget->m_hDC, reinterpret_cast<LPPOINT>(static_cast<LPRECT>(rc)), 2);
  rc.NormalizeRect();
  return rc;
}

}  // namespace

CDHPBufferDC::CDHPBufferDC(CDC* pDC) : m_pTarget(pDC), m_hOldBitmap(nullptr), m_bBuffered(false) {
  if (!m_pTarget || !m_pTarget->m_hDC) return;
  if (!StartBuffer()) {
    // Draw straight to the target (not owned: detached on destruction).
    m_hDC = m_hAttribDC = m_pTarget->m_hDC;
  }
}

bool CDHPBufferDC::StartBuffer() {
  HDC hTarget = m_pTarget->m_hDC;
  // Works in MM_TEXT-like mappings where one logical unit is one pixel.
  if (::GetMapMode(hTarget) != MM_TEXT) return false;
  m_rcBuffer = PaintArea(m_pTarget);
  if (m_rcBuffer.IsRectEmpty()) return false;
  if (!CreateCompatibleDC(m_pTarget)) return false;
  if (!m_bitmap.CreateCompatibleBitmap(m_pTarget, m_rcBuffer.Width(), m_rcBuffer.Height())) {
    DeleteDC();
    return false;
  }
  m_hOldBitmap = ::SelectObject(m_hDC, m_bitmap.m_hObject);

  // Start from what the target shows (device to device).
  const CPoint windowOrg = m_pTarget->GetWindowOrg();
  const CPoint viewportOrg = m_pTarget->GetViewportOrg();
  ::SetWindowOrgEx(hTarget, 0, 0, nullptr);
  ::SetViewportOrgEx(hTarget, 0, 0, nullptr);
  ::BitBlt(m_hDC, 0, 0, m_rcBuffer.Width(), m_rcBuffer.Height(), hTarget, m_rcBuffer.left, m_rcBuffer.top, SRCCOPY);
  ::SetWindowOrgEx(hTarget, windowOrg.x, windowOrg.y, nullptr);
  ::SetViewportOrgEx(hTarget, viewportOrg.x, viewportOrg.y, nullptr);

  // The same logical coordinates as the target: a logical point lands at
  // its device position in the target, less the buffer's corner.
  ::SetWindowOrgEx(m_hDC, windowOrg.x, windowOrg.y, nullptr);
  ::SetViewportOrgEx(m_hDC, viewportOrg.x - m_rcBuffer.left, viewportOrg.y - m_rcBuffer.top, nullptr);

  // The target's drawing attributes (pens, brushes and fonts may be
  // selected in several contexts at once; bitmaps may not).
  for (UINT type : {OBJ_FONT, OBJ_PEN, OBJ_BRUSH}) {
    if (HGDIOBJ h = ::GetCurrentObject(hTarget, type)) ::SelectObject(m_hDC, h);
  }
  ::SetTextColor(m_hDC, ::GetTextColor(hTarget));
  ::SetBkColor(m_hDC, ::GetBkColor(hTarget));
  ::SetBkMode(m_hDC, ::GetBkMode(hTarget));
  ::SetTextAlign(m_hDC, ::GetTextAlign(hTarget));
  m_bBuffered = true;
  return true;
}

CDHPBufferDC::~CDHPBufferDC() {
  if (!m_bBuffered) {
    Detach();  // the target's context, or none
    return;
  }
  HDC hTarget = m_pTarget->m_hDC;
  const CPoint windowOrg = m_pTarget->GetWindowOrg();
  const CPoint viewportOrg = m_pTarget->GetViewportOrg();
  ::SetWindowOrgEx(hTarget, 0, 0, nullptr);
  ::SetViewportOrgEx(hTarget, 0, 0, nullptr);
  ::SetWindowOrgEx(m_hDC, 0, 0, nullptr);
  ::SetViewportOrgEx(m_hDC, 0, 0, nullptr);
  ::BitBlt(hTarget, m_rcBuffer.left, m_rcBuffer.top, m_rcBuffer.Width(), m_rcBuffer.Height(), m_hDC, 0, 0, SRCCOPY);
  ::SetWindowOrgEx(hTarget, windowOrg.x, windowOrg.y, nullptr);
  ::SetViewportOrgEx(hTarget, viewportOrg.x, viewportOrg.y, nullptr);

  // The bitmap can only be deleted once it is out of the context.
  ::SelectObject(m_hDC, m_hOldBitmap);
  DeleteDC();
}
