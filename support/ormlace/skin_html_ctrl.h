// CSkinHtmlCtrl: Ormlace's child window that shows a web page.
//
// Create hosts the system's web browser control (Shell.Explorer, class
// {8856F961-340A-11D0-A96B-00C04FD705A2}) through the framework's control
// container (afx_olecontrol.h) as the child nID of the parent, its window
// subclassed, so that the object learns when the parent's end takes it
// (m_hWnd null, a new Create possible); the class name and creation context
// are ignored. No member lets an exception out. The browser object is owned by the
// control and let go with its window. GetBrowser exposes it for its
// properties (the browser dialog sets Silent, so that script errors raise
// no dialogs). The browser's events reach the parent's event sink map under
// the child identifier. Windows only.
#pragma once

#include <exdisp.h>

#include "afx/afx_olecontrol.h"
#include "afx/afx_wnd.h"
#include "base/library_api.h"
#include "base/win_owners.h"

class ORMLACE_API CSkinHtmlCtrl : public CWnd {
 public:
  CSkinHtmlCtrl();
  ~CSkinHtmlCtrl() override;

  // FALSE, no window, when the browser control cannot be made.
  BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
              CCreateContext* pContext = nullptr) override;
  BOOL DestroyWindow() override;

  // Shows the page at the URL (a C string in the ANSI code page); FALSE
  // when the browser is not up or refuses the address.
  BOOL Navigate(LPCSTR lpszURL);
  // The embedded browser (owned by the control), null without a window.
  IWebBrowser2* GetBrowser() const { return m_pBrowser.get(); }

 protected:
  UniqueComPtr<IWebBrowser2> m_pBrowser;
};
