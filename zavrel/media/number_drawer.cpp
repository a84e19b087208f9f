#include "zavrel/media/number_drawer.h"

#include <climits>
#include <cstdio>

#include "base/no_throw.h"
#include "support/ormlace/skin_image_manager.h"
#include "zavrel/media/cell_grid.h"

namespace {

CString DecimalText(__int64 number) {
  char text[32];
  std::snprintf(text, sizeof(text), "%lld", static_cast<long long>(number));
  return CString(text);
}

}  // namespace

CNumberDrawer::CNumberDrawer() : m_nNumber(0), m_strNumber(DecimalText(0)), m_bShow(true) {}

CNumberDrawer::CNumberDrawer(const CNumberDrawer& other) = default;

CNumberDrawer& CNumberDrawer::operator=(const CNumberDrawer& other) = default;

CNumberDrawer::~CNumberDrawer() = default;

bool CNumberDrawer::LoadNumberImage(const std::string& name, const POINT& cellSize, const RECT* rect) {
  return NoThrow(false, [&] { return LoadDigits(name, cellSize, rect); });
}

bool CNumberDrawer::LoadDigits(const std::string& name, const POINT& cellSize, const RECT* rect) {
  (void)rect;
  if (cellSize.x <= 0 || cellSize.y <= 0) return false;
  m_szDigit = CSize(cellSize.x, cellSize.y);
  CxImage* cached = CSkinImageManager::getSingleton().GetImage(name);
  if (!cached) return false;
  CxImage source(*cached, true, true, true);
  for (CxImage& digit : m_Digits) digit.Destroy();
  media::CutCells(static_cast<long>(source.GetWidth()), static_cast<long>(source.GetHeight()), cellSize.x, cellSize.y,
                  10, [&](int index, const CRect& cell) { return source.Crop(cell, &m_Digits[index]); });
  return true;
}

bool CNumberDrawer::LoadSignImage(const std::string&, const POINT&, const RECT*) { return false; }

void CNumberDrawer::SetNumber(__int64 nNumber) {
  NoThrowVoid([&] {
    m_strNumber = DecimalText(nNumber);
    m_nNumber = nNumber;
  });
}

void CNumberDrawer::SetTransColor(COLORREF color) {
  RGBQUAD key = {};
  key.rgbRed = GetRValue(color);
  key.rgbGreen = GetGValue(color);
  key.rgbBlue = GetBValue(color);
  auto apply = [&](CxImage& picture) {
    if (picture.GetBpp() != 24) picture.IncreaseBpp(24);
    picture.SetTransIndex(24);
    picture.SetTransColor(key);
  };
  for (CxImage& digit : m_Digits) apply(digit);
  for (CxImage& sign : m_Signs) apply(sign);
}

void CNumberDrawer::Show() { m_bShow = true; }

void CNumberDrawer::Hide() { m_bShow = false; }

void CNumberDrawer::Draw(CDC* pDC, int x, int y) {
  NoThrowVoid([&] { DrawDigits(pDC, x, y); });
}

void CNumberDrawer::DrawDigits(CDC* pDC, int x, int y) {
  if (!m_bShow || m_strNumber.IsEmpty() || !pDC) return;
  const HDC hdc = pDC->GetSafeHdc();
  for (int i = 0; i < m_strNumber.GetLength(); ++i) {
    const char c = m_strNumber[i];
    CxImage* picture = nullptr;
    if (c >= '0' && c <= '9') {
      picture = &m_Digits[c - '0'];
    } else if (c == '-') {
      picture = &m_Signs[0];
    }
    // Far cells (a huge cell width) lie past what a coordinate holds.
    const long long left = x + static_cast<long long>(i) * m_szDigit.cx;
    if (left > INT_MAX) break;
    if (picture) picture->Draw(hdc, static_cast<long>(left), y, -1, -1, nullptr, false);
  }
}
