// CRgnButton: Ormlace's push button drawn from a skin picture.
//
// LoadRgnImage reads a picture that holds the button's looks side by side
// (normal, hovered, pressed, focused, disabled: nStates of them, 5 for all)
// and its transparent colour, which is cut from the button's outline; the
// button is owner drawn from then on (DrawItem).
//
// Declared here as the contract of the library; its implementation comes
// with the browser dialog that uses it. Windows only.
#pragma once

#include "afx/afx_button.h"
#include "support/ormlace/ormlace_api.h"

class ORMLACE_API CRgnButton : public CButton {
  DECLARE_DYNAMIC(CRgnButton)

 public:
  CRgnButton();
  ~CRgnButton() override;

  // False when the picture cannot be read or nStates is 0.
  bool LoadRgnImage(LPCTSTR lpszFileName, COLORREF clrTransparent, BYTE nStates = 5);

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  struct Skin;
  Skin* m_pSkin;
};
