# The layers of the libraries, drawn once. Each entry is a folder (or a
# file) of the repository and the folders it may include from; a folder may
# also include everything those include from. Nothing may include upward:
# the build gives each library target an include root that holds only its
# own folder and what lies under it (zavrel_layer), so an include that
# climbs is not found, and tests/harness/include_layers.cmake holds every
# source and header to this table. docs/layers.md draws it.
#
# The programs above the libraries (demo/, tests/, bench/, fuzz/, examples/)
# include from the repository's root.
set(ZAVREL_LAYERS
  "base:"
  "afx: base"
  # Stand-ins of the outside libraries.
  "support/picture: afx"
  "support/brevio: support/picture"
  "support/dravik: support/picture"
  "support/stand_in: base"
  "support/fwctl: afx support/stand_in"
  "support/kelmar: base"
  "support/nuvrell: afx"
  "support/ormlace: support/brevio"
  "support/plimsy: afx"
  "support/tessor: base"
  "support/videoctl: afx support/stand_in"
  "support/anipic: afx"
  # Zavrel.dll: its export macros, its subsystems, and its entry (the C
  # creation functions and the DLL's start), which sits on all of them.
  "zavrel/zavrel_api.h: afx"
  "zavrel/util: zavrel/zavrel_api.h"
  "zavrel/datafile: zavrel/util"
  "zavrel/timer: zavrel/zavrel_api.h"
  "zavrel/component: zavrel/zavrel_api.h"
  "zavrel/config: zavrel/component zavrel/datafile support/tessor"
  "zavrel/ipc: zavrel/component support/kelmar"
  "zavrel/net: zavrel/component zavrel/timer support/nuvrell support/ormlace"
  "zavrel/media: zavrel/timer support/ormlace"
  "zavrel/entry: zavrel/config zavrel/ipc zavrel/net zavrel/media"
  # ZavrelCom.dll: the component frame, the four components, the entry.
  "zavrelcom/server: afx"
  "zavrelcom/rank: zavrelcom/server support/dravik"
  "zavrelcom/face: zavrelcom/server support/dravik"
  "zavrelcom/emotion: zavrelcom/server support/dravik support/plimsy"
  "zavrelcom/chat: zavrelcom/emotion support/anipic"
  "zavrelcom/entry: zavrelcom/chat zavrelcom/face zavrelcom/rank")

# The folders a layer folder may include from, itself first: the closure of
# its entry. Fails on a folder that is not drawn and on a circle.
function(zavrel_layer_closure folder out)
  set(result "")
  set(pending ${folder})
  while(pending)
    list(POP_FRONT pending current)
    if(current IN_LIST result)
      continue()
    endif()
    set(found OFF)
    foreach(entry IN LISTS ZAVREL_LAYERS)
      string(REGEX MATCH "^([^:]+):(.*)$" _ "${entry}")
      if(CMAKE_MATCH_1 STREQUAL current)
        set(found ON)
        string(STRIP "${CMAKE_MATCH_2}" uses)
        separate_arguments(uses UNIX_COMMAND "${uses}")
        if(folder IN_LIST uses)
          message(FATAL_ERROR "The layers form a circle through ${folder} and ${current}")
        endif()
        list(APPEND pending ${uses})
      endif()
    endforeach()
    if(NOT found)
      message(FATAL_ERROR "${current} is not drawn in the layers (cmake/Layers.cmake)")
    endif()
    list(APPEND result ${current})
  endwhile()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# zavrel_layer(TARGET FOLDER)
# Gives TARGET an include root of its own, build/<tree>/layers/<target>/,
# holding links to FOLDER and to the folders under it, and nothing else: an
# include of a folder above it fails to compile ("No such file"). Users of
# the target get the same root (a user above it has a larger one of its own).
function(zavrel_layer target folder)
  zavrel_layer_closure(${folder} folders)
  set(root ${CMAKE_BINARY_DIR}/layers/${target})
  # Links of an earlier configuration that this one does not draw go.
  file(GLOB_RECURSE old LIST_DIRECTORIES true ${root}/*)
  foreach(path IN LISTS old)
    if(IS_SYMLINK ${path})
      file(RELATIVE_PATH rel ${root} ${path})
      if(NOT rel IN_LIST folders)
        file(REMOVE ${path})
      endif()
    endif()
  endforeach()
  foreach(rel IN LISTS folders)
    if(NOT IS_SYMLINK ${root}/${rel})
      get_filename_component(parent ${root}/${rel} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
      file(CREATE_LINK ${ZAVREL_SOURCE_DIR}/${rel} ${root}/${rel} SYMBOLIC)
    endif()
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE $<BUILD_INTERFACE:${root}>)
  else()
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${root}>)
  endif()
  set_property(GLOBAL APPEND PROPERTY ZAVREL_LAYER_TARGETS ${target})
endfunction()

# zavrel_subsystem(TARGET [PORTABLE files...] [WINDOWS files...])
# One subsystem of a DLL, from the current folder: an object library on its
# own include root, with the DLL's warnings and export definition (the
# variables ZAVREL_SUBSYSTEM_OF and ZAVREL_SUBSYSTEM_EXPORT of the DLL's
# folder). The DLL links every subsystem in (zavrel_link_subsystems). A
# subsystem with no sources on this platform is not made.
function(zavrel_subsystem target)
  cmake_parse_arguments(ARG "" "" "PORTABLE;WINDOWS" ${ARGN})
  if(NOT ARG_PORTABLE AND NOT (ZAVREL_WINDOWS AND ARG_WINDOWS))
    return()
  endif()
  add_library(${target} OBJECT)
  zavrel_sources(${target} PORTABLE ${ARG_PORTABLE} WINDOWS ${ARG_WINDOWS})
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  if(ZAVREL_WINDOWS)
    target_compile_definitions(${target} PRIVATE ${ZAVREL_SUBSYSTEM_EXPORT})
  endif()
  zavrel_own_code(${target})
  file(RELATIVE_PATH folder ${ZAVREL_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  zavrel_layer(${target} ${folder})
  set_property(GLOBAL APPEND PROPERTY ZAVREL_SUBSYSTEMS_${ZAVREL_SUBSYSTEM_OF} ${target})
endfunction()

# Links the subsystems made for DLL into it (their objects and, privately,
# what they link).
function(zavrel_link_subsystems dll)
  get_property(subsystems GLOBAL PROPERTY ZAVREL_SUBSYSTEMS_${dll})
  target_link_libraries(${dll} PRIVATE ${subsystems})
endfunction()
