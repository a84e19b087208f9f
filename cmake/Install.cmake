# The install tree of the Windows builds, for host developers
# (zavrel_install; nothing is installed natively):
#   bin/    the DLLs (and, on i686, the GCC runtime DLLs they need)
#   lib/    their import libraries, and lib/cmake/Zavrel/ the CMake package
#   include/ the public headers
#   share/doc/zavrel/ the host developers' documents
# find_package(Zavrel CONFIG) gives imported targets Zavrel::Zavrel,
# Zavrel::ZavrelCom, Zavrel::afx and one per outside library; they carry the
# include folder and the definitions a host must compile with.
include(CMakePackageConfigHelpers)

# target -> name of its imported target in the package.
set(ZAVREL_PACKAGE_TARGETS
  afx=afx zavrel=Zavrel zavrelcom=ZavrelCom nuvrell=Nuvrell kelmar=Kelmar tessor=Tessor
  ormlace=Ormlace brevio=Brevio dravik=Dravik plimsy=Plimsy)

# The public headers. A public header includes only public headers (the kit
# test checks the installed tree); everything else is internal.
set(ZAVREL_PUBLIC_HEADER_GLOBS
  afx/*.h
  base/*.h
  zavrel/*.h zavrel/*/*.h
  zavrelcom/*/*.h
  support/brevio/*.h support/dravik/*.h support/kelmar/*.h support/ormlace/*.h
  support/plimsy/*.h support/tessor/*.h
  support/nuvrell/client_socket.h support/nuvrell/socket_types.h)
set(ZAVREL_INTERNAL_HEADERS
  afx/afx_olecontrol_impl.h
  base/com_class_factory.h
  base/com_server.h
  base/message_pump.h
  zavrel/datafile/byte_scan.h
  zavrel/util/convert_into.h
  zavrel/util/format_text.h
  zavrel/util/module_directory.h
  zavrel/media/cell_grid.h
  zavrel/media/destroy_guard.h
  zavrel/media/hosted_control.h
  zavrel/media/frame_steps.h
  zavrel/media/sound_test_seam.h
  zavrelcom/server/dbcs_text.h
  zavrelcom/emotion/emotion_dlg_ids.h)

function(zavrel_install)
  if(NOT ZAVREL_WINDOWS)
    return()  # the native build is the portable core's tests only
  endif()
  set(targets "")
  foreach(pair IN LISTS ZAVREL_PACKAGE_TARGETS)
    string(REPLACE "=" ";" pair "${pair}")
    list(GET pair 0 target)
    list(GET pair 1 name)
    if(TARGET ${target})
      set_target_properties(${target} PROPERTIES EXPORT_NAME ${name})
      list(APPEND targets ${target})
    endif()
  endforeach()

  # What a host compiles with: the framework's code page (GBK literals),
  # multibyte entry points and the minimum Windows version.
  target_compile_definitions(afx INTERFACE
    $<INSTALL_INTERFACE:_WIN32_WINNT=0x0600;WINVER=0x0600;_MBCS>)
  target_compile_options(afx INTERFACE $<INSTALL_INTERFACE:$<$<CXX_COMPILER_ID:GNU>:-fexec-charset=GBK>>)
  if(TARGET zavrelcom)
    # Hosts include its interfaces and load the DLL by name.
    target_include_directories(zavrelcom INTERFACE $<INSTALL_INTERFACE:include>)
    target_link_libraries(zavrelcom INTERFACE $<INSTALL_INTERFACE:Zavrel::afx>)
  endif()

  install(TARGETS ${targets} EXPORT ZavrelTargets
          RUNTIME DESTINATION bin
          LIBRARY DESTINATION bin
          ARCHIVE DESTINATION lib)
  # The in-process COM servers that stand in for the installed controls (the
  # animated emoticon picture, the video controls): loaded by class id once a
  # host's installer has registered them (regsvr32), never linked.
  foreach(server anipic videoctl)
    if(TARGET ${server})
      install(TARGETS ${server} RUNTIME DESTINATION bin LIBRARY DESTINATION bin)
    endif()
  endforeach()
  if(ZAVREL_SHARED_RUNTIME)
    foreach(dll IN LISTS ZAVREL_RUNTIME_DLLS)
      install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${dll} DESTINATION bin)
    endforeach()
  endif()

  file(GLOB headers RELATIVE ${ZAVREL_SOURCE_DIR} CONFIGURE_DEPENDS ${ZAVREL_PUBLIC_HEADER_GLOBS})
  list(REMOVE_ITEM headers ${ZAVREL_INTERNAL_HEADERS})
  foreach(header IN LISTS headers)
    get_filename_component(dir ${header} DIRECTORY)
    install(FILES ${ZAVREL_SOURCE_DIR}/${header} DESTINATION include/${dir})
  endforeach()

  # Dravik's TinyXML classes (support/dravik/dravik_xml.h includes them).
  install(FILES ${ZAVREL_DEPS_DIR}/tinyxml/tinyxml.h ${ZAVREL_DEPS_DIR}/tinyxml/tinystr.h DESTINATION include)

  file(GLOB docs ${ZAVREL_SOURCE_DIR}/docs/*.md)
  list(REMOVE_ITEM docs ${ZAVREL_SOURCE_DIR}/docs/wine-harness.md)
  install(FILES ${docs} ${ZAVREL_SOURCE_DIR}/README.md DESTINATION share/doc/zavrel)

  install(EXPORT ZavrelTargets NAMESPACE Zavrel:: DESTINATION lib/cmake/Zavrel)
  configure_package_config_file(${ZAVREL_SOURCE_DIR}/cmake/ZavrelConfig.cmake.in
                                ${CMAKE_BINARY_DIR}/ZavrelConfig.cmake
                                INSTALL_DESTINATION lib/cmake/Zavrel)
  write_basic_package_version_file(${CMAKE_BINARY_DIR}/ZavrelConfigVersion.cmake
                                   VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_BINARY_DIR}/ZavrelConfig.cmake ${CMAKE_BINARY_DIR}/ZavrelConfigVersion.cmake
          DESTINATION lib/cmake/Zavrel)
endfunction()
