// Export macro of Tessor.dll: the XML handler interface, the attribute set
// and the parser are exported by name.
#pragma once

#if defined(_WIN32) && defined(TESSOR_BUILDING_DLL)
#define TESSOR_API __declspec(dllexport)
#elif defined(_WIN32)
#define TESSOR_API __declspec(dllimport)
#else
#define TESSOR_API
#endif
