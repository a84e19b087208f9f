// CBrowserDialog: a small skinned dialog that shows one web page.
//
// A borderless region dialog of Ormlace (CRgnDialog, template 9009 of
// Zavrel's resources) holding Ormlace's HTML view (CSkinHtmlCtrl, child 31,
// made in OnInitDialog with the browser's Silent property set) and a
// skinned close button (CRgnButton, the template's cancel button). In
// upload mode (SetUpLoad), closing the dialog sends the private message
// kUploadClosedMessage (11025) to the parent window, and waits for it to be
// handled, before the dialog ends (the parent may delete a modeless dialog
// meanwhile). No member lets an exception out to the host. Windows only.
#pragma once

#include "afx/afx_dialog.h"
#include "support/ormlace/rgn_button.h"
#include "support/ormlace/rgn_dialog.h"
#include "support/ormlace/skin_html_ctrl.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API CBrowserDialog : public CRgnDialog {
  DECLARE_DYNCREATE(CBrowserDialog)

 public:
  enum { IDD = 9009 };
  // Sent to the parent when an upload-mode dialog closes (both parameters 0).
  enum : UINT { kUploadClosedMessage = WM_USER + 10001 };

  explicit CBrowserDialog(CWnd* pParent = nullptr);
  ~CBrowserDialog() override;

  // Shows the page at the URL in the page view (nothing before the
  // dialog's window exists).
  void SetURL(LPCSTR lpszURL);
  // Upload mode on, for the dialog's life.
  void SetUpLoad();
  // Lays the dialog out for a page of nWidth by nHeight pixels: the dialog
  // at that size (then centred), the page view at (3, 28) with
  // nWidth - 6 by nHeight - 32, the close button 10 pixels inside the
  // right edge at y = 6.
  void SetWebPageSize(int nWidth, int nHeight);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnCancel() override;

  afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct);
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);

  DECLARE_MESSAGE_MAP()

  CSkinHtmlCtrl m_HtmlView;
  CRgnButton m_btnClose;
  bool m_bUpLoad;
};
