#include "zavrel/media/dx_sound_player.h"

#include "base/no_throw.h"

#include <dmusici.h>
#include <dsound.h>

#include <map>
#include <new>
#include <string>
#include <utility>

#include "base/win_owners.h"
#include "zavrel/media/sound_test_seam.h"

namespace {

// The volume observer of the tests (sound_test_seam.h).
sound_test_seam::VolumeObserver g_volumeObserver = nullptr;

// Characters of the UTF-16 file name handed to the loader, terminator
// included.
constexpr int kWideNameChars = 260;

constexpr DWORD kPerformanceChannels = 128;

}  // namespace

namespace sound_test_seam {

VolumeObserver SetVolumeObserver(VolumeObserver fn) { return std::exchange(g_volumeObserver, fn); }

}  // namespace sound_test_seam

class CDxSoundPlayer::Engine {
 public:
  Engine() : m_bComStarted(SUCCEEDED(::CoInitialize(nullptr))) {}
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;
  ~Engine() {
    Close();
    if (m_bComStarted) ::CoUninitialize();
  }

  HRESULT Init(HWND hWnd, bool b3D);
  HRESULT LoadSound(const char* lpszFileName, bool bDownload, bool bMidi);
  HRESULT Play();
  int IsPlaying();
  HRESULT Stop(const char* lpszFileName, DWORD dwFlags);
  HRESULT SetPosition(float x, float y, float z);
  HRESULT SetRepeats(DWORD dwRepeats);
  void SetPlayMode(DWORD dwFlags) { m_dwPlayFlags = dwFlags; }
  void SetVolume(int nVolume);

 private:
  // Unloads every segment, then gives up the paths, closes the performance
  // and the loader, in that order.
  void Close();
  bool HasSegment() const { return m_bReady && m_pCurrent != nullptr && m_performance; }

  bool m_bReady = false;
  HWND m_hWnd = nullptr;
  const bool m_bComStarted;
  DWORD m_dwPlayFlags = DMUS_SEGF_SECONDARY;
  bool m_bDownloaded = false;
  UniqueComPtr<IDirectMusicLoader8> m_loader;
  // One of the loaded segments (owned by the map), or null.
  IDirectMusicSegment8* m_pCurrent = nullptr;
  UniqueComPtr<IDirectMusicPerformance8> m_performance;
  UniqueComPtr<IDirectMusicAudioPath8> m_path3D;
  UniqueComPtr<IDirectSound3DBuffer> m_buffer3D;
  UniqueComPtr<IDirectSoundBuffer> m_volumeBuffer;
  std::map<std::string, UniqueComPtr<IDirectMusicSegment8>> m_segments;
};

void CDxSoundPlayer::Engine::Close() {
  for (auto& entry : m_segments) {
    IDirectMusicSegment8* segment = entry.second.get();
    m_pCurrent = segment;
    if (m_loader) m_loader.get()->ReleaseObjectByUnknown(segment);
    if (m_bDownloaded) {
      if (m_path3D) segment->Unload(m_path3D.get());
      if (m_performance) segment->Unload(m_performance.get());
    }
    entry.second.reset();
  }
  m_segments.clear();
  m_pCurrent = nullptr;
  m_bReady = false;
  m_bDownloaded = false;
  m_volumeBuffer.reset();
  m_buffer3D.reset();
  m_path3D.reset();
  if (m_performance) {
    m_performance.get()->Stop(nullptr, nullptr, 0, 0);
    m_performance.get()->CloseDown();
    m_performance.reset();
  }
  m_loader.reset();
}

