// CEmotionDlg: the emoticon picker, a pop-up grid of emoticons made from
// dialog template IDD_EMOTION_DLG of ZavrelCom.dll.
//
// Created through DllGetClassObject with CLSID_EmotionDlg; answers
// IID_IEmotionDlg and IID_IUnknownEx with the pointer of its IEmotionDlg
// part; Release at 0 deletes the whole dialog object (destroying its window
// when it still exists).
//
// The dialog shows the grid picture named by the emoticon "config.ini",
// frames the cell under the mouse, and on a click sends WM_EMOTION_SELECTED
// with the picked emoticon's record (read from the file at that moment) to
// its owner, then hides; it also hides when it loses the focus. Enter and
// Escape do nothing. Codes and names are cut to 15 bytes without splitting
// a double-byte character of the ANSI code page.
#pragma once

#include "afx/afx_dialog.h"
#include "afx/afx_image.h"
#include "support/dravik/ini_file.h"
#include "zavrelcom/emotion/emotion.h"
#include "zavrelcom/server/component.h"
#include "zavrelcom/server/unknown_ex.h"

// {4AD1E8F8-CE39-40CD-B78F-8BA33FC8D718}
inline constexpr GUID CLSID_EmotionDlg = {0x4AD1E8F8, 0xCE39, 0x40CD, {0xB7, 0x8F, 0x8B, 0xA3, 0x3F, 0xC8, 0xD7, 0x18}};
// {C71D647D-541C-46D0-B040-1B4086E612F4}
inline constexpr GUID IID_IEmotionDlg = {0xC71D647D, 0x541C, 0x46D0, {0xB0, 0x40, 0x1B, 0x40, 0x86, 0xE6, 0x12, 0xF4}};

// Slots 0 to 2 are IUnknownEx's.
class IEmotionDlg : public IUnknownEx {
 public:
  // Slot 3: makes the (hidden) dialog window; owner receives the pick.
  virtual void CreateDlg(CWnd* owner) = 0;
  // Slot 4: the dialog's window, null when none.
  virtual HWND GetHwnd() = 0;
  // Slot 5: destroys the dialog window.
  virtual bool DestroyDlg() = 0;
  // Slot 6: reads "<folder>\config.ini" and its grid picture.
  virtual void LoadEmotions(const char* folder) = 0;
  // Slot 7: the window's size: columns x (cell + 1) + margins + 1 wide,
  // rows x (cell + 1) + margins + 1 high (239 x 213 with the defaults).
  virtual void GetDlgSize(SIZE* out) = 0;
  // Slot 8: places the window at (x, y) in that size and shows it.
  virtual void ShowDlg(int x, int y) = 0;

 protected:
  ~IEmotionDlg() = default;
};

class CEmotionDlg : public CDialog, public CComponentT<IEmotionDlg, CEmotionDlg> {
 public:
  static constexpr const GUID* kAnswers[] = {&IID_IUnknownEx, &IID_IEmotionDlg};

  CEmotionDlg();
  ~CEmotionDlg() override;

  void CreateDlg(CWnd* owner) override;
  HWND GetHwnd() override;
  bool DestroyDlg() override;
  void LoadEmotions(const char* folder) override;
  void GetDlgSize(SIZE* out) override;
  void ShowDlg(int x, int y) override;

 protected:
  // Enter and Escape do not close the dialog.
  void OnOK() override;
  void OnCancel() override;

  afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnKillFocus(CWnd* pNewWnd);

  DECLARE_MESSAGE_MAP()

 private:
  LRESULT OnMouseMoveMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnLButtonDownMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnKillFocusMessage(WPARAM wParam, LPARAM lParam);
  // The cell index at a point of the client area, -1 for none.
  int HitTest(CPoint point) const;
  // The record of emoticon index, read from the file now.
  void FillEmotion(int index, tagEmotion* out) const;
  void LoadConfiguration(const char* folder);

  WORD m_nRows = 8;
  WORD m_nCols = 9;
  CImage m_PageImage;
  SIZE m_szCell = {25, 25};
  int m_nCount = 0;
  int m_nHover = -1;
  CIniFile m_IniFile;
  RECT m_rcMargin = {2, 2, 2, 2};
  BOOL m_bTracking = FALSE;
};
