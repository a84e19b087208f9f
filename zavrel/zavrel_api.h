// Export macro of Zavrel.dll: classes, their static constants and the C
// creation functions are exported by name.
#pragma once

#include "afx/afx_port.h"

#if defined(_WIN32) && defined(ZAVREL_BUILDING_DLL)
#define ZAVREL_API AFX_DLL_EXPORT
#elif defined(_WIN32)
#define ZAVREL_API AFX_DLL_IMPORT
#else
#define ZAVREL_API
#endif