HRESULT CDxSoundPlayer::Engine::Init(HWND hWnd, bool b3D) {
  Close();
  m_hWnd = hWnd;
  if (FAILED(::CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_INPROC, IID_IDirectMusicLoader8,
                                reinterpret_cast<void**>(m_loader.put())))) {
    return E_FAIL;
  }
  HRESULT hr = ::CoCreateInstance(CLSID_DirectMusicPerformance, nullptr, CLSCTX_INPROC, IID_IDirectMusicPerformance8,
                                  reinterpret_cast<void**>(m_performance.put()));
  if (FAILED(hr)) return hr;
  hr = m_performance.get()->InitAudio(nullptr, nullptr, m_hWnd, DMUS_APATH_DYNAMIC_STEREO, kPerformanceChannels,
                                      DMUS_AUDIOF_ALL, nullptr);
  if (FAILED(hr)) return hr;

  // The volume applies to the buffer of the path that plays: the default
  // path, or the 3D path below. Without one, SetVolume changes nothing.
  UniqueComPtr<IDirectMusicAudioPath> defaultPath;
  if (SUCCEEDED(m_performance.get()->GetDefaultAudioPath(defaultPath.put()))) {
    defaultPath.get()->GetObjectInPath(DMUS_PCHANNEL_ALL, DMUS_PATH_BUFFER, 0, GUID_NULL, 0, IID_IDirectSoundBuffer,
                                       reinterpret_cast<void**>(m_volumeBuffer.put()));
  }
  if (!b3D) return S_OK;

  hr = m_performance.get()->CreateStandardAudioPath(DMUS_APATH_DYNAMIC_3D, kPerformanceChannels, TRUE, m_path3D.put());
  if (FAILED(hr)) return hr;
  hr = m_path3D.get()->GetObjectInPath(DMUS_PCHANNEL_ALL, DMUS_PATH_BUFFER, 0, GUID_NULL, 0, IID_IDirectSound3DBuffer,
                                       reinterpret_cast<void**>(m_buffer3D.put()));
  if (FAILED(hr)) return hr;
  hr = m_buffer3D.get()->SetPosition(0.0f, 0.0f, 0.0f, DS3D_IMMEDIATE);
  if (FAILED(hr)) return hr;
  UniqueComPtr<IDirectSoundBuffer> buffer;
  if (SUCCEEDED(m_path3D.get()->GetObjectInPath(DMUS_PCHANNEL_ALL, DMUS_PATH_BUFFER, 0, GUID_NULL, 0,
                                                IID_IDirectSoundBuffer, reinterpret_cast<void**>(buffer.put())))) {
    m_volumeBuffer = std::move(buffer);
  }
  return S_OK;
}

HRESULT CDxSoundPlayer::Engine::LoadSound(const char* lpszFileName, bool bDownload, bool bMidi) {
  if (!m_loader || !m_performance || lpszFileName == nullptr) return E_FAIL;
  auto found = m_segments.find(lpszFileName);
  if (found != m_segments.end()) {
    m_pCurrent = found->second.get();
    m_bReady = true;
    return S_OK;
  }

  // The loader takes the name in UTF-16, in a buffer of fixed size: a name
  // that does not fit is refused rather than cut.
  WCHAR wszName[kWideNameChars];
  if (::MultiByteToWideChar(CP_ACP, 0, lpszFileName, -1, wszName, kWideNameChars) == 0) {
    m_pCurrent = nullptr;
    return E_FAIL;
  }
  UniqueComPtr<IDirectMusicSegment8> segment;
  m_pCurrent = nullptr;
  HRESULT hr = m_loader.get()->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8, wszName,
                                                  reinterpret_cast<void**>(segment.put()));
  if (FAILED(hr)) return hr;
  if (bMidi) {
    hr = segment.get()->SetParam(GUID_StandardMIDIFile, 0xFFFFFFFF, 0, 0, nullptr);
    if (FAILED(hr)) {
      m_loader.get()->ReleaseObjectByUnknown(segment.get());
      return hr;
    }
  }
  if (bDownload) {
    m_bDownloaded = true;
    segment.get()->Download(m_performance.get());
  }
  m_pCurrent = segment.get();
  m_bReady = true;
  m_segments.emplace(lpszFileName, std::move(segment));
  return S_OK;
}

HRESULT CDxSoundPlayer::Engine::Play() {
  if (!HasSegment()) return CO_E_NOTINITIALIZED;
  return m_performance.get()->PlaySegmentEx(m_pCurrent, nullptr, nullptr, m_dwPlayFlags, 0, nullptr, nullptr,
                                            m_path3D.get());
}

