# GoogleTest and TinyXML: the system's natively, compiled from Debian's
# sources for the MinGW builds.
include(GoogleTest)

set(ZAVREL_DEPS_DIR ${ZAVREL_SOURCE_DIR}/.deps CACHE PATH "Fetched dependency sources (tools/setup)")

if(ZAVREL_WINDOWS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(lib gtest gtest_main gmock)
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()

  set(tx ${ZAVREL_DEPS_DIR}/tinyxml)
  if(NOT EXISTS ${tx}/tinyxml.h)
    message(FATAL_ERROR "TinyXML sources missing in ${tx}: run tools/setup")
  endif()
  add_library(zavrel_tinyxml STATIC
    ${tx}/tinyxml.cpp ${tx}/tinystr.cpp ${tx}/tinyxmlerror.cpp ${tx}/tinyxmlparser.cpp)
  target_include_directories(zavrel_tinyxml SYSTEM PUBLIC ${tx})
  target_compile_definitions(zavrel_tinyxml PUBLIC TIXML_USE_STL)
  set_target_properties(zavrel_tinyxml PROPERTIES POSITION_INDEPENDENT_CODE ON)
  add_library(TinyXML::TinyXML ALIAS zavrel_tinyxml)
else()
  find_package(GTest REQUIRED)
  if(NOT TARGET GTest::gmock)
    find_library(GMOCK_LIBRARY gmock REQUIRED)
    add_library(GTest::gmock UNKNOWN IMPORTED)
    set_target_properties(GTest::gmock PROPERTIES IMPORTED_LOCATION ${GMOCK_LIBRARY})
  endif()
  find_path(TINYXML_INCLUDE_DIR tinyxml.h REQUIRED)
  find_library(TINYXML_LIBRARY tinyxml REQUIRED)
  add_library(TinyXML::TinyXML UNKNOWN IMPORTED)
  set_target_properties(TinyXML::TinyXML PROPERTIES
    IMPORTED_LOCATION ${TINYXML_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${TINYXML_INCLUDE_DIR}
    INTERFACE_COMPILE_DEFINITIONS TIXML_USE_STL)
endif()

if(ZAVREL_WINDOWS AND ZAVREL_RUN_WINDOWS_TESTS)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ZAVREL_WINE_LOADER /usr/lib/wine/wine64)
  else()
    set(ZAVREL_WINE_LOADER /usr/lib/wine/wine)
  endif()
  configure_file(${ZAVREL_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE @ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run CACHE FILEPATH "" FORCE)
endif()
