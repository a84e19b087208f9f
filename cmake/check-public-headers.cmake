# cmake -DINCLUDE_DIR=<prefix>/include -P check-public-headers.cmake
#
# Fails when an installed (public) header includes a project header that is
# not installed: a public header may include only public headers.
cmake_minimum_required(VERSION 3.25)

file(GLOB_RECURSE headers RELATIVE ${INCLUDE_DIR} ${INCLUDE_DIR}/*.h)
if(NOT headers)
  message(FATAL_ERROR "no header under ${INCLUDE_DIR}")
endif()
set(problems "")
foreach(header IN LISTS headers)
  file(STRINGS ${INCLUDE_DIR}/${header} lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*$" "\\1" included "${line}")
    if(NOT EXISTS ${INCLUDE_DIR}/${included})
      string(APPEND problems "  ${header} includes ${included}, which is not public\n")
    endif()
  endforeach()
endforeach()
if(problems)
  message(FATAL_ERROR "public headers that include internal ones:\n${problems}")
endif()
list(LENGTH headers count)
message(STATUS "${count} public headers include only public headers")
