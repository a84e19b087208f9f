// CRgnDialog: Ormlace's skinned dialog base class.
//
// A borderless dialog that shapes and paints itself: OnInitDialog takes the
// caption and every frame away (WS_CAPTION, WS_THICKFRAME, WS_BORDER,
// WS_DLGFRAME and the extended edges), so that the client area is the whole
// window, and the window becomes a rounded rectangle of its size (corners
// of kCornerDiameter), rebuilt by RectifyControl on every resize. DrawView
// paints the skin: the background colour, a 1-pixel border, a title strip
// of kTitleHeight pixels at the top, and the icon picture (SetIcon) at the
// strip's left, vertically centred (scaled down to fit when taller), its
// transparent colour cut away. Painting goes through a memory context (no
// flicker); the background is never erased separately. The window clips
// its children, so controls laid on the strip are not painted over.
//
// A derived dialog calls CRgnDialog::OnInitDialog first in its own
// OnInitDialog, and chains its message map to CRgnDialog's. Windows only.
#pragma once

#include "afx/afx_dialog.h"
#include "afx/afx_gdi.h"
#include "afx/afx_string.h"
#include "base/library_api.h"

class ORMLACE_API CRgnDialog : public CDialog {
  DECLARE_DYNAMIC(CRgnDialog)

 public:
  // The dialog of the template nIDTemplate owned by pParent (null: the
  // thread's main window).
  explicit CRgnDialog(UINT nIDTemplate, CWnd* pParent = nullptr);
  // Destroys the small icon made by SetIcon (taken from the window first).
  ~CRgnDialog() override;

  // The skin's measures and colours.
  static constexpr int kTitleHeight = 26;
  static constexpr int kCornerDiameter = 8;
  static constexpr COLORREF kBackgroundColor = RGB(244, 247, 251);
  static constexpr COLORREF kBorderColor = RGB(52, 94, 146);
  static constexpr COLORREF kTitleColor = RGB(86, 136, 196);

  // Makes the window borderless, shapes it for its client size, applies
  // the icon set before the window existed. Answers CDialog's result.
  BOOL OnInitDialog() override;

  // Gives the window the rounded outline of a client area of cx by cy
  // pixels (negative taken as 0) and repaints it. Nothing without a window.
  void RectifyControl(int cx, int cy);

  // The icon picture (named as CSkinImageManager names pictures, taken
  // through that cache) and its colour that is cut away: drawn on the title
  // strip, and made the window's small icon (an HICON owned by the dialog;
  // the previous one is destroyed). FALSE, nothing changed, when the
  // picture cannot be read.
  BOOL SetIcon(const CString& strFileName, COLORREF clrTransparent);
  using CWnd::SetIcon;

 protected:
  // Called as the dialog's window is linked: adds WS_CLIPCHILDREN.
  void PreSubclassWindow() override;
  // Paints the dialog's skin into pDC, whose origin is the client area's
  // (a derived dialog may paint more after calling it).
  virtual void DrawView(CDC* pDC);

  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnSize(UINT nType, int cx, int cy);

  DECLARE_MESSAGE_MAP()

 private:
  // Hands the small icon to the window (when there is one).
  void ApplyIcon();

  struct Skin;
  Skin* m_pSkin;
};
