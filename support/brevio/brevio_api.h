// Export macro of Brevio.dll.
#pragma once

#include "afx/afx_port.h"

#if defined(_WIN32) && defined(BREVIO_BUILDING_DLL)
#define BREVIO_API AFX_DLL_EXPORT
#elif defined(_WIN32)
#define BREVIO_API AFX_DLL_IMPORT
#else
#define BREVIO_API
#endif
