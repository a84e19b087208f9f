#include "support/stand_in/stand_in_control.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace stand_in {

namespace {

struct LogLine {
  const void* object;
  std::string text;
};

std::vector<LogLine>& Lines() {
  static std::vector<LogLine> lines;
  return lines;
}

}  // namespace

void Record(const void* object, std::string text) { Lines().push_back({object, std::move(text)}); }

void ClearLog() { Lines().clear(); }

void RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC proc) {
  WNDCLASSA wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

void UnregisterWindowClass(HINSTANCE instance, const char* name) { UnregisterClassA(name, instance); }

void* ControlOfWindow(HWND hWnd, const char* windowClass) {
  if (!hWnd || !IsWindow(hWnd)) return nullptr;
  char name[64] = {};
  GetClassNameA(hWnd, name, sizeof(name));
  if (lstrcmpA(name, windowClass) != 0) return nullptr;
  return reinterpret_cast<void*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
}

int ReadLog(HWND hWnd, const char* windowClass, char* pBuffer, int cbBuffer) {
  const void* control = hWnd ? ControlOfWindow(hWnd, windowClass) : nullptr;
  std::string text;
  if (!hWnd || control) {
    for (const LogLine& line : Lines()) {
      if (!control || line.object == control) text += line.text + "\n";
    }
  }
  if (pBuffer && cbBuffer > 0) {
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(cbBuffer - 1));
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), pBuffer);
    pBuffer[n] = '\0';
  }
  return static_cast<int>(text.size());
}

}  // namespace stand_in
