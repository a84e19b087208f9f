// What the process holds, counted as Task Manager would: GDI objects, USER
// objects, kernel handles, private bytes, working set and threads, and the
// part of the private bytes that the threads hold.
//
// Wine answers GetGuiResources with 0, so the GDI and USER counts are the
// test kit's (testkit::GuiObjectCounts: the used entries of the process's
// GDI handle table, and the process's windows, message-only ones included),
// with GetGuiResources where it answers (Windows itself).
#pragma once

#include <string>
#include <vector>

#include "afx/afx_port.h"
#include "base/win_owners.h"

struct SoakResourceCounts {
  long gdiObjects = -1;
  long userObjects = -1;
  long kernelHandles = -1;
  long threads = -1;
  double privateBytes = -1;  // bytes
  double workingSet = -1;    // bytes
  double threadBytes = 0;    // threads times SoakThreadCost()
};

// The counts of this process now.
SoakResourceCounts TakeSoakResourceCounts();

// A thread that waits from construction until destruction (which ends it
// and waits for its end): what one more thread holds, made on purpose.
class SoakParkedThread {
 public:
  SoakParkedThread();
  ~SoakParkedThread();
  SoakParkedThread(const SoakParkedThread&) = delete;
  SoakParkedThread& operator=(const SoakParkedThread&) = delete;
  // Whether the thread was made and has started.
  bool Running() const { return m_running; }

 private:
  static DWORD WINAPI Park(void* parameter);
  UniqueHandle m_started;
  UniqueHandle m_release;
  UniqueHandle m_thread;
  bool m_running = false;
};

// The private bytes one more thread holds while it runs (its stack, and
// what the system keeps for each thread: about 3 MB under Wine on x86_64,
// 4 MB on i686), measured once with a parked thread.
double SoakThreadCost();

// Where each thread of this process started, as "module+0xoffset".
std::vector<std::string> SoakThreadOrigins();
