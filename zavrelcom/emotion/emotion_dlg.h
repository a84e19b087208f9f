// CEmotionDlg: the emoticon picker, a pop-up grid of emoticons made from
// dialog template IDD_EMOTION_DLG of ZavrelCom.dll.
//
// Created through DllGetClassObject with CLSID_EmotionDlg; answers
// IID_IEmotionDlg and IID_IUnknownEx with the pointer of its IEmotionDlg
// part; Release at 0 deletes the whole dialog object.
//
// In this version the dialog's window is not made yet: CreateDlg,
// LoadEmotions and ShowDlg do nothing, GetHwnd answers null and DestroyDlg
// false. GetDlgSize answers the grid's size from its defaults.
#pragma once

#include "afx/afx_dialog.h"
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

 private:
  WORD m_nRows = 8;
  WORD m_nCols = 9;
  SIZE m_szCell = {25, 25};
  RECT m_rcMargin = {2, 2, 2, 2};
};
