#include "support/ormlace/rgn_dialog.h"

#include <algorithm>

#include "support/ormlace/skin_image_manager.h"
#include "support/ormlace/skin_picture.h"

struct CRgnDialog::Skin {
  CxImage icon;  // a private copy with the transparent colour set
  bool hasIcon = false;
  UniqueIcon smallIcon;
};

IMPLEMENT_DYNAMIC(CRgnDialog, CDialog)

BEGIN_MESSAGE_MAP(CRgnDialog, CDialog)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SIZE()
END_MESSAGE_MAP()

CRgnDialog::CRgnDialog(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent), m_pSkin(new Skin) {}

CRgnDialog::~CRgnDialog() {
  // The window must not keep an icon that is about to be destroyed.
  if (m_hWnd && m_pSkin->smallIcon && GetIcon(FALSE) == m_pSkin->smallIcon.get()) CWnd::SetIcon(nullptr, FALSE);
  delete m_pSkin;
}

void CRgnDialog::PreSubclassWindow() {
  CDialog::PreSubclassWindow();
  SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(GetStyle() | WS_CLIPCHILDREN));
}

BOOL CRgnDialog::OnInitDialog() {
  const BOOL result = CDialog::OnInitDialog();
  const DWORD frame = WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME;
  const DWORD edges = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE;
  SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>((GetStyle() & ~frame) | WS_CLIPCHILDREN));
  SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(GetExStyle() & ~edges));
  SetWindowPos(nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client = {};
  GetClientRect(&client);
  RectifyControl(client.right, client.bottom);
  ApplyIcon();
  return result;
}

void CRgnDialog::RectifyControl(int cx, int cy) {
  if (!m_hWnd) return;
  cx = std::max(cx, 0);
  cy = std::max(cy, 0);
  // The region is in window coordinates: offset by where the client area
  // stands in the window (nothing once the frame is gone).
  RECT window = {};
  GetWindowRect(&window);
  POINT origin = {0, 0};
  ClientToScreen(&origin);
  const int dx = origin.x - window.left;
  const int dy = origin.y - window.top;
  CRgn region;
  if (region.CreateRoundRectRgn(dx, dy, dx + cx + 1, dy + cy + 1, kCornerDiameter, kCornerDiameter) &&
      SetWindowRgn(region, TRUE)) {
    region.Detach();  // the system owns it now
  }
  Invalidate(FALSE);
}

BOOL CRgnDialog::SetIcon(const CString& strFileName, COLORREF clrTransparent) {
  CxImage* cached = CSkinImageManager::getSingleton().GetImage(static_cast<LPCSTR>(strFileName));
  if (!cached) return FALSE;
  CxImage copy;
  if (!ormlace::MakeKeyedCopy(*cached, clrTransparent, copy)) return FALSE;
  UniqueIcon icon =
      ormlace::IconFromPicture(copy, clrTransparent, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
  if (!icon) return FALSE;
  m_pSkin->icon = copy;
  m_pSkin->hasIcon = true;
  UniqueIcon previous = std::move(m_pSkin->smallIcon);
  m_pSkin->smallIcon = std::move(icon);
  ApplyIcon();  // before the previous icon goes
  if (m_hWnd) {
    RECT strip = {0, 0, 0, kTitleHeight};
    RECT client = {};
    GetClientRect(&client);
    strip.right = client.right;
    InvalidateRect(&strip, FALSE);
  }
  return TRUE;
}

void CRgnDialog::ApplyIcon() {
  if (m_hWnd && m_pSkin->smallIcon) CWnd::SetIcon(m_pSkin->smallIcon.get(), FALSE);
}

void CRgnDialog::DrawView(CDC* pDC) {
  if (!pDC || !m_hWnd) return;
  RECT client = {};
  GetClientRect(&client);
  const int cx = client.right;
  const int cy = client.bottom;
  pDC->FillSolidRect(0, 0, cx, cy, kBackgroundColor);
  pDC->FillSolidRect(0, 0, cx, std::min(kTitleHeight, cy), kTitleColor);
  // The border follows the rounded outline of the window.
  CPen pen(PS_SOLID, 1, kBorderColor);
  CPen* pOldPen = pDC->SelectObject(&pen);
  CGdiObject* pOldBrush = pDC->SelectStockObject(NULL_BRUSH);
  pDC->RoundRect(0, 0, cx, cy, kCornerDiameter, kCornerDiameter);
  if (pOldBrush) pDC->SelectObject(pOldBrush);
  if (pOldPen) pDC->SelectObject(pOldPen);
  if (m_pSkin->hasIcon) {
    long width = static_cast<long>(m_pSkin->icon.GetWidth());
    long height = static_cast<long>(m_pSkin->icon.GetHeight());
    const long room = kTitleHeight - 4;
    if (height > room) {
      width = std::max<long>(1, width * room / height);
      height = room;
    }
    m_pSkin->icon.Draw(pDC->GetSafeHdc(), 6, (kTitleHeight - height) / 2, width, height, nullptr, true);
  }
}

void CRgnDialog::OnPaint() {
  CPaintDC dc(this);
  RECT client = {};
  GetClientRect(&client);
  CDC memory;
  CBitmap surface;
  if (client.right > 0 && client.bottom > 0 && memory.CreateCompatibleDC(&dc) &&
      surface.CreateCompatibleBitmap(&dc, client.right, client.bottom)) {
    CBitmap* old = memory.SelectObject(&surface);
    if (old) {
      DrawView(&memory);
      dc.BitBlt(0, 0, client.right, client.bottom, &memory, 0, 0, SRCCOPY);
      memory.SelectObject(old);
      return;
    }
  }
  DrawView(&dc);  // no memory surface: paint directly
}

BOOL CRgnDialog::OnEraseBkgnd(CDC*) { return TRUE; }

void CRgnDialog::OnSize(UINT nType, int cx, int cy) {
  CDialog::OnSize(nType, cx, cy);
  if (nType != SIZE_MINIMIZED) RectifyControl(cx, cy);
}
