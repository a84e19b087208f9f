// GDI objects and device contexts (MFC's names and signatures). Windows
// only.
//
// Ownership: a CGdiObject (CPen, CBrush, CFont, CBitmap, CRgn) owns the
// handle it created or was given by Attach, and deletes it when destroyed;
// Detach gives the handle up. A CDC owns the device context it created
// (CreateCompatibleDC) or was given by Attach, and deletes it when
// destroyed. CPaintDC, CClientDC and CWindowDC instead release the context
// they obtained from their window (EndPaint, ReleaseDC). None is copyable.
//
// Temporary objects: FromHandle (and SelectObject, which answers the object
// that was selected before) wraps a handle in a temporary object of the
// calling thread, owning nothing. It stays valid until that thread calls
// DeleteTempMap (CWinThread's idle processing does); never delete it. Two
// calls with one handle and one class answer the same object; a handle owned
// by a permanent object is still wrapped in a temporary one.
//
// Failures: a creation member answers FALSE and leaves the object empty; a
// drawing member on an empty context fails as the system call does with a
// null handle (FALSE, 0 or CLR_INVALID). Device contexts that cannot be
// obtained (CPaintDC, CClientDC) leave m_hDC null.
#pragma once

#include "afx/afx_cmd_target.h"
#include "afx/afx_port.h"
#include "afx/afx_rect.h"
#include "afx/afx_string.h"

// <windows.h> maps these member names to ...A or ...W by the host's character
// set. The framework is multibyte, so they name the ...A members whatever the
// host chose (the names the library exports); the ...W spellings below are
// inline aliases of the same members for hosts built with UNICODE.
#pragma push_macro("GetObject")
#pragma push_macro("CreateFontIndirect")
#pragma push_macro("LoadBitmap")
#pragma push_macro("TextOut")
#pragma push_macro("DrawText")
#undef GetObject
#undef CreateFontIndirect
#undef LoadBitmap
#undef TextOut
#undef DrawText
#define GetObject GetObjectA
#define CreateFontIndirect CreateFontIndirectA
#define LoadBitmap LoadBitmapA
#define TextOut TextOutA
#define DrawText DrawTextA

class CWnd;
class CDC;

class AFX_API CGdiObject : public CObject {
  DECLARE_DYNAMIC(CGdiObject)

 public:
  CGdiObject() : m_hObject(nullptr) {}
  // Deletes the object held.
  ~CGdiObject() override;

  HGDIOBJ m_hObject;

  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  operator HGDIOBJ() const { return m_hObject; }

  // Takes ownership of hObject. FALSE for null or when one is held already.
  BOOL Attach(HGDIOBJ hObject);
  // Gives up ownership; the caller deletes the handle (null when none).
  HGDIOBJ Detach();
  // Deletes the object held; FALSE when none was held.
  BOOL DeleteObject();

  // The object's description (GetObject); 0 when none is held.
  int GetObject(int nCount, LPVOID lpObject) const;
  int GetObjectW(int nCount, LPVOID lpObject) const { return GetObject(nCount, lpObject); }
  // OBJ_PEN, OBJ_BITMAP, ...; 0 when none is held.
  UINT GetObjectType() const;
  // Holds a stock object (deleting it later is harmless).
  BOOL CreateStockObject(int nIndex);

  // A temporary object for hObject; null for null.
  static CGdiObject* FromHandle(HGDIOBJ hObject);
  // Deletes the calling thread's temporary GDI objects (not their handles).
  static void DeleteTempMap();
};

class AFX_API CPen : public CGdiObject {
  DECLARE_DYNAMIC(CPen)

 public:
  CPen() = default;
  // Creates the pen at once (empty when it cannot be made).
  CPen(int nPenStyle, int nWidth, COLORREF crColor);
  BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }
  static CPen* FromHandle(HPEN hPen);
};

class AFX_API CBrush : public CGdiObject {
  DECLARE_DYNAMIC(CBrush)

 public:
  CBrush() = default;
  // A solid brush of the colour (empty when it cannot be made).
  explicit CBrush(COLORREF crColor);
  BOOL CreateSolidBrush(COLORREF crColor);
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
  static CBrush* FromHandle(HBRUSH hBrush);
};

class AFX_API CFont : public CGdiObject {
  DECLARE_DYNAMIC(CFont)

