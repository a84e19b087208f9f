#include "afx/afx_gdi.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "afx/afx_module.h"
#include "afx/afx_wnd.h"

namespace {

// Temporary objects kept per thread before stale ones are pruned.
constexpr std::size_t kTempPruneThreshold = 64;

// Per-thread temporary wrappers, keyed by handle and class (one handle may
// be asked for as a CGdiObject and as a CBitmap). Release empties an object
// so that its destructor frees nothing.
template <class Handle, class Object>
class TempMap {
 public:
  template <class Make, class Alive, class Release>
  Object* Find(Handle h, const CRuntimeClass* pClass, Make make, Alive alive, Release release) {
    std::vector<std::unique_ptr<Object>> pruned;  // destroyed outside the lock
    std::lock_guard<std::mutex> guard(m_lock);
    auto& temps = m_threads[GetCurrentThreadId()];
    const Key key(h, pClass);
    auto it = temps.find(key);
    if (it != temps.end()) return it->second.get();
    if (temps.size() >= kTempPruneThreshold) {
      for (auto t = temps.begin(); t != temps.end();) {
        if (!alive(t->first.first)) {
          release(t->second.get());
          pruned.push_back(std::move(t->second));
          t = temps.erase(t);
        } else {
          ++t;
        }
      }
    }
    std::unique_ptr<Object> temp(make(h));
    Object* result = temp.get();
    temps.emplace(key, std::move(temp));
    return result;
  }

  template <class Release>
  void Clear(Release release) {
    typename Threads::mapped_type doomed;
    {
      std::lock_guard<std::mutex> guard(m_lock);
      auto it = m_threads.find(GetCurrentThreadId());
      if (it == m_threads.end()) return;
      doomed.swap(it->second);
      m_threads.erase(it);
    }
    for (auto& entry : doomed) release(entry.second.get());
  }

 private:
  typedef std::pair<Handle, const CRuntimeClass*> Key;
  typedef std::map<DWORD, std::map<Key, std::unique_ptr<Object>>> Threads;
  std::mutex m_lock;
  Threads m_threads;
};

TempMap<HGDIOBJ, CGdiObject>& GdiTemps() {
  static TempMap<HGDIOBJ, CGdiObject> temps;
  return temps;
}

TempMap<HDC, CDC>& DcTemps() {
  static TempMap<HDC, CDC> temps;
  return temps;
}

void ReleaseGdi(CGdiObject* p) { p->m_hObject = nullptr; }
void ReleaseDc(CDC* p) { p->m_hDC = p->m_hAttribDC = nullptr; }

// A temporary wrapper of class Object for a GDI handle; null for null and
// for SelectObject's failure value.
template <class Object>
Object* GdiFromHandle(HGDIOBJ h) {
  if (!h || h == HGDI_ERROR) return nullptr;
  CGdiObject* p = GdiTemps().Find(
      h, RUNTIME_CLASS(Object),
      [](HGDIOBJ handle) {
        auto* object = new Object;
        object->m_hObject = handle;
        return static_cast<CGdiObject*>(object);
      },
      [](HGDIOBJ handle) { return ::GetObjectType(handle) != 0; }, &ReleaseGdi);
  return static_cast<Object*>(p);
}

}  // namespace

// --- CGdiObject -------------------------------------------------------------

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)

CGdiObject::~CGdiObject() { DeleteObject(); }

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
  if (!hObject || m_hObject) return FALSE;
  m_hObject = hObject;
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() { return std::exchange(m_hObject, nullptr); }

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  // The closer keeps the caller's last error.
  const DWORD err = GetLastError();
  const BOOL ok = ::DeleteObject(Detach());
  SetLastError(err);
  return ok;
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const {
  return m_hObject ? ::GetObjectA(m_hObject, nCount, lpObject) : 0;
}

UINT CGdiObject::GetObjectType() const { return m_hObject ? static_cast<UINT>(::GetObjectType(m_hObject)) : 0; }

BOOL CGdiObject::CreateStockObject(int nIndex) { return Attach(::GetStockObject(nIndex)); }

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject) { return GdiFromHandle<CGdiObject>(hObject); }

void CGdiObject::DeleteTempMap() { GdiTemps().Clear(&ReleaseGdi); }

CPen::CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }
BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
  return Attach(::CreatePen(nPenStyle, nWidth, crColor));
}
CPen* CPen::FromHandle(HPEN hPen) { return GdiFromHandle<CPen>(hPen); }

CBrush::CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
BOOL CBrush::CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }
CBrush* CBrush::FromHandle(HBRUSH hBrush) { return GdiFromHandle<CBrush>(hBrush); }

BOOL CFont::CreateFontIndirect(const LOGFONTA* lpLogFont) {
  return lpLogFont ? Attach(::CreateFontIndirectA(lpLogFont)) : FALSE;
}

