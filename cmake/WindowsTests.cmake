# The unit tests, built for Windows and run under Wine (scripts/test-windows, or ctest with Wine as
# the emulator). Tests that need what only Linux has (pseudo-terminals, Unix sockets, the virtual
# repeater's transports, POSIX file modes) stay out; the Windows serial port and the programs are
# tested end to end against the Linux quorvin-sim instead.
# GoogleTest is built from Debian's source of it (libgtest-dev), with this build's compiler.
set(QUORVIN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source tree")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${QUORVIN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(_tests ${PROJECT_SOURCE_DIR}/tests)
# tests/windows/: what only Windows has (its error codes, its console), built here alone.
file(GLOB UNIT_SOURCES CONFIGURE_DEPENDS ${_tests}/unit/*.cpp ${_tests}/support/*.cpp ${_tests}/windows/*.cpp)
foreach(linux_only backend_socket_test backend_tcp_test fault_files_test serial_pty serial_link_test serial_readback_test
        serial_transfer_test serial_version_test doctor_test station_test)
  list(REMOVE_ITEM UNIT_SOURCES ${_tests}/unit/${linux_only}.cpp)
endforeach()
add_executable(unit_tests ${UNIT_SOURCES})
target_include_directories(unit_tests PRIVATE ${_tests})
target_link_libraries(unit_tests PRIVATE quorvin_core quorvin_app quorvin_cli gtest gmock gtest_main)
quorvin_add_translations(unit_tests TS_FILES ${_tests}/i18n/quorvin_xx.ts RESOURCE_PREFIX /i18n)
set_target_properties(unit_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_test(NAME unit_tests COMMAND unit_tests)
set_tests_properties(unit_tests PROPERTIES TIMEOUT 600 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
