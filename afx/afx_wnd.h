// CWnd: a window object (MFC's names and signatures). Windows only.
//
// Ownership: a CWnd that created its window (CreateEx/Create) or subclassed
// one (SubclassWindow) owns it: the destructor destroys a window still
// attached. Attach only links a handle to the object (the window's messages
// do not pass through the object) and Detach unlinks it without destroying.
// A CWnd is not copyable.
//
// Messages: a window created by CreateEx is subclassed from its first
// message on (WM_NCCREATE included), whatever its class (the framework's
// default class, a system control class, a host's class). Every message goes
// to the virtual WindowProc, which looks it up in the object's message map
// (afx_cmd_target.h) and otherwise calls DefWindowProc, i.e. the window
// procedure the window had before it was subclassed.
//
// Destruction: WM_NCDESTROY unlinks the object from its handle (m_hWnd
// becomes null, the old window procedure is restored) and then calls the
// virtual PostNcDestroy, where a self-owned object may delete itself. When
// the thread object's main window is destroyed, m_pMainWnd is cleared.
//
// Handle map: FromHandlePermanent finds the object linked to a handle (by
// Create, Attach or SubclassWindow), from any thread. FromHandle also makes
// a temporary CWnd for a live window that has none; temporary objects belong
// to the calling thread and stay valid until that thread calls
// DeleteTempMap() (CWinThread's idle processing does); never delete them.
// Each window may be linked to one object at a time.
#pragma once

#include <ole2.h>

#include "afx/afx_cmd_target.h"
#include "afx/afx_port.h"
#include "afx/afx_string.h"

// <windows.h> maps these member names to ...A or ...W by the host's character
// set. The framework is multibyte, so they name the ...A members whatever the
// host chose (the names the library exports); the ...W spellings below are
// inline aliases of the same members for hosts built with UNICODE.
#pragma push_macro("SendMessage")
#pragma push_macro("PostMessage")
#pragma push_macro("SetWindowText")
#pragma push_macro("GetWindowText")
#pragma push_macro("GetWindowTextLength")
#pragma push_macro("DefWindowProc")
#undef SendMessage
#undef PostMessage
#undef SetWindowText
#undef GetWindowText
#undef GetWindowTextLength
#undef DefWindowProc
#define SendMessage SendMessageA
#define PostMessage PostMessageA
#define SetWindowText SetWindowTextA
#define GetWindowText GetWindowTextA
#define GetWindowTextLength GetWindowTextLengthA
#define DefWindowProc DefWindowProcA

class CWnd;
class CDC;
class CDataExchange;
class CFile;
class COleControlSite;
struct CCreateContext;

// The window procedure of every subclassed window.
AFX_API LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
// Hands one message to pWnd's WindowProc, keeping it as the thread's
// current message meanwhile.
AFX_API LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

// Links the next window that this thread creates (its first message
// included) to pWnd and subclasses it: call right before the system call
// that creates the window (CreateWindowEx, CreateDialogIndirectParam...),
// then AfxUnhookWindowCreate right after. Calls pair and may nest.
AFX_API void AfxHookWindowCreate(CWnd* pWnd);
// Ends the pairing; FALSE when no window was linked (the creation failed
// before the window existed).
AFX_API BOOL AfxUnhookWindowCreate();

// The framework's default window class name.
#define AFX_WND_CLASS_NAME "AfxWnd"

class AFX_API CWnd : public CCmdTarget {
  DECLARE_DYNAMIC(CWnd)

 public:
  CWnd();
  // Destroys the window when it is still attached (not for temporary
  // objects).
  ~CWnd() override;

  // The window handle, null when no window is attached.
  HWND m_hWnd;

  // The window handle (null when none). Call it on an object, not on a
  // null pointer.
  HWND GetSafeHwnd() const { return m_hWnd; }

  // --- handle map -------------------------------------------------------
  // The object linked to hWnd, or a temporary object for a live window
  // without one; null for null or a handle that is not a window.
  static CWnd* FromHandle(HWND hWnd);
  // The object linked to hWnd; null when none.
  static CWnd* FromHandlePermanent(HWND hWnd);
  // Deletes the calling thread's temporary objects.
  static void DeleteTempMap();

  // Links hWndNew to this object. FALSE when this object already has a
  // window, hWndNew is null or not a window, or hWndNew is linked to another
  // object.
  BOOL Attach(HWND hWndNew);
  // Unlinks the window and returns its handle (null when none); the window
  // is left as it is.
  HWND Detach();
  // Attach, then route the window's messages through this object. FALSE as
  // for Attach or when the window procedure cannot be replaced (a window of
  // another process).
  BOOL SubclassWindow(HWND hWnd);
  // SubclassWindow on the child nID of pParent (a dialog's control).
  BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
  // Restores the window procedure and detaches; the handle, or null.
  HWND UnsubclassWindow();

