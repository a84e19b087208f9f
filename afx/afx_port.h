// Platform portability header of the framework layer: the Win32 types (from
// the bottom layer) and the framework DLL's export macros.
#pragma once

#include "base/win_types.h"

#define AFX_DLL_EXPORT BASE_DLL_EXPORT
#define AFX_DLL_IMPORT BASE_DLL_IMPORT

// Classes and functions of the framework DLL (Afx.dll).
#if defined(_WIN32) && defined(AFX_BUILDING_DLL)
#define AFX_API AFX_DLL_EXPORT
#elif defined(_WIN32)
#define AFX_API AFX_DLL_IMPORT
#else
#define AFX_API
#endif
