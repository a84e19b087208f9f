// Player lines written into a real rich edit control: through the message
// proxy, and by a raw loop that appends the same runs itself with
// EM_SETCHARFORMAT + EM_REPLACESEL (the proxy's floor). Each line carries two
// emoticon codes; the picture component is made absent for this process, so
// the pictures are skipped in both. The control is emptied every 25 lines
// (Wine's control slows down with long texts). Prints, best of three:
//   BENCH chat_lines lines=<n> ours_lines_per_s=<x> raw_lines_per_s=<y> ratio=<x/y>
// Timings are not asserted.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "afx/afx_rect.h"
#include "afx/afx_richedit.h"
#include "support/anipic/animated_picture.h"
#include "zavrelcom/chat/message_proxy.h"

namespace {

constexpr int kLines = 200;
constexpr int kClearEvery = 25;
const char kText[] = "good game /e1x well played /e7x again";

// A class object whose creation fails: the picture component is absent.
class AbsentFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** out) override {
    *out = nullptr;
    return REGDB_E_CLASSNOTREG;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

void DrainScrolls(HWND edit) {
  MSG msg;
  while (PeekMessageA(&msg, edit, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

void RawRun(CRichEditCtrl& edit, const char* text, COLORREF color, bool isProtected) {
  CHARRANGE saved;
  edit.GetSel(saved);
  edit.SetSel(-1, -1);
  CHARFORMAT2A cf;
  std::memset(&cf, 0, sizeof(cf));
  cf.cbSize = sizeof(cf);
  cf.dwMask = CFM_COLOR | (isProtected ? CFM_PROTECTED : 0);
  cf.dwEffects = isProtected ? CFE_PROTECTED : 0;
  cf.crTextColor = color;
  edit.SetSelectionCharFormat(cf);
  edit.ReplaceSel(text, FALSE);
  if (saved.cpMin != saved.cpMax) edit.SetSel(saved);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: chat_lines_bench EMOTION_DIR (with a config.ini of 200 emoticons)\n");
    return 2;
  }
  OleInitialize(nullptr);
  AbsentFactory absent;
  DWORD cookie = 0;
  CoRegisterClassObject(CLSID_AnimatedPicture, &absent, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
  AfxInitRichEdit2();
  CWnd parent;
  parent.CreateEx(0, nullptr, "bench", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr);
  CRichEditCtrl edit;
  edit.Create(ES_MULTILINE | WS_VISIBLE, CRect(0, 0, 600, 400), &parent, 1);

  IMessageProxy* proxy = nullptr;
  if (FAILED(CreateComponent<CMessageProxy>(IID_IMessageProxy, reinterpret_cast<void**>(&proxy)))) return 1;
  proxy->SetRichEditCtrl(&edit);
  proxy->LoadEmotions(argv[1]);
  std::vector<char> user(sizeof(DWORD) + 8, '\0');
  const DWORD id = 42;
  std::memcpy(user.data(), &id, sizeof(id));
  std::strcpy(user.data() + sizeof(DWORD), "Player");
  const tagChatUser* player = reinterpret_cast<const tagChatUser*>(user.data());

  double best[2] = {1e300, 1e300};
  for (int round = 0; round < 3; ++round) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    for (int i = 0; i < kLines; ++i) {
      if (i % kClearEvery == 0) proxy->ClearMessages();
      proxy->InsertUserMessage(player, kText, RGB(0, 0, 0));
    }
    QueryPerformanceCounter(&b);
    DrainScrolls(edit.GetSafeHwnd());
    if (Seconds(a, b) < best[0]) best[0] = Seconds(a, b);

    QueryPerformanceCounter(&a);
    for (int i = 0; i < kLines; ++i) {
      if (i % kClearEvery == 0) {
        edit.SetSel(0, -1);
        edit.ReplaceSel("", FALSE);
      }
      RawRun(edit, " ", 0xFF0000, false);
      RawRun(edit, "[Player]", 0xFF0000, true);
      RawRun(edit, "\xCB\xB5:", 0xFF0000, false);
      RawRun(edit, "good game ", 0, false);
      RawRun(edit, " well played ", 0, false);
      RawRun(edit, " again", 0, false);
      RawRun(edit, "\r\n", 0, false);
    }
    QueryPerformanceCounter(&b);
    if (Seconds(a, b) < best[1]) best[1] = Seconds(a, b);
  }
  const double ours = kLines / best[0], raw = kLines / best[1];
  std::printf("BENCH chat_lines lines=%d ours_lines_per_s=%.0f raw_lines_per_s=%.0f ratio=%.2f\n", kLines, ours, raw,
              ours / raw);
  proxy->Release();
  edit.DestroyWindow();
  parent.DestroyWindow();
  if (cookie) CoRevokeClassObject(cookie);
  OleUninitialize();
  return 0;
}
