// Export macro of Dravik.dll.
#pragma once

#include "afx/afx_port.h"

#if defined(_WIN32) && defined(DRAVIK_BUILDING_DLL)
#define DRAVIK_API AFX_DLL_EXPORT
#elif defined(_WIN32)
#define DRAVIK_API AFX_DLL_IMPORT
#else
#define DRAVIK_API
#endif
