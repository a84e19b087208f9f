// CxGifAnimate: the frames of a multi-frame skin picture (an animated GIF)
// played on a window timer of the user-interface thread.
//
// The picture comes from Ormlace's skin picture cache by name
// (CSkinImageManager::getSingleton().GetImage(name)); each of its frames
// becomes one frame of the animation. As with CxAnimate (xanimate.h), the
// animation never paints by itself: the listener learns which rectangle to
// repaint and the owner calls Draw from its painting code; everything runs
// on the thread that called Play. Windows only.
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

// What a CxGifAnimate tells its owner; every call does nothing by default.
// Not owned by the animation.
class ZAVREL_API CxGifAnimateListener {
 public:
  virtual ~CxGifAnimateListener();
  // Play started a run.
  virtual void OnGifAnimatePlayStart(int id);
  // A run without looping went past its last (reversed: its first) frame.
  virtual void OnGifAnimatePlayOver(int id);
  // After every step: the area to repaint (the last Draw position, the size
  // of the last frame). The animation may be deleted inside a call.
  virtual void OnGifAnimateUpdate(const CRect& rect);
};

class ZAVREL_API CxGifAnimate : public IUiTimerListener {
 public:
  CxGifAnimate();
  // A copy holds the frames and every setting, and a timer of its own: a
  // copy of a playing animation plays on from the same frame at m_nInterval.
  CxGifAnimate(const CxGifAnimate& other);
  CxGifAnimate& operator=(const CxGifAnimate& other);
  ~CxGifAnimate() override;

  // Stops any run and drops the frames, then takes every frame of the named
  // picture in order (a still picture gives one); the frame size becomes
  // the size of the last frame. Left stopped and hidden. False when the
  // cache has no such picture.
  bool Load(const std::string& name);

  // Stops any run, then starts one at nFramesPerSecond from the first frame
  // (the last when reversed), shown, and calls OnGifAnimatePlayStart. A
  // rate that is not positive starts nothing.
  void Play(int nFramesPerSecond);
  // Stop and Pause are one operation: the timer stops, the animation is no
  // longer playing nor shown, and the current frame stays where it is (one
  // past the last after a forward run: Draw then shows nothing).
  void Stop();
  void Pause();
  bool IsPlaying() const;
  void Show(bool bShow);
  void Loop(bool bLoop);
  void SetReverse(bool bReverse);
  // Sets m_nInterval only; a running timer keeps its interval. 0 changes
  // nothing.
  void SetAnimSpeed(unsigned long nFramesPerSecond);
  void SetListener(CxGifAnimateListener* pListener);
  void SetAnimateID(int nID);
  int GetAnimateID() const;
  int GetFrameCount() const;
  int GetCurrentFrameIndex() const;
  const CSize& GetFrameSize() const;
  int GetAnimateWidth() const;
  int GetAnimateHeight() const;
  // Draws the current frame at (x, y) in its own size and remembers the
  // position; nothing when pDC is null, when not playing, or when there is
  // no current frame.
  void Draw(CDC* pDC, int x, int y);
  void ClearFrame();

 protected:
  void UpdateAnimate();
  bool LoadFrames(const std::string& name);
  void OnTimerEx(UINT nIDEvent) override;

 private:
  void StartTimer();
  void CopySettings(const CxGifAnimate& other);

  int m_nAnimateID;
  CArray<CxImage, const CxImage&> m_Frames;
  int m_nCurFrame;
  UINT m_nInterval;
  CPoint m_ptDraw;
  CSize m_szFrame;
  bool m_bReverse;
  bool m_bPlaying;
  bool m_bLoop;
  bool m_bShow;  // kept for the owner's sake; nothing here reads it
  CxGifAnimateListener* m_pListener;
  std::unique_ptr<CUiTimer> m_pTimer;  // its listener is this object
  UINT m_nTimerID;
};
