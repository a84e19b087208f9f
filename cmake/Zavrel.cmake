# Build conventions shared by every target of the project.

if(WIN32)
  set(ZAVREL_WINDOWS ON)
else()
  set(ZAVREL_WINDOWS OFF)
endif()

if(ZAVREL_WINDOWS)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    # x86_64: everything linked statically, so test programs need no MinGW
    # runtime DLL beside them; SEH unwinding carries exceptions across DLLs.
    string(APPEND CMAKE_EXE_LINKER_FLAGS " -static")
    string(APPEND CMAKE_SHARED_LINKER_FLAGS " -static")
    set(ZAVREL_SHARED_RUNTIME OFF)
  else()
    # i686: DWARF-2 unwinding cannot cross DLLs with a static libgcc, so the
    # GCC runtime is shared and shipped beside the DLLs.
    set(ZAVREL_SHARED_RUNTIME ON)
    set(ZAVREL_RUNTIME_DLLS libgcc_s_dw2-1.dll libstdc++-6.dll libwinpthread-1.dll)
  endif()
  # Win32 API level: Windows Vista and later (the i686 GCC runtime shipped
  # beside the DLLs needs Vista: its thread library imports GetTickCount64),
  # multibyte (ANSI) entry points. cmake/check-imports.cmake holds every DLL
  # of the build to it.
  add_compile_definitions(_WIN32_WINNT=0x0600 WINVER=0x0600 _MBCS)
  add_compile_options(-mthreads)
endif()

if(ZAVREL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# Our own code: warnings are errors; narrow literals are stored in the ANSI
# code page of the client (GBK), as its user-facing texts must be.
function(zavrel_own_code target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -fexec-charset=GBK)
endfunction()

# zavrel_sources(TARGET PORTABLE files... WINDOWS files...)
# Portable sources build everywhere; Windows sources only in the DLLs.
function(zavrel_sources target)
  cmake_parse_arguments(ARG "" "" "PORTABLE;WINDOWS" ${ARGN})
  set(files ${ARG_PORTABLE})
  if(ZAVREL_WINDOWS)
    list(APPEND files ${ARG_WINDOWS})
  endif()
  list(TRANSFORM files PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  target_sources(${target} PRIVATE ${files})
endfunction()

# A library that is a DLL on Windows and a static library natively. Its
# users include its headers from its layer's include root here (zavrel_layer),
# and from include/ of an installed tree.
function(zavrel_library target output_name export_define)
  if(ZAVREL_WINDOWS)
    add_library(${target} SHARED)
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${output_name})
    set_property(GLOBAL APPEND PROPERTY ZAVREL_DLL_TARGETS ${target})
    target_compile_definitions(${target} PRIVATE ${export_define})
  else()
    add_library(${target} STATIC)
    set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  endif()
  target_include_directories(${target} PUBLIC $<INSTALL_INTERFACE:include>)
  zavrel_own_code(${target})
endfunction()

# Copies the shared GCC runtime DLLs beside the programs (i686 only).
function(zavrel_copy_runtime)
  if(NOT ZAVREL_SHARED_RUNTIME)
    return()
  endif()
  foreach(dll IN LISTS ZAVREL_RUNTIME_DLLS)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT EXISTS "${path}")
      message(FATAL_ERROR "GCC runtime ${dll} not found")
    endif()
    file(COPY ${path} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  endforeach()
endfunction()

# ctest labels: wine (runs under Wine; added to every Windows test), gui
# (windows or drawing on the X display), network (sockets, proxies, the hall
# server), sound (the sound players and the audio device), slow (more than
# about 5 s). `ctest -L <label>` runs one, `ctest -LE <label>` leaves it out.
set(ZAVREL_TEST_LABELS wine gui network sound slow)

# Labels the test programs' discovered cases: every case gets BASE, a case
# of any suite but PLAIN_SUITES gets LABELS too, and a case whose name
# (Suite.Case) matches a CASE_LABELS regex gets that label. The discovered
# names exist only when ctest runs, so a script included after the
# discovery sets the labels there.
function(zavrel_label_discovered_tests name)
  cmake_parse_arguments(ARG "" "" "BASE;LABELS;PLAIN_SUITES;CASE_LABELS" ${ARGN})
  foreach(label IN LISTS ARG_BASE ARG_LABELS)
    if(NOT label IN_LIST ZAVREL_TEST_LABELS)
      message(FATAL_ERROR "${name}: unknown test label ${label}")
    endif()
  endforeach()
  set(script "if(DEFINED ${name}_TESTS)\n  foreach(test IN LISTS ${name}_TESTS)\n")
  string(APPEND script "    set(labels ${ARG_BASE})\n")
  if(ARG_LABELS)
    set(plain "^$")
    if(ARG_PLAIN_SUITES)
      list(JOIN ARG_PLAIN_SUITES "|" plain)
      set(plain "^(${plain})\\.")
    endif()
    string(APPEND script "    if(NOT test MATCHES [==[${plain}]==])\n      list(APPEND labels ${ARG_LABELS})\n    endif()\n")
  endif()
  set(cases ${ARG_CASE_LABELS})
  while(cases)
    list(POP_FRONT cases label regex)
    if(NOT label IN_LIST ZAVREL_TEST_LABELS OR NOT regex)
      message(FATAL_ERROR "${name}: CASE_LABELS takes pairs of a known label and a regex")
    endif()
    string(APPEND script "    if(test MATCHES [==[${regex}]==])\n      list(APPEND labels ${label})\n    endif()\n")
  endwhile()
  string(APPEND script "    if(labels)\n      set_tests_properties(\"\${test}\" PROPERTIES LABELS \"\${labels}\")\n    endif()\n")
  string(APPEND script "  endforeach()\nendif()\n")
  set(file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${file} "${script}")
  # After the discovery's own include file, which defines ${name}_TESTS.
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${file})
endfunction()

