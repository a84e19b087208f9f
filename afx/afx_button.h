// CButton: a button control (MFC's names and signatures). Windows only.
//
// An owner-drawn button (BS_OWNERDRAW) draws itself: the WM_DRAWITEM that
// the button sends its parent is reflected back to the button object
// (CWnd::OnChildNotify) and handed to the virtual DrawItem, which a derived
// class overrides. The parent's own handlers see it only when the button
// has no object or DrawItem is not overridden (the default draws nothing
// and leaves the message to the parent).
#pragma once

#include "afx/afx_port.h"
#include "afx/afx_wnd.h"

class AFX_API CButton : public CWnd {
  DECLARE_DYNAMIC(CButton)

 public:
  CButton();
  ~CButton() override;

  // A "BUTTON" child window (WS_CHILD added) of pParentWnd with the
  // identifier nID. FALSE as for CWnd::CreateEx.
  virtual BOOL Create(LPCSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

  // BST_PUSHED, BST_FOCUS and the check state (BM_GETSTATE).
  UINT GetState() const;
  void SetState(BOOL bHighlight);
  // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
  int GetCheck() const;
  void SetCheck(int nCheck);
  // The BS_* type bits of the style.
  UINT GetButtonStyle() const;
  void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE);
  // The picture of a BS_BITMAP / BS_ICON button; the previous one, still
  // owned by the caller.
  HBITMAP SetBitmap(HBITMAP hBitmap);
  HBITMAP GetBitmap() const;
  HICON SetIcon(HICON hIcon);
  HICON GetIcon() const;

  // Draws an owner-drawn button. The default draws nothing.
  virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

 protected:
  // Takes the reflected WM_DRAWITEM when DrawItem is overridden.
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

 private:
  // Set by the default DrawItem: the class does not draw.
  bool m_bDefaultDrawItem = false;
};
