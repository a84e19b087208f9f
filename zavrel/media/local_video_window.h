// CLocalVideoWindow: hosts the local audio/video ActiveX control (class
// {075083C0-5319-4938-8E1E-734023126D72}) and forwards capture, encoding,
// login and receive commands to it through automation; its three events
// (for the control with child identifier 8067) reach an IAVListner.
// Windows only.
//
// Creation: either Create form creates the control (afx_olecontrol.h) with
// the window name, style, rectangle, parent and child identifier (the first
// form ignores the class name and the creation context), then detaches the
// window and subclasses it again, so its messages go through this object's
// message map: painting opens a paint context and calls DrawView (which
// draws nothing here), the background is never erased. The result is the
// control creation's, FALSE also when the window cannot be subclassed
// again (the control is then closed); a failed creation leaves no window.
// No member lets an exception out to the host: a throw answers 0, an empty
// string or FALSE.
//
// The window size, login flag, listener, user identifier and default
// rectangle are the caller's bookkeeping (the control's own user is set by
// Login). The listener is not owned; it must outlive the window or be
// replaced first. Results are the control's; a failed call answers 0 (an
// empty string).
#pragma once

#include "afx/afx_gdi.h"
#include "afx/afx_olecontrol.h"
#include "afx/afx_rect.h"
#include "afx/afx_wnd.h"
#include "zavrel/zavrel_api.h"

// Receives the local control's events.
class ZAVREL_API IAVListner {
 public:
  virtual ~IAVListner() = default;
  virtual void OnLoginResult(long lResult) = 0;
  virtual void OnRecvAudioResult(long lParam1, long lParam2) = 0;
  virtual void OnRecvVideoResult(long lParam1, long lParam2) = 0;
};

class ZAVREL_API CLocalVideoWindow : public CWnd {
  DECLARE_DYNCREATE(CLocalVideoWindow)

 public:
  CLocalVideoWindow();
  ~CLocalVideoWindow() override;

  // The control's child identifier that the event handlers answer.
  enum : UINT { kControlId = 8067 };

  static CLSID const& GetClsid();

  BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
              CCreateContext* pContext = nullptr) override;
  BOOL Create(LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
              CFile* pPersist = nullptr, BOOL bStorage = FALSE, BSTR bstrLicKey = nullptr);

  // --- bookkeeping -----------------------------------------------------
  void SetWindowSize(int cx, int cy);
  void SetWindowSize(const SIZE* pSize);
  SIZE* GetWindowSize() { return &m_windowSize; }
  bool IsLogin() const { return m_bLogin; }
  void SetAVListner(IAVListner* pListener) { m_pListener = pListener; }
  DWORD GetUserID() const { return m_dwUserID; }
  void SetUserID(DWORD dwUserID) { m_dwUserID = dwUserID; }
  CRect GetDefaultWindowSize() const { return CRect(m_rcDefault); }
  void SetDefaultWindowSize(CRect rect) { m_rcDefault = rect; }

  // --- the control's automation (dispatch ids 1 to 23) -------------------
  long StartVideoCapture(long nDevice, long nWidth, long nHeight);
  void StopVideoCapture();
  long SetVideoEncoderParam(long nParam1, long nParam2, long nParam3);
  void ShowVideoPropertyPage(long hWndParent);
  void EnableShowLocalVideo(long bEnable);
  long StartAudioCapture(long nDevice);
  void StopAudioCapture();
  long StartAudioPlayer(long nDevice);
  void StopAudioPlayer();
  long Login(unsigned long dwServerIP, unsigned long dwPort, unsigned long dwUserID, LPCSTR lpszPassword, short nType);
  void Logout();
  long StartRecvVideo(unsigned long dwUserID);
  void StopRecvVideo(unsigned long dwUserID);
  long StartRecvAudio(unsigned long dwUserID);
  void StopRecvAudio(unsigned long dwUserID);
  void EnableSendVideo(long bEnable);
  void EnableSendAudio(long bEnable);
  long get_VideoCapDeviceCount();
  CString get_VideoCapDeviceName(long nIndex);
  long get_AudioCapDeviceCount();
  CString get_AudioCapDeviceName(long nIndex);
  long get_AudioPlayDevCount();
  CString get_AudioPlayDeviceName(long nIndex);

 protected:
  // Draws the window's picture; nothing here.
  virtual void DrawView(CDC* pDC);

  afx_msg void OnPaint();
  afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct);
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg LRESULT OnActivate(WPARAM wParam, LPARAM lParam);

  // Events of the control 8067.
  afx_msg void OnLoginResultAvmLocal(long lResult);
  afx_msg void OnRecvAudioResultAvmLocal(long lParam1, long lParam2);
  afx_msg void OnRecvVideoResultAvmLocal(long lParam1, long lParam2);

  DECLARE_MESSAGE_MAP()
  DECLARE_EVENTSINK_MAP()

 private:
  // Routes the window's messages through this object again.
  BOOL Resubclass(BOOL bCreated);

  SIZE m_windowSize;
  bool m_bLogin;
  IAVListner* m_pListener;
  DWORD m_dwUserID;
  RECT m_rcDefault;
};
