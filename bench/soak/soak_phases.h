// The soak's phases: each one drives one subsystem the way a hall client
// does over an evening (make, use, end), once per cycle. Windows only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "afx/afxwin.h"

namespace soak {

// The hall's main window: visible, the owner of dialogs and the parent of
// child windows; it counts the notifications the phases expect.
class HallWindow : public CWnd {
 public:
  int emotionPicks = 0;
  std::string lastEmotionCode;
  int uploadCloses = 0;

 protected:
  afx_msg LRESULT OnEmotionSelected(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnUploadClosed(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()
};

// What the phases share: the hall window and a scratch folder.
struct HallEnvironment {
  HallWindow* hall = nullptr;
  std::string folder;               // Windows path, no trailing backslash
  std::string binaryDir;            // the soak program's folder, trailing backslash
  int chatLines = 40;               // chat lines written per cycle
  int serverLifetimeSeconds = 120;  // the local servers end by themselves then
};

class Phase {
 public:
  virtual ~Phase() = default;
  // The name the soak prints and that --phase selects.
  virtual const char* Name() const = 0;
  // Makes what the phase keeps for the whole run (files, servers,
  // components); false with the reason in error.
  virtual bool Start(std::string& error) = 0;
  // One round of the subsystem's life; false with the reason when it did
  // not behave as the hall expects.
  virtual bool Cycle(std::string& error) = 0;
  // Ends what Start made (before the final count of a run).
  virtual void Finish() {}
  // Whether a run without --phases includes it.
  virtual bool InDefaultRun() const { return true; }
};

// Dispatches this thread's messages until none is waiting.
void PumpUntilIdle();
// Dispatches messages until done() holds; false when timeoutMs passes.
bool PumpFor(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// ZavrelCom's components through its DLL, as a host loads them:
// chat lines, the emoticon picker, the four components made and released.
std::unique_ptr<Phase> MakeChatPhase(HallEnvironment& env);
std::unique_ptr<Phase> MakePickerPhase(HallEnvironment& env);
std::unique_ptr<Phase> MakeComponentsPhase(HallEnvironment& env);
// Zavrel's subsystems.
std::unique_ptr<Phase> MakeAnimationPhase(HallEnvironment& env);
std::unique_ptr<Phase> MakeSoundPhase(HallEnvironment& env);
std::unique_ptr<Phase> MakeEffectsPhase(HallEnvironment& env);
std::unique_ptr<Phase> MakeVideoPhase(HallEnvironment& env);
std::unique_ptr<Phase> MakeBrowserPhase(HallEnvironment& env);
std::unique_ptr<Phase> MakeNetPhase(HallEnvironment& env);
std::unique_ptr<Phase> MakeChannelPhase(HallEnvironment& env);
std::unique_ptr<Phase> MakeConfigPhase(HallEnvironment& env);
std::unique_ptr<Phase> MakeTimersPhase(HallEnvironment& env);

// A phase that leaks one GDI object and one kernel handle per round on
// purpose, run only when named: the soak's check of itself.
std::unique_ptr<Phase> MakeLeakPhase();

// Every phase, in the order a cycle runs them.
std::vector<std::unique_ptr<Phase>> MakePhases(HallEnvironment& env);

}  // namespace soak
