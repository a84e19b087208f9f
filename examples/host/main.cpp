// A host of Zavrel.dll and ZavrelCom.dll, built against the installed
// package. Run it with the package's bin folder beside it (or on the DLL
// search path): it prints "host: ok" when every step succeeded.
#include <cstdio>

#include "host_parts.h"

int main() {
  const int failures = UseZavrel() + UseZavrelCom();
  std::printf(failures == 0 ? "host: ok\n" : "host: %d failures\n", failures);
  return failures == 0 ? 0 : 1;
}
