#include "zavrel/media/remote_video_window.h"

#include "base/no_throw.h"
#include "zavrel/media/hosted_control.h"

namespace {

// {4994C1B7-684C-4818-B61B-4D9011F6E8BD}
const CLSID kRemoteVideoClsid = {0x4994C1B7, 0x684C, 0x4818, {0xB6, 0x1B, 0x4D, 0x90, 0x11, 0xF6, 0xE8, 0xBD}};

const BYTE kParamsLong[] = VTS_I4;
const BYTE kParamsUnsignedLong[] = VTS_UI4;

}  // namespace

IMPLEMENT_DYNCREATE(CRemoteVideoWindow, CWnd)

BEGIN_MESSAGE_MAP(CRemoteVideoWindow, CWnd)
ON_WM_PAINT()
ON_WM_CREATE()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CRemoteVideoWindow::CRemoteVideoWindow()
    : m_windowSize{0, 0},
      m_bVideoEnable(false),
      m_bAudioEnable(false),
      m_dwUserID(0xFFFFFFFF),
      m_rcDefault{0, 0, 0, 0} {}

CRemoteVideoWindow::~CRemoteVideoWindow() {
  NoThrowVoid([&] { DestroyWindow(); });
}

CLSID const& CRemoteVideoWindow::GetClsid() { return kRemoteVideoClsid; }

BOOL CRemoteVideoWindow::Resubclass(BOOL bCreated) { return media::ResubclassHostedControl(*this, bCreated); }

BOOL CRemoteVideoWindow::Create(LPCSTR, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                                UINT nID, CCreateContext*) {
  return media::CreateHostedControlOf(*this, GetClsid(), lpszWindowName, dwStyle, rect, pParentWnd, nID);
}

BOOL CRemoteVideoWindow::Create(LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                                CFile* pPersist, BOOL bStorage, BSTR bstrLicKey) {
  return media::CreateHostedControlOf(*this, GetClsid(), lpszWindowName, dwStyle, rect, pParentWnd, nID, pPersist,
                                      bStorage, bstrLicKey);
}

void CRemoteVideoWindow::SetWindowSize(int cx, int cy) { m_windowSize = SIZE{cx, cy}; }

void CRemoteVideoWindow::SetWindowSize(const SIZE* pSize) {
  if (pSize) m_windowSize = *pSize;
}

unsigned long CRemoteVideoWindow::GetUserID() {
  return media::InvokeForResult<unsigned long>(*this, 1, DISPATCH_PROPERTYGET, VT_UI4, nullptr);
}

void CRemoteVideoWindow::PutUserID(unsigned long dwUserID) {
  NoThrowVoid([&] { InvokeHelper(1, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, kParamsUnsignedLong, dwUserID); });
}

long CRemoteVideoWindow::GetVisible() {
  return media::InvokeForResult<long>(*this, 2, DISPATCH_PROPERTYGET, VT_I4, nullptr);
}

void CRemoteVideoWindow::PutVisible(long bVisible) {
  NoThrowVoid([&] { InvokeHelper(2, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, kParamsLong, bVisible); });
}

void CRemoteVideoWindow::DrawView(CDC*) {}

void CRemoteVideoWindow::OnPaint() {
  CPaintDC dc(this);
  DrawView(&dc);
}

int CRemoteVideoWindow::OnCreate(LPCREATESTRUCTA lpCreateStruct) {
  return CWnd::OnCreate(lpCreateStruct) == -1 ? -1 : 0;
}

BOOL CRemoteVideoWindow::OnEraseBkgnd(CDC*) { return FALSE; }