BOOL CFont::CreatePointFont(int nPointSize, LPCSTR lpszFaceName, CDC* pDC) {
  LOGFONTA lf = {};
  lf.lfCharSet = DEFAULT_CHARSET;
  if (lpszFaceName) lstrcpynA(lf.lfFaceName, lpszFaceName, LF_FACESIZE);
  std::optional<CClientDC> screen;
  if (!(pDC && pDC->m_hDC)) screen.emplace(nullptr);
  HDC hDC = screen ? screen->m_hDC : pDC->m_hDC;
  // Tenths of a point to logical units of the context.
  POINT pt = {0, MulDiv(::GetDeviceCaps(hDC, LOGPIXELSY), nPointSize, 720)};
  POINT origin = {0, 0};
  ::DPtoLP(hDC, &pt, 1);
  ::DPtoLP(hDC, &origin, 1);
  lf.lfHeight = -std::abs(pt.y - origin.y);
  return CreateFontIndirect(&lf);
}

int CFont::GetLogFont(LOGFONTA* pLogFont) const { return GetObject(sizeof(LOGFONTA), pLogFont); }
CFont* CFont::FromHandle(HFONT hFont) { return GdiFromHandle<CFont>(hFont); }

BOOL CBitmap::LoadBitmap(LPCSTR lpszResourceName) {
  if (m_hObject || !lpszResourceName) return FALSE;
  HINSTANCE hInst = AfxFindResourceHandle(lpszResourceName, reinterpret_cast<LPCSTR>(RT_BITMAP));
  return Attach(::LoadBitmapA(hInst, lpszResourceName));
}

BOOL CBitmap::LoadBitmap(UINT nIDResource) { return LoadBitmap(MAKEINTRESOURCEA(static_cast<WORD>(nIDResource))); }

BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits) {
  if (m_hObject) return FALSE;
  return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
  if (m_hObject) return FALSE;
  if (pDC && pDC->m_hDC) return Attach(::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight));
  CClientDC screen(nullptr);
  return Attach(::CreateCompatibleBitmap(screen.m_hDC, nWidth, nHeight));
}

int CBitmap::GetBitmap(BITMAP* pBitMap) const { return GetObject(sizeof(BITMAP), pBitMap); }
CBitmap* CBitmap::FromHandle(HBITMAP hBitmap) { return GdiFromHandle<CBitmap>(hBitmap); }

BOOL CRgn::CreateRectRgn(int x1, int y1, int x2, int y2) { return Attach(::CreateRectRgn(x1, y1, x2, y2)); }
BOOL CRgn::CreateRectRgnIndirect(LPCRECT lpRect) { return lpRect ? Attach(::CreateRectRgnIndirect(lpRect)) : FALSE; }
BOOL CRgn::CreateEllipticRgn(int x1, int y1, int x2, int y2) { return Attach(::CreateEllipticRgn(x1, y1, x2, y2)); }
BOOL CRgn::CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3) {
  return Attach(::CreateRoundRectRgn(x1, y1, x2, y2, x3, y3));
}

BOOL CRgn::CreateFromData(const XFORM* lpXForm, int nCount, const RGNDATA* pRgnData) {
  if (m_hObject || !pRgnData || nCount <= 0) return FALSE;
  return Attach(::ExtCreateRegion(lpXForm, static_cast<DWORD>(nCount), pRgnData));
}

int CRgn::CombineRgn(const CRgn* pRgn1, const CRgn* pRgn2, int nCombineMode) {
  if (!m_hObject || !pRgn1) return ERROR;
  HRGN second = pRgn2 ? static_cast<HRGN>(pRgn2->m_hObject) : nullptr;
  if (!second && nCombineMode != RGN_COPY) return ERROR;
  return ::CombineRgn(static_cast<HRGN>(m_hObject), static_cast<HRGN>(pRgn1->m_hObject), second, nCombineMode);
}

int CRgn::CopyRgn(const CRgn* pRgnSrc) { return CombineRgn(pRgnSrc, nullptr, RGN_COPY); }

BOOL CRgn::PtInRegion(int x, int y) const {
  return m_hObject ? ::PtInRegion(static_cast<HRGN>(m_hObject), x, y) : FALSE;
}

int CRgn::GetRgnBox(LPRECT lpRect) const {
  return m_hObject && lpRect ? ::GetRgnBox(static_cast<HRGN>(m_hObject), lpRect) : ERROR;
}

CRgn* CRgn::FromHandle(HRGN hRgn) { return GdiFromHandle<CRgn>(hRgn); }

// --- CDC --------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CDC)

CDC::CDC() : m_hDC(nullptr), m_hAttribDC(nullptr) {}

CDC::~CDC() { DeleteDC(); }

