// CxAnimate: a frame animation cut from one skin picture (a strip or grid of
// equal cells), stepped by a window timer of the user-interface thread.
//
// The picture comes from Ormlace's skin picture cache by name
// (CSkinImageManager::getSingleton().GetImage(name); see
// support/ormlace/skin_image_manager.h for where a name is looked for). The
// animation never paints by itself: after each step it tells its listener
// which rectangle to repaint, and the owner calls Draw from its painting
// code. Everything (the ticks, the listener's calls, Draw) runs on the
// thread that called Play, which must dispatch messages. Windows only.
//
//   void CScoreView::OnPaint() {
//     CPaintDC dc(this);
//     m_coin.Draw(&dc, 20, 40);           // the current frame, if playing
//   }
//   void CScoreView::OnAnimateUpdate(const CRect& rect) { InvalidateRect(&rect, FALSE); }
#pragma once

#include <memory>
#include <string>

#include "afx/afx_coll.h"
#include "afx/afx_gdi.h"
#include "afx/afx_rect.h"
#include "support/brevio/ximage.h"
#include "zavrel/timer/ui_timer.h"
#include "zavrel/timer/ui_timer_listener.h"
#include "zavrel/zavrel_api.h"

// What a CxAnimate tells its owner; every call does nothing by default. The
// listener is not owned: it must outlive the animation or be replaced first.
class ZAVREL_API CxAnimateListener {
 public:
  virtual ~CxAnimateListener();
  // Play started a run.
  virtual void OnAnimatePlayStart(int id);
  // A run without looping went past its last (or, reversed, its first)
  // frame; the animation is stopped already.
  virtual void OnAnimatePlayOver(int id);
  // After every step: the area of the current frame at the last Draw
  // position, to be repainted. Deleting the animation inside a call is
  // allowed; nothing of it is used afterwards.
  virtual void OnAnimateUpdate(const CRect& rect);
};

class ZAVREL_API CxAnimate : public IUiTimerListener {
 public:
  CxAnimate();
  // A copy holds the frames and every setting, and a timer of its own: a
  // copy of a playing animation plays on from the same frame at m_nInterval
  // on that timer (without a start call to the listener). Destroying either
  // never stops the other.
  CxAnimate(const CxAnimate& other);
  CxAnimate& operator=(const CxAnimate& other);
  // Stops the timer and destroys the frames.
  ~CxAnimate() override;

  // Cuts the named skin picture into cells of cellSize (x: width, y:
  // height), row by row from the top left, each cell one frame; cells at the
  // right and bottom edges are cut to what remains. False, nothing changed,
  // when a side of the cell is not positive; otherwise the run stops and
  // the old frames go first, and false when the cache has no such picture.
  // A cell that cannot be cropped ends the cutting: the frames cut before it
  // are kept (an empty or zero-width picture gives none) and the answer is
  // still true. rect is not consulted.
  bool Load(const std::string& name, const POINT& cellSize, const RECT* rect = nullptr);

  // Stops any run. With bPlay, starts one at nFramesPerSecond (interval
  // 1000 / nFramesPerSecond ms) from the first frame (the last when
  // reversed) and calls OnAnimatePlayStart. A rate that is not positive
  // starts nothing (Play(false, 0) only stops).
  void Play(bool bPlay, int nFramesPerSecond);
  // Stop and Pause are one operation: frame 0, not playing, timer stopped.
  void Stop();
  void Pause();
  void Loop(bool bLoop);
  // Applies from the next Play and the next step.
  void SetReverse(bool bReverse);
  // Sets m_nInterval only; a running timer keeps the interval Play gave it.
  // 0 changes nothing.
  void SetAnimSpeed(unsigned long nFramesPerSecond);
  void SetListener(CxAnimateListener* pListener);
  void SetAnimateID(int nID);
  int GetAnimateID() const;
  int GetFrameCount() const;
  int GetCurrentFrameIndex() const;
  // The cell size given to Load.
  CSize GetFrameSize() const;
  // Draws the current frame at (x, y) in its own size and remembers the
  // position; nothing when pDC is null, when not playing, or when there is
  // no current frame.
  void Draw(CDC* pDC, int x, int y);
  // Destroys every frame.
  void ClearFrame();

 private:
  bool LoadCells(const std::string& name, const POINT& cellSize, const RECT* rect);
  void OnTimerEx(UINT nIDEvent) override;
  void UpdateAnimate();
  void StartTimer();
  void CopySettings(const CxAnimate& other);

  int m_nAnimateID;
  CArray<CxImage, const CxImage&> m_Frames;
  int m_nCurFrame;
  UINT m_nInterval;
  CPoint m_ptDraw;
  CSize m_szFrame;
  bool m_bReverse;
  bool m_bPlaying;
  bool m_bLoop;
  CxAnimateListener* m_pListener;
  std::unique_ptr<CUiTimer> m_pTimer;  // its listener is this object
  UINT m_nTimerID;
};
