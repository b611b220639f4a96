# What differs between the platforms the tool is built for: the libraries it finds, the source
# files each platform builds, and how the translation catalogs are compiled.
#
# Platform code lives in files of its own, each listed here under the platforms that build it;
# every other source file is shared and builds everywhere, with no platform headers and no
# platform #ifdefs. Linux and Windows are built and tested. Another POSIX system (macOS, a BSD)
# builds the POSIX files and, for what Linux reads from /sys and /proc, the Linux files, which
# find nothing there: a fallback that compiles, not a port that was tried.
set(QUORVIN_POSIX_FILES
  host/DeviceLockPosix.cpp host/FileOpenPosix.cpp host/FileSystemPosix.cpp host/ProcessPosix.cpp host/SaveFilePosix.cpp
  link/NetSocketPosix.cpp link/SerialPortListPosix.cpp link/SerialPortPosix.cpp link/SocketBackendPosix.cpp
  cli/InterruptPosix.cpp cli/StationViewPosix.cpp cli/TerminalPosix.cpp)
set(QUORVIN_LINUX_FILES
  host/PortHolderLinux.cpp host/SystemProbeLinux.cpp link/HidNodeLinux.cpp)
set(QUORVIN_WINDOWS_FILES
  host/DeviceLockWin.cpp host/FileOpenWin.cpp host/FileSystemWin.cpp host/PortHolderWin.cpp host/ProcessWin.cpp host/SaveFileWin.cpp
  host/SerialCommWin.cpp host/SystemProbeWin.cpp host/WindowsErrorTextWin.cpp
  link/HidNodeWin.cpp link/NetSocketWin.cpp link/SerialPortListWin.cpp link/SerialPortWin.cpp link/SocketBackendWin.cpp
  cli/InterruptWin.cpp cli/StationViewWin.cpp cli/TerminalWin.cpp)
if(WIN32)
  set(QUORVIN_THIS_PLATFORM_FILES ${QUORVIN_WINDOWS_FILES})
else()
  set(QUORVIN_THIS_PLATFORM_FILES ${QUORVIN_POSIX_FILES} ${QUORVIN_LINUX_FILES})
endif()

# Takes the files of the other platforms out of the list `var` (absolute paths, as file(GLOB)
# gives them). A file named like platform code but listed nowhere above is a build error: it
# would otherwise be built everywhere by accident.
function(quorvin_platform_sources var)
  set(all ${QUORVIN_POSIX_FILES} ${QUORVIN_LINUX_FILES} ${QUORVIN_WINDOWS_FILES})
  set(kept)
  foreach(file ${${var}})
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${file})
    if(rel IN_LIST all)
      if(rel IN_LIST QUORVIN_THIS_PLATFORM_FILES)
        list(APPEND kept ${file})
      endif()
    elseif(rel MATCHES "(Posix|Linux|Win)\\.cpp$")
      message(FATAL_ERROR "${rel} looks like platform code: list it in cmake/Platform.cmake")
    else()
      list(APPEND kept ${file})
    endif()
  endforeach()
  set(${var} ${kept} PARENT_SCOPE)
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
