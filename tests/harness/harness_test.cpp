// The Wine harness itself: code page, display, binaries beside the tests,
// and the export table of Zavrel.dll.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/testkit/testkit.h"

TEST(Harness, AnsiCodePageIsGbk) {
  EXPECT_EQ(936u, GetACP());
  // A GBK literal round-trips through UTF-16.
  const char* gbk = "客户端服务";
  wchar_t wide[16] = {};
  ASSERT_EQ(6, MultiByteToWideChar(CP_ACP, 0, gbk, -1, wide, 16));
  EXPECT_EQ(0x5BA2, wide[0]);  // 客
  EXPECT_EQ(0x52A1, wide[4]);  // 务
}

TEST(Harness, DisplayTakesWindows) {
  HWND hwnd = CreateWindowExA(0, "STATIC", "probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, hwnd);
  EXPECT_TRUE(DestroyWindow(hwnd));
}

namespace {
int g_timerTicks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_timerTicks; }
}  // namespace

TEST(Harness, PumpStopsAtConditionOrDeadline) {
  const UINT_PTR id = SetTimer(nullptr, 0, 10, &CountTick);
  ASSERT_NE(0u, id);
  EXPECT_TRUE(testkit::PumpMessagesUntil([] { return g_timerTicks >= 2; }, 2000));
  KillTimer(nullptr, id);
  const DWORD start = GetTickCount();
  EXPECT_FALSE(testkit::PumpMessagesUntil([] { return false; }, 100));
  EXPECT_GE(GetTickCount() - start, 90u);
}

namespace {

std::vector<std::string> g_order;
void CALLBACK RecordFastTick(HWND, UINT, UINT_PTR, DWORD) { g_order.push_back("fast"); }

// Handles a posted message by holding the thread, so that every timer
// started before has fallen due when the pump goes on.
LRESULT CALLBACK HoldingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_APP) {
    g_order.push_back("posted");
    Sleep(300);
    return 0;
  }
  if (msg == WM_APP + 1) {  // posts the holding message in turn
    g_order.push_back("chained");
    PostMessageA(hwnd, WM_APP, 0, 0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

// The "nothing more comes" checks rest on the queue's order: posted messages
// before any tick, and of two timers fallen due, the earlier one first.
TEST(Harness, SentinelTimerComesAfterPostedMessagesAndShorterTimers) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &HoldingProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "ZavrelHarnessHolding";
  ASSERT_TRUE(RegisterClassA(&wc));
  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(nullptr, hwnd);
  g_order.clear();
  const UINT_PTR fast = SetTimer(nullptr, 0, 20, &RecordFastTick);
  ASSERT_NE(0u, fast);
  ASSERT_TRUE(PostMessageA(hwnd, WM_APP, 0, 0));
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(100));
  KillTimer(nullptr, fast);
  ASSERT_GE(g_order.size(), 2u);
  EXPECT_EQ("posted", g_order[0]);
  EXPECT_EQ("fast", g_order[1]);

  // Idle: a message posted from inside a handler is handled too.
  g_order.clear();
  ASSERT_TRUE(PostMessageA(hwnd, WM_APP + 1, 0, 0));
  ASSERT_TRUE(testkit::PumpUntilIdle());
  const std::vector<std::string> chained = {"chained", "posted"};
  EXPECT_EQ(chained, g_order);
  DestroyWindow(hwnd);
  UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

TEST(Harness, ZavrelExportsCreationFunctionsByPlainName) {
  HMODULE zavrel = GetModuleHandleA("Zavrel.dll");
  if (!zavrel) zavrel = LoadLibraryA(testkit::TestBinaryPath("Zavrel.dll").c_str());
  ASSERT_NE(nullptr, zavrel);
  EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(zavrel, "CreateChannelService")));
  EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(zavrel, "CreateGameRankManager")));
  // Classes are exported by name: CComponentLoader::Create().
  EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(zavrel, "_ZN16CComponentLoader6CreateEv")));
}

TEST(Harness, GuiObjectCountsFollowBitmapsAndWindows) {
  auto makeWindows = [] {
    HWND top = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, top, nullptr, nullptr, nullptr);
    HWND messageOnly = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    return std::make_pair(top, messageOnly);
  };
  // The thread's first top-level window brings another (the input
  // method's), which goes with its last: keep one meanwhile.
  auto warm = makeWindows();

  const testkit::GuiCounts before = testkit::GuiObjectCounts();
  ASSERT_GE(before.gdi, 0) << "the GDI handle table was not found";
  std::vector<HBITMAP> bitmaps;
  for (int i = 0; i < 50; ++i) bitmaps.push_back(CreateBitmap(4, 4, 1, 32, nullptr));
  EXPECT_EQ(before.gdi + 50, testkit::GuiObjectCounts().gdi);
  for (HBITMAP bitmap : bitmaps) DeleteObject(bitmap);
  EXPECT_EQ(before.gdi, testkit::GuiObjectCounts().gdi);

  const long windowsBefore = testkit::GuiObjectCounts().user;
  auto windows = makeWindows();
  ASSERT_TRUE(windows.first && windows.second);
  EXPECT_EQ(windowsBefore + 3, testkit::GuiObjectCounts().user);  // a child and a message-only window too
  DestroyWindow(windows.second);
  DestroyWindow(windows.first);
  EXPECT_EQ(windowsBefore, testkit::GuiObjectCounts().user);
  DestroyWindow(warm.second);
  DestroyWindow(warm.first);
}
