#include "zavrel/media/local_video_window.h"

#include "base/no_throw.h"
#include "zavrel/media/hosted_control.h"

namespace {

// {075083C0-5319-4938-8E1E-734023126D72}
const CLSID kLocalVideoClsid = {0x075083C0, 0x5319, 0x4938, {0x8E, 0x1E, 0x73, 0x40, 0x23, 0x12, 0x6D, 0x72}};

const BYTE kParamsLong[] = VTS_I4;
const BYTE kParamsThreeLongs[] = VTS_I4 VTS_I4 VTS_I4;
const BYTE kParamsUnsignedLong[] = VTS_UI4;
const BYTE kParamsLogin[] = VTS_UI4 VTS_UI4 VTS_UI4 VTS_BSTR VTS_I2;

}  // namespace

IMPLEMENT_DYNCREATE(CLocalVideoWindow, CWnd)

BEGIN_MESSAGE_MAP(CLocalVideoWindow, CWnd)
ON_WM_PAINT()
ON_WM_CREATE()
ON_WM_ERASEBKGND()
ON_MESSAGE(WM_ACTIVATE, OnActivate)
END_MESSAGE_MAP()

BEGIN_EVENTSINK_MAP(CLocalVideoWindow, CWnd)
ON_EVENT(CLocalVideoWindow, CLocalVideoWindow::kControlId, 1, OnLoginResultAvmLocal, VTS_I4)
ON_EVENT(CLocalVideoWindow, CLocalVideoWindow::kControlId, 2, OnRecvAudioResultAvmLocal, VTS_I4 VTS_I4)
ON_EVENT(CLocalVideoWindow, CLocalVideoWindow::kControlId, 3, OnRecvVideoResultAvmLocal, VTS_I4 VTS_I4)
END_EVENTSINK_MAP()

CLocalVideoWindow::CLocalVideoWindow()
    : m_windowSize{0, 0}, m_bLogin(false), m_pListener(nullptr), m_dwUserID(0xFFFFFFFF), m_rcDefault{0, 0, 0, 0} {}

CLocalVideoWindow::~CLocalVideoWindow() {
  NoThrowVoid([&] { DestroyWindow(); });
}

CLSID const& CLocalVideoWindow::GetClsid() { return kLocalVideoClsid; }

BOOL CLocalVideoWindow::Resubclass(BOOL bCreated) { return media::ResubclassHostedControl(*this, bCreated); }

BOOL CLocalVideoWindow::Create(LPCSTR, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                               UINT nID, CCreateContext*) {
  return media::CreateHostedControlOf(*this, GetClsid(), lpszWindowName, dwStyle, rect, pParentWnd, nID);
}

BOOL CLocalVideoWindow::Create(LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                               CFile* pPersist, BOOL bStorage, BSTR bstrLicKey) {
  return media::CreateHostedControlOf(*this, GetClsid(), lpszWindowName, dwStyle, rect, pParentWnd, nID, pPersist,
                                      bStorage, bstrLicKey);
}

void CLocalVideoWindow::SetWindowSize(int cx, int cy) { m_windowSize = SIZE{cx, cy}; }

void CLocalVideoWindow::SetWindowSize(const SIZE* pSize) {
  if (pSize) m_windowSize = *pSize;
}

// --- automation -------------------------------------------------------------

long CLocalVideoWindow::StartVideoCapture(long nDevice, long nWidth, long nHeight) {
  return media::InvokeForResult<long>(*this, 1, DISPATCH_METHOD, VT_I4, kParamsThreeLongs, nDevice, nWidth, nHeight);
}

void CLocalVideoWindow::StopVideoCapture() {
  NoThrowVoid([&] { InvokeHelper(2, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); });
}

long CLocalVideoWindow::SetVideoEncoderParam(long nParam1, long nParam2, long nParam3) {
  return media::InvokeForResult<long>(*this, 3, DISPATCH_METHOD, VT_I4, kParamsThreeLongs, nParam1, nParam2, nParam3);
}

void CLocalVideoWindow::ShowVideoPropertyPage(long hWndParent) {
  NoThrowVoid([&] { InvokeHelper(4, DISPATCH_METHOD, VT_EMPTY, nullptr, kParamsLong, hWndParent); });
}

void CLocalVideoWindow::EnableShowLocalVideo(long bEnable) {
  NoThrowVoid([&] { InvokeHelper(5, DISPATCH_METHOD, VT_EMPTY, nullptr, kParamsLong, bEnable); });
}

long CLocalVideoWindow::StartAudioCapture(long nDevice) {
  return media::InvokeForResult<long>(*this, 6, DISPATCH_METHOD, VT_I4, kParamsLong, nDevice);
}

void CLocalVideoWindow::StopAudioCapture() {
  NoThrowVoid([&] { InvokeHelper(7, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); });
}

