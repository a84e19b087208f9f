// A chat control showing 500 animated emoticons (20 player lines of 25
// codes, one 24 x 24 GIF of four frames at 100 ms) for 5 seconds: the
// process's CPU time per second of wall time, against a raw GDI loop that
// blits each visible emoticon's frame once per frame delay into a window
// of the same size (the floor of showing them at all). The pictures are
// AniPic.dll's, registered for this process from the DLL beside the
// program. Prints:
//   BENCH animated_emoticons target=<x86_64|i686> emoticons=<n> visible=<v>
//     seconds=5 cpu_per_s=<ours> raw_cpu_per_s=<raw> ratio_to_limit=<ours/raw>
// Timings are not asserted.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "afx/afx_gdi.h"
#include "afx/afx_rect.h"
#include "afx/afx_richedit.h"
#include "base/message_pump.h"
#include "base/win_owners.h"
#include "support/anipic/animated_picture.h"
#include "tests/support/brevio/picture_files.h"
#include "zavrelcom/chat/message_proxy.h"

namespace {

constexpr int kLines = 20;
constexpr int kPerLine = 25;
constexpr int kSide = 24;
constexpr int kFrames = 4;
constexpr DWORD kDelayMs = 100;
constexpr DWORD kMeasureMs = 5000;
const COLORREF kPalette[4] = {RGB(230, 40, 40), RGB(40, 200, 40), RGB(40, 40, 230), RGB(240, 200, 0)};

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

double WallSeconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Dispatches the thread's messages for ms milliseconds.
void PumpFor(DWORD ms) {
  PumpMessagesUntil([] { return false; }, ms);
}

// CPU seconds per wall second while the thread pumps for kMeasureMs.
double CpuPerSecond() {
  PumpFor(300);  // settle: first paints
  const double cpu = CpuSeconds(), wall = WallSeconds();
  PumpFor(kMeasureMs);
  return (CpuSeconds() - cpu) / (WallSeconds() - wall);
}

std::string TempFolder() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  std::string folder = std::string(base) + "zavrel-anim-bench-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// The raw floor: a window whose timer blits `count` cells of the current
// frame from a memory DC every frame delay.
struct RawLoop {
  CDC source;
  CBitmap strip;
  int count = 0;
  int frame = 0;
  int columns = 1;
};

LRESULT CALLBACK RawProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    auto* loop = reinterpret_cast<RawLoop*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    loop->frame = (loop->frame + 1) % kFrames;
    HDC dc = GetDC(hwnd);
    for (int i = 0; i < loop->count; ++i) {
      BitBlt(dc, (i % loop->columns) * (kSide + 4), (i / loop->columns) * (kSide + 8), kSide, kSide,
             loop->source.GetSafeHdc(), loop->frame * kSide, 0, SRCCOPY);
    }
    ReleaseDC(hwnd, dc);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int main() {
  OleInitialize(nullptr);
  AfxInitRichEdit2();
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string dir(exe);
  dir.resize(dir.find_last_of("\\/") + 1);
  UniqueModule anipic(LoadLibraryA((dir + "AniPic.dll").c_str()));
  if (!anipic.valid()) {
    std::fprintf(stderr, "AniPic.dll not found beside the program\n");
    return 1;
  }
  auto getClassObject =
      reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(anipic.get(), "DllGetClassObject")));
  UniqueComPtr<IClassFactory> factory;
  DWORD cookie = 0;
  if (!getClassObject ||
      FAILED(getClassObject(CLSID_AnimatedPicture, IID_IClassFactory, reinterpret_cast<void**>(factory.put()))) ||
      FAILED(CoRegisterClassObject(CLSID_AnimatedPicture, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                   &cookie))) {
    std::fprintf(stderr, "cannot register the picture component\n");
    return 1;
  }

  const std::string folder = TempFolder();
  std::vector<picture_files::GifFrame> frames(kFrames);
  for (int f = 0; f < kFrames; ++f) frames[f].indices.assign(kSide * kSide, static_cast<BYTE>(f));
  const std::vector<COLORREF> palette(kPalette, kPalette + 4);
  WriteFile(folder + "\\ok.gif", picture_files::Gif(kSide, kSide, palette, frames));
  WriteFile(folder + "\\config.ini", "[emotion]\r\nCount=1\r\n[em0]\r\nemotion=/ok\r\npath=ok.gif\r\nname=ok\r\n");

  const int width = 1000, height = 740;
  CWnd parent;
  parent.CreateEx(0, nullptr, "bench", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr);
  CRichEditCtrl edit;
  edit.Create(ES_MULTILINE | WS_VISIBLE, CRect(0, 0, width, height), &parent, 1);
  IMessageProxy* proxy = nullptr;
  if (FAILED(CreateComponent<CMessageProxy>(IID_IMessageProxy, reinterpret_cast<void**>(&proxy)))) return 1;
  proxy->SetRichEditCtrl(&edit);
  proxy->LoadEmotions(folder.c_str());
  std::vector<char> user(sizeof(DWORD) + 8, '\0');
  const DWORD id = 42;
  std::memcpy(user.data(), &id, sizeof(id));
  std::strcpy(user.data() + sizeof(DWORD), "Player");
  const tagChatUser* player = reinterpret_cast<const tagChatUser*>(user.data());
  std::string codes;
  for (int i = 0; i < kPerLine; ++i) codes += "/ok";
  for (int line = 0; line < kLines; ++line) proxy->InsertUserMessage(player, codes.c_str(), RGB(0, 0, 0));

  // The pictures inside the client area.
  UniqueComPtr<IRichEditOle> ole(edit.GetIRichEditOle());
  const int emoticons = ole.valid() ? ole.get()->GetObjectCount() : 0;
  int visible = 0;
  CRect client;
  edit.GetClientRect(&client);
  for (int i = 0; i < emoticons; ++i) {
    REOBJECT object;
    std::memset(&object, 0, sizeof(object));
    object.cbStruct = sizeof(object);
    if (FAILED(ole.get()->GetObject(i, &object, REO_GETOBJ_NO_INTERFACES))) continue;
    POINTL at = {};
    edit.SendMessage(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), object.cp);
    if (at.x >= 0 && at.y >= 0 && at.x + kSide <= client.right && at.y + kSide <= client.bottom) ++visible;
  }
  ole.reset();
  const double ours = CpuPerSecond();
  proxy->Release();
  edit.DestroyWindow();
  parent.DestroyWindow();

  // The raw loop: the same number of visible emoticons.
  RawLoop loop;
  loop.count = visible;
  loop.columns = width / (kSide + 4);
  {
    CClientDC screen(nullptr);
    loop.source.CreateCompatibleDC(&screen);
    loop.strip.CreateCompatibleBitmap(&screen, kSide * kFrames, kSide);
  }
  loop.source.SelectObject(&loop.strip);
  for (int f = 0; f < kFrames; ++f) loop.source.FillSolidRect(f * kSide, 0, kSide, kSide, kPalette[f]);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = RawProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "RawEmoticons";
  RegisterClassA(&wc);
  UniqueWindow raw(CreateWindowExA(0, "RawEmoticons", "raw", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                   nullptr, wc.hInstance, nullptr));
  SetWindowLongPtrA(raw.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&loop));
  SetTimer(raw.get(), 1, kDelayMs, nullptr);
  const double floor = CpuPerSecond();
  KillTimer(raw.get(), 1);
  raw.reset();

#ifdef _WIN64
  const char* target = "x86_64";
#else
  const char* target = "i686";
#endif
  std::printf(
      "BENCH animated_emoticons target=%s emoticons=%d visible=%d seconds=%lu cpu_per_s=%.3f raw_cpu_per_s=%.3f "
      "ratio_to_limit=%.2f\n",
      target, emoticons, visible, static_cast<unsigned long>(kMeasureMs / 1000), ours, floor,
      floor > 0 ? ours / floor : 0.0);
  CoRevokeClassObject(cookie);
  factory.reset();
  DeleteFileA((folder + "\\ok.gif").c_str());
  DeleteFileA((folder + "\\config.ini").c_str());
  RemoveDirectoryA(folder.c_str());
  OleUninitialize();
  return 0;
}