int CDxSoundPlayer::Engine::IsPlaying() {
  if (!HasSegment()) return CO_E_NOTINITIALIZED;
  return m_performance.get()->IsPlaying(m_pCurrent, nullptr) == S_OK ? 1 : 0;
}

HRESULT CDxSoundPlayer::Engine::Stop(const char* lpszFileName, DWORD dwFlags) {
  if (!m_bReady || !m_performance) return CO_E_NOTINITIALIZED;
  if (lpszFileName == nullptr) return m_performance.get()->Stop(nullptr, nullptr, 0, dwFlags);
  auto found = m_segments.find(lpszFileName);
  if (found == m_segments.end()) return S_OK;
  return m_performance.get()->Stop(found->second.get(), nullptr, 0, dwFlags);
}

HRESULT CDxSoundPlayer::Engine::SetPosition(float x, float y, float z) {
  if (!m_bReady || !m_buffer3D) return E_INVALIDARG;
  const HRESULT hr = m_buffer3D.get()->SetPosition(x, y, z, DS3D_IMMEDIATE);
  return FAILED(hr) ? hr : S_OK;
}

HRESULT CDxSoundPlayer::Engine::SetRepeats(DWORD dwRepeats) {
  if (m_pCurrent == nullptr) return CO_E_NOTINITIALIZED;
  return m_pCurrent->SetRepeats(dwRepeats);
}

void CDxSoundPlayer::Engine::SetVolume(int nVolume) {
  LONG volume;
  if (nVolume <= 0) {
    volume = DSBVOLUME_MIN;
  } else if (nVolume >= 100) {
    volume = DSBVOLUME_MAX;
  } else {
    volume = nVolume * 10000 / 100 - 10000;
  }
  const HRESULT hr = m_volumeBuffer ? m_volumeBuffer.get()->SetVolume(volume) : CO_E_NOTINITIALIZED;
  if (g_volumeObserver != nullptr) g_volumeObserver(volume, hr);
}

CDxSoundPlayer::CDxSoundPlayer() : m_pEngine(new (std::nothrow) Engine) {}

CDxSoundPlayer::~CDxSoundPlayer() { delete m_pEngine; }

HRESULT CDxSoundPlayer::Init(HWND hWnd, bool b3D) {
  return NoThrow<HRESULT>(E_OUTOFMEMORY, [&] { return m_pEngine ? m_pEngine->Init(hWnd, b3D) : E_OUTOFMEMORY; });
}

HRESULT CDxSoundPlayer::LoadSound(const char* lpszFileName, bool bDownload, bool bMidi) {
  // A huge file's copy, or any other allocation, must not unwind into the
  // host.
  return NoThrow<HRESULT>(E_OUTOFMEMORY, [&]() -> HRESULT {
    return m_pEngine ? m_pEngine->LoadSound(lpszFileName, bDownload, bMidi) : E_OUTOFMEMORY;
  });
}

HRESULT CDxSoundPlayer::Play() { return m_pEngine ? m_pEngine->Play() : E_OUTOFMEMORY; }

int CDxSoundPlayer::IsPlaying() { return m_pEngine ? m_pEngine->IsPlaying() : CO_E_NOTINITIALIZED; }

HRESULT CDxSoundPlayer::Stop(const char* lpszFileName, DWORD dwFlags) {
  return m_pEngine ? m_pEngine->Stop(lpszFileName, dwFlags) : E_OUTOFMEMORY;
}

HRESULT CDxSoundPlayer::SetPosition(float x, float y, float z) {
  return m_pEngine ? m_pEngine->SetPosition(x, y, z) : E_INVALIDARG;
}

HRESULT CDxSoundPlayer::SetRepeats(DWORD dwRepeats) {
  return m_pEngine ? m_pEngine->SetRepeats(dwRepeats) : CO_E_NOTINITIALIZED;
}

void CDxSoundPlayer::SetPlayMode(DWORD dwFlags) {
  if (m_pEngine) m_pEngine->SetPlayMode(dwFlags);
}

void CDxSoundPlayer::SetVolume(int nVolume) {
  if (m_pEngine) m_pEngine->SetVolume(nVolume);
}
