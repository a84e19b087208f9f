// CNumberDrawer: draws a whole number with digit pictures instead of a font
// (scores, chip counts, timers on game screens).
//
// The ten digits come from one skin picture of Ormlace's skin picture cache
// (CSkinImageManager::getSingleton().GetImage(name)) holding 0 to 9 in cells
// of equal size, row by row. The drawer keeps the number as decimal text and
// each Draw places one digit picture per character from left to right, one
// cell width apart; the caller owns the drawer and calls Draw from its own
// painting code. Windows only.
//
// A negative number's minus sign takes one cell. It is drawn with the first
// sign picture when there is one, which is never at present (LoadSignImage
// loads nothing), so the cell stays empty: -25 shows as a gap, then 2 and 5.
#pragma once

#include <string>

#include "afx/afx_gdi.h"
#include "afx/afx_rect.h"
#include "afx/afx_string.h"
#include "support/brevio/ximage.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API CNumberDrawer {
 public:
  CNumberDrawer();
  // Copies every picture and field.
  CNumberDrawer(const CNumberDrawer& other);
  CNumberDrawer& operator=(const CNumberDrawer& other);
  virtual ~CNumberDrawer();

  // Cuts the named picture into the ten digit pictures: cells of cellSize
  // (x: width, y: height), row by row from the top left, digit 0 first,
  // until digit 9 or the bottom of the picture. False, nothing changed,
  // when a side of the cell is not positive; false, with only the cell size
  // stored, when the cache has no such picture. Otherwise the old digits go
  // first and the answer is true: digits the picture has no cell for stay
  // empty and draw nothing, and a cell that cannot be cropped ends the
  // cutting (the digits cut before it are kept). The cell width is also the
  // advance from one character to the next. rect is not consulted. Call
  // SetTransColor afterwards: loading replaces the pictures and their
  // transparency.
  bool LoadNumberImage(const std::string& name, const POINT& cellSize, const RECT* rect = nullptr);
  // Loads nothing; always false.
  bool LoadSignImage(const std::string& name, const POINT& cellSize, const RECT* rect = nullptr);
  // The number, shown in signed decimal (all 64 bits) from the next Draw.
  void SetNumber(__int64 nNumber);
  // Draws the pixels of color (a COLORREF) transparent in every digit and
  // sign picture: each is raised to 24 bits first.
  void SetTransColor(COLORREF color);
  void Show();
  void Hide();
  // Draws the number with its left edge at x and its top at y, each digit
  // in its picture's own size; nothing when hidden or when pDC is null. To
  // right-align, subtract the character count times the cell width.
  void Draw(CDC* pDC, int x, int y);

 private:
  bool LoadDigits(const std::string& name, const POINT& cellSize, const RECT* rect);
  void DrawDigits(CDC* pDC, int x, int y);

  CxImage m_Digits[10];
  CxImage m_Signs[3];  // [0]: minus
  __int64 m_nNumber;
  CString m_strNumber;
  CSize m_szDigit;
  bool m_bShow;
};
