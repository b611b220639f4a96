# Where `cmake --install` puts the tool so that the desktop and udev find it, and the Debian
# package built from that layout (`cpack -G DEB`, or scripts/package).

include(GNUInstallDirs)

set(QUORVIN_APP_ID io.github.quorvin.Setup)
set(QUORVIN_UDEV_RULE "${PROJECT_SOURCE_DIR}/res/70-quorvin.rules" CACHE FILEPATH
    "The udev rule to install")
# QUORVIN_UDEV_RULES_DIR (the top CMakeLists.txt): udev reads rules from lib/udev/rules.d under
# /usr and /usr/local, not from the multiarch library directory, so it is not CMAKE_INSTALL_LIBDIR.

install(TARGETS quorvin-setup quorvinctl quorvin-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${QUORVIN_UDEV_RULE} DESTINATION ${QUORVIN_UDEV_RULES_DIR} RENAME 70-quorvin.rules)

set(_res ${PROJECT_SOURCE_DIR}/res)
install(FILES ${_res}/${QUORVIN_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_res}/${QUORVIN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The licence, where Debian keeps every package's: /usr/share/doc/<package>/copyright.
install(FILES ${_res}/deb/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvin-setup)
install(FILES ${_res}/icons/${QUORVIN_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${_res}/icons/${QUORVIN_APP_ID}-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${QUORVIN_APP_ID}.png)
endforeach()

# Man pages are installed compressed, as Debian and most distributions keep them.
find_program(QUORVIN_GZIP gzip)
if(QUORVIN_GZIP)
  set(_man ${CMAKE_BINARY_DIR}/man/quorvinctl.1)
  add_custom_command(OUTPUT ${_man}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${_res}/quorvinctl.1 ${_man}
    COMMAND ${QUORVIN_GZIP} -9nf ${_man}
    DEPENDS ${_res}/quorvinctl.1
    COMMENT "Compressing the quorvinctl man page"
    VERBATIM)
  add_custom_target(quorvin_man ALL DEPENDS ${_man}.gz)
  install(FILES ${_man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  install(FILES ${_res}/quorvinctl.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# --- Debian package ---
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvin-setup)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quorvin developers")
set(CPACK_PACKAGE_CONTACT "The Quorvin developers <quorvin@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set-up tool for the wireless call-button repeater")
# The long description; CPack puts the summary above it and indents it as the control file wants.
# The long description; CPack puts the summary above it and indents it as the control file wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Upgrades the repeater's firmware, reads its version, loads a backup data file
into it and reads its backup data back, sets and reads its working frequency
and initialises its call-button data, over USB or a serial port.

Contains the window (quorvin-setup), the terminal tool for scripts and
production lines (quorvinctl), the virtual repeater (quorvin-sim), and the
udev rule that lets the user at the seat open the repeater without root.")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/quorvin/quorvin-setup")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The libraries the programs link come from dpkg-shlibdeps. The platform plugin that lets the
# window open is loaded at run time, so shlibdeps cannot see it; a CJK font renders the Chinese texts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-wqy-zenhei, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${_res}/deb/postinst;${_res}/deb/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
