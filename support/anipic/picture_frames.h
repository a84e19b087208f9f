// The frames of a picture file, decoded through GDI+ into bitmaps: every
// frame of an animated GIF with its delay, one frame for other formats.
// Windows only.
#pragma once

#include <memory>
#include <vector>

#include "afx/afx_gdi.h"

class PictureFrames {
 public:
  // Largest side accepted, and most frames kept.
  static constexpr unsigned kMaxSide = 4096;
  static constexpr unsigned kMaxFrames = 512;

  // Reads the file; false (frames unchanged) when it cannot be read or
  // decoded, a side is 0 or above kMaxSide. Transparent pixels are drawn
  // over background.
  bool Load(const wchar_t* path, COLORREF background);

  int GetWidth() const { return m_nWidth; }
  int GetHeight() const { return m_nHeight; }
  int GetCount() const { return static_cast<int>(m_frames.size()); }
  // Frame i's bitmap (owned here) and its delay in milliseconds (at least
  // 20; 100 for a GIF that names none).
  HBITMAP GetBitmap(int i) const;
  UINT GetDelay(int i) const;

 private:
  struct Frame {
    std::unique_ptr<CBitmap> bitmap;
    UINT delay = 100;
  };
  std::vector<Frame> m_frames;
  int m_nWidth = 0;
  int m_nHeight = 0;
};
