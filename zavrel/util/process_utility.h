// ProcessUtility: starting programs, finding and ending processes, the access
// token of a process found by name, the program behind a window, and bitmaps
// out of other executables. Static operations only; ANSI strings and the ANSI
// system calls throughout. Windows only.
#pragma once

#include <string>

#include "afx/afx_gdi.h"
#include "afx/afx_port.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API ProcessUtility {
 public:
  // KillProcess results.
  enum { KILL_FAILED = 0, KILL_CLOSED = 1, KILL_TERMINATED = 2 };

  // Starts a program with CreateProcessA: the application name, the current
  // directory and the command line may each be null (as CreateProcessA
  // allows); no handle inheritance, the parent's environment. Returns the new
  // process's handle, which the caller owns and closes, or null when the
  // program could not be started.
  static HANDLE ExecuteCreateProcess(LPCSTR lpApplicationName, LPCSTR lpCurrentDirectory, LPCSTR lpCommandLine);

  // Starts a program as ExecuteCreateProcess does; with bWait, blocks the
  // calling thread (no messages are processed) until the program ends.
  // FALSE when the program could not be started, else TRUE. No handle is
  // left open.
  static BOOL ExecuteProgramWaitOver(LPCSTR lpApplicationName, LPCSTR lpCurrentDirectory, LPCSTR lpCommandLine,
                                     BOOL bWait);

  // Opens a file or program with the shell's default verb, hidden, without
  // error dialogs. Returns the started process's handle, which the caller
  // closes, or null on failure (or when the shell started no process).
  static HANDLE LaunchShellExecute(LPCSTR lpFile, LPCSTR lpParameters);

  // The id of the first running process whose executable path equals
  // strPath byte for byte (letter case counts; the path as the system
  // reports it). 0 when the processes cannot be listed; 4294967295 when none
  // matches. Processes that cannot be opened are skipped.
  static DWORD FindProcess(const std::string& strPath);

  // Asks every top-level window of the process to close (WM_CLOSE), waits up
  // to dwTimeout ms for the process to end, and terminates it otherwise.
  // KILL_CLOSED (1) when it ended on request, KILL_TERMINATED (2) when it was
  // terminated, KILL_FAILED (0) when it cannot be opened or terminated.
  static DWORD KillProcess(DWORD dwProcessId, DWORD dwTimeout);

  // EnumWindows callback of KillProcess: posts WM_CLOSE to hWnd when it
  // belongs to the process whose id is lParam. Always TRUE (continue).
  static BOOL CALLBACK TerminateAppEnum(HWND hWnd, LPARAM lParam);

  // Finds the first process whose executable name matches lpName in its
  // first four characters, ignoring case, and opens its access token (all
  // standard token rights) into hToken, which the caller then closes.
  // lpName is upper-cased in place. FALSE for a null name, when the
  // processes cannot be listed, when no process matches (hToken unchanged),
  // or when the token cannot be opened (hToken unchanged).
  static BOOL GetTokenByName(HANDLE& hToken, LPSTR lpName);

  // Writes the executable path of the process that owns hWnd into
  // lpszFileName (nSize bytes, terminator included; a longer path is cut).
  // 1 on success; 0 when the process cannot be opened or its path cannot be
  // read (the buffer then holds an empty string), or for a null buffer or
  // size 0 (the buffer is not touched).
  static BOOL GetProcessFilename(HWND hWnd, LPSTR lpszFileName, DWORD nSize);

  // Loads the module lpszModuleFile, loads the bitmap resource lpszBitmapName
  // from it into bitmap (which then owns the bitmap; a bitmap it held before
  // is deleted only when a new one was found), and frees the module. The
  // framework's resource handle is the same afterwards as before. 0 when the
  // module cannot be loaded; else 1, whether or not the bitmap was found
  // (check bitmap.GetSafeHandle()).
  static BOOL GetBitmapFromProcessFile(LPCSTR lpszModuleFile, LPCSTR lpszBitmapName, CBitmap& bitmap);
};
