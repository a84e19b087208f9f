#include "zavrel/media/browser_dialog.h"

#include "afx/afx_ddx.h"
#include "base/no_throw.h"
#include "zavrel/media/browser_dialog_ids.h"
#include "zavrel/media/destroy_guard.h"

namespace {

const RECT kInitialViewRect = {3, 28, 417, 253};
constexpr COLORREF kSkinTransparent = RGB(255, 0, 255);

}  // namespace

IMPLEMENT_DYNCREATE(CBrowserDialog, CRgnDialog)

BEGIN_MESSAGE_MAP(CBrowserDialog, CRgnDialog)
ON_WM_CREATE()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CBrowserDialog::CBrowserDialog(CWnd* pParent) : CRgnDialog(IDD_BROWSER_DIALOG, pParent), m_bUpLoad(false) {}

CBrowserDialog::~CBrowserDialog() { media::DestroyGuard::Destroying(this); }

void CBrowserDialog::SetURL(LPCSTR lpszURL) {
  NoThrowVoid([&] { m_HtmlView.Navigate(lpszURL); });
}

void CBrowserDialog::SetUpLoad() { m_bUpLoad = true; }

void CBrowserDialog::SetWebPageSize(int nWidth, int nHeight) {
  NoThrowVoid([&] {
    MoveWindow(0, 0, nWidth, nHeight, TRUE);
    if (m_btnClose.m_hWnd) {
      RECT rc = {};
      m_btnClose.GetClientRect(&rc);
      m_btnClose.MoveWindow(rc.left + nWidth - rc.right - 10, 6, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    }
    // The page view is a hosted control: it moves through its site.
    if (m_HtmlView.m_hWnd) m_HtmlView.MoveWindow(3, 28, nWidth - 6, nHeight - 32, TRUE);
    CenterWindow();
  });
}

void CBrowserDialog::DoDataExchange(CDataExchange* pDX) {
  CRgnDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDCANCEL, m_btnClose);
}

BOOL CBrowserDialog::OnInitDialog() {
  // A failed step leaves its part out; the dialog still runs.
  NoThrowVoid([&] {
    CRgnDialog::OnInitDialog();
    m_btnClose.LoadRgnImage("data\\Common\\button\\btn_sys_close.png", kSkinTransparent, 5);
    SetIcon(CString("data\\Icon\\SmallLogo.png"), kSkinTransparent);
    if (!m_HtmlView.m_hWnd) m_HtmlView.Create(nullptr, nullptr, 0x50000000, kInitialViewRect, this, IDC_BROWSER_VIEW);
    // Script errors must raise no dialogs of their own.
    if (IWebBrowser2* browser = m_HtmlView.GetBrowser()) browser->put_Silent(VARIANT_TRUE);
  });
  return TRUE;
}

void CBrowserDialog::OnCancel() {
  NoThrowVoid([&] {
    if (m_bUpLoad) {
      // SendMessage: the parent handles it before the dialog ends. It may
      // delete this dialog meanwhile: then nothing of it is touched again.
      media::DestroyGuard guard(this);
      if (HWND hParent = ::GetParent(m_hWnd)) ::SendMessageA(hParent, kUploadClosedMessage, 0, 0);
      if (guard.destroyed()) return;
    }
    CRgnDialog::OnCancel();
  });
}

int CBrowserDialog::OnCreate(LPCREATESTRUCTA lpCreateStruct) {
  return CRgnDialog::OnCreate(lpCreateStruct) == -1 ? -1 : 0;
}

BOOL CBrowserDialog::OnEraseBkgnd(CDC*) { return TRUE; }
