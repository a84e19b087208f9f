# zavrel_native_program(TARGET OUTPUT_NAME SOURCES files... [LIBS libs...])
#
# A program that runs on this (Linux) machine, in every build tree: an
# ordinary executable in the native tree; in a MinGW tree it is compiled with
# the host's compiler into the same bin directory as the test programs, so
# the Windows tests under Wine can start it. Sources are absolute paths.
include_guard(GLOBAL)

set(ZAVREL_HOST_CXX /usr/bin/c++ CACHE FILEPATH "Host C++ compiler for the native helper programs")

function(zavrel_native_program target output_name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT ZAVREL_WINDOWS)
    add_executable(${target} ${ARG_SOURCES})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output_name})
    target_include_directories(${target} PRIVATE ${ZAVREL_SOURCE_DIR})
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} pthread)
    return()
  endif()
  set(output ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${output_name})
  file(GLOB_RECURSE headers ${ZAVREL_SOURCE_DIR}/base/*.h ${ZAVREL_SOURCE_DIR}/support/nuvrell/*.h
       ${ZAVREL_SOURCE_DIR}/demo/server/*.h ${ZAVREL_SOURCE_DIR}/demo/common/*.h)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${ZAVREL_HOST_CXX} -std=c++17 -O2 -Wall -Wextra -Werror -I${ZAVREL_SOURCE_DIR}
            ${ARG_SOURCES} -o ${output} -pthread
    DEPENDS ${ARG_SOURCES} ${headers}
    COMMENT "Building native ${output_name}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
