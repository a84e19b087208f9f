#include <cstring>

#include "bench/soak/soak_phases.h"
#include "support/base/message_pump.h"
#include "zavrel/media/browser_dialog.h"

namespace soak {

BEGIN_MESSAGE_MAP(HallWindow, CWnd)
ON_MESSAGE(0x0464, OnEmotionSelected)
ON_MESSAGE(CBrowserDialog::kUploadClosedMessage, OnUploadClosed)
END_MESSAGE_MAP()

LRESULT HallWindow::OnEmotionSelected(WPARAM, LPARAM lParam) {
  ++emotionPicks;
  // tagEmotion: szPath[260], then szCode[16].
  const char* record = reinterpret_cast<const char*>(lParam);
  lastEmotionCode = record ? std::string(record + 260, strnlen(record + 260, 16)) : std::string();
  return 0;
}

LRESULT HallWindow::OnUploadClosed(WPARAM, LPARAM) {
  ++uploadCloses;
  return 0;
}

void PumpUntilIdle() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool PumpFor(const std::function<bool()>& done, DWORD timeoutMs) {
  // Some conditions change without a message to this thread (another
  // process, the multimedia timer's thread): look again every 20 ms.
  const DWORD start = GetTickCount();
  while (!PumpMessagesUntil(done, 20)) {
    if (GetTickCount() - start >= timeoutMs) return done();
  }
  return true;
}

std::vector<std::unique_ptr<Phase>> MakePhases(HallEnvironment& env) {
  std::vector<std::unique_ptr<Phase>> phases;
  phases.push_back(MakeChatPhase(env));
  phases.push_back(MakePickerPhase(env));
  phases.push_back(MakeAnimationPhase(env));
  phases.push_back(MakeSoundPhase(env));
  phases.push_back(MakeEffectsPhase(env));
  phases.push_back(MakeVideoPhase(env));
  phases.push_back(MakeBrowserPhase(env));
  phases.push_back(MakeNetPhase(env));
  phases.push_back(MakeChannelPhase(env));
  phases.push_back(MakeConfigPhase(env));
  phases.push_back(MakeComponentsPhase(env));
  phases.push_back(MakeTimersPhase(env));
  return phases;
}

}  // namespace soak
