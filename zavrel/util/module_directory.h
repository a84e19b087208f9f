// The folder of a loaded module, found from an address inside its image
// rather than from its file name, so that a library renamed or loaded from
// another folder still finds its own neighbours. Windows only; not exported.
#pragma once

#include <string>

// The directory (ending in a backslash) of the module whose image holds
// `address`. Empty when no module holds it or its file name cannot be read:
// a caller must then refuse to look for files, never fall back to the
// system's search order.
std::string ModuleDirectoryOf(const void* address);

// ModuleDirectoryOf an address of the module this code is linked into
// (Zavrel.dll in the shipped build).
std::string ThisModuleDirectory();
