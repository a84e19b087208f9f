// Ormlace's skinned message box: the hook and the real modal box (closed by
// a timer, never waited on by a person).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ormlace/skin_message_box.h"
#include "tests/testkit/testkit.h"

namespace {

struct Captured {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
  int param;
};

int Capture(void* context, HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT uType, int nParam) {
  static_cast<std::vector<Captured>*>(context)->push_back({hOwner, pszText, pszCaption, uType, nParam});
  return IDRETRY;
}

// What a test's timer found in the box on screen.
struct SeenBox {
  std::string caption;
  std::string text;
  bool seen = false;
};
SeenBox g_seen;

BOOL CALLBACK FindDialog(HWND hWnd, LPARAM lParam) {
  char cls[16] = {};
  GetClassNameA(hWnd, cls, sizeof(cls));
  if (std::string(cls) == "#32770" && IsWindowVisible(hWnd)) {
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
  }
  return TRUE;
}

// Reads the box's caption and text, then presses "No".
void CALLBACK AnswerNo(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&box));
  if (!box) return;
  KillTimer(nullptr, id);
  char text[256] = {};
  GetWindowTextA(box, text, sizeof(text));
  g_seen.caption = text;
  GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));  // the message's static control
  g_seen.text = text;
  g_seen.seen = true;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
}

}  // namespace

TEST(SkinMessageBox, HookTakesEveryBoxAndAnswersForIt) {
  std::vector<Captured> boxes;
  void* context = reinterpret_cast<void*>(1);
  EXPECT_EQ(nullptr, GetSkinMessageBoxHook(&context));
  EXPECT_EQ(nullptr, context);
  SetSkinMessageBoxHook(Capture, &boxes);
  EXPECT_EQ(&Capture, GetSkinMessageBoxHook(&context));
  EXPECT_EQ(&boxes, context);

  EXPECT_EQ(IDRETRY, ShowSkinMessageBox(nullptr, "正文", "标题", 0x10, 5));
  EXPECT_EQ(IDRETRY, ShowSkinMessageBox(reinterpret_cast<HWND>(0x1234), nullptr, nullptr, MB_YESNO, 0));
  ASSERT_EQ(2u, boxes.size());
  EXPECT_EQ("\xD5\xFD\xCE\xC4", boxes[0].text);  // GBK
  EXPECT_EQ("\xB1\xEA\xCC\xE2", boxes[0].caption);
  EXPECT_EQ(0x10u, boxes[0].type);
  EXPECT_EQ(5, boxes[0].param);
  EXPECT_EQ(reinterpret_cast<HWND>(0x1234), boxes[1].owner);
  EXPECT_EQ("", boxes[1].text);

  SetSkinMessageBoxHook(nullptr, &boxes);
  EXPECT_EQ(nullptr, GetSkinMessageBoxHook(&context));
  EXPECT_EQ(nullptr, context);
}

TEST(SkinMessageBox, DefaultAnswers) {
  EXPECT_EQ(IDOK, SkinMessageBoxDefaultAnswer(MB_OK | MB_ICONERROR));
  EXPECT_EQ(IDCANCEL, SkinMessageBoxDefaultAnswer(MB_OKCANCEL | MB_DEFBUTTON2));
  EXPECT_EQ(IDYES, SkinMessageBoxDefaultAnswer(MB_YESNO));
  EXPECT_EQ(IDNO, SkinMessageBoxDefaultAnswer(MB_YESNO | MB_DEFBUTTON2));
  EXPECT_EQ(IDCANCEL, SkinMessageBoxDefaultAnswer(MB_YESNOCANCEL | MB_DEFBUTTON3));
  EXPECT_EQ(IDYES, SkinMessageBoxDefaultAnswer(MB_YESNO | MB_DEFBUTTON3));  // no third button
  EXPECT_EQ(IDRETRY, SkinMessageBoxDefaultAnswer(MB_RETRYCANCEL));
}

// Only code sets the seam (the hook): a variable in the user's environment
// does not silence the boxes of a shipped program.
TEST(SkinMessageBox, NoEnvironmentVariableSuppressesTheBox) {
  g_seen = SeenBox();
  ASSERT_TRUE(SetEnvironmentVariableA("ORMLACE_MESSAGEBOX", "auto"));
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, AnswerNo);
  ASSERT_NE(0u, timer);
  // The default button is "Yes": only the box on screen answers "No".
  EXPECT_EQ(IDNO, ShowSkinMessageBox(nullptr, "shown all the same", "caption", MB_YESNO, 20));
  KillTimer(nullptr, timer);  // should no box have come, it must not answer a later one
  SetEnvironmentVariableA("ORMLACE_MESSAGEBOX", nullptr);
  EXPECT_TRUE(g_seen.seen);
}

TEST(SkinMessageBox, RealBoxShowsTheTextModally) {
  g_seen = SeenBox();
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, AnswerNo);
  ASSERT_NE(0u, timer);
  // Auto-close as a safety net only: the timer answers well before.
  EXPECT_EQ(IDNO, ShowSkinMessageBox(nullptr, "服务器断开", "客户端服务", MB_YESNO | MB_ICONERROR, 20));
  ASSERT_TRUE(g_seen.seen);
  EXPECT_EQ("\xBF\xCD\xBB\xA7\xB6\xCB\xB7\xFE\xCE\xF1", g_seen.caption);  // 客户端服务
  EXPECT_EQ("\xB7\xFE\xCE\xF1\xC6\xF7\xB6\xCF\xBF\xAA", g_seen.text);     // 服务器断开
}

TEST(SkinMessageBox, RealBoxClosesItselfWithItsDefaultButton) {
  EXPECT_EQ(IDOK, ShowSkinMessageBox(nullptr, "closes by itself", "auto close", 0x10, 1));
  EXPECT_EQ(IDNO, ShowSkinMessageBox(nullptr, "closes by itself", "auto close", MB_YESNO | MB_DEFBUTTON2, 1));
}
