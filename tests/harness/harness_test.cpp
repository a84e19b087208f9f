// The Wine harness itself: code page, display, binaries beside the tests,
// and the export table of Zavrel.dll.
#include <gtest/gtest.h>

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
