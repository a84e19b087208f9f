#include "demo/hall/browser_page.h"

#include <cstdio>

#include "afx/afx_wnd.h"
#include "base/message_pump.h"
#include "zavrel/media/browser_dialog.h"

namespace {

// The dialog's parent: tells when the upload-mode dialog closes.
class CPageParent : public CWnd {
 public:
  bool told = false;
  afx_msg LRESULT OnUploadClosed(WPARAM, LPARAM) {
    told = true;
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPageParent, CWnd)
ON_MESSAGE(CBrowserDialog::kUploadClosedMessage, OnUploadClosed)
END_MESSAGE_MAP()

}  // namespace

int RunBrowserPage(const std::string& dir, DWORD showMs) {
  if (FAILED(OleInitialize(nullptr))) return 1;
  int failures = 0;
  auto report = [&](bool ok, const char* done, const char* failed) {
    if (ok) {
      std::printf("    %s\n", done);
    } else {
      std::printf("    失败：%s\n", failed);
      ++failures;
    }
    std::fflush(stdout);
    return ok;
  };
  std::printf("\n[1] 浏览对话框：大厅公告页\n");
  CPageParent parent;
  report(parent.CreateEx(0, nullptr, "演示大厅", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 760, 560, nullptr, nullptr),
         "大厅窗口已打开", "无法创建大厅窗口");
  {
    CBrowserDialog dialog(&parent);
    if (report(dialog.Create(CBrowserDialog::IDD, &parent), "对话框已打开（模板 9009）", "无法打开浏览对话框")) {
      dialog.SetWebPageSize(600, 400);
      dialog.ShowWindow(SW_SHOW);
      const std::string url = "file:///" + dir + "page\\notice.html";
      dialog.SetURL(url.c_str());
      std::printf("    页面 %s，600x400\n", url.c_str());
      dialog.SetUpLoad();
      PumpMessagesUntil([] { return false; }, showMs);
      dialog.SendMessage(WM_COMMAND, IDCANCEL);
      report(parent.told, "关闭时大厅收到消息 11025", "关闭时大厅没有收到消息 11025");
      dialog.DestroyWindow();
    }
  }
  parent.DestroyWindow();
  OleUninitialize();
  std::printf(failures ? "\n浏览对话框演示失败\n" : "\n浏览对话框演示完成\n");
  return failures ? 1 : 0;
}
