// The emoticon picker as a host drives it: ZavrelCom.dll loaded by name,
// the dialog made from its template, mouse messages sent to the real
// window, the pick arriving at a real owner window, pixels read back from
// the shown window.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "afx/afx_gdi.h"
#include "afx/afx_wnd.h"
#include "base/win_owners.h"
#include "tests/support/brevio/picture_files.h"
#include "tests/testkit/testkit.h"
#include "zavrelcom/emotion/emotion_dlg.h"

namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(const GUID&, const GUID&, void**);

const COLORREF kPage = RGB(30, 160, 60);  // the grid picture's colour
const COLORREF kBorder = 0x974B00;
const COLORREF kHover = 0xD0391C;

// The owner: records every pick.
class PickOwner : public CWnd {
 public:
  // Runs in the handler after the pick is recorded (a host's own work).
  std::function<void()> onPick;
  std::vector<tagEmotion> picks;
  std::vector<bool> visibleDuringPick;
  HWND dialog = nullptr;

 protected:
  LRESULT OnEmotionSelected(WPARAM wParam, LPARAM lParam) {
    EXPECT_EQ(0u, wParam);
    picks.push_back(*reinterpret_cast<const tagEmotion*>(lParam));
    visibleDuringPick.push_back(dialog && ::IsWindowVisible(dialog));
    if (onPick) onPick();
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(PickOwner, CWnd)
ON_MESSAGE(WM_EMOTION_SELECTED, OnEmotionSelected)
END_MESSAGE_MAP()

std::string Section(int i, const std::string& code, const std::string& name, bool withName = true) {
  std::string s = "[em" + std::to_string(i) + "]\r\nemotion=" + code + "\r\npath=e" + std::to_string(i) + ".gif\r\n";
  if (withName) s += "name=" + name + "\r\n";
  return s;
}

class EmotionDlg : public ::testing::Test {
 protected:
  void SetUp() override {
    library.reset(LoadLibraryA("ZavrelCom.dll"));
    ASSERT_TRUE(library.valid()) << GetLastError();
    getClassObject =
        reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(library.get(), "DllGetClassObject")));
    ASSERT_NE(nullptr, getClassObject);
    ASSERT_EQ(S_OK, getClassObject(CLSID_EmotionDlg, IID_IEmotionDlg, reinterpret_cast<void**>(&dlg)));
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_POPUP, 300, 300, 100, 100, nullptr, nullptr));
  }

  void TearDown() override {
    if (dlg) {
      const HWND hwnd = dlg->GetHwnd();
      EXPECT_EQ(0u, dlg->Release());
      if (hwnd) {
        EXPECT_FALSE(IsWindow(hwnd));  // the last Release ends the window too
      }
    }
    owner.DestroyWindow();
  }

  // config.ini with Count, a 239 x 213 grid picture and sections em0..em11.
  void WriteConfig(const std::string& count, bool withPage = true) {
    std::string ini = "[emotion]\r\nCount=" + count + "\r\nPagePath=grid.bmp\r\n";
    for (int i = 0; i < 12; ++i) ini += Section(i, "/c" + std::to_string(i), "n" + std::to_string(i), i != 1);
    ASSERT_TRUE(testkit::WriteFileBytes(dir.file("config.ini"), ini));
    if (withPage) {
      const std::vector<COLORREF> pixels(239 * 213, kPage);
      ASSERT_TRUE(testkit::WriteFileBytes(dir.file("grid.bmp"), picture_files::Bmp24(239, 213, pixels)));
    }
  }

  void Open(const std::string& count, bool withOwner = true) {
    WriteConfig(count);
    dlg->CreateDlg(withOwner ? &owner : nullptr);
    hwnd = dlg->GetHwnd();
    ASSERT_NE(nullptr, hwnd);
    owner.dialog = hwnd;
    EXPECT_FALSE(IsWindowVisible(hwnd));                      // made hidden
    dlg->LoadEmotions((dir.path().string() + "\\").c_str());  // one trailing backslash is dropped
    dlg->ShowDlg(20, 30);
    ASSERT_TRUE(IsWindowVisible(hwnd));
  }

  void Move(int x, int y) { SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
  void Click(int x, int y) {
    Move(x, y);
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  void Reshow() {
    dlg->ShowDlg(20, 30);
    ASSERT_TRUE(IsWindowVisible(hwnd));
  }

  COLORREF Pixel(int x, int y) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(hwnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
  }

  UniqueModule library;
  GetClassObjectFn getClassObject = nullptr;
  IEmotionDlg* dlg = nullptr;
  PickOwner owner;
  testkit::TempDir dir;
  HWND hwnd = nullptr;
};

}  // namespace

