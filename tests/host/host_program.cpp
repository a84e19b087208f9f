// A host program as hosts write them: <windows.h> first (so its A/W name
// macros are in force, whichever character set the host chose), then the
// library's headers. Members whose names <windows.h> maps to ...A or ...W
// must reach the same exported functions either way.
#include <windows.h>

#include <cstdio>
#include <string>

#include "all_headers.h"

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::printf("host: FAILED %s\n", what);
    ++failures;
  }
}

// A service that calls the base's StartService and reads its class name.
class CHostService : public CClientService {
 public:
  bool Begin() { return StartService("", 1); }  // an empty address: false, no box
  std::string Name() const { return GetClassName(); }
};

}  // namespace

int main() {
  CHostService service;
  Check(!service.Begin(), "StartService with an empty address answers false");
  Check(!service.StartService("", 2), "StartService from outside");
  Check(service.Name() == "CClientService", "GetClassName");
  service.SetClassName("Hall");
  Check(service.GetClassName() == "Hall", "GetClassName after SetClassName");

  CWnd window;
  Check(window.CreateEx(0, nullptr, "host", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr) != FALSE, "CreateEx");
  window.SetWindowText("\xD6\xD0\xCE\xC4");  // GBK text, unchanged through the framework
  CString text;
  window.GetWindowText(text);
  Check(text == "\xD6\xD0\xCE\xC4", "SetWindowText/GetWindowText");
  Check(window.GetWindowTextLength() == 4, "GetWindowTextLength");
  char buffer[16] = {};
  Check(window.GetWindowText(buffer, sizeof(buffer)) == 4, "GetWindowText into a buffer");
  Check(window.SendMessage(WM_GETTEXTLENGTH) == 4, "SendMessage");
  Check(window.PostMessage(WM_NULL) != FALSE, "PostMessage");
  window.DestroyWindow();

  CString missing;
  Check(missing.LoadString(0xFFF0) == FALSE, "LoadString of a missing string");

  CBitmap bitmap;
  Check(bitmap.LoadBitmap(0xFFF0) == FALSE, "LoadBitmap of a missing resource");
  LOGFONTA font = {};
  font.lfHeight = 12;
  CFont cfont;
  Check(cfont.CreateFontIndirect(&font) != FALSE, "CreateFontIndirect");
  LOGFONTA back = {};
  Check(cfont.GetObject(sizeof(back), &back) == sizeof(back), "GetObject");

  CDC dc;
  Check(dc.CreateCompatibleDC(nullptr) != FALSE, "CreateCompatibleDC");
  RECT rect = {0, 0, 50, 20};
  Check(dc.DrawText("ab", 2, &rect, DT_CALCRECT) > 0, "DrawText");
  Check(dc.TextOut(0, 0, "ab", 2) != FALSE, "TextOut");

  if (failures == 0) std::printf("host: ok\n");
  return failures == 0 ? 0 : 1;
}