# The test suites (TEST, TEST_F, TEST_P) that the given source files define.
function(zavrel_test_suites out)
  set(suites "")
  foreach(file IN LISTS ARGN)
    get_filename_component(path ${file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    if(path MATCHES "\\.cpp$")
      file(STRINGS ${path} lines REGEX "^TEST(_F|_P)?\\([A-Za-z0-9_]+,")
      foreach(line IN LISTS lines)
        string(REGEX REPLACE "^TEST(_F|_P)?\\(([A-Za-z0-9_]+),.*" "\\2" suite "${line}")
        list(APPEND suites ${suite})
      endforeach()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES suites)
  set(${out} ${suites} PARENT_SCOPE)
endfunction()

# zavrel_test(NAME PORTABLE files... WINDOWS files... LIBS libs... [TIMEOUT s]
#             [RUN_SERIAL] [LABELS labels...] [NATIVE_LABELS labels...]
#             [CASE_LABELS label regex...])
# One test program per group. Portable files build natively and for Windows;
# Windows files only for Windows. Each test case is one ctest test, found at
# test time (the Windows programs are listed through Wine). RUN_SERIAL keeps
# the program's cases from running beside other tests (for cases that load
# the machine or the window system). LABELS are what the Windows files' cases
# need (every Windows case also gets wine, the portable ones only wine);
# NATIVE_LABELS those of the native program; CASE_LABELS adds a label to the
# cases whose full name (Suite.Case) matches the regex, on either.
function(zavrel_test name)
  cmake_parse_arguments(ARG "RUN_SERIAL" "TIMEOUT" "PORTABLE;WINDOWS;LIBS;LABELS;NATIVE_LABELS;CASE_LABELS" ${ARGN})
  set(files ${ARG_PORTABLE})
  if(ZAVREL_WINDOWS)
    list(APPEND files ${ARG_WINDOWS})
  endif()
  if(NOT files)
    return()
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 60)
  endif()
  add_executable(${name} ${files})
  zavrel_own_code(${name})
  target_link_libraries(${name} PRIVATE zavrel_testkit ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  set(properties TIMEOUT ${ARG_TIMEOUT})
  if(ARG_RUN_SERIAL)
    list(APPEND properties RUN_SERIAL TRUE)
  endif()
  # The portable cases of a Windows program need only Wine: its LABELS name
  # what the Windows cases need.
  set(plain "")
  if(ZAVREL_WINDOWS)
    set(base wine)
    set(labels ${ARG_LABELS})
    if(labels AND ARG_PORTABLE AND ARG_WINDOWS)
      zavrel_test_suites(plain ${ARG_PORTABLE})
      zavrel_test_suites(windows_suites ${ARG_WINDOWS})
      if(plain AND windows_suites)
        list(REMOVE_ITEM plain ${windows_suites})
      endif()
    endif()
  else()
    set(base "")
    set(labels ${ARG_NATIVE_LABELS})
  endif()
  if(NOT ZAVREL_WINDOWS OR ZAVREL_RUN_WINDOWS_TESTS)
    gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES ${properties}
      WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
    zavrel_label_discovered_tests(${name} BASE ${base} LABELS ${labels} PLAIN_SUITES ${plain}
                                  CASE_LABELS ${ARG_CASE_LABELS})
  endif()
endfunction()

# zavrel_no_throw_test(NAME TESTS files... PORTABLE sources... WINDOWS
#                      sources... LIBS libs...)
# A test program of the exception barriers. It links the failing allocator
# (tests/testkit/failing_new.cpp), and the library sources it names (paths
# from the repository's root) are compiled into it: a DLL keeps its own
# allocator, which the program's cannot reach.
function(zavrel_no_throw_test name)
  cmake_parse_arguments(ARG "" "" "TESTS;PORTABLE;WINDOWS;LIBS" ${ARGN})
  if(NOT ZAVREL_WINDOWS AND NOT ARG_PORTABLE)
    return()  # it tests Windows code only
  endif()
  set(sources ${ARG_PORTABLE})
  if(ZAVREL_WINDOWS)
    list(APPEND sources ${ARG_WINDOWS})
  endif()
  list(TRANSFORM sources PREPEND ${ZAVREL_SOURCE_DIR}/)
  zavrel_test(${name}
    PORTABLE ${ARG_TESTS} ${ZAVREL_SOURCE_DIR}/tests/testkit/failing_new.cpp ${sources}
    LIBS zavrel ${ARG_LIBS})
  if(TARGET ${name} AND ZAVREL_WINDOWS)
    # The compiled-in classes are defined here, not imported.
    target_compile_definitions(${name} PRIVATE ZAVREL_BUILDING_DLL)
  endif()
  if(TARGET ${name} AND ZAVREL_SHARED_RUNTIME)
    # i686: libstdc++ is linked into the program, as on x86_64, so that its
    # own allocations (std::string's out-of-line members, instantiated in the
    # library) reach the program's operator new; libstdc++-6.dll's would not.
    # libgcc stays shared: DWARF-2 unwinding needs the one shared unwinder.
    target_link_options(${name} PRIVATE -static-libstdc++)
  endif()
endfunction()

# Adds every child directory that has a CMakeLists.txt, in name order, so
# that new subsystems join the build without editing their parent.
function(zavrel_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# After everything is built, checks that no DLL of the build imports a
# function newer than the minimum Windows version (see above).
function(zavrel_check_imports)
  if(NOT ZAVREL_WINDOWS)
    return()
  endif()
  string(REGEX REPLACE "-g\\+\\+(-posix)?$" "-objdump" objdump ${CMAKE_CXX_COMPILER})
  get_property(targets GLOBAL PROPERTY ZAVREL_DLL_TARGETS)
  set(files "")
  foreach(target IN LISTS targets)
    list(APPEND files $<TARGET_FILE:${target}>)
  endforeach()
  if(ZAVREL_SHARED_RUNTIME)
    foreach(dll IN LISTS ZAVREL_RUNTIME_DLLS)
      list(APPEND files ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${dll})
    endforeach()
  endif()
  add_custom_target(check_imports ALL
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${objdump} "-DDLLS=${files}"
            -P ${ZAVREL_SOURCE_DIR}/cmake/check-imports.cmake
    DEPENDS ${targets}
    COMMENT "Checking the DLLs' imports against the minimum Windows version"
    VERBATIM)
endfunction()
