// What the process holds, counted as Task Manager would: GDI objects, USER
// objects, kernel handles, private bytes, working set and threads.
//
// Wine answers GetGuiResources with 0, so the GDI and USER counts are the
// test kit's (testkit::GuiObjectCounts: the used entries of the process's
// GDI handle table, and the process's windows, message-only ones included),
// with GetGuiResources where it answers (Windows itself).
#pragma once

#include "afx/afx_port.h"

struct SoakResourceCounts {
  long gdiObjects = -1;
  long userObjects = -1;
  long kernelHandles = -1;
  long threads = -1;
  double privateBytes = -1;  // bytes
  double workingSet = -1;    // bytes
};

// The counts of this process now.
SoakResourceCounts TakeSoakResourceCounts();
