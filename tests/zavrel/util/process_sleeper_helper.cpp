// A test program without any window, carrying the bitmap resource
// "TESTBITMAP": "process_sleeper_helper <ms|forever> <exit code> [file]".
// It sleeps, writes its current directory into the file when one is named,
// and exits with the given code.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const char* sleep = __argc > 1 ? __argv[1] : "0";
  const int code = __argc > 2 ? std::atoi(__argv[2]) : 0;
  Sleep(std::strcmp(sleep, "forever") == 0 ? INFINITE : static_cast<DWORD>(std::atol(sleep)));
  if (__argc > 3) {
    char dir[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof(dir), dir);
    if (FILE* f = std::fopen(__argv[3], "wb")) {
      std::fputs(dir, f);
      std::fclose(f);
    }
  }
  return code;
}
