#include "support/anipic/animation_clock.h"

#include <richedit.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "base/win_owners.h"
#include "support/anipic/animated_picture_object.h"

namespace animation_clock {
namespace {

const char kClockClass[] = "AniPicClock";

struct Group {
  UINT_PTR timer = 0;
  std::vector<CAnimatedPicture*> members;
};

// One thread's clock.
struct Clock {
  UniqueWindow window;
  std::map<HWND, Group> groups;
  std::map<UINT_PTR, HWND> timers;
  UINT_PTR nextTimer = 1;
  std::map<CAnimatedPicture*, HWND> joined;
};

struct Clocks {
  std::mutex lock;
  std::map<DWORD, std::unique_ptr<Clock>> threads;
};

Clocks& TheClocks() {
  static Clocks* clocks = new Clocks;  // lives with the module
  return *clocks;
}

Clock* ThisThreadClock(bool create);
void Tick(UINT_PTR timer);

LRESULT CALLBACK ClockWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    Tick(static_cast<UINT_PTR>(wParam));
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool RegisterClockClass() {
  static const bool registered = [] {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ClockWindowProc;
    wc.hInstance = AniPicModuleInstance();
    wc.lpszClassName = kClockClass;
    return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

Clock* ThisThreadClock(bool create) {
  Clocks& clocks = TheClocks();
  const DWORD thread = GetCurrentThreadId();
  {
    std::lock_guard<std::mutex> guard(clocks.lock);
    auto it = clocks.threads.find(thread);
    if (it != clocks.threads.end()) return it->second.get();
  }
  if (!create || !RegisterClockClass()) return nullptr;
  auto clock = std::make_unique<Clock>();
  clock->window.reset(
      CreateWindowExA(0, kClockClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, AniPicModuleInstance(), nullptr));
  if (!clock->window.valid()) return nullptr;
  std::lock_guard<std::mutex> guard(clocks.lock);
  Clock* raw = clock.get();
  clocks.threads[thread] = std::move(clock);
  return raw;
}

void EndClockIfIdle(Clock* clock) {
  if (!clock->groups.empty()) return;
  Clocks& clocks = TheClocks();
  std::unique_ptr<Clock> ending;
  {
    std::lock_guard<std::mutex> guard(clocks.lock);
    auto it = clocks.threads.find(GetCurrentThreadId());
    if (it == clocks.threads.end() || it->second.get() != clock) return;
    ending = std::move(it->second);
    clocks.threads.erase(it);
  }
  // The window goes with it (outside the lock: destroying sends messages).
}

// Sets the group's timer to its earliest due frame.
void Schedule(Clock* clock, Group& group) {
  if (group.members.empty()) return;
  const DWORD now = GetTickCount();
  DWORD wait = 0xFFFFFFFFu;
  for (CAnimatedPicture* member : group.members) {
    const LONG left = static_cast<LONG>(member->NextFrameDue() - now);
    const DWORD w = left <= 0 ? 0 : static_cast<DWORD>(left);
    wait = std::min(wait, w);
  }
  SetTimer(clock->window.get(), group.timer, std::max<DWORD>(wait, USER_TIMER_MINIMUM), nullptr);
}

void Tick(UINT_PTR timer) {
  Clock* clock = ThisThreadClock(false);
  if (!clock) return;
  auto found = clock->timers.find(timer);
  if (found == clock->timers.end()) return;
  const HWND container = found->second;
  auto group = clock->groups.find(container);
  if (group == clock->groups.end()) return;

  // The members may leave (a container's callback may release them) while
  // they are stepped: work on a held copy.
  std::vector<CAnimatedPicture*> members = group->second.members;
  for (CAnimatedPicture* member : members) member->AddRef();
  const DWORD now = GetTickCount() + kSlackMs;
  RECT client = {0, 0, 0, 0};
  const bool window = container && IsWindow(container) && IsWindowVisible(container);
  if (window) GetClientRect(container, &client);
  bool whole = false;
  bool read = false;
  bool direct = false;
  POINT scroll = {0, 0};
  UniqueWindowDc dc;
  for (CAnimatedPicture* member : members) {
    if (static_cast<LONG>(member->NextFrameDue() - now) > 0) continue;
    if (!member->AdvanceFrames(now) || !window) continue;
    if (!read) {
      read = true;
      scroll = member->ContainerScroll();
      // The new frames go straight to the rectangles where the pictures
      // stand, as the control would draw them, unless the control shows a
      // selection (which it draws over them): then it repaints them.
      CHARRANGE selection = {0, 0};
      if (member->InRichEdit()) SendMessageA(container, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
      direct = member->InRichEdit() && selection.cpMin == selection.cpMax;
      if (direct) {
        if (HDC got = GetDCEx(container, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_CLIPCHILDREN)) {
          dc.reset({container, got});
          IntersectClipRect(got, client.left, client.top, client.right, client.bottom);
        }
        direct = dc.valid();
      }
    }
    RECT area;
    switch (member->DirtyArea(scroll, &area)) {
      case CAnimatedPicture::Area::None:
        break;
      case CAnimatedPicture::Area::Whole:
        whole = true;
        break;
      case CAnimatedPicture::Area::Rect: {
        RECT visible;
        if (!IntersectRect(&visible, &area, &client)) break;
        if (!direct || !member->DrawCurrentFrame(dc.dc(), area)) InvalidateRect(container, &visible, FALSE);
        break;
      }
    }
  }
  dc.reset();
  if (whole && window) InvalidateRect(container, nullptr, FALSE);
  for (CAnimatedPicture* member : members) member->Release();

  clock = ThisThreadClock(false);
  if (!clock) return;
  group = clock->groups.find(container);
  if (group != clock->groups.end() && group->second.timer == timer) Schedule(clock, group->second);
}

}  // namespace

void Join(CAnimatedPicture* picture, HWND container) {
  Leave(picture);
  Clock* clock = ThisThreadClock(true);
  if (!clock) return;
  Group& group = clock->groups[container];
  if (!group.timer) {
    group.timer = clock->nextTimer++;
    clock->timers[group.timer] = container;
  }
  // Pictures of one file in one container step together (one redraw per
  // frame for all of them), from the frame the others show.
  for (CAnimatedPicture* member : group.members) {
    if (picture->FollowSameFile(*member)) break;
  }
  group.members.push_back(picture);
  clock->joined[picture] = container;
  Schedule(clock, group);
}

void Leave(CAnimatedPicture* picture) {
  Clock* clock = ThisThreadClock(false);
  if (!clock) return;
  auto joined = clock->joined.find(picture);
  if (joined == clock->joined.end()) return;
  const HWND container = joined->second;
  clock->joined.erase(joined);
  auto group = clock->groups.find(container);
  if (group != clock->groups.end()) {
    auto& members = group->second.members;
    members.erase(std::remove(members.begin(), members.end(), picture), members.end());
    if (members.empty()) {
      KillTimer(clock->window.get(), group->second.timer);
      clock->timers.erase(group->second.timer);
      clock->groups.erase(group);
    }
  }
  EndClockIfIdle(clock);
}

void Reschedule(CAnimatedPicture* picture) {
  Clock* clock = ThisThreadClock(false);
  if (!clock) return;
  auto joined = clock->joined.find(picture);
  if (joined == clock->joined.end()) return;
  auto group = clock->groups.find(joined->second);
  if (group != clock->groups.end()) Schedule(clock, group->second);
}

bool Running() { return ThisThreadClock(false) != nullptr; }

}  // namespace animation_clock
