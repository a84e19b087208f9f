// CRemoteVideoWindow: hosts the ActiveX control that shows one remote
// user's video (class {4994C1B7-684C-4818-B61B-4D9011F6E8BD}) and exposes
// its two properties. Created, subclassed and painted as CLocalVideoWindow
// is (local_video_window.h). Windows only.
//
// The window size, the video and audio flags, the user identifier and the
// default rectangle are the caller's bookkeeping; the control's own user is
// the property behind GetUserID() (non-const) and PutUserID.
#pragma once

#include "afx/afx_gdi.h"
#include "afx/afx_olecontrol.h"
#include "afx/afx_rect.h"
#include "afx/afx_wnd.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API CRemoteVideoWindow : public CWnd {
  DECLARE_DYNCREATE(CRemoteVideoWindow)

 public:
  CRemoteVideoWindow();
  ~CRemoteVideoWindow() override;

  static CLSID const& GetClsid();

  BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
              CCreateContext* pContext = nullptr) override;
  BOOL Create(LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
              CFile* pPersist = nullptr, BOOL bStorage = FALSE, BSTR bstrLicKey = nullptr);

  // --- bookkeeping -----------------------------------------------------
  void SetWindowSize(int cx, int cy);
  void SetWindowSize(const SIZE* pSize);
  SIZE* GetWindowSize() { return &m_windowSize; }
  void SetVideoEnable(bool bEnable) { m_bVideoEnable = bEnable; }
  bool IsVideoEnable() const { return m_bVideoEnable; }
  void SetAudioEnable(bool bEnable) { m_bAudioEnable = bEnable; }
  bool IsAudioEnable() const { return m_bAudioEnable; }
  // The caller's user identifier (0xFFFFFFFF until set).
  DWORD GetUserID() const { return m_dwUserID; }
  void SetUserID(DWORD dwUserID) { m_dwUserID = dwUserID; }
  CRect GetDefaultWindowSize() const { return CRect(m_rcDefault); }
  void SetDefaultWindowSize(CRect rect) { m_rcDefault = rect; }

  // --- the control's properties ------------------------------------------
  // Property 1, the control's user identifier.
  unsigned long GetUserID();
  void PutUserID(unsigned long dwUserID);
  // Property 2, the control's visibility.
  long GetVisible();
  void PutVisible(long bVisible);

 protected:
  // Draws the window's picture; nothing here.
  virtual void DrawView(CDC* pDC);

  afx_msg void OnPaint();
  afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct);
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);

  DECLARE_MESSAGE_MAP()

 private:
  BOOL Resubclass(BOOL bCreated);

  SIZE m_windowSize;
  bool m_bVideoEnable;
  bool m_bAudioEnable;
  DWORD m_dwUserID;
  RECT m_rcDefault;
};