CDC* CDC::FromHandle(HDC hDC) {
  if (!hDC) return nullptr;
  return DcTemps().Find(
      hDC, RUNTIME_CLASS(CDC),
      [](HDC handle) {
        CDC* dc = new CDC;
        dc->m_hDC = dc->m_hAttribDC = handle;
        return dc;
      },
      [](HDC handle) { return ::GetObjectType(handle) != 0; }, &ReleaseDc);
}

void CDC::DeleteTempMap() { DcTemps().Clear(&ReleaseDc); }

BOOL CDC::Attach(HDC hDC) {
  if (!hDC || m_hDC) return FALSE;
  m_hDC = m_hAttribDC = hDC;
  return TRUE;
}

HDC CDC::Detach() {
  m_hAttribDC = nullptr;
  return std::exchange(m_hDC, nullptr);
}

BOOL CDC::DeleteDC() {
  if (!m_hDC) return FALSE;
  const DWORD err = GetLastError();
  const BOOL ok = ::DeleteDC(Detach());
  SetLastError(err);
  return ok;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
  if (m_hDC) return FALSE;
  return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr));
}

int CDC::SaveDC() { return ::SaveDC(m_hDC); }
BOOL CDC::RestoreDC(int nSavedDC) { return ::RestoreDC(m_hDC, nSavedDC); }

template <class Object>
Object* CDC::SelectGdiObject(Object* pObject) {
  if (!m_hDC || !pObject || !pObject->m_hObject) return nullptr;
  return GdiFromHandle<Object>(::SelectObject(m_hDC, pObject->m_hObject));
}

CGdiObject* CDC::SelectStockObject(int nIndex) {
  HGDIOBJ hStock = ::GetStockObject(nIndex);
  if (!m_hDC || !hStock) return nullptr;
  return CGdiObject::FromHandle(::SelectObject(m_hDC, hStock));
}

CPen* CDC::SelectObject(CPen* pPen) { return SelectGdiObject(pPen); }
CBrush* CDC::SelectObject(CBrush* pBrush) { return SelectGdiObject(pBrush); }
CFont* CDC::SelectObject(CFont* pFont) { return SelectGdiObject(pFont); }
CBitmap* CDC::SelectObject(CBitmap* pBitmap) { return SelectGdiObject(pBitmap); }
CGdiObject* CDC::SelectObject(CGdiObject* pObject) { return SelectGdiObject(pObject); }

int CDC::SelectObject(CRgn* pRgn) {
  if (!m_hDC || !pRgn || !pRgn->m_hObject) return ERROR;
  return static_cast<int>(reinterpret_cast<INT_PTR>(::SelectObject(m_hDC, pRgn->m_hObject)));
}

HGDIOBJ CDC::SelectObject(HGDIOBJ hObject) {
  if (!m_hDC || !hObject) return nullptr;
  HGDIOBJ old = ::SelectObject(m_hDC, hObject);
  return old == HGDI_ERROR ? nullptr : old;
}

CBitmap* CDC::GetCurrentBitmap() const {
  return m_hDC ? CBitmap::FromHandle(static_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP))) : nullptr;
}

CFont* CDC::GetCurrentFont() const {
  return m_hDC ? CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hDC, OBJ_FONT))) : nullptr;
}

COLORREF CDC::SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
COLORREF CDC::GetTextColor() const { return ::GetTextColor(m_hAttribDC); }
COLORREF CDC::SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
COLORREF CDC::GetBkColor() const { return ::GetBkColor(m_hAttribDC); }
int CDC::SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
int CDC::GetBkMode() const { return ::GetBkMode(m_hAttribDC); }

CPoint CDC::SetWindowOrg(int x, int y) {
  POINT old = {0, 0};
  ::SetWindowOrgEx(m_hDC, x, y, &old);
  return CPoint(old);
}

CPoint CDC::GetWindowOrg() const {
  POINT pt = {0, 0};
  ::GetWindowOrgEx(m_hAttribDC, &pt);
  return CPoint(pt);
}

CPoint CDC::SetViewportOrg(int x, int y) {
  POINT old = {0, 0};
  ::SetViewportOrgEx(m_hDC, x, y, &old);
  return CPoint(old);
}

CPoint CDC::GetViewportOrg() const {
  POINT pt = {0, 0};
  ::GetViewportOrgEx(m_hAttribDC, &pt);
  return CPoint(pt);
}

int CDC::GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hAttribDC, nIndex); }

int CDC::GetClipBox(LPRECT lpRect) const { return lpRect ? ::GetClipBox(m_hDC, lpRect) : ERROR; }

int CDC::SelectClipRgn(CRgn* pRgn) {
  return ::SelectClipRgn(m_hDC, pRgn ? static_cast<HRGN>(pRgn->m_hObject) : nullptr);
}

int CDC::IntersectClipRect(int x1, int y1, int x2, int y2) { return ::IntersectClipRect(m_hDC, x1, y1, x2, y2); }

