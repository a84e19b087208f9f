#include "support/ormlace/skin_html_ctrl.h"

#include <vector>

CSkinHtmlCtrl::CSkinHtmlCtrl() = default;

CSkinHtmlCtrl::~CSkinHtmlCtrl() { DestroyWindow(); }

BOOL CSkinHtmlCtrl::Create(LPCSTR, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                           CCreateContext*) {
  if (!CreateControl(CLSID_WebBrowser, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID)) return FALSE;
  IUnknown* control = GetControlUnknown();
  if (!control || FAILED(control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(m_pBrowser.put())))) {
    CWnd::DestroyWindow();
    return FALSE;
  }
  return TRUE;
}

BOOL CSkinHtmlCtrl::DestroyWindow() {
  // The browser goes before its window.
  m_pBrowser.reset();
  return CWnd::DestroyWindow();
}

BOOL CSkinHtmlCtrl::Navigate(LPCSTR lpszURL) {
  if (!m_pBrowser || !lpszURL) return FALSE;
  const int wide = MultiByteToWideChar(CP_ACP, 0, lpszURL, -1, nullptr, 0);
  if (wide <= 0) return FALSE;
  std::vector<wchar_t> text(static_cast<std::size_t>(wide));
  MultiByteToWideChar(CP_ACP, 0, lpszURL, -1, text.data(), wide);
  BSTR url = SysAllocString(text.data());
  if (!url) return FALSE;
  VARIANT empty;
  VariantInit(&empty);
  const HRESULT hr = m_pBrowser.get()->Navigate(url, &empty, &empty, &empty, &empty);
  SysFreeString(url);
  return SUCCEEDED(hr);
}
