// A test program with one top-level window: "process_window_helper <title>".
// It closes when the window receives WM_CLOSE and then exits with code 7.
#include <windows.h>

#include <cstdlib>

namespace {

LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_DESTROY) {
    PostQuitMessage(7);
    return 0;
  }
  return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
  const char* title = __argc > 1 ? __argv[1] : "ZavrelProcessHelper";
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &WindowProc;
  wc.hInstance = hInstance;
  wc.lpszClassName = "ZavrelProcessHelperWindow";
  if (!RegisterClassA(&wc)) return 90;
  HWND hWnd = CreateWindowExA(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, 0, 0, 120, 80, nullptr, nullptr,
                              hInstance, nullptr);
  if (!hWnd) return 91;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