int CDC::IntersectClipRect(LPCRECT lpRect) {
  return lpRect ? IntersectClipRect(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom) : ERROR;
}

int CDC::ExcludeClipRect(int x1, int y1, int x2, int y2) { return ::ExcludeClipRect(m_hDC, x1, y1, x2, y2); }

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop) {
  return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, dwRop);
}

BOOL CDC::StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, int nSrcWidth,
                     int nSrcHeight, DWORD dwRop) {
  return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, nSrcWidth, nSrcHeight,
                      dwRop);
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr) {
  if (!lpRect) return;
  // The background colour with an opaque empty text fills fast, as the
  // framework does; the colour is restored.
  const COLORREF old = ::SetBkColor(m_hDC, clr);
  ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
  if (old != CLR_INVALID) ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr) {
  const RECT rect = {x, y, x + cx, y + cy};
  FillSolidRect(&rect, clr);
}

void CDC::Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight) {
  if (!lpRect) return;
  Draw3dRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, clrTopLeft,
             clrBottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight) {
  FillSolidRect(x, y, cx - 1, 1, clrTopLeft);
  FillSolidRect(x, y, 1, cy - 1, clrTopLeft);
  FillSolidRect(x + cx - 1, y, 1, cy, clrBottomRight);
  FillSolidRect(x, y + cy - 1, cx, 1, clrBottomRight);
}

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush) {
  if (lpRect && pBrush) ::FillRect(m_hDC, lpRect, static_cast<HBRUSH>(pBrush->m_hObject));
}

void CDC::FrameRect(LPCRECT lpRect, CBrush* pBrush) {
  if (lpRect && pBrush) ::FrameRect(m_hDC, lpRect, static_cast<HBRUSH>(pBrush->m_hObject));
}

BOOL CDC::Rectangle(int x1, int y1, int x2, int y2) { return ::Rectangle(m_hDC, x1, y1, x2, y2); }
BOOL CDC::Rectangle(LPCRECT lpRect) {
  return lpRect ? Rectangle(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom) : FALSE;
}
BOOL CDC::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  return ::RoundRect(m_hDC, x1, y1, x2, y2, x3, y3);
}
BOOL CDC::Ellipse(int x1, int y1, int x2, int y2) { return ::Ellipse(m_hDC, x1, y1, x2, y2); }
BOOL CDC::Ellipse(LPCRECT lpRect) {
  return lpRect ? Ellipse(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom) : FALSE;
}

CPoint CDC::MoveTo(int x, int y) {
  POINT old = {0, 0};
  ::MoveToEx(m_hDC, x, y, &old);
  return CPoint(old);
}

BOOL CDC::LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
COLORREF CDC::GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
COLORREF CDC::SetPixel(int x, int y, COLORREF crColor) { return ::SetPixel(m_hDC, x, y, crColor); }
BOOL CDC::DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }

BOOL CDC::TextOut(int x, int y, LPCSTR lpszString, int nCount) {
  return lpszString ? ::TextOutA(m_hDC, x, y, lpszString, nCount) : FALSE;
}

BOOL CDC::TextOut(int x, int y, const CString& str) { return TextOut(x, y, str, str.GetLength()); }

int CDC::DrawText(LPCSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat) {
  return lpszString && lpRect ? ::DrawTextA(m_hDC, lpszString, nCount, lpRect, nFormat) : 0;
}

int CDC::DrawText(const CString& str, LPRECT lpRect, UINT nFormat) {
  return DrawText(str, str.GetLength(), lpRect, nFormat);
}

CSize CDC::GetTextExtent(LPCSTR lpszString, int nCount) const {
  SIZE size = {0, 0};
  if (lpszString) ::GetTextExtentPoint32A(m_hAttribDC, lpszString, nCount, &size);
  return CSize(size);
}

CSize CDC::GetTextExtent(const CString& str) const { return GetTextExtent(str, str.GetLength()); }

// --- window contexts --------------------------------------------------------

CPaintDC::CPaintDC(CWnd* pWnd) : m_ps(), m_hWnd(pWnd ? pWnd->GetSafeHwnd() : nullptr) {
  if (m_hWnd) Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC() {
  // EndPaint pairs with BeginPaint even when it gave no context.
  if (m_hWnd) ::EndPaint(m_hWnd, &m_ps);
  Detach();
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->GetSafeHwnd() : nullptr) { Attach(::GetDC(m_hWnd)); }

CClientDC::~CClientDC() {
  if (m_hDC) ::ReleaseDC(m_hWnd, Detach());
}

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->GetSafeHwnd() : nullptr) { Attach(::GetWindowDC(m_hWnd)); }

CWindowDC::~CWindowDC() {
  if (m_hDC) ::ReleaseDC(m_hWnd, Detach());
}
