// Registers the stand-in video controls (VideoCtl.dll beside the test
// program) in the test prefix with regsvr32, once.
#pragma once

#include "tests/testkit/com_server_registration.h"

namespace videoctl_test {

// True when the controls are registered with VideoCtl.dll of this build.
inline bool EnsureRegistered() {
  return testkit::EnsureServerRegistered("{075083C0-5319-4938-8E1E-734023126D72}", "VideoCtl.dll");
}

}  // namespace videoctl_test
