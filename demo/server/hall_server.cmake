# The local hall server, hall-server: built in every tree (natively in MinGW
# trees too, see cmake/native_program.cmake). Included by whoever needs it; the
# target is made once.
include_guard(GLOBAL)
include(${ZAVREL_SOURCE_DIR}/cmake/native_program.cmake)

set(ZAVREL_HALL_SERVER_SOURCES
  ${ZAVREL_SOURCE_DIR}/demo/server/hall_server.cpp
  ${ZAVREL_SOURCE_DIR}/demo/server/hall_script.cpp
  ${ZAVREL_SOURCE_DIR}/support/nuvrell/wire_frame.cpp)
zavrel_native_program(hall_server hall-server SOURCES ${ZAVREL_HALL_SERVER_SOURCES})
