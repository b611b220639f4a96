# What differs between the platforms the tool is built for: the libraries it finds, the source
# files each platform builds, and how the translation catalogs are compiled.
#
# Platform code lives in files of its own, chosen by name: FooWin.cpp is built for Windows only,
# FooPosix.cpp and FooLinux.cpp everywhere else.

function(quorvin_platform_sources var)
  if(WIN32)
    list(FILTER ${var} EXCLUDE REGEX "(Posix|Linux)\\.cpp$")
  else()
    list(FILTER ${var} EXCLUDE REGEX "Win\\.cpp$")
  endif()
  set(${var} ${${var}} PARENT_SCOPE)
endfunction()

if(WIN32)
  # Qt's serial-port module is not among the Windows dependencies: the port is driven through the
  # Win32 communications API (link/SerialPortWin.cpp). Linguist's tools are the build machine's.
  find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Test)
  find_package(hidapi REQUIRED)
  add_library(quorvin_platform_libs INTERFACE)
  target_link_libraries(quorvin_platform_libs INTERFACE hidapi::winapi)
  find_program(QUORVIN_LRELEASE NAMES lrelease lrelease-qt6 PATHS /usr/lib/qt6/bin REQUIRED)
else()
  find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets SerialPort Test LinguistTools)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(HIDAPI REQUIRED IMPORTED_TARGET hidapi-hidraw)
  add_library(quorvin_platform_libs INTERFACE)
  target_link_libraries(quorvin_platform_libs INTERFACE Qt6::SerialPort PkgConfig::HIDAPI)
endif()

# Compiles the catalogs TS_FILES and embeds them in `target` as :/<RESOURCE_PREFIX>/<name>.qm.
function(quorvin_add_translations target)
  cmake_parse_arguments(arg "" "RESOURCE_PREFIX" "TS_FILES" ${ARGN})
  if(NOT WIN32)
    qt_add_translations(${target} TS_FILES ${arg_TS_FILES} RESOURCE_PREFIX ${arg_RESOURCE_PREFIX})
    return()
  endif()
  set(qm_files)
  foreach(ts ${arg_TS_FILES})
    get_filename_component(name ${ts} NAME_WE)
    set(qm ${CMAKE_CURRENT_BINARY_DIR}/${target}_qm/${name}.qm)
    add_custom_command(OUTPUT ${qm}
      COMMAND ${QUORVIN_LRELEASE} -silent ${ts} -qm ${qm}
      DEPENDS ${ts} VERBATIM)
    list(APPEND qm_files ${qm})
  endforeach()
  qt_add_resources(${target} "${target}_translations" PREFIX ${arg_RESOURCE_PREFIX}
    BASE ${CMAKE_CURRENT_BINARY_DIR}/${target}_qm FILES ${qm_files})
endfunction()
