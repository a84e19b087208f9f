// Helpers shared by the tests.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "afx/afx_port.h"

#ifdef _WIN32
#include "afx/afx_gdi.h"
#include "base/message_pump.h"
#endif

// The calling convention of member functions: thiscall on i686 (`this` in
// ECX), the one convention of x86_64. A test that calls an interface slot
// through its raw table, as a module built elsewhere would, declares the
// pointer with it.
#if defined(__i386__)
#define TESTKIT_MEMBER_CALL __thiscall
#else
#define TESTKIT_MEMBER_CALL
#endif

namespace testkit {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();
  const std::filesystem::path& path() const { return m_path; }
  // path() / name, as a string.
  std::string file(const std::string& name) const;

 private:
  std::filesystem::path m_path;
};

// Writes bytes to a file (binary), replacing it; false on failure.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// Reads a whole file (binary); empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

#ifdef _WIN32
// The one message pump (base/message_pump.h).
using ::PumpMessagesUntil;
// Dispatches this thread's messages for about ms milliseconds.
void PumpMessagesFor(DWORD ms);
// Dispatches this thread's messages until a one-shot sentinel timer of
// periodMs ticks; false when it has not within timeoutMs. The queue hands
// a timer's tick only when no posted message is left, and the timer that fell
// due first before a later one: so when this returns true, every message
// posted before has been handled, and so has a tick of any timer of this
// thread with a shorter period that still runs. For "nothing more comes"
// checks: pick a period longer than the timer that must have stopped.
bool PumpUntilSentinelTimer(DWORD periodMs, DWORD timeoutMs = 10000);
// PumpUntilSentinelTimer with the shortest period: every message posted so
// far (and every one those post in turn) has been handled.
bool PumpUntilIdle(DWORD timeoutMs = 10000);
// The directory of the running test program (where the build puts every DLL
// and helper program), with a trailing backslash.
std::string TestBinaryDir();
// TestBinaryDir() + name.
std::string TestBinaryPath(const std::string& name);

// The process's GUI objects, for tests that a count of them stays bounded
// or returns to where it was. gdi: GDI objects in use (bitmaps, DCs, fonts,
// brushes, ...), -1 when they cannot be counted. user: the process's
// windows, message-only windows and child windows included (its USER
// objects that matter here: each window is one).
struct GuiCounts {
  long gdi = -1;
  long user = 0;
};
// Under Wine GetGuiResources answers 0, so GDI objects are counted from the
// process's GDI handle table (the PEB's GdiSharedHandleTable; for a 32-bit
// process under WoW64, the table of its 64-bit PEB): the entries of this
// process whose object type is set.
GuiCounts GuiObjectCounts();

// A memory device context (dc) with a bitmap of width x height compatible
// with the screen selected into it, filled with one colour; the bitmap is
// deselected and deleted with the object.
class MemorySurface {
 public:
  MemorySurface(int width, int height, COLORREF fill = RGB(255, 255, 255));
  MemorySurface(const MemorySurface&) = delete;
  MemorySurface& operator=(const MemorySurface&) = delete;
  ~MemorySurface();

  CDC dc;

 private:
  CBitmap m_bitmap;
  CBitmap* m_pOld = nullptr;
};
#endif

}  // namespace testkit
