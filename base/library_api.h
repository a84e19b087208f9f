// Export macros of the outside libraries' DLLs, one place for all of them.
//
// A library's own sources are compiled with <NAME>_BUILDING_DLL (the build
// sets it for each DLL) and export what they mark; every other module
// imports it. Natively the libraries are static and the macros are empty.
#pragma once

#include "base/win_types.h"

#if defined(_WIN32)
#define LIBRARY_EXPORT BASE_DLL_EXPORT
#define LIBRARY_IMPORT BASE_DLL_IMPORT
#else
#define LIBRARY_EXPORT
#define LIBRARY_IMPORT
#endif

#ifdef BREVIO_BUILDING_DLL
#define BREVIO_API LIBRARY_EXPORT
#else
#define BREVIO_API LIBRARY_IMPORT
#endif

#ifdef DRAVIK_BUILDING_DLL
#define DRAVIK_API LIBRARY_EXPORT
#else
#define DRAVIK_API LIBRARY_IMPORT
#endif

#ifdef KELMAR_BUILDING_DLL
#define KELMAR_API LIBRARY_EXPORT
#else
#define KELMAR_API LIBRARY_IMPORT
#endif

#ifdef NUVRELL_BUILDING_DLL
#define NUVRELL_API LIBRARY_EXPORT
#else
#define NUVRELL_API LIBRARY_IMPORT
#endif

#ifdef ORMLACE_BUILDING_DLL
#define ORMLACE_API LIBRARY_EXPORT
#else
#define ORMLACE_API LIBRARY_IMPORT
#endif

#ifdef PLIMSY_BUILDING_DLL
#define PLIMSY_API LIBRARY_EXPORT
#else
#define PLIMSY_API LIBRARY_IMPORT
#endif

#ifdef TESSOR_BUILDING_DLL
#define TESSOR_API LIBRARY_EXPORT
#else
#define TESSOR_API LIBRARY_IMPORT
#endif
