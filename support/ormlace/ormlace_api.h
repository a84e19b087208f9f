// Export macro of Ormlace.dll, the skinned user-interface library.
#pragma once

#include "afx/afx_port.h"

#if defined(_WIN32) && defined(ORMLACE_BUILDING_DLL)
#define ORMLACE_API AFX_DLL_EXPORT
#elif defined(_WIN32)
#define ORMLACE_API AFX_DLL_IMPORT
#else
#define ORMLACE_API
#endif