  // --- creation ---------------------------------------------------------
  // Creates the window and links it to this object. lpszClassName null uses
  // the framework's default class (a plain window with the default
  // procedure). FALSE when this object already has a window, when
  // PreCreateWindow refuses, or when the system cannot create the window
  // (GetLastError tells why).
  virtual BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x, int y,
                        int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
  // The same with a rectangle, a parent object (null: none) and a child
  // identifier.
  virtual BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
  // A child window (WS_CHILD is added) of pParentWnd.
  virtual BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                      UINT nID, CCreateContext* pContext = nullptr);
  // Destroys the window; the object stays. FALSE when there is none or the
  // system refuses (a window of another thread).
  virtual BOOL DestroyWindow();

  // The desktop window as a (temporary) object.
  static CWnd* GetDesktopWindow();

  // --- messages ---------------------------------------------------------
  // Send/post to the attached window. Without one, SendMessage answers 0
  // and PostMessage FALSE (ERROR_INVALID_WINDOW_HANDLE); nothing is posted
  // to the thread.
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  LRESULT SendMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return SendMessage(message, wParam, lParam);
  }
  BOOL PostMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return PostMessage(message, wParam, lParam);
  }
  // The message being handled on this thread (null outside any handler).
  static const MSG* GetCurrentMessage();
  // Called by the thread's message loop before a message is dispatched;
  // TRUE when it was handled and must not be dispatched. The default
  // offers key messages to the UI-active control this object hosts
  // (IOleInPlaceActiveObject::TranslateAccelerator; S_OK: handled).
  virtual BOOL PreTranslateMessage(MSG* pMsg);

  // --- state and wrappers (all on the attached window) ------------------
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  int GetDlgCtrlID() const;
  CWnd* GetParent() const;
  // The window that receives this window's notifications: the one given to
  // SetOwner (null: none set), else the parent. Only the object records
  // it; the system's owner of the window is not changed.
  void SetOwner(CWnd* pOwnerWnd);
  CWnd* GetOwner() const;
  CWnd* GetDlgItem(int nID) const;
  BOOL IsWindowVisible() const;
  BOOL ShowWindow(int nCmdShow);
  BOOL IsWindowEnabled() const;
  BOOL EnableWindow(BOOL bEnable = TRUE);
  // A hosted control (m_pCtrlSite) moves through its site: SetExtent and
  // SetObjectRects, and the site answers the new place from then on.
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
  void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
  BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
  void GetWindowRect(LPRECT lpRect) const;
  void GetClientRect(LPRECT lpRect) const;
  void SetWindowText(LPCSTR lpszString);
  int GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const;
  void GetWindowText(CString& rString) const;
  int GetWindowTextLength() const;
  void SetWindowTextW(LPCSTR lpszString) { SetWindowText(lpszString); }
  int GetWindowTextW(LPSTR lpszStringBuf, int nMaxCount) const { return GetWindowText(lpszStringBuf, nMaxCount); }
  void GetWindowTextW(CString& rString) const { GetWindowText(rString); }
  int GetWindowTextLengthW() const { return GetWindowTextLength(); }
  CWnd* SetFocus();
  static CWnd* GetFocus();
  void Invalidate(BOOL bErase = TRUE);
  void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
  void UpdateWindow();
  void ScreenToClient(LPPOINT lpPoint) const;
  void ScreenToClient(LPRECT lpRect) const;
  void ClientToScreen(LPPOINT lpPoint) const;
  void ClientToScreen(LPRECT lpRect) const;
  // Gives the window the region's shape; on success the system owns hRgn
  // (the caller must not delete it). Null restores the rectangle.
  int SetWindowRgn(HRGN hRgn, BOOL bRedraw);
  // The big or small icon of the window (WM_SETICON); the previous one,
  // still owned by the caller.
  HICON SetIcon(HICON hIcon, BOOL bBigIcon);
  HICON GetIcon(BOOL bBigIcon) const;
  // The client area's context as a temporary object; give it back with
  // ReleaseDC. Null when the system gives none.
  CDC* GetDC();
  int ReleaseDC(CDC* pDC);
  UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
  BOOL KillTimer(UINT_PTR nIDEvent);

  // --- ActiveX controls (afx_olecontrol.h) -----------------------------
  // Creates the control of class clsid (or of the programmatic identifier
  // pszClass) in place as the child nID of pParentWnd, and links its
  // window to this object (attached, not subclassed; a control left from a
  // window that is gone is closed first). pPersist, when given,
  // holds the control's saved state: a stream, or a compound file when
  // bStorage; bstrLicKey, when given, is the licence key handed to the
  // control's class factory. FALSE, no window and no control left, when
  // this object has a window, pParentWnd has none, or the control cannot
  // be made or activated.
  BOOL CreateControl(REFCLSID clsid, LPCSTR pszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                     CFile* pPersist = nullptr, BOOL bStorage = FALSE, BSTR bstrLicKey = nullptr);
  BOOL CreateControl(LPCSTR pszClass, LPCSTR pszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                     CFile* pPersist = nullptr, BOOL bStorage = FALSE, BSTR bstrLicKey = nullptr);
  // The hosted control (not AddRef'ed; the site keeps it), null when none.
  LPUNKNOWN GetControlUnknown();
  // Calls the control's member dwDispID through IDispatch::Invoke: wFlags
  // DISPATCH_METHOD, _PROPERTYGET or _PROPERTYPUT; the arguments follow as
  // pbParamInfo (a concatenation of VTS_* strings) describes them; the
  // result is converted to vtRet and stored at pvRet (VT_EMPTY: none).
  // Strings go in as LPCSTR and come back as CString (VT_BSTR), converted
  // with the ANSI code page. A failed call leaves the result zeroed (an
  // empty CString); nothing is thrown. Nothing happens without a control.
  void InvokeHelper(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* pbParamInfo, ...);
  // A property read and write through InvokeHelper (one value of vtProp).
  void GetProperty(DISPID dwDispID, VARTYPE vtProp, void* pvProp) const;
  void SetProperty(DISPID dwDispID, VARTYPE vtProp, ...);
  // The control's site when this object hosts a control, else null.
  COleControlSite* m_pCtrlSite = nullptr;

  // Runs DoDataExchange: controls to members when bSaveAndValidate, members
  // to controls otherwise (afx_ddx.h). FALSE when an exchange failed or
  // there is no window.
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

  // Centres the window on its owner (pAlternateOwner when given; a child on
  // its parent), or on the work area of its monitor when it has no visible
  // owner, kept inside that work area.
  void CenterWindow(CWnd* pAlternateOwner = nullptr);

  // --- default handlers (each passes the current message to Default) ----
  afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct);
  afx_msg void OnDestroy();
  // Unlinks the object and calls PostNcDestroy; an override must call it.
  afx_msg void OnNcDestroy();
  afx_msg void OnClose();
  afx_msg void OnPaint();
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
  afx_msg BOOL OnCopyData(CWnd* pWnd, COPYDATASTRUCT* pCopyDataStruct);
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);

 protected:
  // Dispatch: OnWndMsg, else DefWindowProc.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Looks the message up: WM_COMMAND goes to OnCommand, WM_NOTIFY to
  // OnNotify, others to the message map. TRUE when handled.
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // Reflection: a message that a child control sends its parent about
  // itself (WM_COMMAND and WM_NOTIFY from a control, WM_DRAWITEM,
  // WM_MEASUREITEM, WM_COMPAREITEM, WM_DELETEITEM, WM_CTLCOLOR*, WM_HSCROLL
  // and WM_VSCROLL from a scroll bar control) is first offered to that
  // child's object, if it has one, through this member; TRUE (with
  // *pResult) means handled, and the parent's own handlers do not see it.
  // The default handles nothing.
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // The window procedure the window had before it was subclassed
  // (DefWindowProcA when none).
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefWindowProcW(UINT message, WPARAM wParam, LPARAM lParam) { return DefWindowProc(message, wParam, lParam); }
  // DefWindowProc with the message being handled.
  LRESULT Default();
  // May change the creation parameters; FALSE cancels the creation. The
  // default fills in the framework's default class when none is named.
  virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
  // Ends a creation begun with AfxHookWindowCreate(this) right after the
  // system call that made hWnd (null when it failed): unhooks, calls
  // PostNcDestroy when the window never existed, links the window when the
  // hook could not. TRUE when the object has its window.
  BOOL FinishCreate(HWND hWnd);
  // The exchanges between the window's controls and its members (see
  // afx_ddx.h); the default exchanges nothing.
  virtual void DoDataExchange(CDataExchange* pDX);
  // Called right after the window is linked and subclassed, by
  // SubclassWindow and at creation (CreateEx, dialogs; before WM_NCCREATE).
  virtual void PreSubclassWindow();
  // Called last when the window is gone (after WM_NCDESTROY); m_hWnd is
  // null. The default does nothing.
  virtual void PostNcDestroy();

  // The procedure the window had before (null when not subclassed).
  WNDPROC m_pfnSuper;
  // The owner given to SetOwner (null when none).
  HWND m_hWndOwner;

  DECLARE_MESSAGE_MAP()

 private:
  friend struct AfxWndAccess;
  // Unlinks after the window is gone; PostNcDestroy follows.
  void FinishNcDestroy();
  bool LinkAndSubclass(HWND hWnd);
};

#pragma pop_macro("SendMessage")
#pragma pop_macro("PostMessage")
#pragma pop_macro("SetWindowText")
#pragma pop_macro("GetWindowText")
#pragma pop_macro("GetWindowTextLength")
#pragma pop_macro("DefWindowProc")
