// Export macro of Kelmar.dll: the record queue is exported by name.
#pragma once

#if defined(_WIN32) && defined(KELMAR_BUILDING_DLL)
#define KELMAR_API __declspec(dllexport)
#elif defined(_WIN32)
#define KELMAR_API __declspec(dllimport)
#else
#define KELMAR_API
#endif
