#include "support/ormlace/skin_html_ctrl.h"

#include <vector>

#include "base/no_throw.h"

CSkinHtmlCtrl::CSkinHtmlCtrl() = default;

CSkinHtmlCtrl::~CSkinHtmlCtrl() {
  NoThrowVoid([&] { DestroyWindow(); });
}

BOOL CSkinHtmlCtrl::Create(LPCSTR, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                           CCreateContext*) {
  if (m_hWnd) return FALSE;
  const BOOL made = NoThrow(FALSE, [&]() -> BOOL {
    m_pBrowser.reset();
    if (!CreateControl(CLSID_WebBrowser, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID)) return FALSE;
    // Subclassed, not only attached: when the parent's end takes the
    // window, the object learns it and can make a new one later.
    HWND hWnd = Detach();
    if (!hWnd || !SubclassWindow(hWnd)) return FALSE;
    IUnknown* control = GetControlUnknown();
    return control && SUCCEEDED(control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(m_pBrowser.put())));
  });
  if (!made) NoThrowVoid([&] { DestroyWindow(); });
  return made;
}

BOOL CSkinHtmlCtrl::DestroyWindow() {
  return NoThrow(FALSE, [&] {
    // The browser goes before its window.
    m_pBrowser.reset();
    if (m_pCtrlSite) return AfxDestroyControlSite(this);
    return CWnd::DestroyWindow();
  });
}

BOOL CSkinHtmlCtrl::Navigate(LPCSTR lpszURL) {
  return NoThrow(FALSE, [&]() -> BOOL {
    if (!m_pBrowser || !m_hWnd || !lpszURL) return FALSE;
    const int wide = MultiByteToWideChar(CP_ACP, 0, lpszURL, -1, nullptr, 0);
    if (wide <= 0) return FALSE;
    std::vector<wchar_t> text(static_cast<std::size_t>(wide));
    MultiByteToWideChar(CP_ACP, 0, lpszURL, -1, text.data(), wide);
    UniqueBstr url(SysAllocString(text.data()));
    if (!url) return FALSE;
    VARIANT empty;
    VariantInit(&empty);
    return SUCCEEDED(m_pBrowser.get()->Navigate(url.get(), &empty, &empty, &empty, &empty));
  });
}