 public:
  CFont() = default;
  BOOL CreateFontIndirect(const LOGFONTA* lpLogFont);
  BOOL CreateFontIndirectW(const LOGFONTA* lpLogFont) { return CreateFontIndirect(lpLogFont); }
  // A font of nPointSize tenths of a point for pDC (the screen when null).
  BOOL CreatePointFont(int nPointSize, LPCSTR lpszFaceName, CDC* pDC = nullptr);
  int GetLogFont(LOGFONTA* pLogFont) const;
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
  static CFont* FromHandle(HFONT hFont);
};

class AFX_API CBitmap : public CGdiObject {
  DECLARE_DYNAMIC(CBitmap)

 public:
  CBitmap() = default;
  // Loads a bitmap resource from the module that holds it
  // (AfxFindResourceHandle).
  BOOL LoadBitmap(LPCSTR lpszResourceName);
  BOOL LoadBitmap(UINT nIDResource);
  BOOL LoadBitmapW(LPCSTR lpszResourceName) { return LoadBitmap(lpszResourceName); }
  BOOL LoadBitmapW(UINT nIDResource) { return LoadBitmap(nIDResource); }
  BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits);
  // A bitmap compatible with pDC's device (the screen when pDC is null).
  BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
  // The bitmap's description; 0 when none is held.
  int GetBitmap(BITMAP* pBitMap) const;
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
  static CBitmap* FromHandle(HBITMAP hBitmap);
};

class AFX_API CRgn : public CGdiObject {
  DECLARE_DYNAMIC(CRgn)

 public:
  CRgn() = default;
  BOOL CreateRectRgn(int x1, int y1, int x2, int y2);
  BOOL CreateRectRgnIndirect(LPCRECT lpRect);
  BOOL CreateEllipticRgn(int x1, int y1, int x2, int y2);
  BOOL CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3);
  // A region from region data (ExtCreateRegion), transformed by lpXForm
  // when given; nCount is the size of the data in bytes.
  BOOL CreateFromData(const XFORM* lpXForm, int nCount, const RGNDATA* pRgnData);
  // Sets this region (which must exist) to the combination of the two
  // (RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY); the region type, or
  // ERROR.
  int CombineRgn(const CRgn* pRgn1, const CRgn* pRgn2, int nCombineMode);
  int CopyRgn(const CRgn* pRgnSrc);
  BOOL PtInRegion(int x, int y) const;
  BOOL PtInRegion(POINT point) const { return PtInRegion(point.x, point.y); }
  int GetRgnBox(LPRECT lpRect) const;
  operator HRGN() const { return static_cast<HRGN>(m_hObject); }
  static CRgn* FromHandle(HRGN hRgn);
};

class AFX_API CDC : public CObject {
  DECLARE_DYNAMIC(CDC)

 public:
  CDC();
  // Deletes the context held (see CPaintDC and the others for theirs).
  ~CDC() override;

