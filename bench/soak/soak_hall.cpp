#include <cstring>
#include <vector>

#include "base/message_pump.h"
#include "bench/soak/soak_phases.h"
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

namespace {

class LeakPhase : public Phase {
 public:
  const char* Name() const override { return "leak"; }
  bool Start(std::string&) override { return true; }
  bool Cycle(std::string&) override {
    // Kept until Finish, so they count as held.
    m_brushes.push_back(CreateSolidBrush(RGB(1, 2, 3)));
    m_events.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    return true;
  }
  void Finish() override {
    for (HBRUSH brush : m_brushes) DeleteObject(brush);
    for (HANDLE event : m_events) CloseHandle(event);
    m_brushes.clear();
    m_events.clear();
  }
  bool InDefaultRun() const override { return false; }

 private:
  std::vector<HBRUSH> m_brushes;
  std::vector<HANDLE> m_events;
};

}  // namespace

std::unique_ptr<Phase> MakeLeakPhase() { return std::make_unique<LeakPhase>(); }

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
  phases.push_back(MakeLeakPhase());
  return phases;
}

}  // namespace soak
