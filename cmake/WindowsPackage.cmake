# The Windows programs and their packages: a zip to run from any folder and an NSIS installer, both
# holding the programs with everything they load beside them (Qt and MinGW runtime DLLs, the
# platform and style plugins, Qt's translations, qt.conf).
#   cpack -G ZIP   -> quorvin-setup-<version>-win64.zip
#   cpack -G NSIS  -> quorvin-setup-<version>-win64.exe

set(_res ${PROJECT_SOURCE_DIR}/res)
set(QUORVIN_ICO ${_res}/icons/io.github.quorvin.Setup.ico)

# Icon and version information, compiled into each program.
function(quorvin_windows_resources target description)
  set(QUORVIN_RC_NAME ${target})
  set(QUORVIN_RC_DESCRIPTION "${description}")
  set(rc ${CMAKE_BINARY_DIR}/res/${target}.rc)
  configure_file(${_res}/windows/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${QUORVIN_ICO})
endfunction()

quorvin_windows_resources(quorvin-setup "Set-up tool for the call-button repeater")
quorvin_windows_resources(quorvinctl "Set-up tool for the call-button repeater, terminal")
# The window is a window program: no console opens beside it when it is started from the menu.
set_target_properties(quorvin-setup PROPERTIES WIN32_EXECUTABLE ON)

install(TARGETS quorvin-setup quorvinctl RUNTIME DESTINATION .)

set(QUORVIN_WIN_DEPS_BIN ${QUORVIN_WIN_DEPS}/bin)
set(QUORVIN_MINGW_RUNTIME
    /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll
    /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll
    /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll
    CACHE STRING "The MinGW runtime DLLs the programs and Qt load")
install(FILES
  ${QUORVIN_WIN_DEPS_BIN}/Qt6Core.dll ${QUORVIN_WIN_DEPS_BIN}/Qt6Gui.dll ${QUORVIN_WIN_DEPS_BIN}/Qt6Widgets.dll
  ${QUORVIN_WIN_DEPS_BIN}/libhidapi.dll ${QUORVIN_MINGW_RUNTIME}
  DESTINATION .)
set(_plugins ${QUORVIN_WIN_DEPS}/plugins)
install(FILES ${_plugins}/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${_plugins}/styles/qwindowsvistastyle.dll DESTINATION styles)
install(FILES ${_plugins}/imageformats/qico.dll DESTINATION imageformats)
install(FILES ${_res}/windows/qt.conf DESTINATION .)
# Qt's own Chinese texts (OK, Cancel, the file dialogs), from the build machine's Qt of the same
# version: the catalogs are the same on every platform.
set(QUORVIN_QT_TRANSLATIONS /usr/share/qt6/translations CACHE PATH "Where Qt's .qm catalogs are")
install(FILES ${QUORVIN_QT_TRANSLATIONS}/qt_zh_CN.qm ${QUORVIN_QT_TRANSLATIONS}/qtbase_zh_CN.qm
        DESTINATION translations)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
# The DLLs come with their debugging symbols (libstdc++ alone is 23 MB with them); the packages
# carry them stripped, as CPACK_STRIP_FILES does for the programs.
install(CODE "
  file(GLOB_RECURSE _dlls \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\")
  foreach(_dll \${_dlls})
    execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${_dll}\" RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR \"could not strip \${_dll}\")
    endif()
  endforeach()")

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME quorvin-setup)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quorvin developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Set-up tool for the wireless call-button repeater")
set(CPACK_PACKAGE_FILE_NAME quorvin-setup-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY quorvin-setup)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY quorvin-setup)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# The zip unpacks into one folder named like itself.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/CPackOptions.cmake)
# The installer script is ours (cmake/NSIS.template.in): a 64-bit Unicode installer, English and
# Chinese pages and Start-menu entries, the licence page and an uninstaller.
list(PREPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake)
set(CPACK_NSIS_MUI_ICON ${QUORVIN_ICO})
set(CPACK_NSIS_MUI_UNIICON ${QUORVIN_ICO})
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
include(CPack)