long CLocalVideoWindow::StartAudioPlayer(long nDevice) {
  return media::InvokeForResult<long>(*this, 8, DISPATCH_METHOD, VT_I4, kParamsLong, nDevice);
}

void CLocalVideoWindow::StopAudioPlayer() {
  NoThrowVoid([&] { InvokeHelper(9, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); });
}

long CLocalVideoWindow::Login(unsigned long dwServerIP, unsigned long dwPort, unsigned long dwUserID,
                              LPCSTR lpszPassword, short nType) {
  return media::InvokeForResult<long>(*this, 10, DISPATCH_METHOD, VT_I4, kParamsLogin, dwServerIP, dwPort, dwUserID,
                                      lpszPassword, nType);
}

void CLocalVideoWindow::Logout() {
  NoThrowVoid([&] { InvokeHelper(11, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); });
}

long CLocalVideoWindow::StartRecvVideo(unsigned long dwUserID) {
  return media::InvokeForResult<long>(*this, 12, DISPATCH_METHOD, VT_I4, kParamsUnsignedLong, dwUserID);
}

void CLocalVideoWindow::StopRecvVideo(unsigned long dwUserID) {
  NoThrowVoid([&] { InvokeHelper(13, DISPATCH_METHOD, VT_EMPTY, nullptr, kParamsUnsignedLong, dwUserID); });
}

long CLocalVideoWindow::StartRecvAudio(unsigned long dwUserID) {
  return media::InvokeForResult<long>(*this, 14, DISPATCH_METHOD, VT_I4, kParamsUnsignedLong, dwUserID);
}

void CLocalVideoWindow::StopRecvAudio(unsigned long dwUserID) {
  NoThrowVoid([&] { InvokeHelper(15, DISPATCH_METHOD, VT_EMPTY, nullptr, kParamsUnsignedLong, dwUserID); });
}

void CLocalVideoWindow::EnableSendVideo(long bEnable) {
  NoThrowVoid([&] { InvokeHelper(16, DISPATCH_METHOD, VT_EMPTY, nullptr, kParamsLong, bEnable); });
}

void CLocalVideoWindow::EnableSendAudio(long bEnable) {
  NoThrowVoid([&] { InvokeHelper(17, DISPATCH_METHOD, VT_EMPTY, nullptr, kParamsLong, bEnable); });
}

long CLocalVideoWindow::get_VideoCapDeviceCount() {
  return media::InvokeForResult<long>(*this, 18, DISPATCH_PROPERTYGET, VT_I4, nullptr);
}

CString CLocalVideoWindow::get_VideoCapDeviceName(long nIndex) {
  return media::InvokeForResult<CString>(*this, 19, DISPATCH_PROPERTYGET, VT_BSTR, kParamsLong, nIndex);
}

long CLocalVideoWindow::get_AudioCapDeviceCount() {
  return media::InvokeForResult<long>(*this, 20, DISPATCH_PROPERTYGET, VT_I4, nullptr);
}

CString CLocalVideoWindow::get_AudioCapDeviceName(long nIndex) {
  return media::InvokeForResult<CString>(*this, 21, DISPATCH_PROPERTYGET, VT_BSTR, kParamsLong, nIndex);
}

long CLocalVideoWindow::get_AudioPlayDevCount() {
  return media::InvokeForResult<long>(*this, 22, DISPATCH_PROPERTYGET, VT_I4, nullptr);
}

CString CLocalVideoWindow::get_AudioPlayDeviceName(long nIndex) {
  return media::InvokeForResult<CString>(*this, 23, DISPATCH_PROPERTYGET, VT_BSTR, kParamsLong, nIndex);
}

// --- messages and events ----------------------------------------------------

void CLocalVideoWindow::DrawView(CDC*) {}

void CLocalVideoWindow::OnPaint() {
  CPaintDC dc(this);
  DrawView(&dc);
}

int CLocalVideoWindow::OnCreate(LPCREATESTRUCTA lpCreateStruct) {
  return CWnd::OnCreate(lpCreateStruct) == -1 ? -1 : 0;
}

BOOL CLocalVideoWindow::OnEraseBkgnd(CDC*) { return FALSE; }

LRESULT CLocalVideoWindow::OnActivate(WPARAM, LPARAM) { return Default(); }

void CLocalVideoWindow::OnLoginResultAvmLocal(long lResult) {
  m_bLogin = lResult != 0;
  if (m_pListener) m_pListener->OnLoginResult(lResult);
}

void CLocalVideoWindow::OnRecvAudioResultAvmLocal(long lParam1, long lParam2) {
  if (m_pListener) m_pListener->OnRecvAudioResult(lParam1, lParam2);
}

void CLocalVideoWindow::OnRecvVideoResultAvmLocal(long lParam1, long lParam2) {
  if (m_pListener) m_pListener->OnRecvVideoResult(lParam1, lParam2);
}
