# cmake -DOBJDUMP=... -DDLLS="a.dll;b.dll" -P check-imports.cmake
#
# Reads the import table of every DLL named and fails when one imports a
# function that the client's minimum Windows version (Vista, _WIN32_WINNT
# 0x0600) lacks: kernel32's K32* aliases of the process-status functions
# (Windows 7) and the later additions listed below, which a higher
# _WIN32_WINNT or a newer runtime can pull in without a warning.
cmake_minimum_required(VERSION 3.25)

set(newer_than_vista
  # Windows 7
  AddDllDirectory RemoveDllDirectory SetDefaultDllDirectories
  TryAcquireSRWLockExclusive TryAcquireSRWLockShared
  GetLogicalProcessorInformationEx GetActiveProcessorCount GetMaximumProcessorCount
  SetThreadGroupAffinity GetThreadGroupAffinity QueryUnbiasedInterruptTime
  ChangeWindowMessageFilterEx CloseTouchInputHandle GetTouchInputInfo RegisterTouchWindow
  # Windows 8 and later
  GetSystemTimePreciseAsFileTime CreateFile2 GetCurrentThreadStackLimits
  WaitOnAddress WakeByAddressSingle WakeByAddressAll GetOverlappedResultEx
  PrefetchVirtualMemory SetThreadDescription GetThreadDescription
  CopyFile2 CreateEventExA CreateEventExW
  GetDpiForWindow GetDpiForSystem SetProcessDpiAwarenessContext AdjustWindowRectExForDpi
  GetPointerInfo RoInitialize RoUninitialize)

set(dlls ${DLLS})
if(NOT dlls)
  message(FATAL_ERROR "no DLL to check")
endif()
set(problems "")
foreach(dll IN LISTS dlls)
  execute_process(COMMAND ${OBJDUMP} -p ${dll} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${dll}")
  endif()
  # Only the import tables: from their heading to the export tables (or the
  # end of the dump).
  string(FIND "${dump}" "The Import Tables" start)
  if(start EQUAL -1)
    continue()
  endif()
  string(SUBSTRING "${dump}" ${start} -1 imports)
  string(FIND "${imports}" "The Export Tables" stop)
  if(NOT stop EQUAL -1)
    string(SUBSTRING "${imports}" 0 ${stop} imports)
  endif()
  string(REGEX REPLACE "\n" ";" lines "${imports}")
  get_filename_component(name ${dll} NAME)
  set(from "")
  foreach(line IN LISTS lines)
    if(line MATCHES "DLL Name: (.+)$")
      set(from ${CMAKE_MATCH_1})
    elseif(line MATCHES "^\t[0-9a-f]+\t +[0-9]+ +([A-Za-z_][A-Za-z0-9_@]*)$")
      set(fn ${CMAKE_MATCH_1})
      if(fn MATCHES "^K32" OR fn IN_LIST newer_than_vista)
        string(APPEND problems "  ${name} imports ${from}!${fn}\n")
      endif()
    endif()
  endforeach()
endforeach()
if(problems)
  message(FATAL_ERROR "imports that Windows Vista lacks:\n${problems}")
endif()
list(LENGTH dlls count)
message(STATUS "import tables of ${count} DLLs: nothing newer than Windows Vista")
