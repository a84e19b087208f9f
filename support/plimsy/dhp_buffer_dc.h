// CDHPBufferDC: a double-buffered paint context.
//
// Constructed on a target context (typically the window's CPaintDC in
// OnPaint), it is itself a device context: drawing goes into an off-screen
// picture of the target's paint area (the CPaintDC's rcPaint, otherwise the
// target's clip box) in the target's own logical coordinates, and when the
// object is destroyed that picture is copied to the target in one step, so
// the window never shows a half-drawn state.
//
// The picture starts as a copy of what the target shows there, so pixels
// that are not drawn keep their look; it also starts with the target's
// font, pen, brush, text and background colours and background mode.
//
// When the target has no context or nothing to paint, or the off-screen
// picture cannot be made, drawing goes straight to the target instead
// (IsBuffered() is FALSE); it never fails because of the buffer. The target
// must outlive this object. Windows only.
#pragma once

#include "afx/afx_gdi.h"
#include "afx/afx_rect.h"
#include "base/library_api.h"

class PLIMSY_API CDHPBufferDC : public CDC {
  DECLARE_DYNAMIC(CDHPBufferDC)

 public:
  explicit CDHPBufferDC(CDC* pDC);
  // Copies the picture to the target.
  ~CDHPBufferDC() override;

  // TRUE while drawing goes into the off-screen picture.
  BOOL IsBuffered() const { return m_bBuffered; }
  // The target's area that is buffered, in device coordinates.
  const CRect& GetBufferRect() const { return m_rcBuffer; }

 private:
  bool StartBuffer();

  CDC* m_pTarget;
  CBitmap m_bitmap;
  HGDIOBJ m_hOldBitmap;
  CRect m_rcBuffer;
  bool m_bBuffered;
};