TEST_F(EmotionDlg, PlacedInItsSizeAndPickingTheFirstCell) {
  Open("12");
  RECT rect;
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(20, rect.left);
  EXPECT_EQ(30, rect.top);
  EXPECT_EQ(239, rect.right - rect.left);
  EXPECT_EQ(213, rect.bottom - rect.top);

  Click(3, 3);
  ASSERT_EQ(1u, owner.picks.size());
  EXPECT_TRUE(owner.visibleDuringPick[0]);  // sent before hiding
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_STREQ("/c0", owner.picks[0].szCode);
  EXPECT_STREQ("n0", owner.picks[0].szName);
  EXPECT_EQ(dir.file("e0.gif"), owner.picks[0].szPath);
}

TEST_F(EmotionDlg, HitTestAtTheMarginsAndTheLastPixelColumn) {
  Open("72");
  Click(2, 10);    // on the left margin
  Click(10, 2);    // on the top margin
  Click(238, 10);  // the last pixel column: column 9 of 9
  EXPECT_TRUE(owner.picks.empty());
  EXPECT_TRUE(IsWindowVisible(hwnd));

  Click(3 + 8 * 26, 3);  // first pixel of column 8
  ASSERT_EQ(1u, owner.picks.size());
  EXPECT_STREQ("/c8", owner.picks[0].szCode);
  Reshow();
  Click(3, 3 + 26);  // row 1, column 0: index 9
  ASSERT_EQ(2u, owner.picks.size());
  EXPECT_STREQ("/c9", owner.picks[1].szCode);
  EXPECT_STREQ("n9", owner.picks[1].szName);
}

TEST_F(EmotionDlg, CountOfFiveLeavesTheSixthCellDead) {
  Open("5");
  Move(3 + 5 * 26, 10);                    // the sixth cell
  EXPECT_EQ(kPage, Pixel(3 + 5 * 26, 3));  // no frame
  Click(3 + 5 * 26, 10);
  EXPECT_TRUE(owner.picks.empty());
  EXPECT_TRUE(IsWindowVisible(hwnd));
  Click(3 + 4 * 26, 10);  // the fifth
  ASSERT_EQ(1u, owner.picks.size());
  EXPECT_STREQ("/c4", owner.picks[0].szCode);
}

TEST_F(EmotionDlg, CountWithATrailingCommentAndARecordWithoutName) {
  Open("2 ; two of them");
  Click(3 + 26, 10);
  ASSERT_EQ(1u, owner.picks.size());
  EXPECT_STREQ("/c1", owner.picks[0].szCode);
  EXPECT_STREQ("", owner.picks[0].szName);  // em1 has no name
  Reshow();
  Click(3 + 2 * 26, 10);
  EXPECT_EQ(1u, owner.picks.size());
}

