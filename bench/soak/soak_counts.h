// What the process holds, counted as Task Manager would: GDI objects, USER
// objects, kernel handles, private bytes, working set and threads.
//
// Wine answers GetGuiResources with 0, so the GDI count reads the used
// entries of the process's GDI handle table (the one the PEB points at; for
// a 32-bit process under WoW64 the table of its 64-bit PEB), and the USER
// count counts the process's windows, message-only windows included. Both
// fall back to GetGuiResources where it answers (Windows itself).
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

// Used entries of this process's GDI handle table; -1 when there is no
// table to read.
long CountGdiTableEntries();
// Windows of this process: top-level, message-only and their descendants.
long CountProcessWindows();