  HDC m_hDC;
  // The context asked for attributes; the same as m_hDC here.
  HDC m_hAttribDC;

  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }

  // A temporary object for hDC; null for null.
  static CDC* FromHandle(HDC hDC);
  // Deletes the calling thread's temporary contexts (not their handles).
  static void DeleteTempMap();

  // Takes ownership of hDC. FALSE for null or when one is held already.
  BOOL Attach(HDC hDC);
  // Gives up ownership; the handle (null when none).
  HDC Detach();
  // Deletes the context held; FALSE when none.
  BOOL DeleteDC();
  // A memory context compatible with pDC (the screen when null).
  BOOL CreateCompatibleDC(CDC* pDC);

  int SaveDC();
  BOOL RestoreDC(int nSavedDC);

  // Selection: each answers the object selected before as a temporary
  // object (null on failure). A region answers the region type instead.
  CGdiObject* SelectStockObject(int nIndex);
  CPen* SelectObject(CPen* pPen);
  CBrush* SelectObject(CBrush* pBrush);
  CFont* SelectObject(CFont* pFont);
  CBitmap* SelectObject(CBitmap* pBitmap);
  int SelectObject(CRgn* pRgn);
  CGdiObject* SelectObject(CGdiObject* pObject);
  HGDIOBJ SelectObject(HGDIOBJ hObject);
  CBitmap* GetCurrentBitmap() const;
  CFont* GetCurrentFont() const;

  COLORREF SetTextColor(COLORREF crColor);
  COLORREF GetTextColor() const;
  COLORREF SetBkColor(COLORREF crColor);
  COLORREF GetBkColor() const;
  int SetBkMode(int nBkMode);
  int GetBkMode() const;
  CPoint SetWindowOrg(int x, int y);
  CPoint SetWindowOrg(POINT point) { return SetWindowOrg(point.x, point.y); }
  CPoint GetWindowOrg() const;
  CPoint SetViewportOrg(int x, int y);
  CPoint GetViewportOrg() const;
  int GetDeviceCaps(int nIndex) const;

  int GetClipBox(LPRECT lpRect) const;
  // Selects a copy of the region as the clipping region (null: none).
  int SelectClipRgn(CRgn* pRgn);
  int IntersectClipRect(int x1, int y1, int x2, int y2);
  int IntersectClipRect(LPCRECT lpRect);
  int ExcludeClipRect(int x1, int y1, int x2, int y2);

  BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop);
  BOOL StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, int nSrcWidth, int nSrcHeight,
                  DWORD dwRop);
  void FillSolidRect(LPCRECT lpRect, COLORREF clr);
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF clr);
  // A one-pixel frame just inside the rectangle: top and left edges in
  // clrTopLeft, bottom and right edges in clrBottomRight.
  void Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight);
  void Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight);
  void FillRect(LPCRECT lpRect, CBrush* pBrush);
  void FrameRect(LPCRECT lpRect, CBrush* pBrush);
  BOOL Rectangle(int x1, int y1, int x2, int y2);
  BOOL Rectangle(LPCRECT lpRect);
  // A rectangle with corners rounded by ellipses of x3 x y3.
  BOOL RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
  BOOL Ellipse(int x1, int y1, int x2, int y2);
  BOOL Ellipse(LPCRECT lpRect);
  CPoint MoveTo(int x, int y);
  BOOL LineTo(int x, int y);
  COLORREF GetPixel(int x, int y) const;
  COLORREF SetPixel(int x, int y, COLORREF crColor);
  BOOL DrawIcon(int x, int y, HICON hIcon);

  BOOL TextOut(int x, int y, LPCSTR lpszString, int nCount);
  BOOL TextOut(int x, int y, const CString& str);
  int DrawText(LPCSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat);
  int DrawText(const CString& str, LPRECT lpRect, UINT nFormat);
  BOOL TextOutW(int x, int y, LPCSTR lpszString, int nCount) { return TextOut(x, y, lpszString, nCount); }
  BOOL TextOutW(int x, int y, const CString& str) { return TextOut(x, y, str); }
  int DrawTextW(LPCSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat) {
    return DrawText(lpszString, nCount, lpRect, nFormat);
  }
  int DrawTextW(const CString& str, LPRECT lpRect, UINT nFormat) { return DrawText(str, lpRect, nFormat); }
  CSize GetTextExtent(LPCSTR lpszString, int nCount) const;
  CSize GetTextExtent(const CString& str) const;

 private:
  template <class Object>
  Object* SelectGdiObject(Object* pObject);
};

// The context of a WM_PAINT handler: BeginPaint on construction, EndPaint
// on destruction. m_ps is the paint information (rcPaint, the area to
// paint).
class AFX_API CPaintDC : public CDC {
  DECLARE_DYNAMIC(CPaintDC)

 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC() override;

  PAINTSTRUCT m_ps;

 protected:
  HWND m_hWnd;
};

// The client area's context of a window (the screen's for null): GetDC on
// construction, ReleaseDC on destruction.
class AFX_API CClientDC : public CDC {
  DECLARE_DYNAMIC(CClientDC)

 public:
  explicit CClientDC(CWnd* pWnd);
  ~CClientDC() override;

 protected:
  HWND m_hWnd;
};

// The whole window's context (GetWindowDC / ReleaseDC).
class AFX_API CWindowDC : public CDC {
  DECLARE_DYNAMIC(CWindowDC)

 public:
  explicit CWindowDC(CWnd* pWnd);
  ~CWindowDC() override;

 protected:
  HWND m_hWnd;
};

#pragma pop_macro("GetObject")
#pragma pop_macro("CreateFontIndirect")
#pragma pop_macro("LoadBitmap")
#pragma pop_macro("TextOut")
#pragma pop_macro("DrawText")
