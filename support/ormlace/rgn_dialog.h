// CRgnDialog: Ormlace's skinned dialog base class.
//
// A dialog that shapes and paints itself from skin pictures: the window
// takes the outline of its picture (the transparent colour cut away) and
// DrawView paints the picture and the skin's decorations. A derived dialog
// calls CRgnDialog::OnInitDialog first in its own OnInitDialog, and chains
// its message map to CRgnDialog's.
//
// Declared here as the contract of the library; its implementation comes
// with the browser dialog that uses it. Windows only.
#pragma once

#include "afx/afx_dialog.h"
#include "afx/afx_gdi.h"
#include "afx/afx_string.h"
#include "support/ormlace/ormlace_api.h"

class ORMLACE_API CRgnDialog : public CDialog {
  DECLARE_DYNAMIC(CRgnDialog)

 public:
  // The dialog of the template nIDTemplate owned by pParent (null: the
  // thread's main window).
  explicit CRgnDialog(UINT nIDTemplate, CWnd* pParent = nullptr);
  ~CRgnDialog() override;

  // Shapes the window from its skin picture and lays the controls out.
  BOOL OnInitDialog() override;

  // Lays the skin's own controls (caption buttons, frame) out for a client
  // area of cx by cy pixels.
  void RectifyControl(int cx, int cy);

  // The picture file that shapes and paints the dialog, and its colour that
  // is cut away; FALSE when the picture cannot be read.
  BOOL SetIcon(const CString& strFileName, COLORREF clrTransparent);
  using CWnd::SetIcon;

 protected:
  // Called as the dialog's window is linked; prepares the skin.
  void PreSubclassWindow() override;
  // Paints the dialog's skin into pDC (the window's client area).
  virtual void DrawView(CDC* pDC);

  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnSize(UINT nType, int cx, int cy);

  DECLARE_MESSAGE_MAP()

 private:
  struct Skin;
  Skin* m_pSkin;
};
