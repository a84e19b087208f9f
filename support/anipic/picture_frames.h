// The frames of a picture file, decoded through GDI+ into pixels: every
// frame of an animated GIF with its delay, one frame for other formats.
//
// Frames are plain memory (32 bits a pixel, top-down), not GDI bitmaps, and
// one decoded file is shared by every picture that shows it (Shared): a
// chat line of a hundred copies of one emoticon decodes the file once and
// holds no GDI object for it. Windows only.
#pragma once

#include "afx/afx_port.h"

#include <cstdint>
#include <memory>
#include <vector>

class PictureFrames {
 public:
  // Largest side accepted, most frames kept, and most pixels of all frames
  // together (64 MB): frames past that are dropped.
  static constexpr unsigned kMaxSide = 4096;
  static constexpr unsigned kMaxFrames = 512;
  static constexpr std::uint64_t kMaxPixels = 16u << 20;

  // The frames of the file drawn over background, decoded once for all
  // callers while any holds them (the file's size and time of last change
  // are part of the key: a changed file is decoded again). Null when the
  // file cannot be read or decoded, a side is 0 or above kMaxSide, or
  // memory runs out.
  static std::shared_ptr<const PictureFrames> Shared(const wchar_t* path, COLORREF background);
  // How many decoded files are held now (tests).
  static std::size_t SharedCount();

  int GetWidth() const { return m_nWidth; }
  int GetHeight() const { return m_nHeight; }
  int GetCount() const { return static_cast<int>(m_delays.size()); }
  // Frame i's delay in milliseconds (at least 20; 100 for a GIF that names
  // none).
  UINT GetDelay(int i) const;
  // Draws frame i stretched into bounds of dc.
  bool Draw(HDC dc, const RECT& bounds, int i) const;
  // A new bitmap of frame i, owned by the caller; null on failure.
  HBITMAP CopyBitmap(int i) const;

 private:
  // Reads the file; false when it cannot be read or decoded (see Shared).
  bool Load(const wchar_t* path, COLORREF background);
  const std::uint32_t* Pixels(int i) const;
  void FillInfo(BITMAPINFO& info) const;

  std::vector<std::uint32_t> m_pixels;  // every frame, one after the other
  std::vector<UINT> m_delays;
  int m_nWidth = 0;
  int m_nHeight = 0;
};
