// CSkinHtmlCtrl: Ormlace's child window that shows a web page.
//
// The control embeds a web browser object (owned by the control, made with
// its window) whose Silent property is set, so that script errors never
// raise dialogs; GetBrowser exposes it for further properties.
//
// Declared here as the contract of the library; its implementation comes
// with the browser dialog that uses it. Windows only.
#pragma once

#include "afx/afx_wnd.h"
#include "support/base/library_api.h"

struct IWebBrowser2;

class ORMLACE_API CSkinHtmlCtrl : public CWnd {
 public:
  CSkinHtmlCtrl();
  ~CSkinHtmlCtrl() override;

  // Shows the page at the URL (a C string); FALSE when the browser is not up.
  BOOL Navigate(LPCSTR lpszURL);
  // The embedded browser (owned by the control), null before the window.
  IWebBrowser2* GetBrowser() const { return m_pBrowser; }

 protected:
  IWebBrowser2* m_pBrowser;
};