TEST_F(EmotionDlg, BorderHoverFrameAndMouseLeaveReadBackFromTheWindow) {
  Open("12");
  EXPECT_EQ(kBorder, Pixel(0, 0));
  EXPECT_EQ(kBorder, Pixel(238, 212));
  EXPECT_EQ(kPage, Pixel(3, 3));
  Move(3 + 26 + 5, 3 + 5);  // cell 1
  const int left = 1 * 26 + 2 + 1, top = 0 * 26 + 2 + 1;
  EXPECT_EQ(kHover, Pixel(left, top));
  EXPECT_EQ(kHover, Pixel(left + 24, top + 24));
  EXPECT_EQ(kPage, Pixel(left + 1, top + 1));
  EXPECT_EQ(kPage, Pixel(left + 25, top));
  EXPECT_EQ(kPage, Pixel(3, 3));  // cell 0 is not framed
  SendMessageA(hwnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(kPage, Pixel(left, top));
}

TEST_F(EmotionDlg, WithoutConfigurationAWhiteBoxWhereNothingIsPicked) {
  dlg->CreateDlg(&owner);
  hwnd = dlg->GetHwnd();
  ASSERT_NE(nullptr, hwnd);
  dlg->LoadEmotions(dir.path().string().c_str());  // no config.ini there
  dlg->ShowDlg(0, 0);
  EXPECT_EQ(RGB(255, 255, 255), Pixel(10, 10));
  EXPECT_EQ(kBorder, Pixel(0, 0));
  Click(3, 3);
  EXPECT_TRUE(owner.picks.empty());
  EXPECT_TRUE(IsWindowVisible(hwnd));
}

TEST_F(EmotionDlg, EnterAndEscapeDoNotCloseAndFocusLossHides) {
  Open("12");
  SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
  SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_TRUE(IsWindowVisible(hwnd));

  SetFocus(hwnd);
  SetFocus(owner.GetSafeHwnd());
  EXPECT_FALSE(IsWindowVisible(hwnd));
  // The hover was dropped: a click after showing again needs a move first.
  Reshow();
  SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  EXPECT_TRUE(owner.picks.empty());
}

TEST_F(EmotionDlg, TheRecordIsReadAtClickTimeAndCutOnCharacterBoundaries) {
  Open("12");
  // Edit the file after loading: the click reads the new values. The code
  // "/abcdefghijklm" + a GBK character is 16 bytes: 14 of them fit.
  std::string ini = "[emotion]\r\nCount=12\r\nPagePath=grid.bmp\r\n";
  ini += Section(0, "/abcdefghijklm\xD6\xD0", "12345678901234\xCE\xC4");
  ASSERT_TRUE(testkit::WriteFileBytes(dir.file("config.ini"), ini));
  Click(3, 3);
  ASSERT_EQ(1u, owner.picks.size());
  EXPECT_STREQ("/abcdefghijklm", owner.picks[0].szCode);
  EXPECT_STREQ("12345678901234", owner.picks[0].szName);
}

TEST_F(EmotionDlg, WithoutOwnerAClickOnlyHides) {
  Open("12", false);
  Click(3, 3);
  EXPECT_TRUE(owner.picks.empty());
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_TRUE(dlg->DestroyDlg());
  EXPECT_EQ(nullptr, dlg->GetHwnd());
  EXPECT_FALSE(dlg->DestroyDlg());
}

TEST_F(EmotionDlg, OwnerReleasingThePickerInThePickHandler) {
  // The host lets go of the picker as soon as it has the pick: the picker
  // stays alive until its click is done, then goes with its window.
  Open("12");
  ULONG countInHandler = 99;
  bool windowDuringPick = false;
  owner.onPick = [&] {
    IEmotionDlg* last = dlg;
    dlg = nullptr;
    countInHandler = last->Release();
    windowDuringPick = IsWindow(hwnd) != FALSE;
  };
  Click(3, 3);
  ASSERT_EQ(1u, owner.picks.size());
  EXPECT_EQ(1u, countInHandler);
  EXPECT_TRUE(windowDuringPick);
  EXPECT_FALSE(IsWindow(hwnd));  // released when the click was done

  // One that destroys the window in its handler keeps a usable picker.
  ASSERT_EQ(S_OK, getClassObject(CLSID_EmotionDlg, IID_IEmotionDlg, reinterpret_cast<void**>(&dlg)));
  Open("12");
  owner.onPick = [&] { EXPECT_TRUE(dlg->DestroyDlg()); };
  Click(3, 3);
  EXPECT_EQ(2u, owner.picks.size());
  EXPECT_EQ(nullptr, dlg->GetHwnd());
  owner.onPick = nullptr;
  Open("12");
  Click(3, 3);
  EXPECT_EQ(3u, owner.picks.size());
}
