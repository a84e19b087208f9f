// Export macro of Plimsy.dll, the buffered-paint library.
#pragma once

#include "afx/afx_port.h"

#if defined(_WIN32) && defined(PLIMSY_BUILDING_DLL)
#define PLIMSY_API AFX_DLL_EXPORT
#elif defined(_WIN32)
#define PLIMSY_API AFX_DLL_IMPORT
#else
#define PLIMSY_API
#endif
