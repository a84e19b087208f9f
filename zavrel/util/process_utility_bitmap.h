// The framework's bitmap class as ProcessUtility::GetBitmapFromProcessFile
// fills it. The framework layer's GDI header provides CBitmap once it exists;
// until then this minimal owner stands in, with MFC's member names.
#pragma once

#if __has_include("afx/afx_gdi.h")
#include "afx/afx_gdi.h"
#else

#include "afx/afx_port.h"

// Owns one GDI bitmap: the destructor deletes it; copying is not allowed.
class CBitmap {
 public:
  CBitmap() = default;
  CBitmap(const CBitmap&) = delete;
  CBitmap& operator=(const CBitmap&) = delete;
  ~CBitmap() { DeleteObject(); }

  // Takes ownership of hObject. FALSE for null or when a bitmap is held.
  BOOL Attach(HGDIOBJ hObject) {
    if (hObject == nullptr || m_hObject != nullptr) return FALSE;
    m_hObject = hObject;
    return TRUE;
  }
  // Gives up ownership; the caller deletes the returned handle.
  HGDIOBJ Detach() {
    HGDIOBJ h = m_hObject;
    m_hObject = nullptr;
    return h;
  }
  // Deletes the bitmap; FALSE when none was held.
  BOOL DeleteObject() {
    if (m_hObject == nullptr) return FALSE;
    const BOOL ok = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return ok;
  }
  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
  // The bitmap's description; 0 when none is held.
  int GetBitmap(BITMAP* pBitMap) const {
    return m_hObject == nullptr ? 0 : ::GetObjectA(m_hObject, sizeof(BITMAP), pBitMap);
  }

  HGDIOBJ m_hObject = nullptr;
};

#endif
