#include "zavrel/util/module_directory.h"

#include <vector>

#include "afx/afx_mbcs.h"
#include "afx/afx_port.h"

std::string ModuleDirectoryOf(const void* address) {
  if (address == nullptr) return std::string();
  // The module is only looked at here, never kept: its count stays as it is.
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCSTR>(address), &module))
    return std::string();
  // A name that fills the buffer may have been cut: try a larger one, up to
  // the longest path the system has.
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    std::vector<char> path(size);
    const DWORD n = GetModuleFileNameA(module, path.data(), size);
    if (n == 0) return std::string();
    if (n >= size) continue;
    const std::string name(path.data(), n);
    // By characters: a double-byte character's trail byte may be 0x5C.
    const std::string::size_type slash = afx_mbcs::FindLastOf(name, "\\/");
    if (slash == std::string::npos) return std::string();
    return name.substr(0, slash + 1);
  }
  return std::string();
}

std::string ThisModuleDirectory() {
  static const char kHere = 0;  // lies in this module's image
  return ModuleDirectoryOf(&kHere);
}
