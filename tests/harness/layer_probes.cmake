# Builds the layer probes of a build tree: each probe that includes a folder
# above its own must fail to compile on that include, and the one that
# includes only folders under its own must build.
#   cmake -DBUILD_DIR=<tree> -P layer_probes.cmake
cmake_minimum_required(VERSION 3.25)
set(refused
  "layer_probe_climb_from_base=afx/afx_string.h"
  "layer_probe_climb_from_util=zavrel/config/url_template.h")
foreach(pair IN LISTS refused)
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 target)
  list(GET pair 1 header)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(rc EQUAL 0)
    message(FATAL_ERROR "${target} was built: its climbing include of ${header} was accepted")
  endif()
  string(FIND "${out}" "${header}: No such file" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${target} failed, but not on ${header}:\n${out}")
  endif()
  message(STATUS "${target}: refused (${header} not found)")
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target layer_probe_allowed_from_config
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "layer_probe_allowed_from_config failed to build:\n${out}")
endif()
message(STATUS "layer_probe_allowed_from_config: built")
