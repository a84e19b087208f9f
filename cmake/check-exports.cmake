# cmake -DOBJDUMP=... -DDLL=... -DNAMES="a;b" -P check-exports.cmake
# Fails when the DLL's export table lacks one of the names (unmangled).
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()
foreach(name IN LISTS NAMES)
  if(NOT dump MATCHES "\\] ${name}\n")
    message(FATAL_ERROR "${DLL} does not export ${name}")
  endif()
endforeach()
