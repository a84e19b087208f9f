#include "zavrel/media/xgif_animate.h"

#include "base/no_throw.h"

#include "support/ormlace/skin_image_manager.h"
#include "zavrel/media/frame_steps.h"

CxGifAnimateListener::~CxGifAnimateListener() = default;
void CxGifAnimateListener::OnGifAnimatePlayStart(int) {}
void CxGifAnimateListener::OnGifAnimatePlayOver(int) {}
void CxGifAnimateListener::OnGifAnimateUpdate(const CRect&) {}

CxGifAnimate::CxGifAnimate()
    : m_nAnimateID(-1),
      m_nCurFrame(-1),
      m_nInterval(0),
      m_bReverse(false),
      m_bPlaying(false),
      m_bLoop(false),
      m_bShow(false),
      m_pListener(nullptr),
      m_pTimer(media::NewTimerOf(this)),
      m_nTimerID(media::kNoTimer) {}

CxGifAnimate::CxGifAnimate(const CxGifAnimate& other) : CxGifAnimate() {
  CopySettings(other);
  if (m_bPlaying) StartTimer();
}

CxGifAnimate& CxGifAnimate::operator=(const CxGifAnimate& other) {
  if (&other == this) return *this;
  media::StopTimers(*m_pTimer, m_nTimerID);
  CopySettings(other);
  if (m_bPlaying) StartTimer();
  return *this;
}

CxGifAnimate::~CxGifAnimate() { media::EndAnimation(this, m_pTimer, m_Frames); }

void CxGifAnimate::CopySettings(const CxGifAnimate& other) {
  m_nAnimateID = other.m_nAnimateID;
  m_Frames.Copy(other.m_Frames);
  m_nCurFrame = other.m_nCurFrame;
  m_nInterval = other.m_nInterval;
  m_ptDraw = other.m_ptDraw;
  m_szFrame = other.m_szFrame;
  m_bReverse = other.m_bReverse;
  m_bPlaying = other.m_bPlaying;
  m_bLoop = other.m_bLoop;
  m_bShow = other.m_bShow;
  m_pListener = other.m_pListener;
}

bool CxGifAnimate::Load(const std::string& name) {
  try {
    return LoadFrames(name);
  } catch (...) {  // out of memory: no frames rather than some
    NoThrowVoid([&] { ClearFrame(); });
    return false;
  }
}

bool CxGifAnimate::LoadFrames(const std::string& name) {
  Stop();
  ClearFrame();
  CxImage* cached = CSkinImageManager::getSingleton().GetImage(name);
  if (!cached) return false;
  const long count = cached->GetNumFrames();
  for (long i = 0; i < count; ++i) {
    const INT_PTR index = m_Frames.Add(CxImage());
    if (const CxImage* frame = cached->GetFrame(i)) m_Frames[index] = *frame;
  }
  if (count > 0) {
    const CxImage& last = m_Frames[count - 1];
    m_szFrame = CSize(static_cast<int>(last.GetWidth()), static_cast<int>(last.GetHeight()));
  }
  m_bShow = false;
  return true;
}

void CxGifAnimate::Play(int nFramesPerSecond) {
  Stop();
  if (nFramesPerSecond <= 0) return;
  m_nInterval = media::FrameInterval(static_cast<unsigned long>(nFramesPerSecond));
  m_nCurFrame = m_bReverse ? GetFrameCount() - 1 : 0;
  StartTimer();
  m_bPlaying = true;
  m_bShow = true;
  if (m_pListener) m_pListener->OnGifAnimatePlayStart(m_nAnimateID);
}

void CxGifAnimate::StartTimer() { m_nTimerID = m_pTimer->SetTimer(m_nInterval); }

void CxGifAnimate::Stop() {
  m_bPlaying = false;
  m_bShow = false;
  media::StopTimers(*m_pTimer, m_nTimerID);
}

void CxGifAnimate::Pause() { Stop(); }

bool CxGifAnimate::IsPlaying() const { return m_bPlaying; }

void CxGifAnimate::Show(bool bShow) { m_bShow = bShow; }

void CxGifAnimate::Loop(bool bLoop) { m_bLoop = bLoop; }

void CxGifAnimate::SetReverse(bool bReverse) { m_bReverse = bReverse; }

void CxGifAnimate::SetAnimSpeed(unsigned long nFramesPerSecond) {
  if (nFramesPerSecond == 0) return;
  m_nInterval = media::FrameInterval(nFramesPerSecond);
}

void CxGifAnimate::SetListener(CxGifAnimateListener* pListener) { m_pListener = pListener; }

void CxGifAnimate::SetAnimateID(int nID) { m_nAnimateID = nID; }

int CxGifAnimate::GetAnimateID() const { return m_nAnimateID; }

int CxGifAnimate::GetFrameCount() const { return static_cast<int>(m_Frames.GetSize()); }

int CxGifAnimate::GetCurrentFrameIndex() const { return m_nCurFrame; }

const CSize& CxGifAnimate::GetFrameSize() const { return m_szFrame; }

int CxGifAnimate::GetAnimateWidth() const { return m_szFrame.cx; }

int CxGifAnimate::GetAnimateHeight() const { return m_szFrame.cy; }

void CxGifAnimate::Draw(CDC* pDC, int x, int y) {
  media::DrawFrame(m_Frames, m_nCurFrame, m_bPlaying, m_ptDraw, pDC, x, y);
}

void CxGifAnimate::ClearFrame() { media::ClearFrames(m_Frames); }

void CxGifAnimate::OnTimerEx(UINT nIDEvent) {
  if (nIDEvent == m_nTimerID) UpdateAnimate();
}

void CxGifAnimate::UpdateAnimate() {
  if (!m_bPlaying) return;
  if (media::StepFrame(m_nCurFrame, GetFrameCount(), m_bReverse, m_bLoop)) {
    Stop();
    const int id = m_nAnimateID;
    if (!media::TellRunOver(this, m_pListener, [id](CxGifAnimateListener& l) { l.OnGifAnimatePlayOver(id); })) return;
  }
  if (m_pListener) m_pListener->OnGifAnimateUpdate(CRect(m_ptDraw, m_szFrame));
}
