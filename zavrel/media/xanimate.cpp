#include "zavrel/media/xanimate.h"

#include <cstdint>

#include "base/no_throw.h"

#include "support/ormlace/skin_image_manager.h"
#include "zavrel/media/cell_grid.h"
#include "zavrel/media/frame_steps.h"

namespace {

// Most frames one picture is cut into.
constexpr std::int64_t kMaxFrames = 4096;

}  // namespace

CxAnimateListener::~CxAnimateListener() = default;
void CxAnimateListener::OnAnimatePlayStart(int) {}
void CxAnimateListener::OnAnimatePlayOver(int) {}
void CxAnimateListener::OnAnimateUpdate(const CRect&) {}

CxAnimate::CxAnimate()
    : m_nAnimateID(0),
      m_nCurFrame(-1),
      m_nInterval(0),
      m_bReverse(false),
      m_bPlaying(false),
      m_bLoop(false),
      m_pListener(nullptr),
      m_pTimer(media::NewTimerOf(this)),
      m_nTimerID(media::kNoTimer) {}

CxAnimate::CxAnimate(const CxAnimate& other) : CxAnimate() {
  CopySettings(other);
  if (m_bPlaying) StartTimer();
}

CxAnimate& CxAnimate::operator=(const CxAnimate& other) {
  if (&other == this) return *this;
  media::StopTimers(*m_pTimer, m_nTimerID);
  CopySettings(other);
  if (m_bPlaying) StartTimer();
  return *this;
}

CxAnimate::~CxAnimate() { media::EndAnimation(this, m_pTimer, m_Frames); }

void CxAnimate::CopySettings(const CxAnimate& other) {
  m_nAnimateID = other.m_nAnimateID;
  m_Frames.Copy(other.m_Frames);
  m_nCurFrame = other.m_nCurFrame;
  m_nInterval = other.m_nInterval;
  m_ptDraw = other.m_ptDraw;
  m_szFrame = other.m_szFrame;
  m_bReverse = other.m_bReverse;
  m_bPlaying = other.m_bPlaying;
  m_bLoop = other.m_bLoop;
  m_pListener = other.m_pListener;
}

bool CxAnimate::Load(const std::string& name, const POINT& cellSize, const RECT* rect) {
  try {
    return LoadCells(name, cellSize, rect);
  } catch (...) {  // out of memory: no frames rather than some
    NoThrowVoid([&] { ClearFrame(); });
    return false;
  }
}

bool CxAnimate::LoadCells(const std::string& name, const POINT& cellSize, const RECT* rect) {
  (void)rect;
  if (cellSize.x <= 0 || cellSize.y <= 0) return false;
  m_szFrame = CSize(cellSize.x, cellSize.y);
  Stop();
  ClearFrame();
  CxImage* cached = CSkinImageManager::getSingleton().GetImage(name);
  if (!cached) return false;
  // A copy of its own: the cache's picture is shared.
  // An absurd cell size (one pixel of a large picture) would make a frame
  // of every pixel: refused.
  const std::int64_t columns = (static_cast<std::int64_t>(cached->GetWidth()) + cellSize.x - 1) / cellSize.x;
  const std::int64_t rows = (static_cast<std::int64_t>(cached->GetHeight()) + cellSize.y - 1) / cellSize.y;
  if (columns * rows > kMaxFrames) return false;
  CxImage source(*cached, true, true, true);
  media::CutCells(static_cast<long>(source.GetWidth()), static_cast<long>(source.GetHeight()), cellSize.x, cellSize.y,
                  -1, [&](int, const CRect& cell) {
                    const INT_PTR index = m_Frames.Add(CxImage());
                    if (source.Crop(cell, &m_Frames[index])) return true;
                    m_Frames.RemoveAt(index);
                    return false;
                  });
  return true;
}

void CxAnimate::Play(bool bPlay, int nFramesPerSecond) {
  Stop();
  if (!bPlay || nFramesPerSecond <= 0) return;
  m_nInterval = media::FrameInterval(static_cast<unsigned long>(nFramesPerSecond));
  m_nCurFrame = m_bReverse ? GetFrameCount() - 1 : 0;
  StartTimer();
  m_bPlaying = true;
  if (m_pListener) m_pListener->OnAnimatePlayStart(m_nAnimateID);
}

void CxAnimate::StartTimer() { m_nTimerID = m_pTimer->SetTimer(m_nInterval); }

void CxAnimate::Stop() {
  m_nCurFrame = 0;
  m_bPlaying = false;
  media::StopTimers(*m_pTimer, m_nTimerID);
}

void CxAnimate::Pause() { Stop(); }

void CxAnimate::Loop(bool bLoop) { m_bLoop = bLoop; }

void CxAnimate::SetReverse(bool bReverse) { m_bReverse = bReverse; }

void CxAnimate::SetAnimSpeed(unsigned long nFramesPerSecond) {
  if (nFramesPerSecond == 0) return;
  m_nInterval = media::FrameInterval(nFramesPerSecond);
}

void CxAnimate::SetListener(CxAnimateListener* pListener) { m_pListener = pListener; }

void CxAnimate::SetAnimateID(int nID) { m_nAnimateID = nID; }

int CxAnimate::GetAnimateID() const { return m_nAnimateID; }

int CxAnimate::GetFrameCount() const { return static_cast<int>(m_Frames.GetSize()); }

int CxAnimate::GetCurrentFrameIndex() const { return m_nCurFrame; }

CSize CxAnimate::GetFrameSize() const { return m_szFrame; }

void CxAnimate::Draw(CDC* pDC, int x, int y) {
  media::DrawFrame(m_Frames, m_nCurFrame, m_bPlaying, m_ptDraw, pDC, x, y);
}

void CxAnimate::ClearFrame() { media::ClearFrames(m_Frames); }

void CxAnimate::OnTimerEx(UINT nIDEvent) {
  if (nIDEvent == m_nTimerID) UpdateAnimate();
}

void CxAnimate::UpdateAnimate() {
  if (!m_bPlaying) return;
  if (media::StepFrame(m_nCurFrame, GetFrameCount(), m_bReverse, m_bLoop)) {
    Stop();
    const int id = m_nAnimateID;
    if (!media::TellRunOver(this, m_pListener, [id](CxAnimateListener& l) { l.OnAnimatePlayOver(id); })) return;
  }
  if (m_pListener) m_pListener->OnAnimateUpdate(CRect(m_ptDraw, m_szFrame));
}
