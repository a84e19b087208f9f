// Export macro of Nuvrell.dll.
#pragma once

#include "afx/afx_port.h"

#if defined(_WIN32) && defined(NUVRELL_BUILDING_DLL)
#define NUVRELL_API AFX_DLL_EXPORT
#elif defined(_WIN32)
#define NUVRELL_API AFX_DLL_IMPORT
#else
#define NUVRELL_API
#endif
