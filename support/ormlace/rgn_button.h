// CRgnButton: Ormlace's push button drawn from a skin picture.
//
// LoadRgnImage reads a picture (named as CSkinImageManager names pictures,
// and taken through that cache) that holds the button's looks in nStates
// equal cells side by side: normal, hovered, pressed, focused, disabled (5
// for all; with fewer, a missing look draws the normal cell). Pixels of the
// transparent colour (and fully transparent ones) draw nothing. On success
// the button becomes owner drawn (BS_OWNERDRAW), takes the size of one cell
// keeping its position, and its window region becomes the opaque pixels of
// the normal cell. A button whose window does not exist yet gets this when
// its window is linked: at once after WM_CREATE when it is created, after
// the next message dispatch when an existing window is subclassed.
//
// DrawItem draws the cell of the state: disabled (ODS_DISABLED) before
// pressed (ODS_SELECTED) before hovered (the mouse is over the button,
// followed with TrackMouseEvent) before focused (ODS_FOCUS) before normal.
// Windows only.
#pragma once

#include "afx/afx_button.h"
#include "base/library_api.h"

class ORMLACE_API CRgnButton : public CButton {
  DECLARE_DYNAMIC(CRgnButton)

 public:
  CRgnButton();
  ~CRgnButton() override;

  // False when the picture cannot be read or nStates is 0.
  bool LoadRgnImage(LPCSTR lpszFileName, COLORREF clrTransparent, BYTE nStates = 5);

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

 protected:
  void PreSubclassWindow() override;

  afx_msg LRESULT OnCreateMessage(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnApplySkin(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnMouseMoveMessage(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnMouseLeaveMessage(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()

 private:
  // Gives the window the skin's style, size and region.
  void ApplySkin();

  struct Skin;
  Skin* m_pSkin;
};
